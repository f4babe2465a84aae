// Write, Verify and Read against a sign whose flash and line misbehave the way a fault-
// injecting programmer makes them: writes and erases acknowledged but not carried out, a
// stuck bit, flipped and scrambled replies. Whatever fails and however a retry is cut off,
// one bank that passes the sign's own test holds the old or the new settings.
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/LineDoctor.h"

#include <QRegularExpression>

using namespace layout;

namespace {

// The numbers of the device frames whose log entries contain what ("write addr 088000").
QList<int> framesOf(const SignRig& rig, const QString& what) {
    QList<int> frames;
    QFile f(rig.log);
    if (!f.open(QIODevice::ReadOnly))
        return frames;
    static const QRegularExpression re(QStringLiteral("^in \\d+ bytes frame (\\d+) (.*)$"));
    for (const QByteArray& line : f.readAll().split('\n')) {
        const auto m = re.match(QString::fromLatin1(line));
        if (m.hasMatch() && m.captured(2).contains(what))
            frames << m.captured(1).toInt();
    }
    return frames;
}

int frameOf(const SignRig& rig, const QString& what) {
    const QList<int> frames = framesOf(rig, what);
    return frames.isEmpty() ? 0 : frames.first();
}

QString n(int frame) {
    return QString::number(frame);
}

ParamImage newSettings() {
    ParamImage image;
    image.set(kSequentialLock, 42);
    image.set(kAirPassword, 'X');
    return image;
}

QByteArray dataOf(const QByteArray& bank) {
    return bank.left(kSummedBytes);
}

// Whether the memory holds a bank that passes the whole-bank test with one of the images.
bool holdsValidBank(const QByteArray& memory, const QByteArray& oldData,
                    const QByteArray& newData) {
    for (int b = 0; b < 2; ++b) {
        const QByteArray bank = bankIn(memory, b);
        if (bankValid(bank) && (dataOf(bank) == oldData || dataOf(bank) == newData))
            return true;
    }
    return false;
}

} // namespace

class TestPagerFaults : public QObject {
    Q_OBJECT

  private slots:
    void retriedWriteCutAnywhereKeepsAGoodBank_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("bank 0 write ignored") << "write-ignored";
        QTest::newRow("bank 0 write half done") << "write-half";
        QTest::newRow("bank 0 erase ignored") << "erase-ignored";
        QTest::newRow("stuck bit in bank 0") << "stuck-bit";
        QTest::newRow("read-back bit flipped") << "flip-reply";
    }
    void retriedWriteCutAnywhereKeepsAGoodBank() {
        QFETCH(QString, fault);
        const ParamImage wanted = newSettings();
        const QByteArray oldData = dataOf(preparedMemory({}).mid(wire::bankBase(0), kBankSize));
        const QByteArray newData = wanted.toByteArray().left(kSummedBytes);

        // A clean Write names the frames to spoil.
        SignRig clean;
        QVERIFY(clean.start());
        clean.image = wanted;
        QVERIFY(clean.ops.write());
        QStringList faultArgs;
        if (fault == "write-ignored" || fault == "write-half")
            faultArgs = {"--" + fault, n(frameOf(clean, "write addr 088000"))};
        else if (fault == "erase-ignored")
            faultArgs = {"--" + fault, n(frameOf(clean, "erase addr 088000"))};
        else if (fault == "stuck-bit")
            faultArgs = {"--stuck-bit",
                         QStringLiteral("%1:1:0").arg(wire::bankBase(0) + kSequentialLock, 0, 16)};
        if (fault == "flip-reply") {
            // Bank 0's read-back is the last whole read of bank 0.
            const QList<int> reads = framesOf(clean, "read addr 088000 count 4100");
            QVERIFY(!reads.isEmpty());
            faultArgs = {"--flip-reply", n(reads.last())};
        }

        // The failed Write.
        SignRig failed;
        QVERIFY(failed.start(faultArgs));
        failed.image = wanted;
        QVERIFY(!failed.ops.write());
        failed.sim.stop();
        const QByteArray afterFailure = failed.memory();
        QVERIFY(holdsValidBank(afterFailure, oldData, newData));
        // Faults of the flash itself stay; the line's faults were one-off.
        const QStringList lasting = fault == "stuck-bit" ? faultArgs : QStringList{};

        SignRig retry;
        QVERIFY(retry.start(lasting, afterFailure));
        retry.image = wanted;
        retry.ops.write();
        retry.sim.stop();
        const int frames = int(retry.traffic(QStringLiteral("frame")).size());
        QVERIFY(frames > 0);
        for (int cut = 1; cut <= frames; ++cut) {
            SignRig rig;
            QVERIFY(rig.start(lasting + QStringList{"--die-after", n(cut)}, afterFailure));
            rig.image = wanted;
            rig.ops.write();
            rig.sim.stop();
            QVERIFY2(
                holdsValidBank(rig.memory(), oldData, newData),
                qPrintable(QStringLiteral("%1, retry cut after frame %2").arg(fault).arg(cut)));
        }
    }

    void garbledTailNeverErasesTheOnlyGoodBankFirst_data() {
        QTest::addColumn<QString>("init");
        QTest::addColumn<int>("garbledTailFrame");
        QTest::addColumn<QString>("firstErase");
        // Frames: link, probe, link, firmware, bank 0's tail (5), bank 1's tail (6).
        QTest::newRow("only bank 1 good, its tail garbled") << "bank0-bad" << 6 << "088000";
        QTest::newRow("only bank 0 good, its tail garbled") << "bank1-bad" << 5 << "0A8000";
    }
    void garbledTailNeverErasesTheOnlyGoodBankFirst() {
        QFETCH(QString, init);
        QFETCH(int, garbledTailFrame);
        QFETCH(QString, firstErase);
        SignRig rig;
        QVERIFY(rig.start({"--init", init, "--garble-reply", n(garbledTailFrame)}));
        rig.image = newSettings();
        QVERIFY(rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::transmitSuccess});
        QCOMPARE(rig.traffic(QStringLiteral("erase")).first(), "erase addr " + firstErase);
    }

    void failedReadOfBank0StopsTheWriteBeforeAnyErase() {
        // Frame 7 is the whole read of bank 0 (link, probe, link, firmware, two tails).
        SignRig rig;
        QVERIFY(rig.start({"--nak", "7"}));
        const QByteArray before = rig.memory();
        rig.image = newSettings();
        QVERIFY(!rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::transmitError});
        QVERIFY(rig.traffic(QStringLiteral("erase")).isEmpty());
        QCOMPARE(rig.memory(), before);
        QCOMPARE(rig.host.writeEnabled.last(), true);
    }

    void verifyAndReadTestTheWholeBank_data() {
        QTest::addColumn<int>("spoiledAt"); // bank offset
        QTest::newRow("check word") << kBankSize - 1;
        QTest::newRow("sum (data under a consistent tail)") << int(kSequentialLock);
    }
    void verifyAndReadTestTheWholeBank() {
        // A Write cut inside bank 0: bank 0 holds the new image but fails, bank 1 the old.
        QFETCH(int, spoiledAt);
        QByteArray memory = preparedMemory({});
        QVERIFY(!memory.isEmpty());
        const QByteArray oldBank = bankIn(memory, 1);
        const ParamImage wanted = newSettings();
        QByteArray bank0 = ParamImage(wanted).sealForSending();
        if (spoiledAt == int(kSequentialLock))
            bank0[spoiledAt] = char(bank0[spoiledAt] ^ 0x04);
        else
            bank0[spoiledAt] = char(bank0[spoiledAt] ^ 0x01);
        memory.replace(wire::bankBase(0), kBankSize, bank0);

        SignRig rig;
        QVERIFY(rig.start({}, memory));
        rig.image = wanted;
        QVERIFY(!rig.ops.verify());
        QCOMPARE(rig.seam.shown.first(), "message: " + msg::verifyErrorHtag(rig.ex.sequence()));

        QVERIFY(rig.ops.read());
        QCOMPARE(rig.image.toByteArray().left(kSummedBytes), dataOf(oldBank));
        QCOMPARE(rig.bank(0), oldBank); // repaired from bank 1
    }

    // A read of bank 0 that failed on the line is no finding about the bank itself.
    void verifyWithAFailedReadBlamesNoBank() {
        SignRig clean;
        QVERIFY(clean.start());
        QVERIFY(clean.ops.verify());
        const int read = frameOf(clean, "read addr 088000 count 4100");
        QVERIFY(read > 0);

        SignRig rig;
        QVERIFY(rig.start({"--nak", n(read)}));
        QVERIFY(!rig.ops.verify());
        QCOMPARE(rig.seam.shown,
                 (QStringList{"message: " + msg::transmitError, "message: " + msg::verifyError}));
    }

    // A sign that stops answering during Write's read-back said nothing about the bank.
    void aReadBackWithoutAnswerIsNoDifference() {
        SignRig clean;
        QVERIFY(clean.start());
        clean.image = newSettings();
        QVERIFY(clean.ops.write());
        const int readBack = frameOf(clean, "read addr 0A8000 count 4100");
        QVERIFY(readBack > 0);

        SignRig rig;
        QVERIFY(rig.start({"--die-after", n(readBack)}));
        rig.image = newSettings();
        QVERIFY(!rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::transmitError});
        QCOMPARE(rig.host.writeEnabled.last(), true);
        QVERIFY(!rig.port.isOpen());
    }

    // Frame 4 of a Write is the firmware identification.
    void aGarbledFirmwareIdentificationStopsTheWriteBeforeAnyErase() {
        SignRig garbled;
        QVERIFY(garbled.start({"--firmware", QStringLiteral("PO\x01SAG  2.52")}));
        const QByteArray before = garbled.memory();
        garbled.image = newSettings();
        QVERIFY(!garbled.ops.write());
        QCOMPARE(garbled.seam.shown, QStringList{"message: " + msg::doctor::firmwareGarbledWrite});
        QVERIFY(garbled.traffic(QStringLiteral("erase")).isEmpty());
        QCOMPARE(garbled.memory(), before);
        // The line check fails the same sign on the same finding.
        const DoctorReport report = LineDoctor(garbled.ex).run(garbled.sim.device());
        const DoctorCheck firmware = report.checks.value(5);
        QCOMPARE(firmware.id, QStringLiteral("firmware"));
        QCOMPARE(firmware.verdict, Verdict::Failed);
        QCOMPARE(firmware.text, msg::doctor::firmwareGarbled);

        // Garbled once on the line: asked again, and written.
        SignRig once;
        QVERIFY(once.start({"--garble-reply", "4"}));
        once.image = newSettings();
        QVERIFY(once.ops.write());
        QCOMPARE(once.seam.shown, QStringList{"message: " + msg::transmitSuccess});
    }

    void repairThatDidNotLandIsReported() {
        SignRig clean;
        QVERIFY(clean.start({"--init", "bank0-bad"}));
        QVERIFY(clean.ops.read());
        const int repairWrite = frameOf(clean, "write addr 088000");
        QVERIFY(repairWrite > 0);

        SignRig rig;
        QVERIFY(rig.start({"--init", "bank0-bad", "--write-ignored", n(repairWrite)}));
        const QByteArray bank1 = rig.bank(1);
        const ParamImage before = rig.image;
        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown, (QStringList{"message: " + msg::transmitError,
                                              "message: " + msg::bank0StillDamaged}));
        QVERIFY(rig.image == before);
        QCOMPARE(rig.bank(1), bank1);
        QVERIFY(!bankValid(rig.bank(0)));
    }
};

QTEST_GUILESS_MAIN(TestPagerFaults)
#include "tst_pager_faults.moc"
