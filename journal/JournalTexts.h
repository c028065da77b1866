#pragma once
// The journal's own texts, exactly as the program shows and prints them.

#include <QString>

#include <array>

namespace JournalTexts {

inline constexpr int ColumnCount = 17;

// Captions of row 0, columns 0 to 16.
inline constexpr std::array<const char16_t*, ColumnCount> Captions = {
    u"№ ст", u"Проба", u"Дата", u"Время", u"№ гр.", u"Температура", u"Жир", u"СОМО", u"Плотность",
    u"Белок", u"Доб.вода", u"ГСО", u"Лактоза", u"Соли", u"СМО", u"Т.замерзания", u"Ст.гомогенизации",
};

inline QString Caption(int column) { return QString::fromUtf16(Captions[size_t(column)]); }

// Start of the main window's caption.
inline QString ProgramTitle() { return QStringLiteral(u"Регистрация измерений молока"); }
// Base of new journal names: Новый.txt at first start, then Новый1.txt, ...
inline QString NewJournalBase() { return QStringLiteral(u"Новый"); }
inline QString JournalExtension() { return QStringLiteral(u".txt"); }
// The start-up default journal name, without a folder.
inline QString DefaultJournalFileName() { return NewJournalBase() + JournalExtension(); }
// Label of the page number in the printout's header.
inline QString PageLabel() { return QStringLiteral(u"Стр. "); }

}  // namespace JournalTexts
