// `ledsign alpha` as a script runs it, against the simulated sign.
#include "LedsignRun.h"
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "core/Messages.h"

namespace {

// The display frames the sign took, as its log describes them.
QStringList displayLines(const SignRig& rig) {
    QFile f(rig.log);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("display ") && !line.contains("code 0x62"))
            out << QString::fromLatin1(line);
    return out;
}

} // namespace

class TestCliAlpha : public QObject {
    Q_OBJECT

    QStringList line(const SignRig& rig) const {
        return rig.lineArgs() + QStringList{"--pause-ms", "0"};
    }

  private slots:
    void textFromStandardInput() {
        SignRig rig;
        QVERIFY(rig.start());
        const Run r = ledsign(QStringList{"alpha"} + line(rig) + QStringList{"-"},
                              RunWith::stdinText("hello\nthere\n"));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::sendSuccess});
        const QStringList shown = displayLines(rig);
        QCOMPARE(shown.size(), 1);
        // Line ends become CR LF; the one closing the input is dropped.
        QVERIFY2(shown[0].contains(" class 0 code 0x61 ") &&
                     shown[0].endsWith("hex 68 65 6C 6C 6F 0D 0A 74 68 65 72 65"),
                 qPrintable(shown[0]));
    }

    void idRussianAndHexFromTheCommandLine() {
        SignRig rig;
        QVERIFY(rig.start());
        const Run r = ledsign(QStringList{"alpha", "--id", "7", "--russian", "--hex"} + line(rig) +
                              QStringList{"414243"});
        QCOMPARE(r.code, 0);
        const QStringList shown = displayLines(rig);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(" class 7 code 0x72 ") && shown[0].endsWith("hex 41 42 43"),
                 qPrintable(shown[0]));
        // Without a text the dialog's sample goes.
        const Run sample = ledsign(QStringList{"alpha"} + line(rig));
        QCOMPARE(sample.code, 0);
        QVERIFY(displayLines(rig).last().endsWith("text \"Alpha\" hex 41 6C 70 68 61"));
    }

    void refusedMessagesFailWithTheDialogsMessage() {
        SignRig rig;
        QVERIFY(rig.start());
        const Run badId = ledsign(QStringList{"alpha", "--id", "x1"} + line(rig));
        QCOMPARE(badId.code, 1);
        QVERIFY2(badId.err.contains(msg::notInteger("x1")), qPrintable(badId.err));
        const Run badHex = ledsign(QStringList{"alpha", "--hex"} + line(rig) + QStringList{"2G"});
        QCOMPARE(badHex.code, 1);
        QVERIFY2(badHex.err.contains(msg::notInteger("0x2G")), qPrintable(badHex.err));
        QVERIFY(displayLines(rig).isEmpty());
    }

    void usageAndAMissingSign() {
        QCOMPARE(ledsign({"alpha", "Alpha"}).code, 2); // no --port
        QCOMPARE(ledsign({"alpha", "--port", "/dev/null", "--pause-ms", "x"}).code, 2);
        QCOMPARE(ledsign({"alpha", "--port", "/dev/null", "a", "b"}).code, 2);
        // A line nobody answers on, held open so no other test's sign can take its number.
        PtyPeer silent;
        QVERIFY(silent.ok());
        const Run gone =
            ledsign({"alpha", "--port", silent.path(), "--poll-ms", "5", "--pause-ms", "0", "-q"});
        QCOMPARE(gone.code, 1);
        QCOMPARE(gone.lines(), QStringList{msg::boardNotFound});
    }
};

QTEST_GUILESS_MAIN(TestCliAlpha)
#include "tst_cli_alpha.moc"
