#pragma once

// What the operator is told after a start-up recovery: what came back,
// where it is now, and what could not be read or placed, in Russian.

#include "JournalLog.h"

#include <QString>

QString RecoveryReport(const TJournalLog::TRecovered &Recovered);
