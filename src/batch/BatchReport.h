#pragma once

#include "batch/BatchLog.h"

#include <QByteArray>
#include <QList>

// A log as a table for the production records: a header, then one CSV line per unit in the
// order the units first appear (unit, port, result, attempts, seconds, time, image SHA-256,
// backup file), each from the unit's last attempt.
namespace batch {

QByteArray reportCsv(const QList<LogRecord>& records);

} // namespace batch
