#include "serial/NetworkPort.h"

#include <QLocale>

namespace {

const QString kRfc2217 = QStringLiteral("rfc2217://");
const QString kRaw = QStringLiteral("socket://");

bool hostUsable(const QString& host) {
    if (host.isEmpty())
        return false;
    for (const QChar ch : host)
        if (ch.isSpace() || ch == QLatin1Char('/') || ch == QLatin1Char('?') ||
            ch == QLatin1Char('@') || ch == QLatin1Char('[') || ch == QLatin1Char(']'))
            return false;
    return true;
}

} // namespace

QString NetworkPort::address() const {
    const QString h =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

QString NetworkPort::name() const {
    return (kind == Kind::Rfc2217 ? kRfc2217 : kRaw) + address();
}

NetworkPort NetworkPort::make(Kind kind, const QString& host, quint16 port) {
    NetworkPort p;
    p.kind = kind;
    p.host = host.trimmed();
    if (p.host.startsWith(QLatin1Char('[')) && p.host.endsWith(QLatin1Char(']')))
        p.host = p.host.mid(1, p.host.size() - 2);
    p.port = port;
    return p;
}

bool NetworkPort::named(const QString& name) {
    const QString n = name.trimmed();
    return n.startsWith(kRfc2217, Qt::CaseInsensitive) || n.startsWith(kRaw, Qt::CaseInsensitive);
}

std::optional<NetworkPort> NetworkPort::parse(const QString& name) {
    const QString n = name.trimmed();
    NetworkPort p;
    QString rest;
    if (n.startsWith(kRfc2217, Qt::CaseInsensitive)) {
        p.kind = Kind::Rfc2217;
        rest = n.mid(kRfc2217.size());
    } else if (n.startsWith(kRaw, Qt::CaseInsensitive)) {
        p.kind = Kind::Raw;
        rest = n.mid(kRaw.size());
    } else {
        return std::nullopt;
    }
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QStringLiteral("]:"));
        if (close < 0)
            return std::nullopt;
        p.host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
        if (!p.host.contains(QLatin1Char(':')))
            return std::nullopt;
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return std::nullopt;
        p.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (p.host.contains(QLatin1Char(':')))
            return std::nullopt; // an IPv6 address needs its brackets
    }
    if (!hostUsable(p.host))
        return std::nullopt;
    for (const QChar ch : portText)
        if (!ch.isDigit())
            return std::nullopt;
    bool ok = false;
    const uint number = QLocale::c().toUInt(portText, &ok);
    if (!ok || number == 0 || number > 0xFFFF)
        return std::nullopt;
    p.port = quint16(number);
    p.host = p.host.toLower();
    return p;
}

QString NetworkPort::canonical(const QString& name) {
    const auto p = parse(name);
    return p ? p->name() : name.trimmed();
}

QStringList NetworkPort::splitList(const QString& list) {
    QStringList names;
    qsizetype at = 0;
    while (at <= list.size()) {
        qsizetype end = list.indexOf(QLatin1Char(':'), at);
        const QString rest = list.mid(at);
        const qsizetype scheme = rest.startsWith(kRfc2217, Qt::CaseInsensitive) ? kRfc2217.size()
                                 : rest.startsWith(kRaw, Qt::CaseInsensitive)   ? kRaw.size()
                                                                                : -1;
        if (scheme >= 0) {
            // The host (an IPv6 one up to its bracket), then its port: the name ends at the
            // colon after the port.
            qsizetype hostEnd = at + scheme;
            if (list.mid(hostEnd).startsWith(QLatin1Char('['))) {
                const qsizetype bracket = list.indexOf(QLatin1Char(']'), hostEnd);
                hostEnd = bracket < 0 ? list.size() : bracket;
            }
            const qsizetype portColon = list.indexOf(QLatin1Char(':'), hostEnd);
            end = portColon < 0 ? -1 : list.indexOf(QLatin1Char(':'), portColon + 1);
        }
        if (end < 0)
            end = list.size();
        const QString name = list.mid(at, end - at).trimmed();
        if (!name.isEmpty())
            names << name;
        at = end + 1;
    }
    return names;
}
