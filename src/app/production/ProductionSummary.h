#pragma once

#include "app/production/RunTally.h"

class QWidget;

// After a run: its figures and one row per attempt, as the log holds them.
void showProductionSummary(QWidget* parent, const production::Tally& tally, qint64 elapsedMs,
                           const QList<batch::LogRecord>& records);
