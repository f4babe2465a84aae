#include "protocol/NetworkChecks.h"

#include "core/Messages.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"
#include "serial/NetworkPort.h"
#include "serial/TCommPort.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>

namespace nd = msg::netdoctor;

namespace {

constexpr int kShownAddresses = 3;

} // namespace

bool RunNetworkChecks(Exchange& ex, const QString& portName, DoctorReport& report) {
    const auto add = [&report](auto&&... check) { report.add(check...); };
    const auto where = NetworkPort::parse(portName);
    if (!where) {
        add(QStringLiteral("port"), msg::doctor::portName, false, msg::network::badName);
        return false;
    }
    const QString address = where->address();
    const ExchangeTiming& t = ex.timing();
    const int waitMs = qMax(kNetworkWaitFloorMs, t.polls * t.pollMs);

    QElapsedTimer clock;
    clock.start();
    const QHostInfo info = QHostInfo::fromName(where->host);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        add(QStringLiteral("resolve"), nd::resolveName, false,
            nd::unresolved(where->host, info.errorString()), nd::fixResolve);
        return false;
    }
    QStringList shown;
    for (const QHostAddress& a : info.addresses().mid(0, kShownAddresses))
        shown << a.toString();
    add(QStringLiteral("resolve"), nd::resolveName, true,
        nd::resolved(where->host, shown.join(QStringLiteral(", ")), clock.elapsed()));

    // The port's own open makes the connection and sets the line: a second connection only
    // to time it would find a server still busy with the first.
    ex.port().setNetworkWaitMs(waitMs);
    try {
        ex.port().OpenAt(kLinkBaud, portName, kLinkFraming);
    } catch (const ECommError& e) {
        const qint64 connectMs = ex.port().networkConnectMs();
        if (e.code != ECommError::SetSettingsFailed || connectMs < 0) {
            add(QStringLiteral("connect"), nd::connectName, false,
                nd::notConnected(address, e.reason), nd::fixConnect);
            return false;
        }
        add(QStringLiteral("connect"), nd::connectName, true, nd::connected(address, connectMs));
        add(QStringLiteral("settings"), nd::settingsName, false,
            msg::network::noSerialSettings(address), nd::fixSettings);
        return false;
    }
    add(QStringLiteral("connect"), nd::connectName, true,
        nd::connected(address, ex.port().networkConnectMs()));
    if (where->kind == NetworkPort::Kind::Rfc2217)
        add(QStringLiteral("settings"), nd::settingsName, true, nd::settingsTaken);

    // One link frame, timed from its first byte out to its acknowledgement's last in.
    ex.purge();
    ex.setTransferError(false);
    clock.restart();
    ex.SendRequest(0, 0, wire::Link);
    const qint64 ms = clock.elapsed();
    if (ex.transferError())
        add(QStringLiteral("roundtrip"), nd::roundTripName, false, nd::noRoundTrip(ms),
            msg::doctor::fixSilent);
    else
        add(QStringLiteral("roundtrip"), nd::roundTripName, true, nd::roundTrip(ms));
    ex.setTransferError(false);
    ClosePortQuietly(ex);
    return true;
}
