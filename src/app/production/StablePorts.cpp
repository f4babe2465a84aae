#include "app/production/StablePorts.h"

#include "protocol/Link.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace production {

QString stableName(const QString& device, const QString& folder) {
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return device;
    const QDir dir(folder);
    for (const QFileInfo& link :
         dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (link.isSymLink() && link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    return device;
}

QList<PortChoice> portChoices(const QStringList& extraPorts, const QString& folder) {
    QList<PortChoice> choices;
    QSet<QString> seen;
    for (const SerialPortEntry& e : ListSerialPorts(extraPorts)) {
        const QString given = devicePath(e.name);
        const QString canonical = QFileInfo(given).canonicalFilePath();
        const QString device = canonical.isEmpty() ? given : canonical;
        // A by-path name given as --port and the device it points to are one port.
        if (seen.contains(device))
            continue;
        seen.insert(device);
        choices.append({stableName(device, folder), device, e.description});
    }
    return choices;
}

} // namespace production
