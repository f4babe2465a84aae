// The command line on a bad day: a sign that goes away, a port that is no serial line, a file
// name the locale cannot spell. Every failure says what happened.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "core/Messages.h"

class TestCliBadLine : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

  private slots:
    void aVanishedSignIsReported() {
        SignRig rig;
        QVERIFY(rig.start({"--die-after", "2"}));
        const QString file = dir_.filePath("out.tbl");
        const Run r = ledsign(QStringList{"read", "-o", file} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), QStringList{msg::transmitError});
        QVERIFY(!QFile::exists(file));
    }

    void writeAsksNothingOfAVanishedSign() {
        SignRig rig;
        QVERIFY(rig.start({"--init", "erased", "--die-after", "4"}));
        const QString file = dir_.filePath("default.tbl");
        QCOMPARE(ledsign({"new", "-f", file}).code, 0);
        const Run r = ledsign(QStringList{"write", file, "--yes"} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), (QStringList{msg::transmitError, msg::transmitError}));
    }

    // A trace that could not be written in full fails the command, whose own result stands.
    void aTraceLostToAFullDiskIsReported() {
        if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("no writable /dev/full to stand for a full disk");
        SignRig rig;
        QVERIFY(rig.start());
        const Run r = ledsign(QStringList{"firmware", "--trace", "/dev/full"} + rig.lineArgs());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.lines(), QStringList{msg::firmwareId("POCSAG", "2.52")});
        QVERIFY2(r.err.contains(msg::trace::incomplete) && r.err.contains("/dev/full"),
                 qPrintable(r.err));
    }

    void aPortThatIsNoSerialLine() {
        for (const QString& port : {dir_.path(), QStringLiteral("/dev/null")}) {
            const Run r = ledsign({"firmware", "--port", port, "--poll-ms", "5", "-q"});
            QCOMPARE(r.code, 1);
            QCOMPARE(r.lines(), (QStringList{msg::portOpenError + " " + msg::portNotSerial,
                                             msg::boardNotFound}));
        }
    }

    // QProcess passes arguments through the locale's encoding, so the shell spells the name.
    void aNameTheLocaleCannotSpellIsRefused() {
        QTemporaryDir here;
        for (const char* command : {"new", "check"}) {
            QProcess p;
            p.setWorkingDirectory(here.path());
            p.start(QStringLiteral("/bin/sh"),
                    {"-c",
                     QStringLiteral("exec \"$0\" %1 \"$(printf 'sign\\351.tbl')\"")
                         .arg(QLatin1String(command)),
                     QStringLiteral(LEDSIGN_CLI_PATH)});
            const Run r = finish(p);
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains("sign\\xE9.tbl"), qPrintable(r.err));
            QCOMPARE(QDir(here.path()).entryList(QDir::Files), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestCliBadLine)
#include "tst_cli_badline.moc"
