#pragma once

#include "batch/BatchPlan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class WindowMemory;

// What a production run is made of, and its check before anything starts: the template
// opened as File, Open opens it and every row of the units table applied to it, exactly as
// `ledsign batch` does.
namespace production {

struct Setup {
    QString templatePath;
    QString unitsPath;
    QStringList ports;
    QString logPath;

    // The set-up dialog's choices of the last time.
    static Setup remembered(const WindowMemory& memory);
    void remember(WindowMemory& memory) const;
};

struct Checked {
    QStringList errors; // every problem found, each with its file and line; empty when usable
    batch::Plan plan;
    QByteArray templateImage;
    QString fingerprint; // the first 8 hex digits of the template file's SHA-256
};

Checked check(const Setup& setup);

// The log a units file gets when none is named: beside it, with its name, so the next run of
// the same units resumes.
QString defaultLogFor(const QString& unitsPath);

} // namespace production
