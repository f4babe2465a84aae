// Write and Verify against the simulated sign: bank order, read-back, refusals, and what the
// sign's memory holds afterwards.
#include "SimulatedSign.h"
#include "core/Messages.h"

using namespace layout;

namespace {

const QString kSuccess = QStringLiteral("message: ") + msg::transmitSuccess;

QStringList erases(const SignRig& rig) {
    return rig.traffic(QStringLiteral("erase"));
}

// An edit the sign does not have yet; returns the banks a write must leave.
QByteArray editAndSeal(ParamImage& image) {
    image.set(kSequentialLock, 42);
    ParamImage copy = image;
    return copy.sealForSending();
}

} // namespace

class TestPagerWrite : public QObject {
    Q_OBJECT

  private slots:
    void bothBanksValidWritesBank1First_data() { onBothSigns(); }
    void bothBanksValidWritesBank1First() {
        SignRig rig;
        QVERIFY(rig.start(signOfRow()));
        const QByteArray sealed = editAndSeal(rig.image);

        QVERIFY(rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{kSuccess});
        QCOMPARE(rig.seam.statuses,
                 (QStringList{msg::statusVerify, msg::statusErase, msg::statusWrite,
                              msg::statusRead, msg::statusWaiting, msg::statusWaiting,
                              msg::statusWaiting, msg::statusReady}));
        QCOMPARE(erases(rig), (QStringList{"erase addr 0A8000", "erase addr 0B0000",
                                           "erase addr 088000", "erase addr 090000"}));
        QCOMPARE(rig.traffic(QStringLiteral("write")),
                 (QStringList{"write addr 0A8000 len 2054", "write addr 0A8802 len 2054",
                              "write addr 088000 len 2054", "write addr 088802 len 2054"}));
        QCOMPARE(rig.clockStages(), (QList<int>{132, 131, 132, 131, 133}));
        QCOMPARE(rig.bank(0), sealed);
        QCOMPARE(rig.bank(1), sealed);
        // The image carries the checksum it was sent with.
        QCOMPARE(rig.image.toByteArray(), sealed.left(kImageSize));
        QCOMPARE(rig.host.collects, 1);
        QCOMPARE(rig.host.writeEnabled, (QList<bool>{false, true}));
        QCOMPARE(rig.seam.progress, 0);
        QVERIFY(!rig.port.isOpen());

        rig.seam.clear();
        QVERIFY(rig.ops.verify());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::verifySuccess});
    }

    void onlyBank1ValidWritesBank0First() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "bank0-bad"}));
        const QByteArray sealed = editAndSeal(rig.image);

        QVERIFY(rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{kSuccess});
        QCOMPARE(erases(rig), (QStringList{"erase addr 088000", "erase addr 090000",
                                           "erase addr 0A8000", "erase addr 0B0000"}));
        QCOMPARE(rig.bank(0), sealed);
        QCOMPARE(rig.bank(1), sealed);
    }

    void bothBanksErasedAsksBeforeOverwriting() {
        for (const bool yes : {false, true}) {
            SignRig rig;
            QVERIFY(rig.start({"--init", "erased"}));
            const QByteArray before = rig.memory();
            const QByteArray sealed = editAndSeal(rig.image);
            rig.seam.answers = {yes};

            QCOMPARE(rig.ops.write(), yes);
            const QString question = "question: " + msg::overwriteQuestion;
            if (!yes) {
                QCOMPARE(rig.seam.shown, QStringList{question});
                QCOMPARE(rig.memory(), before);
                QCOMPARE(rig.seam.status(), msg::statusReady);
                QCOMPARE(rig.host.writeEnabled, (QList<bool>{false, true}));
                QVERIFY(!rig.port.isOpen());
                continue;
            }
            QCOMPARE(rig.seam.shown, (QStringList{question, kSuccess}));
            QCOMPARE(erases(rig).first(), QStringLiteral("erase addr 0A8000"));
            QCOMPARE(rig.bank(0), sealed);
            QCOMPARE(rig.bank(1), sealed);
        }
    }

    void flexFirmwareIsNeverProgrammed() {
        // The banks are still asked for after the refusal, and may raise the question.
        SignRig rig;
        QVERIFY(rig.start({"--init", "erased", "--firmware", "FLEX    1.05"}));
        const QByteArray before = rig.memory();
        editAndSeal(rig.image);
        rig.seam.answers = {true};

        QVERIFY(!rig.ops.write());
        QCOMPARE(rig.seam.shown, (QStringList{"message: " + msg::notPocsag,
                                              "question: " + msg::overwriteQuestion}));
        QCOMPARE(rig.memory(), before);
        QVERIFY(erases(rig).isEmpty());
        QCOMPARE(rig.seam.status(), msg::statusReady);
    }

    void oldFirmwareIsProgrammed() {
        SignRig rig;
        QVERIFY(rig.start({"--firmware", "erased"}));
        const QByteArray sealed = editAndSeal(rig.image);
        QVERIFY(rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{kSuccess});
        QCOMPARE(rig.bank(1), sealed);
    }

    void refusedEraseAbandonsTheBankAndSparesTheOther() {
        // Frame 9 is the first erase (link, probe, link, firmware, two tails, bank 0, clock).
        SignRig rig;
        QVERIFY(rig.start({"--nak", "9"}));
        const QByteArray before = rig.memory();
        editAndSeal(rig.image);

        QVERIFY(!rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::transmitError});
        QCOMPARE(rig.seam.status(), msg::statusReadyDots);
        QVERIFY(rig.traffic(QStringLiteral("write")).isEmpty());
        QCOMPARE(rig.bank(0), bankIn(before, 0));
        QCOMPARE(rig.bank(1), bankIn(before, 1));
        QCOMPARE(rig.host.writeEnabled.last(), true);
        QVERIFY(!rig.port.isOpen());
    }

    void failedSecondHandshakeDoesNotSpoilTheOperation() {
        // Frame 3 is the second link request of the handshake.
        SignRig rig;
        QVERIFY(rig.start({"--nak", "3"}));
        const QByteArray sealed = editAndSeal(rig.image);
        QVERIFY(rig.ops.write());
        QCOMPARE(rig.seam.shown, QStringList{kSuccess});
        QCOMPARE(rig.bank(0), sealed);

        rig.sim.stop();
        QVERIFY(rig.start({"--nak", "3"}));
        rig.seam.clear();
        QVERIFY(rig.ops.verify());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::verifySuccess});
    }

    void verifyAfterAnEditReportsTheSequence_data() { onBothSigns(); }
    void verifyAfterAnEditReportsTheSequence() {
        SignRig rig;
        QVERIFY(rig.start(signOfRow()));
        // The image's checksum slot (never sealed here) is not compared.
        QVERIFY(rig.ops.verify());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::verifySuccess});
        QCOMPARE(rig.seam.statuses,
                 (QStringList{msg::statusVerify, msg::statusRead, msg::statusReady}));

        rig.seam.clear();
        rig.image.set(kSequentialLock, 7);
        QVERIFY(!rig.ops.verify());
        QCOMPARE(rig.seam.shown,
                 QStringList{"message: " + msg::verifyErrorHtag(rig.ex.sequence())});
        QVERIFY(rig.seam.shown.first().startsWith("message: Verify Error! Htag = "));
        QCOMPARE(rig.seam.status(), msg::statusRead);
        QCOMPARE(rig.clockStages(), (QList<int>{131, 131, 133}));
        QCOMPARE(rig.host.collects, 2);
        QCOMPARE(rig.host.writeEnabled, (QList<bool>{false, true, false, true}));
    }

    void nothingStartsWhileAnotherExchangeRuns() {
        SignRig rig;
        QVERIFY(rig.start());
        {
            Exchange::Hold hold(rig.ex);
            QVERIFY(!rig.ops.write());
            QVERIFY(!rig.ops.verify());
            QVERIFY(!rig.ops.read());
            QVERIFY(!rig.ops.checkFirmware());
        }
        QVERIFY(rig.seam.shown.isEmpty());
        QVERIFY(rig.traffic(QStringLiteral("link")).isEmpty());
        QVERIFY(rig.ops.checkFirmware());
    }
};

QTEST_GUILESS_MAIN(TestPagerWrite)
#include "tst_pager_write.moc"
