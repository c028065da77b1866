#pragma once
// The journal text file: one line per journal row, the texts of columns 1
// to 16 separated by TAB, CR LF after every line, Windows-1251 bytes, no
// header. Reading accepts LF alone, drops a CR that is not followed by LF,
// appends the 17th and later fields to field 16, and accepts any bytes.

#include "DurableFile.h"
#include "JournalRows.h"

#include <QString>

#include <stdexcept>

class QIODevice;

// A journal file that cannot be read or written. what() is UTF-8, in
// Russian, and names the cause.
class EJournalFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Rows of a whole file's bytes, parsed in place (the bytes are kept as the
// rows' storage). The result always ends with the entry row: the file's
// last line if it carries no result, otherwise an empty row appended behind
// it so that the next result is not written over the last one. No lines at
// all give the one empty entry row.
JournalRows ParseJournal(QByteArray &&bytes);

// Reads the device to its end and parses it. Throws EJournalFile when the
// device reports a read error.
JournalRows ReadJournal(QIODevice &device);

// Reads the named file. A name for which no file exists gives the empty
// journal (one empty entry row) and is no error; a file that exists but
// cannot be read throws EJournalFile naming the cause.
JournalRows ReadJournalFile(const QString &fileName);

// Writes every row as 16 fields, 15 TABs and CR LF. Throws EJournalFile
// when the device refuses bytes.
void WriteJournal(const JournalRows &rows, QIODevice &device);

// Writes the file durably (see DurableFile): through a temporary beside it
// that replaces the old file only once everything is on the disk, or in
// place where the folder refuses new files. A failed save leaves the
// previous file as it was. Throws EJournalFile naming the cause.
void SaveJournalFile(const JournalRows &rows, const QString &fileName, const DurableFile::TOptions &options = {});
