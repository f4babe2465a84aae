// The device commands through a real network serial server (ser2net) in front of the
// simulated sign: RFC 2217 and raw TCP, with latency, a connection cut in the middle of a
// Write, a server that takes no serial settings and servers that never answer.
#include "LedsignRun.h"
#include "NetworkServers.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "core/Messages.h"
#include "image/ParamImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace layout;

namespace {

QStringList lineArgs(const QString& port) {
    return {"--port", port, "--poll-ms", "5", "-q"};
}

QString address(quint16 port) {
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// A listener whose queue is full: a connection to it is never accepted nor refused, as a
// server that has gone quiet.
struct SilentListener {
    int fd = -1;
    int filler = -1;
    quint16 port = 0;

    bool start() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, 0) ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return false;
        port = ntohs(a.sin_port);
        filler = ::socket(AF_INET, SOCK_STREAM, 0);
        return filler >= 0 && ::connect(filler, reinterpret_cast<sockaddr*>(&a), len) == 0;
    }
    ~SilentListener() {
        if (filler >= 0)
            ::close(filler);
        if (fd >= 0)
            ::close(fd);
    }
};

QStringList checkIds(const Run& r) {
    QStringList ids;
    const QJsonArray checks = QJsonDocument::fromJson(r.out.toUtf8())["checks"].toArray();
    for (const QJsonValue& c : checks)
        ids << c["check"].toString() + (c["passed"].toBool() ? "" : "!");
    return ids;
}

} // namespace

class TestCliNetwork : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // A sign behind ser2net.
    struct ServedSign {
        SignRig rig;
        Ser2Net server;
        bool start(const QStringList& simArgs = {}) {
            return rig.start(simArgs) && server.start(rig.sim.device());
        }
        QString name(bool rfc2217) const { return rfc2217 ? server.rfc2217() : server.raw(); }
    };

  private slots:
    void init() {
        if (Ser2Net::program().isEmpty())
            QSKIP(Ser2Net::kMissing);
    }

    void deviceCommandsThroughTheServer_data() {
        QTest::addColumn<bool>("rfc2217");
        QTest::newRow("rfc2217") << true;
        QTest::newRow("socket") << false;
    }
    void deviceCommandsThroughTheServer() {
        QFETCH(bool, rfc2217);
        ServedSign s;
        QVERIFY(s.start());
        const QStringList line = lineArgs(s.name(rfc2217));
        const QString file = path("sign.tbl");
        Run r = ledsign(QStringList{"read", "-o", file} + line);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::readSuccess});
        QCOMPARE(fileBytes(file), s.rig.bank(0).left(kImageSize));

        // 0xFF is Telnet's escape: the image is full of them and must cross both ways whole.
        QByteArray edited = fileBytes(file);
        QVERIFY(edited.count(char(0xFF)) > 100);
        edited[kSequentialLock] = char(0xFF);
        QVERIFY(writeFileBytes(file, edited));
        r = ledsign(QStringList{"write", file} + line);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::transmitSuccess});
        QCOMPARE(quint8(s.rig.bank(0)[kSequentialLock]), quint8(0xFF));
        QCOMPARE(s.rig.bank(0), s.rig.bank(1));

        r = ledsign(QStringList{"verify", file} + line);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::verifySuccess});
        r = ledsign(QStringList{"firmware"} + line);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{"Model : POCSAG  Version = 2.52"});
    }

    void doctorThroughTheServer_data() { deviceCommandsThroughTheServer_data(); }
    void doctorThroughTheServer() {
        QFETCH(bool, rfc2217);
        ServedSign s;
        QVERIFY(s.start());
        const Run r = ledsign(QStringList{"doctor", "--json"} + lineArgs(s.name(rfc2217)));
        QCOMPARE(r.code, 0);
        QStringList want{"resolve",  "connect", "settings", "roundtrip", "link",
                         "firmware", "bank0",   "bank1",    "banks",     "quality"};
        if (!rfc2217)
            want.removeAll("settings");
        QCOMPARE(checkIds(r), want);
    }

    void twoStationBatch() {
        QCOMPARE(ledsign({"new", "-f", path("t.tbl")}).code, 0);
        writeFileBytes(path("units.csv"), "unit,capcodes.1.capcode\r\n1,1000001\r\n2,1000002\r\n");
        ServedSign a, b;
        QVERIFY(a.start({"--line", "1", "--swap-ms", "1500"}));
        QVERIFY(b.start({"--line", "1", "--swap-ms", "1500"}));
        RunWith env;
        env.env = QProcessEnvironment::systemEnvironment();
        env.env.insert("XDG_DATA_HOME", path("home"));
        const Run r = ledsign({"batch", path("t.tbl"), path("units.csv"), "--port",
                               a.server.rfc2217(), "--port", b.server.raw(), "--log",
                               path("batch.jsonl"), "--absence-ms", "300", "--poll-ms", "5"},
                              env);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines().last(), QString("done 2, failed 0, left 0"));
        QSet<int> capcodes;
        for (ServedSign* s : {&a, &b}) {
            // The line's only sign keeps its memory beside the state file.
            const QByteArray memory = signMemory(s->rig.state + ".1");
            const QByteArray bank = bankIn(memory, 0);
            QVERIFY(bankValid(bank));
            QCOMPARE(bankIn(memory, 1), bank);
            ParamImage image;
            image.assign(bank.left(kImageSize));
            capcodes << int(image.capcode(0));
        }
        QCOMPARE(capcodes, (QSet<int>{1000001, 1000002}));
    }

    void latencyEachWay_data() {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("20 ms") << 20;
        QTest::newRow("80 ms") << 80;
    }
    void latencyEachWay() {
        QFETCH(int, delayMs);
        ServedSign s;
        QVERIFY(s.start());
        TestRelay relay;
        QVERIFY(relay.start(s.server.rfc2217Port(), delayMs));
        const QString file = path("slow.tbl");
        QCOMPARE(ledsign({"new", "-f", file}).code, 0);
        QByteArray image = fileBytes(file);
        image[kSequentialLock] = 7;
        QVERIFY(writeFileBytes(file, image));
        const QStringList line =
            lineArgs(QStringLiteral("rfc2217://127.0.0.1:%1").arg(relay.port()));
        Run r = ledsign(QStringList{"write", file} + line);
        QCOMPARE(r.code, 0);
        QCOMPARE(quint8(s.rig.bank(1)[kSequentialLock]), quint8(7));
        r = ledsign(QStringList{"verify", file} + line);
        QCOMPARE(r.code, 0);
    }

    // The connection goes in the middle of the first bank's write: the sign is left as a power
    // cut leaves it, the other bank as it was, and the command says why it failed.
    void connectionLostMidWrite() {
        ServedSign s;
        QVERIFY(s.start());
        const QByteArray before0 = s.rig.bank(0), before1 = s.rig.bank(1);
        TestRelay relay;
        QVERIFY(relay.start(s.server.rfc2217Port(), 0, kDropAfter));
        const QString file = path("cut.tbl");
        QCOMPARE(ledsign({"new", "-f", file}).code, 0);
        QByteArray image = fileBytes(file);
        image[kSequentialLock] = 9;
        QVERIFY(writeFileBytes(file, image));
        const Run r = ledsign(QStringList{"write", file, "--no-backup"} +
                              lineArgs(QStringLiteral("rfc2217://127.0.0.1:%1").arg(relay.port())));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains(msg::network::lost(address(relay.port()), "")), qPrintable(r.out));
        QVERIFY(!s.rig.traffic("erase").isEmpty());
        const QByteArray after0 = s.rig.bank(0), after1 = s.rig.bank(1);
        QVERIFY(after0 != before0 || after1 != before1);
        QVERIFY((after0 == before0 && bankValid(after0)) ||
                (after1 == before1 && bankValid(after1)));
    }

    // A raw accepter says nothing to the option; a plain telnet one refuses it.
    void serverWithoutSerialSettings_data() {
        QTest::addColumn<bool>("telnet");
        QTest::newRow("raw tcp") << false;
        QTest::newRow("telnet") << true;
    }
    void serverWithoutSerialSettings() {
        QFETCH(bool, telnet);
        ServedSign s;
        QVERIFY(s.start());
        const quint16 port = telnet ? s.server.telnetPort() : s.server.rawPort();
        const QString wrong = QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
        Run r = ledsign(QStringList{"firmware"} + lineArgs(wrong));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), (QStringList{msg::portOpenError + " " +
                                             msg::network::noSerialSettings(address(port)),
                                         msg::boardNotFound}));
        r = ledsign(QStringList{"doctor", "--json"} + lineArgs(wrong));
        QCOMPARE(r.code, 1);
        QCOMPARE(checkIds(r), (QStringList{"resolve", "connect", "settings!"}));
    }

    void serversThatDoNotAnswer_data() {
        QTest::addColumn<bool>("listening");
        QTest::newRow("refused") << false;
        QTest::newRow("silent") << true;
    }
    void serversThatDoNotAnswer() {
        QFETCH(bool, listening);
        SilentListener silent;
        quint16 port = freeLocalPort();
        if (listening) {
            QVERIFY(silent.start());
            port = silent.port;
        }
        const QString name = QStringLiteral("socket://127.0.0.1:%1").arg(port);
        const QString why =
            QString::fromLocal8Bit(std::strerror(listening ? ETIMEDOUT : ECONNREFUSED));
        Run r = ledsign(QStringList{"read", "-o", path("none.tbl")} + lineArgs(name));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), (QStringList{msg::portInUse + " " +
                                             msg::network::cannotConnect(address(port), why),
                                         msg::boardNotFound}));
        QVERIFY(!QFile::exists(path("none.tbl")));
        r = ledsign(QStringList{"doctor", "--json"} + lineArgs(name));
        QCOMPARE(r.code, 1);
        QCOMPARE(checkIds(r), (QStringList{"resolve", "connect!"}));
    }

  private:
    // Past the link, the probe, the firmware and the bank checks, inside the first bank's write.
    static constexpr qint64 kDropAfter = 1500;
};

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_cli_network.moc"
