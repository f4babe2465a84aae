// Names of network serial servers: what opens, what is refused, and the colon-separated list
// whose network names keep their own colons.
#include "serial/NetworkPort.h"

#include <QTest>

class TestNetworkPort : public QObject {
    Q_OBJECT

  private slots:
    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("canonical"); // empty: no network port
        QTest::addColumn<QString>("address");
        QTest::newRow("rfc2217") << "rfc2217://10.0.0.5:2000"
                                 << "rfc2217://10.0.0.5:2000"
                                 << "10.0.0.5:2000";
        QTest::newRow("socket, blanks, letters") << "  SOCKET://Sign-Box.example:65535 "
                                                 << "socket://sign-box.example:65535"
                                                 << "sign-box.example:65535";
        QTest::newRow("ipv6") << "rfc2217://[::1]:4001"
                              << "rfc2217://[::1]:4001"
                              << "[::1]:4001";
        QTest::newRow("ipv6 without brackets") << "rfc2217://::1:4001"
                                               << ""
                                               << "";
        QTest::newRow("no port") << "rfc2217://host"
                                 << ""
                                 << "";
        QTest::newRow("port 0") << "socket://host:0"
                                << ""
                                << "";
        QTest::newRow("port too big") << "socket://host:65536"
                                      << ""
                                      << "";
        QTest::newRow("port not a number") << "socket://host:20x0"
                                           << ""
                                           << "";
        QTest::newRow("signed port") << "socket://host:+2000"
                                     << ""
                                     << "";
        QTest::newRow("no host") << "socket://:2000"
                                 << ""
                                 << "";
        QTest::newRow("path after the port") << "socket://host:2000/x"
                                             << ""
                                             << "";
        QTest::newRow("local device") << "/dev/ttyUSB0"
                                      << ""
                                      << "";
        QTest::newRow("other scheme") << "telnet://host:23"
                                      << ""
                                      << "";
    }
    void names() {
        QFETCH(QString, name);
        QFETCH(QString, canonical);
        QFETCH(QString, address);
        const auto port = NetworkPort::parse(name);
        QCOMPARE(port.has_value(), !canonical.isEmpty());
        QCOMPARE(NetworkPort::canonical(name), canonical.isEmpty() ? name.trimmed() : canonical);
        if (port) {
            QCOMPARE(port->name(), canonical);
            QCOMPARE(port->address(), address);
            QCOMPARE(NetworkPort::parse(port->name())->name(), canonical);
        }
        // A malformed network name is still one: it must never be opened as a device file.
        QCOMPARE(NetworkPort::named(name), name.contains("://") && !name.startsWith("telnet"));
    }

    void listsKeepNetworkNamesWhole() {
        QCOMPARE(NetworkPort::splitList("/dev/ttyUSB0:rfc2217://host:2000:socket://[::1]:7:"
                                        "/dev/pts/4::rfc2217://h:9"),
                 (QStringList{"/dev/ttyUSB0", "rfc2217://host:2000", "socket://[::1]:7",
                              "/dev/pts/4", "rfc2217://h:9"}));
        QCOMPARE(NetworkPort::splitList("rfc2217://host"), QStringList{"rfc2217://host"});
        QVERIFY(NetworkPort::splitList("").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNetworkPort)
#include "tst_networkport.moc"
