// `ledsign commands` as a script runs it: command files, and Send against the simulated sign.
#include "SimulatedSign.h"
#include "core/Messages.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

struct Run {
    int code = -1;
    QString out, err;
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

Run ledsign(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LEDSIGN_CLI_PATH), QStringList{"commands"} + args);
    if (!p.waitForStarted(10000))
        return {};
    p.closeWriteChannel();
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        QCOMPARE(ledsign({"new", file_}).code, 0);
        QCOMPARE(ledsign({"new", file_}).code, 1); // exists
        QCOMPARE(ledsign({"new", "-f", file_}).code, 0);
        QVERIFY(bytes(file_).startsWith("[LED Sign]\r\nMKLEDTM=OFF\r\nMKLEDDT=OFF\r\n"));

        Run show = ledsign({"show", file_});
        QCOMPARE(show.code, 0);
        QCOMPARE(show.lines().size(), 34);
        QVERIFY(show.lines().last().contains("MKLEDMESG=Marovelkin Wireless LED Moving Sign..."));
        QVERIFY(marked(show).contains("MKLEDDATE"));

        QCOMPARE(ledsign({"set", file_, "MKLEDSPEED=3", "mkledtype=a", "MKLEDDATE=000000",
                          "MKLEDTIME=000000"})
                     .code,
                 0);
        const QByteArray saved = bytes(file_);
        QVERIFY(saved.contains("\r\nMKLEDSPEED=3\r\n") && saved.contains("\r\nMKLEDTYPE=a\r\n"));
        show = ledsign({"show", file_});
        QCOMPARE(marked(show), QStringList({"MKLEDTYPE", "MKLEDSPEED"}));

        // A code a coded list cannot take changes nothing.
        const Run bad = ledsign({"set", file_, "MKLEDSPEED=4", "MKLEDDTMD=Z"});
        QCOMPARE(bad.code, 1);
        QVERIFY2(bad.out.contains(msg::notInteger("Z")), qPrintable(bad.out));
        QCOMPARE(bytes(file_), saved);
        QCOMPARE(ledsign({"set", file_, "MKLEDNOPE=1"}).code, 2);
        QCOMPARE(ledsign({"set", file_, "MKLEDSPEED"}).code, 2);
        QCOMPARE(ledsign({"twiddle", file_}).code, 2);
    }

    void sendTransmitsTheChangedCommands() {
        QCOMPARE(ledsign({"new", file_}).code, 0);
        QCOMPARE(
            ledsign({"set", file_, "MKLEDSPEED=3", "MKLEDDATE=000000", "MKLEDTIME=000000"}).code,
            0);
        SignRig rig;
        QVERIFY(rig.start());
        const QStringList line{"--port", rig.link.portName, "--poll-ms", "5", "--pause-ms", "0",
                               "-q"};
        const Run kept =
            ledsign(QStringList{"send", "--keep-date-time"} + line + QStringList{file_});
        QCOMPARE(kept.code, 0);
        QCOMPARE(kept.lines(), QStringList{msg::sendSuccess});
        QCOMPARE(sentTexts(rig),
                 QStringList({"MKLEDDEFAULT", "MKLEDMESG=Marovelkin Wireless LED Moving Sign...",
                              "MKLEDSPEED=3"}));
        // Without --keep-date-time the clock's date and time go as well, in control order.
        const Run clock = ledsign(QStringList{"send"} + line + QStringList{file_});
        QCOMPARE(clock.code, 0);
        const QStringList texts = sentTexts(rig).mid(3);
        QCOMPARE(texts.size(), 5);
        QVERIFY(texts[2].startsWith("MKLEDDATE=") && texts[3].startsWith("MKLEDTIME="));
        QCOMPARE(texts[4], QStringLiteral("MKLEDSPEED=3"));
    }

    void noSignFailsAndUsageMistakes() {
        QCOMPARE(ledsign({"new", file_}).code, 0);
        QCOMPARE(ledsign({"send", file_}).code, 2); // no --port
        QCOMPARE(ledsign({"send", "--port", "/dev/null", "--pause-ms", "x", file_}).code, 2);
        SignRig rig;
        QVERIFY(rig.start());
        rig.sim.stop();
        const Run gone = ledsign(
            {"send", "--port", rig.link.portName, "--poll-ms", "5", "--pause-ms", "0", file_});
        QCOMPARE(gone.code, 1);
        QCOMPARE(ledsign({"show", dir_.filePath("missing.ini")}).code, 1);
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_cli_commands.moc"
