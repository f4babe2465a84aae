// Linking to the sign: the handshake with its display probe, the Connection dialog's attempts
// (without the dialog), the port list and why a port could not be opened.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/Connection.h"

#include <cerrno>

namespace {

wire::DeviceFrame parsed(const QByteArray& onWire) {
    const auto f = wire::parseDeviceFrame(wire::unstuff(onWire.chopped(1)));
    return f ? *f : wire::DeviceFrame{};
}

PtyPeer::Answer positive(const QByteArray& frame) {
    return PtyPeer::Answer::with(wire::acknowledgement(parsed(frame).sequence, true));
}

// Attempts against a line, recording the texts shown before each attempt.
struct Attempts {
    ConnectionAttempts conn;
    QStringList texts;
    QList<int> waits;
    std::function<void(int)> onText;

    Attempts(Exchange& ex, LinkState& link, OperationHost& host) : conn(ex, link, host) {
        conn.setBlockingWait([this](int ms) { waits << ms; });
    }
    ConnectionAttempts::Outcome run(const QString& port) {
        conn.prepare();
        return conn.connect(port, [this](const QString& t) {
            texts << t;
            if (onText)
                onText(int(texts.size()));
        });
    }
};

struct PeerRig {
    PtyPeer peer;
    TCommPort port;
    ScriptedSeam seam;
    Exchange ex{port, seam};
    ParamImage image;
    LinkState link;
    RecordingHost host{image};
    Attempts attempts{ex, link, host};

    PeerRig() { useTestTiming(ex); }
    // Attempts on a line that stays silent end quickly.
    void silentLine() { useQuickLinkTiming(ex); }
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT

  private slots:
    void handshakeProbesTheDisplayAndShakesHandsAgain() {
        PeerRig r;
        QVERIFY(r.peer.ok());
        r.link.portName = r.peer.path();
        // The second handshake goes unanswered: still linked, but the flag tells.
        r.peer.setScript([](const QByteArray& f, int i) {
            return i == 2 ? PtyPeer::Answer::silent() : positive(f);
        });
        QVERIFY(LinkToSign(r.ex, r.link));
        QVERIFY(r.port.isOpen());
        QVERIFY(r.ex.displayReachable());
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty()); // the handshake is quiet
        const auto frames = r.peer.frames();
        QCOMPARE(frames.size(), 3);
        QCOMPARE(parsed(frames[0]).command, quint8(wire::Link));
        QCOMPARE(parsed(frames[1]).command, quint8(wire::PassThrough));
        QCOMPARE(parsed(frames[1]).data, QByteArray(1, char(wire::kEnd)));
        QCOMPARE(parsed(frames[2]).command, quint8(wire::Link));
    }

    void connectsAndSetsTheClockWhenTheDisplayAnswers() {
        SignRig rig;
        QVERIFY(rig.start());
        Attempts a(rig.ex, rig.link, rig.host);
        rig.link.portName.clear();

        QCOMPARE(a.run("  " + rig.sim.device() + " "), ConnectionAttempts::Outcome::Connected);
        QCOMPARE(rig.seam.progressMax, ConnectionAttempts::kProgressMax);
        QCOMPARE(rig.link.portName, rig.sim.device());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::connectionSuccess});
        QCOMPARE(a.texts, QStringList{"Connection."});
        QCOMPARE(a.waits, QList<int>{rig.ex.timing().connectWaitMs});
        QCOMPARE(rig.clockStages(), QList<int>{130});
        QVERIFY(rig.host.pager);
        a.conn.finish();
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.seam.progress, 0);
    }

    void withoutDisplayThereIsNoWaitAndNoClock() {
        SignRig rig;
        QVERIFY(rig.start({"--no-display"}));
        Attempts a(rig.ex, rig.link, rig.host);
        QCOMPARE(a.run(rig.sim.device()), ConnectionAttempts::Outcome::Connected);
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::connectionSuccess});
        QVERIFY(!rig.ex.displayReachable());
        QVERIFY(a.waits.isEmpty());
        QVERIFY(rig.clockStages().isEmpty());
        QVERIFY(rig.host.pager);
    }

    void twentySilentAttemptsFail() {
        PeerRig r;
        QVERIFY(r.peer.ok());
        r.silentLine();
        QCOMPARE(r.attempts.run(r.peer.path()), ConnectionAttempts::Outcome::Failed);
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::connectionFail});
        QStringList dots;
        for (int i = 1; i <= 20; ++i)
            dots << "Connection" + QString(i % 7, '.');
        QCOMPARE(r.attempts.texts, dots);
        QCOMPARE(r.peer.frames().size(), 20);
        QVERIFY(!r.host.pager);
    }

    void anAnswerAtTheTwentiethAttemptConnects() {
        PeerRig r;
        QVERIFY(r.peer.ok());
        r.peer.setScript([](const QByteArray& f, int i) {
            return i < 19 ? PtyPeer::Answer::silent() : positive(f);
        });
        r.silentLine();
        r.attempts.onText = [&](int n) {
            if (n == 20)
                useTestTiming(r.ex); // time enough for the answer
        };
        QCOMPARE(r.attempts.run(r.peer.path()), ConnectionAttempts::Outcome::Connected);
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::connectionSuccess});
        QCOMPARE(r.attempts.texts.size(), 20);
        QVERIFY(r.host.pager);
    }

    void cancelEndsAfterTheAttemptUnderWay() {
        PeerRig r;
        QVERIFY(r.peer.ok());
        r.silentLine();
        r.attempts.onText = [&](int n) {
            if (n == 3)
                r.attempts.conn.cancel();
        };
        QCOMPARE(r.attempts.run(r.peer.path()), ConnectionAttempts::Outcome::Cancelled);
        QVERIFY(r.seam.shown.isEmpty());
        QCOMPARE(r.peer.frames().size(), 3);
    }

    void portThatCannotBeOpenedEndsTheAttempts() {
        PeerRig r;
        QTemporaryDir dir;
        const QString missing = dir.filePath("ttyGone");
        QCOMPARE(r.attempts.run(missing), ConnectionAttempts::Outcome::Cancelled);
        const QString why = "message: " + msg::portInUse + "\n" + msg::portMissing;
        QCOMPARE(r.seam.shown, (QStringList{why, why}));
        QCOMPARE(r.attempts.texts.size(), 1);
        QVERIFY(!r.host.pager);
    }

    void portHeldByAnotherProgram() {
        SignRig rig;
        QVERIFY(rig.start());
        TCommPort other;
        other.OpenAt(kLinkBaud, rig.sim.device(), kLinkFraming);
        QVERIFY(other.isOpen());
        QVERIFY(!rig.ops.checkFirmware());
        QCOMPARE(rig.seam.shown,
                 (QStringList{"message: " + msg::portInUse + "\n" + msg::portHeldElsewhere,
                              "message: " + msg::boardNotFound}));
    }

    void whyAPortCouldNotBeOpened() {
        QCOMPARE(openFailureText(ECommError(ECommError::OpenFailed, EACCES), "ttyS0"),
                 msg::portInUse + "\n" + msg::portNoPermission);
        QCOMPARE(openFailureText(ECommError(ECommError::SetSettingsFailed, 0), "ttyS0"),
                 msg::portOpenError);
        QCOMPARE(openFailureText(ECommError(ECommError::GetSettingsFailed, ENOTTY), "/tmp"),
                 msg::portOpenError + "\n" + msg::portNotSerial);
    }

    void nothingConnectsWhileAnotherExchangeRuns() {
        PeerRig r;
        Exchange::Hold hold(r.ex);
        QCOMPARE(r.attempts.run(r.peer.path()), ConnectionAttempts::Outcome::Busy);
        QVERIFY(r.peer.frames().isEmpty());
    }

    void namedPortsComeFirstAndOnce() {
        qputenv("LEDSIGN_PORTS", "/dev/ledsign-b::/dev/ledsign-c");
        const auto ports = ListSerialPorts({"/dev/ledsign-a", " /dev/ledsign-b"});
        qunsetenv("LEDSIGN_PORTS");
        QStringList names;
        for (const auto& p : ports)
            names << p.name;
        QCOMPARE(names.mid(0, 3),
                 (QStringList{"/dev/ledsign-a", "/dev/ledsign-b", "/dev/ledsign-c"}));
        QCOMPARE(names.count("/dev/ledsign-b"), 1);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
