// Read and Check Firmware against the simulated sign: bank 0, the fall-back on bank 1 with
// the repair of bank 0, the read password, what the data turn out to be, and the link.
#include "SimulatedSign.h"
#include "core/Messages.h"

using namespace layout;

namespace {

const QString kReadSuccess = QStringLiteral("message: ") + msg::readSuccess;
const QString kUnsure = QStringLiteral("question: ") + msg::copyUnconfirmed;

// Something the sign does not have, so an unchanged image can be told apart.
void editLocally(ParamImage& image) {
    image.set(kSequentialLock, 77);
}

void corruptBody(QByteArray& memory, int bank) {
    const qsizetype at = wire::bankBase(bank) + kSequentialLock;
    memory[at] = char(memory[at] ^ 0x01);
}

} // namespace

class TestPagerRead : public QObject {
    Q_OBJECT

  private slots:
    void readsBank0_data() { onBothSigns(); }
    void readsBank0() {
        SignRig rig;
        QVERIFY(rig.start(signOfRow()));
        editLocally(rig.image);
        QVERIFY(rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kReadSuccess});
        QCOMPARE(rig.seam.statuses, (QStringList{msg::statusRead, msg::statusReady}));
        QCOMPARE(rig.image.toByteArray(), rig.bank(0).left(kImageSize));
        QCOMPARE(rig.clockStages(), QList<int>{131});
        QCOMPARE(rig.host.refreshes, 1);
        QCOMPARE(rig.host.writeEnabled, QList<bool>{true});
        QCOMPARE(rig.seam.progress, 0);
        QVERIFY(!rig.port.isOpen());
    }

    void damagedBank0IsRepairedFromBank1_data() { onBothSigns(); }
    void damagedBank0IsRepairedFromBank1() {
        SignRig rig;
        QVERIFY(rig.start(signOfRow({"--init", "bank0-bad"})));
        const QByteArray bank1 = rig.bank(1);
        QVERIFY(rig.bank(0) != bank1);

        QVERIFY(rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kReadSuccess});
        QCOMPARE(rig.seam.statuses, (QStringList{msg::statusRead, msg::statusWaiting,
                                                 msg::statusWaiting, msg::statusReady}));
        QCOMPARE(rig.bank(0), bank1);
        QCOMPARE(rig.bank(1), bank1);
        QCOMPARE(rig.image.toByteArray(), bank1.left(kImageSize));
        // Bank 0 read twice alike before it counts as damaged, bank 1 twice before it is copied.
        QCOMPARE(rig.clockStages(), (QList<int>{131, 131, 131, 131, 132}));
    }

    void bank1WithABadSumIsOnlyCopiedWhenConfirmed() {
        QByteArray memory = preparedMemory({"--init", "bank0-bad"});
        QVERIFY(!memory.isEmpty());
        corruptBody(memory, 1); // its tail still passes, its sum no longer does
        for (const bool yes : {false, true}) {
            SignRig rig;
            QVERIFY(rig.start({}, memory));
            editLocally(rig.image);
            const ParamImage before = rig.image;
            rig.seam.answers = {yes};

            QCOMPARE(rig.ops.read(), yes);
            QCOMPARE(rig.memory(), memory); // no repair from unconfirmed data
            if (yes) {
                QCOMPARE(rig.seam.shown, (QStringList{kUnsure, kReadSuccess}));
                QCOMPARE(rig.image.toByteArray(), bankIn(memory, 1).left(kImageSize));
            } else {
                QCOMPARE(rig.seam.shown, QStringList{kUnsure});
                QVERIFY(rig.image == before);
                QCOMPARE(rig.seam.status(), msg::statusReady);
                QVERIFY(!rig.port.isOpen());
            }
        }
    }

    void bothBanksUnusableAsksAboutBank0() {
        QByteArray memory = preparedMemory({"--init", "bank1-bad"});
        QVERIFY(!memory.isEmpty());
        corruptBody(memory, 0);
        for (const bool yes : {false, true}) {
            SignRig rig;
            QVERIFY(rig.start({}, memory));
            editLocally(rig.image);
            const ParamImage before = rig.image;
            rig.seam.answers = {yes};
            QCOMPARE(rig.ops.read(), yes);
            QCOMPARE(rig.seam.shown,
                     yes ? (QStringList{kUnsure, kReadSuccess}) : QStringList{kUnsure});
            QCOMPARE(rig.image.toByteArray(),
                     yes ? bankIn(memory, 0).left(kImageSize) : before.toByteArray());
        }
    }

    void failedReadOfBank1LeavesEverythingAsItWas() {
        // Frames: link, probe, link, clock, bank 0, clock, bank 0, bank 1's tail, clock,
        // bank 1 (10).
        SignRig rig;
        QVERIFY(rig.start({"--init", "bank0-bad", "--nak", "10"}));
        const QByteArray before = rig.memory();
        editLocally(rig.image);
        const ParamImage image = rig.image;

        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{"message: " + msg::transmitError});
        QVERIFY(rig.image == image);
        QCOMPARE(rig.memory(), before);
        QVERIFY(!rig.port.isOpen());
    }

    void readPassword_data() {
        QTest::addColumn<std::optional<QString>>("entered");
        QTest::addColumn<bool>("taken");
        QTest::newRow("right") << std::optional<QString>(QStringLiteral("s3cret")) << true;
        QTest::newRow("wrong case") << std::optional<QString>(QStringLiteral("S3cret")) << false;
        QTest::newRow("longer") << std::optional<QString>(QStringLiteral("s3cret1")) << false;
        QTest::newRow("empty") << std::optional<QString>(QString()) << false;
        QTest::newRow("cancelled") << std::optional<QString>() << false;
    }
    void readPassword() {
        QFETCH(std::optional<QString>, entered);
        QFETCH(bool, taken);
        SignRig rig;
        QVERIFY(rig.start({"--init", "read-password=s3cret"}));
        editLocally(rig.image);
        const ParamImage before = rig.image;
        rig.seam.inputs = {entered};

        QCOMPARE(rig.ops.read(), taken);
        const QString asked =
            "input: " + msg::readPasswordCaption + " / " + msg::readPasswordPrompt;
        if (taken) {
            QCOMPARE(rig.seam.shown, (QStringList{asked, kReadSuccess}));
            QCOMPARE(rig.image.text(kReadPassword, kPasswordLen), QStringLiteral("s3cret"));
        } else {
            QCOMPARE(rig.seam.shown, (QStringList{asked, "message: " + msg::readPasswordError}));
            QVERIFY(rig.image == before);
            QCOMPARE(rig.host.writeEnabled, QList<bool>{true});
            QVERIFY(!rig.port.isOpen());
        }
    }

    void pagerReceiverDataOnlyGiveCapcodesAndFrequency() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "pager"}));
        const ParamImage before = rig.image;
        QVERIFY(rig.ops.read());
        QCOMPARE(rig.seam.shown, (QStringList{kReadSuccess, "message: " + msg::readPagerFormat}));
        QCOMPARE(rig.image.capcode(0), 1111111u);
        QCOMPARE(rig.image.at(kSequentialLock), quint8(9));
        // The serial output, passwords and outputs stay this tool's own.
        QCOMPARE(rig.image.text(kAirPassword, kPasswordLen),
                 before.text(kAirPassword, kPasswordLen));
        QCOMPARE(rig.image.text(kModelTag, kModelTagLen), QStringLiteral("SIGN_PV02.43"));
        QCOMPARE(rig.host.refreshes, 1);
    }

    void foreignDataAreDiscarded() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "foreign"}));
        editLocally(rig.image);
        const ParamImage before = rig.image;
        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown, (QStringList{kReadSuccess, "message: " + msg::readRefused}));
        QVERIFY(rig.image == before);
        QCOMPARE(rig.host.refreshes, 0);
        QCOMPARE(rig.seam.status(), msg::statusReady);
    }

    void failedSecondHandshakeStillReads() {
        SignRig rig;
        QVERIFY(rig.start({"--nak", "3"}));
        editLocally(rig.image);
        QVERIFY(rig.ops.read());
        QCOMPARE(rig.seam.shown, QStringList{kReadSuccess});
        QVERIFY(rig.ops.checkFirmware());
    }

    void portThatCannotBeOpened() {
        SignRig rig;
        rig.link.portName = rig.dir.filePath(QStringLiteral("no-such-tty"));
        QVERIFY(!rig.ops.read());
        QCOMPARE(rig.seam.shown,
                 (QStringList{"message: " + msg::portInUse + "\n" + msg::portMissing,
                              "message: " + msg::boardNotFound}));
        QCOMPARE(rig.seam.statuses, (QStringList{msg::statusError, msg::statusReady}));
        QVERIFY(rig.link.cancelled);
    }

    void checkFirmwareBeforeAnyConnection() {
        SignRig rig; // no port chosen yet
        QVERIFY(!rig.ops.checkFirmware());
        QCOMPARE(rig.seam.shown.size(), 2);
        QVERIFY(rig.seam.shown[0].startsWith("message: " + msg::portInUse + "\n"));
        QCOMPARE(rig.seam.shown[1], "message: " + msg::boardNotFound);
    }

    void firmwareIdentification_data() {
        addSignColumn();
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shown");
        for (const bool foreign : {false, true}) {
            newSignRow(foreign, "default") << QStringList{} << "Model : POCSAG  Version = 2.52";
            newSignRow(foreign, "characters 7-8 unused")
                << QStringList{"--firmware", "POCSAGxy1.23"} << "Model : POCSAG  Version = 1.23";
            newSignRow(foreign, "short")
                << QStringList{"--firmware", "ABC"} << "Model : ABC  Version = ";
            newSignRow(foreign, "erased")
                << QStringList{"--firmware", "erased"} << msg::firmwareOld;
            // Frame 4 is the identification read: no reply arrives.
            newSignRow(foreign, "no reply") << QStringList{"--nak", "4"} << msg::readErrorFirmware;
        }
    }
    void firmwareIdentification() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, shown);
        SignRig rig;
        QVERIFY(rig.start(signOfRow(arguments)));
        QCOMPARE(rig.ops.checkFirmware(), shown != msg::readErrorFirmware);
        QCOMPARE(rig.seam.shown.last(), "message: " + shown);
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.seam.progress, 0);
    }
};

QTEST_GUILESS_MAIN(TestPagerRead)
#include "tst_pager_read.moc"
