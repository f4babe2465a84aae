// `ledsign batch` against simulated lines of signs: every sign gets its own unit's image, the
// log records every attempt, a refused row touches no sign, a failed unit is retried and a
// re-run resumes.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "image/ParamImage.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <csignal>
#include <sys/types.h>

using namespace layout;

class TestCliBatch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    RunWith env() const {
        RunWith w;
        w.env = QProcessEnvironment::systemEnvironment();
        w.env.insert("XDG_DATA_HOME", path("home"));
        return w;
    }
    QString units(const QString& name, const QStringList& capcodes) {
        QByteArray text = "unit,capcodes.1.capcode\r\n";
        for (int i = 0; i < capcodes.size(); ++i)
            text += QByteArray::number(i + 1) + ',' + capcodes[i].toUtf8() + "\r\n";
        writeFileBytes(path(name), text);
        return path(name);
    }
    // The units' records, without the batches' start lines.
    QList<QJsonObject> log(const QString& file) const {
        QList<QJsonObject> lines;
        for (const QByteArray& l : fileBytes(file).split('\n'))
            if (const QJsonObject o = QJsonDocument::fromJson(l).object(); o.contains("unit"))
                lines << o;
        return lines;
    }
    QStringList fast() const { return {"--absence-ms", "300", "--poll-ms", "5"}; }
    QStringList lineOf(int signs) const {
        return {"--line", QString::number(signs), "--swap-ms", "1500"};
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QCOMPARE(ledsign({"new", path("t.tbl")}).code, 0);
    }

    void sixUnitsOverTwoLines_data() { onBothSigns(); }
    void sixUnitsOverTwoLines() {
        const QStringList capcodes{"1000001", "1000002", "1000003", "1000004", "", "1000006"};
        const QString csv = units("six.csv", capcodes);
        QSet<QByteArray> wanted;
        for (const QString& c : capcodes) {
            const QString one = path("one.tbl");
            QFile::remove(one);
            QVERIFY(QFile::copy(path("t.tbl"), one));
            if (!c.isEmpty())
                QCOMPARE(ledsign({"set", one, "capcodes.1.capcode=" + c}).code, 0);
            wanted << fileBytes(one).left(kSummedBytes);
        }
        QCOMPARE(wanted.size(), 6); // the fifth keeps the template's capcode
        SimulatedSign a, b;
        // Each sign's state and the log are the row's own: a log that lists the units would
        // make the second row resume with nothing left to do.
        const QString row = QTest::currentDataTag()[0] == 'f' ? "foreign-" : "plain-";
        QVERIFY(a.start(path(row + "a"), signOfRow(lineOf(3))));
        QVERIFY(b.start(path(row + "b"), signOfRow(lineOf(3))));
        const Run r = ledsign(QStringList{"batch", path("t.tbl"), csv, "--port", a.device(),
                                          "--port", b.device(), "--log", path(row + "six.jsonl")} +
                                  fast(),
                              env());
        QCOMPARE(r.code, 0);
        // Off a terminal the stations print plain lines, one per step.
        QVERIFY(!r.out.contains(QChar(0x1b)));
        QVERIFY(r.lines().contains(a.device() + "  unit 1  ok") ||
                r.lines().contains(b.device() + "  unit 1  ok"));
        QCOMPARE(r.lines().last(), QString("done 6, failed 0, left 0"));
        a.stop();
        b.stop();
        QSet<QByteArray> held;
        for (const QString& line : {QString("a"), QString("b")})
            for (int k = 1; k <= 3; ++k) {
                const QByteArray memory = signMemory(path(row + line) + "." + QString::number(k));
                const QByteArray bank0 = bankIn(memory, 0).left(kSummedBytes);
                QCOMPARE(bankIn(memory, 1).left(kSummedBytes), bank0);
                held << bank0;
            }
        QCOMPARE(held, wanted);
        const QList<QJsonObject> records = log(path(row + "six.jsonl"));
        QCOMPARE(records.size(), 6);
        // Each line names the backup its own station wrote, though both back up side by side.
        QHash<QString, QString> portOfBackup;
        for (const QByteArray& l :
             fileBytes(path("home/ledsign-programmer/backups/index.jsonl")).split('\n'))
            if (const QJsonObject o = QJsonDocument::fromJson(l).object(); !o.isEmpty())
                portOfBackup.insert(o["file"].toString(), o["port"].toString());
        QSet<QString> done;
        for (const QJsonObject& o : records) {
            QCOMPARE(o["result"].toString(), QString("ok"));
            QCOMPARE(portOfBackup.value(o["backup"].toString()), o["port"].toString());
            QVERIFY(!o["firmware"].toString().isEmpty());
            done << o["unit"].toString();
        }
        QCOMPARE(done.size(), 6);
    }

    void badRowsTouchNoSign() {
        SignRig rig;
        QVERIFY(rig.start());
        const QByteArray before = rig.memory();
        const QStringList port{"--port", rig.link.portName, "--log", path("bad.jsonl")};
        const Run refused = ledsign(QStringList{"batch", path("t.tbl"),
                                                units("units.csv", {"1000001", "1000002", "1000003",
                                                                    "1000004", "3000000"})} +
                                        port + fast(),
                                    env());
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.startsWith("units.csv:6: unit 5, capcodes.1.capcode: Please insert"),
                 qPrintable(refused.err));
        writeFileBytes(path("dup.csv"), "unit,capcodes.1.capcode\n1,1000001\n\"1\",1000002\n");
        const Run dup =
            ledsign(QStringList{"batch", path("t.tbl"), path("dup.csv")} + port + fast(), env());
        QCOMPARE(dup.code, 2);
        QVERIFY2(dup.err.startsWith("dup.csv:3: unit 1 already on line 2"), qPrintable(dup.err));
        writeFileBytes(path("key.csv"), "unit,capcodes.1.nothing\n1,2\n");
        QCOMPARE(
            ledsign(QStringList{"batch", path("t.tbl"), path("key.csv")} + port + fast(), env())
                .code,
            2);
        QCOMPARE(rig.memory(), before);
        QVERIFY(rig.traffic("frame").isEmpty());
        QVERIFY(!QFile::exists(path("bad.jsonl")));
    }

    // Ctrl+C, a closed terminal and a stopped service all stop the same way, whenever they
    // come: no new sign; a sign still waiting or only read keeps what it held and its unit is
    // left; a Write under way ends once its current bank is written and read back. The record
    // and the summary are written and nothing is left in the temporary folder.
    void stopSignals_data() {
        QTest::addColumn<int>("sig");
        QTest::addColumn<QString>("moment");
        for (const auto& [sig, name] :
             {std::pair{SIGINT, "INT"}, std::pair{SIGHUP, "HUP"}, std::pair{SIGTERM, "TERM"}})
            for (const char* moment : {"waiting", "writing", "reading back"})
                QTest::addRow("%s %s", name, moment) << sig << QString(moment);
    }
    void stopSignals() {
        QFETCH(int, sig);
        QFETCH(QString, moment);
        const QString tag = QString::number(sig) + moment.left(2);
        const QString csv = units("stop" + tag + ".csv", {"1000009", "1000010"});
        SimulatedSign a;
        // One sign on the line, at a real line pace, so the Write is still under way when the
        // signal comes; unit 2 then waits for a sign that never comes.
        QVERIFY(a.start(path("s" + tag), {"--pace", "57600", "--line", "1"}));
        const QByteArray before = signMemory(path("s" + tag) + ".1");
        QDir().mkpath(path("tmp" + tag));
        QProcessEnvironment e = env().env;
        e.insert("TMPDIR", path("tmp" + tag));
        QProcess batch;
        batch.setProcessEnvironment(e);
        batch.start(QStringLiteral(LEDSIGN_CLI_PATH),
                    QStringList{"batch", path("t.tbl"), csv, "--port", a.device(), "--log",
                                path("s" + tag + ".jsonl"), "--absence-ms", "300"});
        QVERIFY(batch.waitForStarted());
        const QString wanted = moment == "waiting" ? "unit 1  ok" : "unit 1  " + moment;
        QByteArray seen;
        while (!seen.contains(wanted.toUtf8()) && batch.waitForReadyRead(20000))
            seen += batch.readAllStandardOutput();
        QVERIFY2(seen.contains(wanted.toUtf8()), seen.constData());
        ::kill(pid_t(batch.processId()), sig);
        QVERIFY(batch.waitForFinished(60000));
        seen += batch.readAllStandardOutput();
        QCOMPARE(batch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(batch.exitCode(), 1);
        a.stop();
        const QList<QJsonObject> records = log(path("s" + tag + ".jsonl"));
        const QByteArray memory = signMemory(path("s" + tag) + ".1");
        QVERIFY(bankValid(bankIn(memory, 0)) && bankValid(bankIn(memory, 1)));
        if (moment == "waiting") {
            QCOMPARE(records.size(), 1);
            QCOMPARE(records[0]["result"].toString(), QString("ok"));
            QVERIFY2(seen.endsWith("done 1, failed 0, left 1\n"), seen.constData());
        } else if (moment == "writing") {
            // Stopped while the sign was read for its backup: nothing erased.
            QCOMPARE(records.size(), 1);
            QCOMPARE(records[0]["result"].toString(), QString("left"));
            QVERIFY(!records[0]["backup"].toString().isEmpty());
            QCOMPARE(memory, before);
            QVERIFY2(seen.endsWith("done 0, failed 0, left 2\n"), seen.constData());
        } else {
            QCOMPARE(records.size(), 1);
            QCOMPARE(records[0]["result"].toString(), QString("failed"));
            QVERIFY2(records[0]["message"].toString().startsWith("Stopped after bank 1"),
                     qPrintable(records[0]["message"].toString()));
            QCOMPARE(bankIn(memory, 0), bankIn(before, 0));
            QVERIFY(bankIn(memory, 1).left(kSummedBytes) != bankIn(before, 1).left(kSummedBytes));
            QVERIFY2(seen.endsWith("done 0, failed 1, left 1\n"), seen.constData());
        }
        QCOMPARE(QDir(path("tmp" + tag)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // Prompted, Ctrl+C does not wait for the Enter that would answer the question.
    void promptInterrupted() {
        SimulatedSign a;
        QVERIFY(a.start(path("pi")));
        QProcess batch;
        batch.setProcessEnvironment(env().env);
        batch.start(QStringLiteral(LEDSIGN_CLI_PATH),
                    QStringList{"batch", path("t.tbl"), units("pi.csv", {"1000011"}), "--port",
                                a.device(), "--prompt", "--log", path("pi.jsonl")} +
                        fast());
        QByteArray seen;
        while (!seen.contains("press Enter") && batch.waitForReadyRead(20000))
            seen += batch.readAllStandardOutput();
        ::kill(pid_t(batch.processId()), SIGINT);
        QVERIFY(batch.waitForFinished(10000));
        QCOMPARE(batch.exitCode(), 1);
        QVERIFY(batch.readAllStandardOutput().endsWith("done 0, failed 0, left 1\n"));
        QVERIFY(log(path("pi.jsonl")).isEmpty());
    }

    // With --prompt the technician says when the next sign is on; the station then waits for
    // it to answer, however long the sign takes to start.
    void promptedSigns() {
        const QString csv = units("prompt.csv", {"1000007", "1000008"});
        SimulatedSign a;
        QVERIFY(a.start(path("p"), lineOf(2)));
        RunWith w = env();
        w.input = "\n\n";
        const Run r = ledsign(QStringList{"batch", path("t.tbl"), csv, "--port", a.device(),
                                          "--prompt", "--log", path("p.jsonl")} +
                                  fast(),
                              w);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.count("Connect the sign for unit "), 2);
        QVERIFY(
            r.out.contains("Connect the sign for unit 2 to " + a.device() + " and press Enter"));
        QCOMPARE(r.lines().last(), QString("done 2, failed 0, left 0"));
    }

    void failedUnitRetriedThenResumed() {
        const QString csv = units("two.csv", {"1000001", "1000002"});
        SimulatedSign a;
        // The refused frame falls in the second sign's Write, after the first sign's.
        QVERIFY(a.start(path("n"), lineOf(2) + QStringList{"--nak", "40"}));
        const QStringList run{"batch", path("t.tbl"),    csv, "--port", a.device(),
                              "--log", path("two.jsonl")};
        QCOMPARE(ledsign(run + QStringList{"--retries", "0"} + fast(), env()).code, 1);
        QList<QJsonObject> records = log(path("two.jsonl"));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0]["result"].toString(), QString("ok"));
        QCOMPARE(records[1]["result"].toString(), QString("failed"));
        QCOMPARE(records[1]["unit"].toString(), QString("2"));

        // The re-run skips unit 1 and writes unit 2 into the sign still on the port.
        const Run again = ledsign(run + fast(), env());
        QCOMPARE(again.code, 0);
        QVERIFY(again.lines().first().startsWith("1 units already ok"));
        records = log(path("two.jsonl"));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[2]["unit"].toString(), QString("2"));
        QCOMPARE(records[2]["result"].toString(), QString("ok"));
    }

    // A sign that fails every Write (the wrong firmware) costs its station one attempt, not the
    // queue: the station waits for it to be unplugged and the unit goes to the other line.
    void failingSignBesideGoodLine() {
        SimulatedSign bad, good;
        QVERIFY(bad.start(path("bad"), {"--firmware", "FLEX  1.00"}));
        QVERIFY(good.start(path("good"), lineOf(3)));
        const Run r =
            ledsign(QStringList{"batch", path("t.tbl"),
                                units("fb.csv", {"1000021", "1000022", "1000023"}), "--port",
                                bad.device(), "--port", good.device(), "--log", path("fb.jsonl")} +
                        fast(),
                    env());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines().last(), QString("done 3, failed 0, left 0"));
        int failedOnBad = 0;
        for (const QJsonObject& o : log(path("fb.jsonl")))
            failedOnBad += o["port"].toString() == bad.device();
        QCOMPARE(failedOnBad, 1);
    }

    // An operator who swaps the sign in little more than the absence: an unanswered link
    // request takes over 300 ms here, and the absence counted from its end would outlast the
    // swap (the station would wait for the fresh sign to go).
    void quickSwapIsSeen() {
        SimulatedSign a;
        QVERIFY(a.start(path("q"), {"--line", "2", "--swap-ms", "400"}));
        const Run r =
            ledsign({"batch", path("t.tbl"), units("q.csv", {"1000031", "1000032"}), "--port",
                     a.device(), "--log", path("q.jsonl"), "--absence-ms", "250", "--poll-ms", "5"},
                    env());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines().last(), QString("done 2, failed 0, left 0"));
    }

    // A re-run skips a unit only when the log has an ok for the very image it would write now,
    // and says why each other unit is written again.
    void resumeComparesTheImage() {
        SimulatedSign a;
        QVERIFY(a.start(path("r"), lineOf(5)));
        const QString log = path("r.jsonl");
        const QString csv = units("r.csv", {"1000031", "1000032"});
        auto batch = [&](const QString& templ, const QString& table) {
            return ledsign(QStringList{"batch", templ, table, "--port", a.device(), "--log", log} +
                               fast(),
                           env());
        };
        QCOMPARE(batch(path("t.tbl"), csv).code, 0);

        QVERIFY(QFile::copy(path("t.tbl"), path("t2.tbl")));
        QCOMPARE(ledsign({"set", path("t2.tbl"), "capcodes.2.capcode=1000099"}).code, 0);
        const Run changed = batch(path("t2.tbl"), csv);
        QCOMPARE(changed.code, 0);
        QVERIFY2(changed.out.contains("unit 1 written again: its image differs from the one "
                                      "logged ok (the template changed)"),
                 qPrintable(changed.out));
        QVERIFY(changed.out.contains("unit 2 written again"));
        QCOMPARE(changed.lines().last(), QString("done 2, failed 0, left 0"));

        const Run row = batch(path("t2.tbl"), units("r2.csv", {"1000031", "1000042"}));
        QCOMPARE(row.code, 0);
        QCOMPARE(row.lines().first(), QString("1 units already ok in the log, skipped"));
        QVERIFY(row.out.contains("unit 2 written again: its image differs from the one logged "
                                 "ok (its row changed)"));
        QVERIFY(!row.out.contains("unit 1 written"));
        QCOMPARE(row.lines().last(), QString("done 2, failed 0, left 0"));
        const QList<QJsonObject> records = this->log(log);
        QCOMPARE(records.size(), 5);
        QCOMPARE(records.last()["unit"].toString(), QString("2"));

        // The report: one line per unit, its last attempt and how many there were.
        const Run report = ledsign({"batch", "--report", log});
        QCOMPARE(report.code, 0);
        const QStringList lines = report.lines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[2].startsWith("2," + a.device() + ",ok,3,"));
        QVERIFY(lines[2].contains(records.last()["checksum"].toString()));
        QVERIFY(lines[2].endsWith(records.last()["backup"].toString()));
    }

    // The log is opened, locked and written to before any sign is touched.
    void unusableLogTouchesNoSign() {
        SignRig rig;
        QVERIFY(rig.start());
        const QStringList base{"batch", path("t.tbl"), units("l.csv", {"1000051"}), "--port",
                               rig.link.portName};
        const Run missing =
            ledsign(base + QStringList{"--log", path("nowhere/l.jsonl")} + fast(), env());
        QCOMPARE(missing.code, 1);
        QVERIFY2(missing.err.contains(path("nowhere/l.jsonl") + ": the log cannot be written"),
                 qPrintable(missing.err));

        // Another batch on the same log: the holder is named.
        QProcess holder;
        holder.start(QStringLiteral(LEDSIGN_CLI_PATH),
                     QStringList{"batch", path("t.tbl"), path("l.csv"), "--port",
                                 path("no-such-port"), "--prompt", "--log", path("held.jsonl")});
        QVERIFY(holder.waitForReadyRead(10000)); // its question: the log is held
        const qint64 holderPid = holder.processId();
        const Run locked = ledsign(base + QStringList{"--log", path("held.jsonl")} + fast(), env());
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(locked.code, 2);
        QVERIFY2(
            locked.err.contains("in use by another batch (process " + QString::number(holderPid)),
            qPrintable(locked.err));
        QVERIFY(rig.traffic("frame").isEmpty());
        QVERIFY(rig.traffic("frame").isEmpty());
    }

    // A full filesystem: found before the first sign when even the start line does not fit;
    // when a unit's line does not fit, no new unit starts.
    void logOnFullFilesystem() {
        const QString mount = path("small");
        QDir().mkpath(mount);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=32k", "tmpfs", mount}) != 0)
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
        struct Unmount {
            QString at;
            ~Unmount() { QProcess::execute("umount", {at}); }
        } unmount{mount};
        // The log's page holds the old text and the start line, not one unit's line more.
        writeFileBytes(mount + "/l.jsonl", QByteArray(4096 - 300, ' ') + '\n');
        QFile fill(mount + "/fill");
        QVERIFY(fill.open(QIODevice::WriteOnly));
        while (fill.write(QByteArray(4096, 'x')) == 4096 && fill.flush()) {
        }
        fill.close();
        SimulatedSign a;
        QVERIFY(a.start(path("full"), lineOf(2)));
        const Run r =
            ledsign(QStringList{"batch", path("t.tbl"), units("full.csv", {"1000061", "1000062"}),
                                "--port", a.device(), "--log", mount + "/l.jsonl"} +
                        fast(),
                    env());
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("the log cannot be written (") &&
                     r.err.contains("no new unit is started"),
                 qPrintable(r.err));
        QCOMPARE(r.lines().last(), QString("done 1, failed 0, left 1"));
        QVERIFY(fileBytes(mount + "/l.jsonl").endsWith('\n'));

        const Run none = ledsign(QStringList{"batch", path("t.tbl"), path("full.csv"), "--port",
                                             a.device(), "--log", mount + "/new.jsonl"} +
                                     fast(),
                                 env());
        QCOMPARE(none.code, 1);
        QVERIFY2(none.err.contains(": the log cannot be written: "), qPrintable(none.err));
    }

    // One device under two names would be two stations on one sign.
    void oneDeviceTwoNames() {
        SignRig rig;
        QVERIFY(rig.start());
        const QString dev = rig.link.portName;
        QVERIFY(QFile::link(dev, path("alias")));
        const QString dotted = QFileInfo(dev).path() + "/./" + QFileInfo(dev).fileName();
        for (const QString& second : {path("alias"), dotted}) {
            const Run r = ledsign({"batch", path("t.tbl"), units("two.csv", {"1000071"}), "--port",
                                   dev, "--port", second, "--log", path("two.jsonl")},
                                  env());
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.contains("--port " + second + " is the same device as " + dev),
                     qPrintable(r.err));
        }
        QVERIFY(rig.traffic("frame").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliBatch)
#include "tst_cli_batch.moc"
