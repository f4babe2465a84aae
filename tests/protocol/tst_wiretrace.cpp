// The wire trace against the simulated sign: the same frames and answers, in the same order,
// as the sign saw them, with the passwords kept out.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/WireTrace.h"

#include <QRegularExpression>

using namespace layout;

namespace {

// "tool write 88000 138", "sign ack 138", "sign reply 88000 141": who, what, where, sequence.
QStringList simulatorEvents(const QString& log) {
    static const QRegularExpression in(
        QStringLiteral(R"(^in \d+ bytes frame \d+ seq (\d+) (\S+)(?: addr ([0-9A-F]+))?)"));
    static const QRegularExpression answer(
        QStringLiteral(R"(^out \d+ bytes (ack|nak|reply) seq (\d+)(?: addr ([0-9A-F]+))?)"));
    QStringList events;
    for (const QString& l : QString::fromLatin1(fileBytes(log)).split(QLatin1Char('\n'))) {
        auto m = in.match(l);
        const bool out = !m.hasMatch();
        if (out)
            m = answer.match(l);
        if (!m.hasMatch())
            continue;
        const QString what = m.captured(out ? 1 : 2), seq = m.captured(out ? 2 : 1);
        const QString addr = QString::number(m.captured(3).toUInt(nullptr, 16), 16).toUpper();
        events << (out ? QStringLiteral("sign ") : QStringLiteral("tool ")) + what +
                      (m.captured(3).isEmpty() ? QString() : QLatin1Char(' ') + addr) +
                      QLatin1Char(' ') + seq;
    }
    return events;
}

QStringList traceEvents(const QString& trace) {
    static const QRegularExpression line(QStringLiteral(
        R"(^ *\d+ ms  (tool|sign) -> \S+ +(.*?)(?: 0x([0-9A-F]+)[^ ]*)?(?: \d+ bytes)? seq (\d+))"));
    static const QRegularExpression reply(QStringLiteral(
        R"(^ *\d+ ms  sign -> tool  reply of \d+ bytes from 0x([0-9A-F]+) seq (\d+))"));
    QStringList events;
    for (const QString& l : trace.split(QLatin1Char('\n'))) {
        if (const auto r = reply.match(l); r.hasMatch()) {
            events << QStringLiteral("sign reply ") + r.captured(1) + QLatin1Char(' ') +
                          r.captured(2);
            continue;
        }
        const auto m = line.match(l);
        if (!m.hasMatch())
            continue;
        QString what = m.captured(2).section(QLatin1Char(' '), 0, 0);
        if (m.captured(2).startsWith(QLatin1String("negative")))
            what = QStringLiteral("nak");
        else if (what == QLatin1String("acknowledgement"))
            what = QStringLiteral("ack");
        events << m.captured(1) + QLatin1Char(' ') + what +
                      (m.captured(3).isEmpty() ? QString() : QLatin1Char(' ') + m.captured(3)) +
                      QLatin1Char(' ') + m.captured(4);
    }
    return events;
}

} // namespace

class TestWireTrace : public QObject {
    Q_OBJECT

  private slots:
    void writeIsTracedFrameByFrameWithThePasswordsMasked_data() { onBothSigns(); }
    void writeIsTracedFrameByFrameWithThePasswordsMasked() {
        SignRig rig;
        const QString path = rig.dir.filePath(QStringLiteral("trace.txt"));
        WireTrace trace(path);
        rig.ex.setTrace(&trace);
        // The closing clock frame refused: the one negative acknowledgement.
        QVERIFY(rig.start(signOfRow({QStringLiteral("--nak"), QStringLiteral("22")})));
        const QByteArray secret("SECRET12");
        for (int i = 0; i < secret.size(); ++i) {
            rig.image.set(kReadPassword + i, quint8(secret[i]));
            rig.image.set(kAirPassword + i, quint8(secret[i]));
        }

        // The function-code passwords' lengths tell as much as their characters.
        rig.image.set(kFcPassword1Len, 3);
        rig.image.set(kFcPassword2Len, 7);

        rig.ops.write();
        rig.sim.stop();
        trace.flush();
        const QString text = QString::fromLatin1(fileBytes(path));

        const QStringList expected = simulatorEvents(rig.log);
        QVERIFY(expected.size() > 20);
        QVERIFY(expected.contains(QStringLiteral("sign nak 150")));
        QCOMPARE(traceEvents(text), expected);
        QVERIFY(text.contains(QLatin1String("port          opened ") + rig.sim.device()));
        QVERIFY(text.contains(QLatin1String("port          closed ")));
        QVERIFY(text.contains(QLatin1String("write 0xA8000 2054 bytes seq")));

        // The passwords went out in the write frames and came back in the read-back: masked
        // both times, in every bank.
        QVERIFY(!text.contains(QLatin1String("53 45 43 52 45 54")));
        QVERIFY(!text.contains(QLatin1String("SECRET")));
        const QString masked = QStringLiteral("** ** ** ** ** ** ** ** ** **");
        QVERIFY(text.count(masked) >= 2 * 2);
        // Length byte and ten characters, twice over: 22 bytes in a row.
        QVERIFY(text.contains(QString(QStringLiteral("** ")).repeated(21) + QStringLiteral("**")));
        QFile f(path);
        QCOMPARE(f.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }

    void timeOutNamesThePolls() {
        QTemporaryDir dir;
        PtyPeer peer; // nobody answers
        TCommPort port;
        ScriptedSeam seam;
        Exchange ex(port, seam);
        useQuickLinkTiming(ex);
        WireTrace trace(dir.filePath(QStringLiteral("t.txt")));
        ex.setTrace(&trace);
        LinkState link{peer.path()};
        QVERIFY(!LinkToSign(ex, link));
        trace.flush();
        const QString text = QString::fromLatin1(fileBytes(trace.path()));
        QVERIFY2(text.contains(QLatin1String(
                     "sign -> tool  time-out after 30 polls waiting for an acknowledgement")),
                 qPrintable(text));
        QVERIFY(text.contains(QLatin1String("tool -> sign  link seq 129")));
    }

    void portThatWillNotOpenIsTracedWithTheReason() {
        QTemporaryDir dir;
        TCommPort port;
        ScriptedSeam seam;
        Exchange ex(port, seam);
        WireTrace trace(dir.filePath(QStringLiteral("t.txt")));
        ex.setTrace(&trace);
        LinkState link{dir.filePath(QStringLiteral("no-such-port"))};
        QVERIFY(!LinkToSign(ex, link));
        trace.flush();
        const QString text = QString::fromLatin1(fileBytes(trace.path()));
        QVERIFY2(text.contains(QLatin1String("port          error ") + link.portName) &&
                     text.contains(QLatin1String("(No such file or directory)")),
                 qPrintable(text));
    }

    // A trace path laid by someone else: a link is never followed, and a file that was there
    // is made private before anything is written into it.
    void traceFileIsNeverALinkAndAlwaysPrivate() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("target"));
        QVERIFY(writeFileBytes(target, "keep"));
        const QString link = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(target, link));
        WireTrace throughLink(link);
        QString why;
        QVERIFY(!throughLink.open(&why));
        QCOMPARE(why, msg::trace::symbolicLink);
        QCOMPARE(fileBytes(target), QByteArray("keep"));

        const QString open = dir.filePath(QStringLiteral("open.txt"));
        QVERIFY(writeFileBytes(open, "old"));
        QVERIFY(QFile::setPermissions(open, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
        WireTrace existing(open);
        QVERIFY(existing.open());
        QCOMPARE(QFile(open).permissions() & 0x0077, QFileDevice::Permissions());
        QCOMPARE(fileBytes(open), QByteArray());

        // The window's folder: a link in its place keeps every trace out.
        QTemporaryDir home, elsewhere;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        QVERIFY(QDir().mkpath(QFileInfo(sessiontrace::folder()).path()));
        QVERIFY(QFile::link(elsewhere.path(), sessiontrace::folder()));
        WireTrace session(sessiontrace::newPath());
        session.setBeforeCreate([] { return sessiontrace::prepareFolder(); });
        QVERIFY(!session.open());
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
        qunsetenv("XDG_DATA_HOME");
    }

    void sessionFolderIsPrivateAndKeepsTheNewest() {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        QVERIFY(sessiontrace::folder().startsWith(home.path()));
        QVERIFY(sessiontrace::makeFolder());
        QDir folder(sessiontrace::folder());
        for (int i = 0; i < 25; ++i) {
            const QString name =
                folder.filePath(QStringLiteral("trace-%1.txt").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(writeFileBytes(name, "x"));
            QFile f(name);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(i - 100),
                                  QFileDevice::FileModificationTime));
        }
        WireTrace trace(sessiontrace::newPath());
        trace.setBeforeCreate([] { return sessiontrace::prepareFolder(); });
        QVERIFY(trace.open());
        const QStringList left = folder.entryList({QStringLiteral("trace-*.txt")}, QDir::Files);
        QCOMPARE(left.size(), sessiontrace::kKeep);
        QVERIFY(!left.contains(QStringLiteral("trace-05.txt")));
        QVERIFY(left.contains(QStringLiteral("trace-06.txt")));
        QCOMPARE(QFileInfo(folder.path()).permissions() & 0x0077, QFileDevice::Permissions());
        qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_GUILESS_MAIN(TestWireTrace)
#include "tst_wiretrace.moc"
