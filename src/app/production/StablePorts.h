#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The ports a production line can use, named so that a jig keeps its name when adapters are
// plugged in again in another order: a USB adapter's /dev/serial/by-path/ name follows the
// socket it is plugged into, while /dev/ttyUSB0 goes to whichever adapter came first.
namespace production {

inline const QString kByPathFolder = QStringLiteral("/dev/serial/by-path");

struct PortChoice {
    QString name;        // what the station opens: the by-path name when there is one
    QString device;      // the device it is now (/dev/ttyUSB0)
    QString description; // what the system says it is; may be empty
};

// The by-path name of device (or of what it points to), or device itself when there is none.
QString stableName(const QString& device, const QString& folder = kByPathFolder);

// Every port the set-up dialog offers: those named explicitly first (as the Connection dialog
// lists them), then the system's, each under its stable name, each once.
QList<PortChoice> portChoices(const QStringList& extraPorts, const QString& folder = kByPathFolder);

} // namespace production
