#include "protocol/Link.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/WireTrace.h"
#include "serial/TCommPort.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <cerrno>

namespace {

// The probe sent to the display controller: a lone end byte where a display frame would be.
const QByteArray kDisplayProbe(1, char(wire::kEnd));

void handshake(Exchange& ex) {
    ex.setTransferError(false);
    ex.setQuiet(true);
    ex.SendRequest(0, 0, wire::Link);
    ex.setQuiet(false);
}

void closeQuietly(Exchange& ex) {
    try {
        ex.port().Close();
    } catch (const ECommError&) {
        // A line that cannot even be closed is as unlinked as a closed one.
    }
}

} // namespace

QString devicePath(const QString& portName) {
    return portName.contains(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
}

QString openFailureText(const ECommError& error, const QString& portName) {
    QString text = error.code == ECommError::OpenFailed ? msg::portInUse : msg::portOpenError;
    QString why;
    if (error.systemError == ENOTTY) {
        why = msg::portNotSerial;
    } else if (error.systemError == EACCES || error.systemError == EPERM) {
        why = msg::portNoPermission;
    } else if (error.code == ECommError::OpenFailed || error.systemError == EBUSY) {
        // A port held by another program fails through its lock, whose error number says
        // little; a device that is there but would not open is taken.
        const bool present = !portName.isEmpty() && QFileInfo::exists(devicePath(portName));
        why = present ? msg::portHeldElsewhere : msg::portMissing;
    }
    if (!why.isEmpty())
        text += QLatin1Char('\n') + why;
    return text;
}

void showOpenFailure(UserSeam& seam, const ECommError& error, const QString& portName) {
    seam.message(openFailureText(error, portName));
}

bool OpenChosenPort(Exchange& ex, const LinkState& link) {
    try {
        ex.port().OpenAt(kLinkBaud, link.portName, kLinkFraming);
        return true;
    } catch (const ECommError& e) {
        if (ex.trace())
            ex.trace()->failed(link.portName, openFailureText(e, link.portName), e.systemError);
        showOpenFailure(ex.seam(), e, link.portName);
        return false;
    }
}

bool LinkToSign(Exchange& ex, LinkState& link) {
    if (!OpenChosenPort(ex, link)) {
        link.cancelled = true;
        return false;
    }
    try {
        ex.port().Purge();
    } catch (const ECommError&) {
        closeQuietly(ex);
        return false;
    }
    handshake(ex);
    if (ex.transferError()) {
        closeQuietly(ex);
        return false;
    }
    ex.SendToDisplay(kDisplayProbe);
    ex.setDisplayReachable(!ex.transferError());
    handshake(ex);
    return true;
}

QList<SerialPortEntry> ListSerialPorts(const QStringList& extraPorts) {
    QList<SerialPortEntry> list;
    QSet<QString> seen;
    const auto found = QSerialPortInfo::availablePorts();
    auto describe = [&](const QString& name) {
        for (const auto& info : found)
            if (info.systemLocation() == name || info.portName() == name)
                return info.description();
        return QString();
    };
    auto add = [&](const QString& name, const QString& description) {
        const QString n = name.trimmed();
        if (n.isEmpty() || seen.contains(n))
            return;
        seen.insert(n);
        list.append({n, description});
    };

    for (const auto& name : extraPorts)
        add(name, describe(name));
    const QString fromEnv = qEnvironmentVariable("LEDSIGN_PORTS");
    for (const auto& name : fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        add(name, describe(name));
    for (const auto& info : found)
        add(info.systemLocation(), info.description());
    return list;
}
