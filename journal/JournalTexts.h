#pragma once
// The journal's texts. Those that belong to the program (the column
// captions, the program's title, the base of new journal names) are handed
// in by the journal's owner; the journal's own (the printout's page label,
// the file extension) are defined here.

#include "JournalColumns.h"

#include <QString>

#include <array>

struct JournalTexts {
    static constexpr int ColumnCount = JournalColumns::Count;

    // Captions of row 0, columns 0 to 16.
    std::array<QString, ColumnCount> Captions;
    // Start of the main window's caption.
    QString ProgramTitle;
    // Base of new journal names: Новый.txt at first start, then Новый1.txt, ...
    QString NewJournalBase;

    // The start-up default journal name, without a folder.
    QString DefaultJournalFileName() const { return NewJournalBase + JournalExtension(); }

    static QString JournalExtension() { return QStringLiteral(u".txt"); }
    // Label of the page number in the printout's header.
    static QString PageLabel() { return QStringLiteral(u"Стр. "); }
};

using JournalCaptions = std::array<QString, JournalTexts::ColumnCount>;
