#pragma once
// The journal's texts. All but the printout's page label come from the
// program's one table of texts.

#include "MyConsts.h"

#include <QString>

namespace JournalTexts {

inline constexpr int ColumnCount = MyConsts::kColumnCount;

// Captions of row 0, columns 0 to 16.
inline QString Caption(int column) { return MyConsts::sColumnCaption(column); }

// Start of the main window's caption.
inline QString ProgramTitle() { return MyConsts::sProgramTitle(); }
// Base of new journal names: Новый.txt at first start, then Новый1.txt, ...
inline QString NewJournalBase() { return MyConsts::sNewFileBase(); }
inline QString JournalExtension() { return QStringLiteral(u".txt"); }
// The start-up default journal name, without a folder.
inline QString DefaultJournalFileName() { return NewJournalBase() + JournalExtension(); }
// Label of the page number in the printout's header.
inline QString PageLabel() { return QStringLiteral(u"Стр. "); }

}  // namespace JournalTexts
