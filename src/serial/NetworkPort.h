#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// A sign behind a network serial server, named "rfc2217://HOST:PORT" (the server takes the
// line settings over the connection, RFC 2217) or "socket://HOST:PORT" (plain TCP to a server
// set to the sign's line by hand). Every place that names a port takes these names beside the
// local ones; this is the one place that reads and writes them.
struct NetworkPort {
    enum class Kind { Rfc2217, Raw };

    Kind kind = Kind::Rfc2217;
    QString host; // an IPv6 address without its brackets
    quint16 port = 0;

    // The name the port is opened by: "rfc2217://host:port", IPv6 hosts in brackets.
    QString name() const;
    // "host:port", as the messages name the server.
    QString address() const;

    static NetworkPort make(Kind kind, const QString& host, quint16 port);
    // Whether name asks for a network port at all (by its scheme), well formed or not.
    static bool named(const QString& name);
    // The network port a name stands for; nothing for a local port or a malformed name.
    static std::optional<NetworkPort> parse(const QString& name);
    // The spelling in which two names of one port are equal: a network name rewritten
    // (scheme and host in lower case), any other name trimmed.
    static QString canonical(const QString& name);
    // A colon-separated list of port names (LEDSIGN_PORTS), whose network names keep their
    // own colons: "/dev/ttyUSB0:rfc2217://host:2000" is two names.
    static QStringList splitList(const QString& list);
};
