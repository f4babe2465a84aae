// The backups of what was read from a sign, `ledsign backups`, `diff --port`, `write
// --skip-unchanged`, and a Verify that names what differs, against the simulated sign.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "backup/Backups.h"
#include "core/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace layout;

namespace {
constexpr QFile::Permissions kOwner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

SignReading readingOf(quint32 capcode1, const QString& port = QStringLiteral("/dev/ttyUSB0")) {
    ParamImage image;
    image.setCapcode(0, capcode1);
    return {port, QStringLiteral("read"), {}, 1, image.toByteArray()};
}
} // namespace

class TestCliBackups : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Each test keeps its backups in a folder of its own.
    RunWith in(const QString& dataHome) const {
        RunWith w;
        w.env = QProcessEnvironment::systemEnvironment();
        w.env.insert("XDG_DATA_HOME", dataHome);
        return w;
    }
    QString makeTable(const QString& name, quint32 capcode1) {
        const QString file = path(name);
        if (ledsign({"new", "-f", file}).code != 0)
            return {};
        ParamImage image;
        image.assign(fileBytes(file));
        image.setCapcode(0, capcode1);
        writeFileBytes(file, image.toByteArray());
        return file;
    }

  private slots:
    void writeKeepsWhatTheSignHeldEvenWhenCut() {
        const QString home = path("home-cut");
        const QString newer = makeTable("new.tbl", 1987654);
        SignRig probe; // the frames of a whole Write, to cut at its first erase
        QVERIFY(probe.start());
        QCOMPARE(ledsign(QStringList{"write", newer} + probe.lineArgs(), in(path("probe"))).code,
                 0);
        const QStringList frames = probe.traffic("frame");
        int firstErase = 0;
        for (int i = 0; i < frames.size() && !firstErase; ++i)
            if (frames[i].contains(" erase "))
                firstErase = i + 1;
        QVERIFY(firstErase > 0);

        SignRig rig;
        QVERIFY(rig.start({"--die-after", QString::number(firstErase)}));
        const QByteArray old = rig.bank(0).left(kSummedBytes);
        QCOMPARE(ledsign(QStringList{"write", newer} + rig.lineArgs(), in(home)).code, 1);

        const Run list = ledsign({"backups"}, in(home));
        QCOMPARE(list.code, 0);
        QCOMPARE(list.lines().size(), 2);
        QCOMPARE(list.lines().first(), msg::cli::backupsHeader);
        const QStringList fields = list.lines().at(1).split('\t');
        QCOMPARE(fields.size(), 6);
        QCOMPARE(fields[2], QStringLiteral("before write"));
        QCOMPARE(fields[3], QStringLiteral("1234567"));
        QCOMPARE(fields[4], QStringLiteral("Model : POCSAG  Version = 2.52"));
        QCOMPARE(fileBytes(fields[5]).left(kSummedBytes), old);
        QVERIFY(QFileInfo(fields[5]).fileName().contains("-capcode1-1234567"));
        // Private: nothing for the group or others; the file read-only.
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(fields[5]).permissions() & (others | kOwner), QFile::ReadOwner);
        const Run folder = ledsign({"backups", "--path"}, in(home));
        QCOMPARE(folder.lines(), QStringList{home + "/ledsign-programmer/backups"});
        QCOMPARE(QFileInfo(folder.lines().first()).permissions() & others, QFile::Permissions());
    }

    void unwritableBackupFolderLeavesTheSignUntouched() {
        const QString home = path("readonly");
        QVERIFY(QDir().mkpath(home));
        QFile::setPermissions(home, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(home).isWritable())
            QSKIP("running with rights that ignore folder permissions");
        SignRig rig;
        QVERIFY(rig.start());
        const QByteArray before = rig.memory();
        const Run r =
            ledsign(QStringList{"write", makeTable("x.tbl", 1987654)} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.contains("could not be backed up"));
        QCOMPARE(rig.memory(), before);
        QVERIFY(rig.traffic("erase").isEmpty());
        // Without the backup the Write goes ahead.
        QCOMPARE(
            ledsign(QStringList{"write", "--no-backup", path("x.tbl")} + rig.lineArgs(), in(home))
                .code,
            0);
        QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void diffWithTheSignAndSkipUnchanged() {
        const QString home = path("home-diff");
        const QString newer = makeTable("new2.tbl", 1987654);
        SignRig rig;
        QVERIFY(rig.start());
        Run r = ledsign(QStringList{"diff", newer} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains("1987654") && r.out.contains("1234567"), qPrintable(r.out));

        r = ledsign(QStringList{"verify", newer} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 1);
        QVERIFY(r.lines().size() >= 2);
        QVERIFY(r.lines().at(1).contains("1234567 -> 1987654"));

        QCOMPARE(ledsign(QStringList{"write", newer} + rig.lineArgs(), in(home)).code, 0);
        QCOMPARE(ledsign(QStringList{"diff", newer} + rig.lineArgs(), in(home)).code, 0);
        const qsizetype writes = rig.traffic("write").size();
        r = ledsign(QStringList{"write", "--skip-unchanged", newer} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines(), QStringList{msg::signAlreadyHolds});
        QCOMPARE(rig.traffic("write").size(), writes);

        // A sign that does not answer cannot be compared.
        r = ledsign({"diff", newer, "--port", path("no-such-tty"), "--poll-ms", "5", "-q"},
                    in(home));
        QCOMPARE(r.code, 2);
        QCOMPARE(ledsign({"diff", newer}, in(home)).code, 2);
    }

    void retentionKeepsAYearAndTheNewestHundredButNoUnreadableLine() {
        backup::Store store(path("retention"));
        QDateTime now = QDateTime::currentDateTimeUtc().addYears(-2);
        store.setClock([&now] { return now; });
        QString reason;
        quint32 capcode = 1000000;
        QVERIFY2(!store.add(readingOf(capcode++), &reason).isEmpty(), qPrintable(reason));
        // Lines the store cannot read, among the oldest: a damaged one, and one too long to
        // read that names a backup file.
        const QByteArray damaged = "{\"time\":\"2024-01-0";
        const QByteArray huge =
            "{\"file\":\"x.tbl\",\"firmware\":\"" + QByteArray(backup::kMaxIndexLine, 'F') + "\"}";
        QFile index(store.indexPath());
        QVERIFY(index.open(QIODevice::Append));
        index.write(damaged + '\n' + huge + '\n');
        index.close();
        for (int i = 1; i < 60; ++i, now = now.addSecs(60))
            QVERIFY(!store.add(readingOf(capcode++), &reason).isEmpty());
        now = QDateTime::currentDateTimeUtc().addDays(-10);
        for (int i = 0; i < 70; ++i, now = now.addSecs(60))
            QVERIFY(!store.add(readingOf(capcode++), &reason).isEmpty());
        // 70 young ones, and the newest 30 of the old ones to make up a hundred.
        QCOMPARE(store.entries().size(), 100);
        QVERIFY(store.entries().first().time > store.entries().last().time);
        for (int i = 0; i < 40; ++i, now = now.addSecs(60))
            QVERIFY(!store.add(readingOf(capcode++), &reason).isEmpty());
        QCOMPARE(store.entries().size(), 110);
        QCOMPARE(QDir(store.folder()).entryList({"*.tbl"}).size(), 110);
        for (const backup::Entry& e : store.entries())
            QVERIFY(e.time > QDateTime::currentDateTimeUtc().addDays(-365));
        // The first backup's line went; the two after it stay, byte for byte.
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = index.readAll().split('\n');
        QCOMPARE(lines.at(0), damaged);
        QCOMPARE(lines.at(1), huge);
        QCOMPARE(store.listing().unreadableLines, (QList<int>{1, 2}));
    }

    // Two backups in a row of the same bytes from one port are one file, named by two lines;
    // anything else is a file of its own. Every file is read-only.
    void identicalBackupsShareOneReadOnlyFile() {
        backup::Store store(path("dedupe"));
        QString reason;
        const QString first = store.add(readingOf(1111111), &reason);
        QVERIFY2(!first.isEmpty(), qPrintable(reason));
        SignReading write = readingOf(1111111);
        write.operation = "write";
        QCOMPARE(store.add(write, &reason), first);
        QCOMPARE(store.entries().size(), 2);
        QCOMPARE(QDir(store.folder()).entryList({"*.tbl"}).size(), 1);
        QCOMPARE(backup::shownOperation(store.entries().first().operation),
                 QStringLiteral("before write"));

        const QString otherPort = store.add(readingOf(1111111, "/dev/ttyUSB1"), &reason);
        const QString otherBytes = store.add(readingOf(2222222), &reason);
        QVERIFY(otherPort != first && otherBytes != first && !otherPort.isEmpty());
        // Not in a row: the port's last backup was other bytes.
        const QString again = store.add(readingOf(1111111), &reason);
        QVERIFY(again != first && !again.isEmpty());
        // A file that no longer holds what its line says is not reused.
        QVERIFY(QFile::setPermissions(again, QFile::ReadOwner | QFile::WriteOwner));
        QFile tampered(again);
        QVERIFY(tampered.open(QIODevice::ReadWrite));
        tampered.write("X");
        tampered.close();
        const QString fresh = store.add(readingOf(1111111), &reason);
        QVERIFY(fresh != again && !fresh.isEmpty());
        QCOMPARE(QDir(store.folder()).entryList({"*.tbl"}).size(), 5);
        for (const QString& f : {first, otherPort, otherBytes, fresh})
            QCOMPARE(QFileInfo(f).permissions() & (kOwner | QFile::ReadGroup | QFile::ReadOther),
                     QFile::ReadOwner);
    }

    // The folder is checked before each backup: one the group or others may read or write,
    // itself or through a link, is refused by name, and a Write then erases nothing. A link
    // to a private folder of the user's own serves.
    void aFolderOthersMayReadIsRefusedAndWriteStopsBeforeErasing() {
        const QString target = path("shared-target");
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::setPermissions(target, kOwner | QFile::ReadGroup | QFile::ExeGroup));
        const QString link = path("linked-backups");
        QVERIFY(QFile::link(target, link));
        QString reason;
        QVERIFY(backup::Store(link).add(readingOf(1234567), &reason).isEmpty());
        QCOMPARE(reason, msg::backupFolderShared(msg::backupFolderLink(link, target)));
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

        QVERIFY(QFile::setPermissions(target, kOwner));
        QVERIFY2(!backup::Store(link).add(readingOf(1234567), &reason).isEmpty(),
                 qPrintable(reason));

        const QString home = path("home-shared");
        const QString folder = home + "/ledsign-programmer/backups";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, kOwner | QFile::WriteOther));
        SignRig rig;
        QVERIFY(rig.start());
        const QByteArray before = rig.memory();
        const Run r =
            ledsign(QStringList{"write", makeTable("y.tbl", 1987654)} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains(msg::backupFailed(msg::backupFolderShared(folder))),
                 qPrintable(r.out));
        QVERIFY(rig.traffic("erase").isEmpty());
        QCOMPARE(rig.memory(), before);
    }

    // A damaged line, a line too long to read and a file the index does not name: `ledsign
    // backups` lists every file and names the lines it could not read; a line cut short by a
    // crash does not swallow the next one.
    void damagedIndexLinesNeitherHideBackupsNorSwallowNewOnes() {
        const QString home = path("home-damaged");
        backup::Store store(home + "/ledsign-programmer/backups");
        QDateTime now = QDateTime::fromString("2026-12-01T10:00:00Z", Qt::ISODate);
        store.setClock([&now] { return now; });
        QString reason;
        const QString a = store.add(readingOf(1000001), &reason);
        now = now.addSecs(60);
        const QString b = store.add(readingOf(1000002), &reason);
        QVERIFY(!a.isEmpty() && !b.isEmpty());
        QFile index(store.indexPath());
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = index.readAll().split('\n');
        index.close();
        // b's line damaged; a line too long to read, though it names b; a cut last line.
        const QByteArray huge = "{\"file\":\"" + QFileInfo(b).fileName().toUtf8() +
                                "\",\"operation\":\"" + QByteArray(backup::kMaxIndexLine, 'w') +
                                "\"}";
        QVERIFY(index.open(QIODevice::WriteOnly | QIODevice::Truncate));
        index.write(lines.at(0) + '\n' + lines.at(1).left(30) + "\n" + huge + "\n{\"time\":");
        index.close();
        now = now.addSecs(60);
        SignReading compare = readingOf(1000003, "/dev/ttyS0");
        compare.operation = "compare";
        const QString c = store.add(compare, &reason);
        QVERIFY2(!c.isEmpty(), qPrintable(reason));

        Run r = ledsign({"backups"}, in(home));
        QCOMPARE(r.code, 0);
        const QString folder = store.folder();
        QCOMPARE(r.lines(),
                 (QStringList{msg::cli::backupsHeader,
                              "2026-12-01T10:02:00Z\t/dev/ttyS0\tcompare\t1000003\t\t" + c,
                              "2026-12-01T10:01:00Z\tttyUSB0\tunknown\t1000002\t\t" + b,
                              "2026-12-01T10:00:00Z\t/dev/ttyUSB0\tread\t1000001\t\t" + a}));
        QCOMPARE(r.err.trimmed(), msg::cli::backupIndexUnreadable(store.indexPath(), {2, 3, 4}));

        r = ledsign({"backups", "--json"}, in(home));
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o["folder"].toString(), folder);
        QCOMPARE(o["unreadableIndexLines"].toArray(), (QJsonArray{2, 3, 4}));
        const QJsonArray backups = o["backups"].toArray();
        QCOMPARE(backups.size(), 3);
        QCOMPARE(backups[0]["operation"].toString(), QStringLiteral("compare"));
        QCOMPARE(backups[0]["file"].toString(), c);
        QCOMPARE(backups[1]["indexed"].toBool(), false);
        QCOMPARE(backups[2]["capcode1"].toInteger(), qint64(1000001));
    }
};

QTEST_GUILESS_MAIN(TestCliBackups)
#include "tst_cli_backups.moc"
