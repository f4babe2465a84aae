#pragma once

#include "batch/BatchLog.h"

#include <QList>
#include <QStringList>

// The figures of a production run, read from its log: what an operator and a production
// manager count. The header of the screen and the summary after a run both come from here.
namespace production {

struct Tally {
    int done = 0;        // units with an ok record, in this run or an earlier one
    int failed = 0;      // units whose records since the run began are all failed
    int left = 0;        // the others
    int okSince = 0;     // ok records since the run began
    int firstTried = 0;  // units first tried since the run began
    int firstPassed = 0; // of them, those ok at their first attempt
    double perHour(qint64 elapsedMs) const;
    QString perHourText(qint64 elapsedMs) const;
    QString yieldText() const; // "75 %", or "-" before any unit was tried
};

// units: the labels of the plan; records from runBegins on are this run's (the log is locked
// while a run appends to it, so they are its last ones); earlier records count only for done,
// as the run skipped those units.
Tally tally(const QList<batch::LogRecord>& records, const QStringList& units, qsizetype runBegins);

// "1:02:03" or "02:03".
QString elapsedText(qint64 ms);

} // namespace production
