// The exchange layer against the simulated sign on a real pseudo-terminal: link, bank tail,
// erase, write and read back, and the memory still there for the next run.

#include "ScriptedSeam.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Exchange.h"
#include "serial/TCommPort.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

#ifdef LEDSIGN_SIM_PATH
// One run of the simulated sign; ends it when it goes out of scope.
class Sim {
  public:
    explicit Sim(const QStringList& args) {
        proc_.start(QStringLiteral(LEDSIGN_SIM_PATH), args);
        if (!proc_.waitForStarted(10000))
            return;
        while (!proc_.canReadLine() && proc_.waitForReadyRead(10000)) {
        }
        path_ = QString::fromLocal8Bit(proc_.readLine()).trimmed();
    }
    ~Sim() {
        proc_.closeWriteChannel(); // the sign ends when its input closes
        if (!proc_.waitForFinished(10000)) {
            proc_.kill();
            proc_.waitForFinished(10000);
        }
    }
    QString path() const { return path_; }

  private:
    QProcess proc_;
    QString path_;
};
#endif

struct Link {
    TCommPort port;
    ScriptedSeam seam;
    Exchange ex{port, seam};

    explicit Link(const QString& path) {
        ex.timing().pollMs = 20;
        ex.timing().quietPollMs = 5;
        ex.timing().passPollUs = 2000;
        port.OpenAt(19200, path, 1);
    }
    bool handshake() {
        ex.setQuiet(true);
        ex.setTransferError(false);
        ex.SendRequest(0, 0, wire::Link);
        ex.setQuiet(false);
        return !ex.transferError();
    }
};

} // namespace

class TestSimExchange : public QObject {
    Q_OBJECT

  private slots:
    void linkReadWriteReadBack() {
#ifndef LEDSIGN_SIM_PATH
        QSKIP("the simulated sign is not built");
#else
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString state = dir.filePath(QStringLiteral("s.bin"));

        ParamImage image;
        image.setCapcode(0, 1111111);
        const QByteArray bank = image.sealForSending();
        const int b = 1;
        {
            Sim sim({QStringLiteral("--state"), state, QStringLiteral("--init"),
                     QStringLiteral("default"), QStringLiteral("--pace"), QStringLiteral("0")});
            QVERIFY(sim.path().startsWith(QStringLiteral("/dev/")));
            Link link(sim.path());
            QVERIFY(link.port.isOpen());
            QVERIFY(link.handshake());

            const auto tail = link.ex.ReadMemory(wire::bankTail(0), 6, 50);
            QVERIFY(tail);
            QVERIFY(bankTailValid(reinterpret_cast<const quint8*>(tail->constData())));

            Exchange& ex = link.ex;
            QVERIFY(ex.SendRequest(wire::bankBase(b), 0, wire::Erase));
            QVERIFY(ex.SendRequest(wire::bankSecondErase(b), 0, wire::Erase));
            QVERIFY(ex.SendRequest(wire::bankBase(b), wire::kWriteChunk, wire::Write, &bank, b));
            QVERIFY(ex.SendRequest(wire::bankBase(b) + wire::kSecondWriteOffset, wire::kWriteChunk,
                                   wire::Write, &bank, b));
            QVERIFY(!ex.transferError());

            const auto back = ex.ReadMemory(wire::bankBase(b), layout::kBankSize, 10000);
            QVERIFY(back);
            QCOMPARE(*back, bank);
            QVERIFY(bankSumValid(*back));
            QVERIFY(link.seam.shown.isEmpty());
        }
        // A later run of the sign serves what was written.
        Sim again(
            {QStringLiteral("--state"), state, QStringLiteral("--pace"), QStringLiteral("0")});
        Link link(again.path());
        QVERIFY(link.handshake());
        const auto back = link.ex.ReadMemory(wire::bankBase(b), layout::kBankSize, 10000);
        QVERIFY(back);
        QCOMPARE(*back, bank);
#endif
    }

    void strayEndBytesAndNoDisplay() {
#ifndef LEDSIGN_SIM_PATH
        QSKIP("the simulated sign is not built");
#else
        Sim sim({QStringLiteral("--init"), QStringLiteral("default"), QStringLiteral("--pace"),
                 QStringLiteral("0"), QStringLiteral("--stray-etx"),
                 QStringLiteral("--no-display")});
        Link link(sim.path());
        QVERIFY(link.handshake());
        const auto tail = link.ex.ReadMemory(wire::bankTail(0), 6, 50);
        QVERIFY(tail);
        QVERIFY(bankTailValid(reinterpret_cast<const quint8*>(tail->constData())));

        link.ex.timing().passPolls = 50;
        QVERIFY(!link.ex.SendToDisplay(QByteArray(1, char(wire::kEnd))));
        QVERIFY(link.ex.transferError());
        QVERIFY(link.seam.shown.isEmpty());
#endif
    }
};

QTEST_GUILESS_MAIN(TestSimExchange)
#include "tst_simexchange.moc"
