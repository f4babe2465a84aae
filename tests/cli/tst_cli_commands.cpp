// `ledsign commands` as a script runs it: command files, and Send against the simulated sign.
#include "LedsignRun.h"
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "core/Messages.h"

#include <QRegularExpression>

namespace {

Run commands(const QStringList& args) {
    return ledsign(QStringList{"commands"} + args);
}

// The texts of the display frames the sign took, in order, from its log.
QStringList sentTexts(const SignRig& rig) {
    QFile f(rig.log);
    QStringList texts;
    if (!f.open(QIODevice::ReadOnly))
        return texts;
    static const QRegularExpression text(QStringLiteral("text \"(.*)\" hex"));
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (!line.startsWith("display ") || line.contains("code 0x62"))
            continue;
        const auto m = text.match(QString::fromLatin1(line));
        if (m.hasMatch())
            texts << m.captured(1);
    }
    return texts;
}

QStringList marked(const Run& show) {
    QStringList keys;
    for (const QString& l : show.lines())
        if (l.startsWith(QLatin1String("* ")))
            keys << l.mid(2).section(QLatin1Char('='), 0, 0);
    return keys;
}

} // namespace

class TestCliCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;

  private slots:
    void init() {
        file_ = dir_.filePath(QStringLiteral("sign.ini"));
        QFile::remove(file_);
    }

    void newShowAndSetAsTheDialogWould() {
        QCOMPARE(commands({"new", file_}).code, 0);
        QCOMPARE(commands({"new", file_}).code, 1); // exists
        QCOMPARE(commands({"new", "-f", file_}).code, 0);
        QVERIFY(fileBytes(file_).startsWith("[LED Sign]\r\nMKLEDTM=OFF\r\nMKLEDDT=OFF\r\n"));

        Run show = commands({"show", file_});
        QCOMPARE(show.code, 0);
        QCOMPARE(show.lines().size(), 34);
        QVERIFY(show.lines().last().contains("MKLEDMESG=Marovelkin Wireless LED Moving Sign..."));
        QVERIFY(marked(show).contains("MKLEDDATE"));

        QCOMPARE(commands({"set", file_, "MKLEDSPEED=3", "mkledtype=a", "MKLEDDATE=000000",
                           "MKLEDTIME=000000"})
                     .code,
                 0);
        const QByteArray saved = fileBytes(file_);
        QVERIFY(saved.contains("\r\nMKLEDSPEED=3\r\n") && saved.contains("\r\nMKLEDTYPE=a\r\n"));
        show = commands({"show", file_});
        QCOMPARE(marked(show), QStringList({"MKLEDTYPE", "MKLEDSPEED"}));

        // A code a coded list cannot take changes nothing.
        const Run bad = commands({"set", file_, "MKLEDSPEED=4", "MKLEDDTMD=Z"});
        QCOMPARE(bad.code, 1);
        QVERIFY2(bad.out.contains(msg::notInteger("Z")), qPrintable(bad.out));
        QCOMPARE(fileBytes(file_), saved);
        QCOMPARE(commands({"set", file_, "MKLEDNOPE=1"}).code, 2);
        QCOMPARE(commands({"set", file_, "MKLEDSPEED"}).code, 2);
        QCOMPARE(commands({"twiddle", file_}).code, 2);
    }

    void sendTransmitsTheChangedCommands() {
        QCOMPARE(commands({"new", file_}).code, 0);
        QCOMPARE(
            commands({"set", file_, "MKLEDSPEED=3", "MKLEDDATE=000000", "MKLEDTIME=000000"}).code,
            0);
        SignRig rig;
        QVERIFY(rig.start());
        const QStringList line{"--port", rig.link.portName, "--poll-ms", "5", "--pause-ms", "0",
                               "-q"};
        const Run kept =
            commands(QStringList{"send", "--keep-date-time"} + line + QStringList{file_});
        QCOMPARE(kept.code, 0);
        QCOMPARE(kept.lines(), QStringList{msg::sendSuccess});
        QCOMPARE(sentTexts(rig),
                 QStringList({"MKLEDDEFAULT", "MKLEDMESG=Marovelkin Wireless LED Moving Sign...",
                              "MKLEDSPEED=3"}));
        // Without --keep-date-time the clock's date and time go as well, in control order.
        const Run clock = commands(QStringList{"send"} + line + QStringList{file_});
        QCOMPARE(clock.code, 0);
        const QStringList texts = sentTexts(rig).mid(3);
        QCOMPARE(texts.size(), 5);
        QVERIFY(texts[2].startsWith("MKLEDDATE=") && texts[3].startsWith("MKLEDTIME="));
        QCOMPARE(texts[4], QStringLiteral("MKLEDSPEED=3"));
    }

    void noSignFailsAndUsageMistakes() {
        QCOMPARE(commands({"new", file_}).code, 0);
        QCOMPARE(commands({"send", file_}).code, 2); // no --port
        QCOMPARE(commands({"send", "--port", "/dev/null", "--pause-ms", "x", file_}).code, 2);
        // A line nobody answers on, held open so no other test's sign can take its number.
        PtyPeer silent;
        QVERIFY(silent.ok());
        const Run gone =
            commands({"send", "--port", silent.path(), "--poll-ms", "5", "--pause-ms", "0", file_});
        QCOMPARE(gone.code, 1);
        QCOMPARE(commands({"show", dir_.filePath("missing.ini")}).code, 1);
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_cli_commands.moc"
