#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The units of a line of signs: the template with each unit's row applied through the
// window's rules. Every row is checked before any sign is touched.
namespace batch {

struct Unit {
    QString label;
    int line = 0;     // in the units file
    QByteArray image; // the table image to write
};

struct Plan {
    QByteArray templateImage;
    QList<Unit> units;
    int exitCode = 0; // 0 usable; 2 a malformed file; 1 a value a rule refused
    QString error;    // "units.csv:8: unit 7, capcodes.1.capcode: ..."
    // Every problem of the kind exitCode names, in the file's order; error is the first.
    QStringList errors;
};

// templateImage is the image as File, Open took it; csvName is how the file is named in errors.
Plan makePlan(const QByteArray& templateImage, const QByteArray& csvBytes, const QString& csvName);

} // namespace batch
