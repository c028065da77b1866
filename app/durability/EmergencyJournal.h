#pragma once

// The last resort at an orderly end (an end of session, a termination
// signal) while the result log cannot be written: the journal's unsaved
// rows would live only in memory, so the whole journal goes into a new file
// of its own, never over an existing one, in the first folder that takes
// it; a note beside it tells the next start where it went.

#include "JournalRows.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace EmergencyJournal {

// Writes Rows as a journal named after JournalFileName and Now into the
// first of Folders that takes it, and notes it there for the log
// LogFileName. Returns the file written, or nothing when no folder took it.
QString Write(const JournalRows &Rows, const QString &JournalFileName, const QString &LogFileName,
              const QStringList &Folders, const QDateTime &Now);

// The journals noted for LogFileName in any of Folders, oldest first; those
// notes are removed (others' stay).
QStringList TakeNotes(const QString &LogFileName, const QStringList &Folders);

} // namespace EmergencyJournal
