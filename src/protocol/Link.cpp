#include "protocol/Link.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/WireTrace.h"
#include "serial/NetworkPort.h"
#include "serial/TCommPort.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <cerrno>
#include <cstring>

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

namespace {

// Why a network port would not open: the server's address and the system's words.
QString networkWhy(const ECommError& error, const QString& portName) {
    const auto where = NetworkPort::parse(portName);
    if (!where)
        return msg::network::badName;
    if (error.code == ECommError::SetSettingsFailed)
        return msg::network::noSerialSettings(where->address());
    QString reason = error.reason;
    if (reason.isEmpty() && error.systemError != 0)
        reason = QString::fromLocal8Bit(std::strerror(int(error.systemError)));
    return msg::network::cannotConnect(where->address(), reason);
}

} // namespace

QString openFailureText(const ECommError& error, const QString& portName) {
    QString text = error.code == ECommError::OpenFailed ? msg::portInUse : msg::portOpenError;
    QString why;
    if (NetworkPort::named(portName)) {
        why = networkWhy(error, portName);
    } else if (error.systemError == ENOTTY) {
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
    // A network serial server has as long to connect and to answer a setting as the sign has
    // to acknowledge a frame, and never less than a loaded machine needs.
    const ExchangeTiming& t = ex.timing();
    ex.port().setNetworkWaitMs(qMax(kNetworkWaitFloorMs, t.polls * t.pollMs));
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
        if (const auto net = NetworkPort::parse(name))
            return net->kind == NetworkPort::Kind::Rfc2217 ? msg::network::rfc2217Description
                                                           : msg::network::rawDescription;
        for (const auto& info : found)
            if (info.systemLocation() == name || info.portName() == name)
                return info.description();
        return QString();
    };
    auto add = [&](const QString& name, const QString& description) {
        const QString n = name.trimmed();
        if (n.isEmpty() || seen.contains(NetworkPort::canonical(n)))
            return;
        seen.insert(NetworkPort::canonical(n));
        list.append({n, description});
    };

    for (const auto& name : extraPorts)
        add(name, describe(name));
    const QString fromEnv = qEnvironmentVariable("LEDSIGN_PORTS");
    for (const auto& name : NetworkPort::splitList(fromEnv))
        add(name, describe(name));
    for (const auto& info : found)
        add(info.systemLocation(), info.description());
    return list;
}
