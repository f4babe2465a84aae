// The backups of what was read from a sign, `ledsign backups`, `diff --port`, `write
// --skip-unchanged`, and a Verify that names what differs, against the simulated sign.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "backup/Backups.h"
#include "core/Messages.h"

#include <QDir>
#include <QFileInfo>

using namespace layout;

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
        QCOMPARE(list.lines().size(), 1);
        const QStringList fields = list.lines().first().split('\t');
        QCOMPARE(fields.size(), 6);
        QCOMPARE(fields[2], QStringLiteral("write"));
        QCOMPARE(fields[3], QStringLiteral("1234567"));
        QCOMPARE(fields[4], QStringLiteral("Model : POCSAG  Version = 2.52"));
        QCOMPARE(fileBytes(fields[5]).left(kSummedBytes), old);
        QVERIFY(QFileInfo(fields[5]).fileName().contains("-capcode1-1234567"));
        // Private: nothing for the group or others.
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(fields[5]).permissions() & others, QFile::Permissions());
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

    void retentionKeepsAYearAndTheNewestHundred() {
        backup::Store store(path("retention"));
        QDateTime now = QDateTime::currentDateTimeUtc().addYears(-2);
        store.setClock([&now] { return now; });
        ParamImage image;
        SignReading reading{"/dev/ttyUSB0", "read", {}, 1, image.toByteArray()};
        QString reason;
        for (int i = 0; i < 60; ++i, now = now.addSecs(60))
            QVERIFY2(store.keep(reading, &reason), qPrintable(reason));
        now = QDateTime::currentDateTimeUtc().addDays(-10);
        for (int i = 0; i < 70; ++i, now = now.addSecs(60))
            QVERIFY(store.keep(reading, &reason));
        // 70 young ones, and the newest 30 of the old ones to make up a hundred.
        QCOMPARE(store.entries().size(), 100);
        QVERIFY(store.entries().first().time > store.entries().last().time);
        for (int i = 0; i < 40; ++i, now = now.addSecs(60))
            QVERIFY(store.keep(reading, &reason));
        QCOMPARE(store.entries().size(), 110);
        QCOMPARE(QDir(store.folder()).entryList({"*.tbl"}).size(), 110);
        for (const backup::Entry& e : store.entries())
            QVERIFY(e.time > QDateTime::currentDateTimeUtc().addDays(-365));
    }
};

QTEST_GUILESS_MAIN(TestCliBackups)
#include "tst_cli_backups.moc"
