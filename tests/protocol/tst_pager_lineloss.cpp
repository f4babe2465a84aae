// Read and Write on a bad line: stray bytes, refused frames and a sign that goes away in the
// middle never cost the sign its good copy, and every failure says so.
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/SettledRead.h"

using namespace layout;

namespace {

const QString kTransmitError = QStringLiteral("message: ") + msg::transmitError;
const QString kReadSuccess = QStringLiteral("message: ") + msg::readSuccess;

// The image a Write left in bank 0 before it was cut off; bank 1 still holds the default.
ParamImage newImage() {
    ParamImage image;
    image.set(kSequentialLock, 42);
    return image;
}
QByteArray halfWrittenMemory() {
    QByteArray memory = preparedMemory({});
    if (!memory.isEmpty())
        memory.replace(wire::bankBase(0), kBankSize, newImage().sealForSending());
    return memory;
}

// Frames of a Read: link, probe, link, clock, then each bank read behind its clock frame.
constexpr int kFirstBank0Read = 5;
QStringList strayBeforeReads(int reads) {
    QStringList frames;
    for (int i = 0; i < reads; ++i)
        frames << QString::number(kFirstBank0Read + 2 * i);
    return {QStringLiteral("--stray-before"), frames.join(QLatin1Char(','))};
}

} // namespace

class TestPagerLineLoss : public QObject {
    Q_OBJECT

  private slots:
    void strayBytesNeverRollTheSignBack_data() {
        QTest::addColumn<int>("garbled");
        QTest::newRow("first read") << 1;
        QTest::newRow("two reads alike") << 2;
        QTest::newRow("four reads") << 4;
    }
    void strayBytesNeverRollTheSignBack() {
        QFETCH(int, garbled);
        const QByteArray memory = halfWrittenMemory();
        QVERIFY(!memory.isEmpty());
        SignRig rig;
        QVERIFY(rig.start(strayBeforeReads(garbled), memory));

        QVERIFY(rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kReadSuccess});
        QCOMPARE(rig.image.toByteArray().left(kSummedBytes),
                 newImage().toByteArray().left(kSummedBytes));
        QCOMPARE(rig.memory(), memory);
        QVERIFY(rig.traffic("erase").isEmpty());
    }

    void readsThatNeverSettleTouchNothing() {
        const QByteArray memory = halfWrittenMemory();
        QVERIFY(!memory.isEmpty());
        SignRig rig;
        QVERIFY(rig.start(strayBeforeReads(kMaxBlockReads), memory));
        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kTransmitError});
        QCOMPARE(rig.memory(), memory);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.seam.status(), msg::statusReady);
        QCOMPARE(rig.host.writeEnabled, QList<bool>{true});
    }

    // A Read that repairs bank 0, cut off or refused at each of its frames in turn.
    void everyFrameOfARepairKeepsAGoodCopy() {
        const QByteArray memory = preparedMemory({"--init", "bank0-bad"});
        QVERIFY(!memory.isEmpty());
        const QByteArray good = bankIn(memory, 1);

        // Link, probe, link, 2 x (clock, bank 0), bank 1's tail, 2 x (clock, bank 1), clock,
        // two erases, two writes, the read-back of bank 0.
        const int frames = 18;
        {
            SignRig rig;
            QVERIFY(rig.start({}, memory));
            QVERIFY(rig.ops.read());
            rig.sim.stop();
            QCOMPARE(int(rig.traffic("seq").size()), frames);
        }
        for (const char* fault : {"--die-after", "--nak"}) {
            for (int n = 1; n <= frames; ++n) {
                const QString what = QStringLiteral("%1 %2").arg(QLatin1String(fault)).arg(n);
                QByteArray after;
                {
                    SignRig rig;
                    QVERIFY2(rig.start({QLatin1String(fault), QString::number(n)}, memory),
                             qPrintable(what));
                    const bool ok = rig.ops.read();
                    QVERIFY2(ok || !rig.seam.shown.isEmpty(), qPrintable(what));
                    QVERIFY2(!rig.port.isOpen(), qPrintable(what));
                    rig.sim.stop();
                    after = rig.memory();
                }
                const bool keptBank1 = bankIn(after, 1) == good;
                const bool repaired = bankIn(after, 0) == good;
                QVERIFY2(keptBank1 || repaired, qPrintable(what));

                SignRig clean;
                QVERIFY(clean.start({}, after));
                QVERIFY2(clean.ops.read(), qPrintable(what));
                QCOMPARE(clean.image.toByteArray().left(kSummedBytes), good.left(kSummedBytes));
            }
        }
    }

    void aVanishedSignIsNeverSilent_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("after the probe") << QStringList{"--die-after", "2"};
        QTest::newRow("after the second link") << QStringList{"--die-after", "3"};
        QTest::newRow("after the clock") << QStringList{"--die-after", "4"};
        QTest::newRow("before bank 1") << QStringList{"--init", "bank0-bad", "--die-after", "9"};
    }
    void aVanishedSignIsNeverSilent() {
        QFETCH(QStringList, arguments);
        SignRig rig;
        QVERIFY(rig.start(arguments));
        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kTransmitError});
        QCOMPARE(rig.seam.status(), msg::statusReady);
        QCOMPARE(rig.seam.progress, 0);
        QVERIFY(!rig.port.isOpen());
    }

    // Frames of a Write: link, probe, link, firmware, bank 0's tail, bank 1's tail.
    void writeAsksNothingOfAVanishedSign_data() {
        QTest::addColumn<int>("dieAfter");
        QTest::newRow("firmware") << 4;
        QTest::newRow("bank 0's tail") << 5;
        QTest::newRow("bank 1's tail") << 6;
    }
    void writeAsksNothingOfAVanishedSign() {
        QFETCH(int, dieAfter);
        const QByteArray memory = preparedMemory({"--init", "erased"});
        QVERIFY(!memory.isEmpty());
        SignRig rig;
        QVERIFY(rig.start({"--die-after", QString::number(dieAfter)}, memory));
        rig.seam.answers = {true};
        QVERIFY(!rig.ops.write());
        // The missed answer, then Write's own end; never the overwrite question.
        QCOMPARE(rig.seam.shown, (QStringList{kTransmitError, kTransmitError}));
        QCOMPARE(rig.memory(), memory);
        QCOMPARE(rig.host.writeEnabled, (QList<bool>{false, true}));
        QCOMPARE(rig.seam.status(), msg::statusReady);
    }

    void writeStillAsksWhenBothBanksAnswerInvalid() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "erased"}));
        QVERIFY(!rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{"question: " + msg::overwriteQuestion});
    }
};

QTEST_GUILESS_MAIN(TestPagerLineLoss)
#include "tst_pager_lineloss.moc"
