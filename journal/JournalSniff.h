#pragma once
// Whether a file is plainly not a journal, from its first bytes: a journal is
// Windows-1251 text with TABs between its fields, and files that a
// spreadsheet or an editor saved in another form would otherwise open as
// garbage and be written over as a journal by the next save.

#include <QByteArrayView>
#include <QString>

#include <optional>

enum class TJournalLook {
    Journal,    // nothing against it (any bytes a journal may hold)
    Utf16,      // begins with a UTF-16 byte-order mark
    Utf8,       // begins with a UTF-8 byte-order mark, or is UTF-8 Cyrillic text
    NulBytes,   // holds NUL bytes: UTF-16 without a mark, or not text at all
    Semicolons, // no TAB in any line, but fields separated by ';'
};

// How many first bytes SniffJournal looks at.
inline constexpr qsizetype kJournalSniffBytes = 64 * 1024;

// The verdict on a file's first bytes (at most kJournalSniffBytes of them;
// the last character may be cut).
TJournalLook SniffJournal(QByteArrayView FirstBytes);

// The verdict on a regular file on disk; nothing when there is no such file
// or it cannot be read (opening or saving then reports that as before).
std::optional<TJournalLook> SniffJournalFile(const QString &FileName);
