// `ledsign ports/firmware/read/write/verify` run as a script would run them, against the
// simulated sign.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "core/Messages.h"

using namespace layout;

class TestCliDevice : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void readWriteVerifyRoundTrip_data() { onBothSigns(); }
    void readWriteVerifyRoundTrip() {
        SignRig rig;
        QVERIFY(rig.start(signOfRow()));
        const QString file = path("sign.tbl");
        Run r = ledsign(QStringList{"read", "-o", file} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::readSuccess});
        QCOMPARE(fileBytes(file), rig.bank(0).left(kImageSize));

        QByteArray edited = fileBytes(file);
        edited[kSequentialLock] = 42;
        QVERIFY(writeFileBytes(file, edited));
        r = ledsign(QStringList{"verify", file} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.startsWith("Verify Error! Htag = "));

        r = ledsign(QStringList{"write", file} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::transmitSuccess});
        QCOMPARE(quint8(rig.bank(0)[kSequentialLock]), quint8(42));
        QCOMPARE(rig.bank(0), rig.bank(1));

        r = ledsign(QStringList{"verify", file} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::verifySuccess});

        r = ledsign(QStringList{"firmware"} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{"Model : POCSAG  Version = 2.52"});
    }

    void questionsAreAnsweredNoUnlessYesIsGiven() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "erased"}));
        const QString file = path("default.tbl");
        QCOMPARE(ledsign({"new", "-f", file}).code, 0);
        const QByteArray before = rig.memory();

        Run r = ledsign(QStringList{"write", file} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), QStringList{msg::overwriteQuestion});
        QCOMPARE(rig.memory(), before);

        r = ledsign(QStringList{"write", file, "--yes"} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), (QStringList{msg::overwriteQuestion, msg::transmitSuccess}));
    }

    void readPasswordComesFromTheCommandLine() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "read-password=s3cret"}));
        const QString file = path("pw.tbl");
        QFile::remove(file);
        Run r = ledsign(QStringList{"read", "-o", file} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), QStringList{msg::readPasswordError});
        QVERIFY(!QFile::exists(file));

        r = ledsign(QStringList{"read", "-o", file, "--read-password", "s3cret"} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::readSuccess});
        QVERIFY(QFile::exists(file));
    }

    void pagerDataMergeIntoTheBase() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "pager"}));
        ParamImage base;
        base.set(kAirPassword, 'Z');
        base.set(kPowerUpOutputs, 0x5A);
        const QString baseFile = path("base.tbl");
        QVERIFY(writeFileBytes(baseFile, base.toByteArray()));
        const QString file = path("merged.tbl");

        const Run r = ledsign(QStringList{"read", "-o", file, "--base", baseFile} + rig.lineArgs());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), (QStringList{msg::readSuccess, msg::readPagerFormat}));
        ParamImage got;
        got.assign(fileBytes(file));
        QCOMPARE(got.capcode(0), 1111111u);
        QCOMPARE(got.at(kAirPassword), quint8('Z'));
        QCOMPARE(got.at(kPowerUpOutputs), quint8(0x5A));
        QCOMPARE(got.text(kModelTag, kModelTagLen), QStringLiteral("SIGN_PV02.43"));
    }

    void refusedTableIsNeverSent() {
        SignRig rig;
        QVERIFY(rig.start());
        QByteArray foreign = ParamImage().toByteArray();
        foreign.replace(kModelTag, 6, "OTHER_");
        const QString file = path("foreign.tbl");
        QVERIFY(writeFileBytes(file, foreign));
        const Run r = ledsign(QStringList{"write", file} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, msg::fileRefused(QFileInfo(file).absoluteFilePath()) + '\n');
        QVERIFY(rig.traffic("link").isEmpty());
    }

    void linkFailuresAndUsage() {
        const QString missing = path("ttyGone");
        Run r = ledsign({"firmware", "--port", missing, "--poll-ms", "5"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(),
                 (QStringList{msg::portInUse + " " + msg::portMissing, msg::boardNotFound}));

        QCOMPARE(ledsign({"verify", path("x.tbl")}).code, 2);   // no --port
        QCOMPARE(ledsign({"read", "--port", missing}).code, 2); // no -o
        QCOMPARE(ledsign({"firmware", "--port", missing, "--poll-ms", "0"}).code, 2);
    }

    void portsListsNamedPortsFirst() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LEDSIGN_PORTS", "/dev/ledsign-env");
        const Run r =
            ledsign({"ports", "--port", "/dev/ledsign-a", "--port", "/dev/ledsign-b"}, {{}, env});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines().mid(0, 3),
                 (QStringList{"/dev/ledsign-a", "/dev/ledsign-b", "/dev/ledsign-env"}));
    }
};

QTEST_GUILESS_MAIN(TestCliDevice)
#include "tst_cli_device.moc"
