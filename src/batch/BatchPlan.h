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
    int exitCode = 0;   // 0 usable; 2 a malformed file; 1 only values a rule refused
    QStringList errors; // "units.csv:8: unit 7, capcodes.1.capcode: ...", in file order
    QString error;      // the errors as shown: up to kShownErrors lines, then how many more
};

inline constexpr int kShownErrors = 20;

// templateImage is the image as File, Open took it; csvName is how the file is named in errors.
Plan makePlan(const QByteArray& templateImage, const QByteArray& csvBytes, const QString& csvName);

// text with its control and format characters escaped (\n, \x1b, \u{202e}), for a unit's
// name on a terminal or in a message.
QString printable(const QString& text);

} // namespace batch
