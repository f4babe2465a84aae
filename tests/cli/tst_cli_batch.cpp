// `ledsign batch` against simulated lines of signs: every sign gets its own unit's image, the
// log records every attempt, a refused row touches no sign, a failed unit is retried and a
// re-run resumes.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "image/ParamImage.h"

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
    QList<QJsonObject> log(const QString& file) const {
        QList<QJsonObject> lines;
        for (const QByteArray& l : fileBytes(file).split('\n'))
            if (!l.isEmpty())
                lines << QJsonDocument::fromJson(l).object();
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
        QSet<QString> done;
        for (const QJsonObject& o : records) {
            QCOMPARE(o["result"].toString(), QString("ok"));
            QVERIFY(!o["backup"].toString().isEmpty());
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

    // Ctrl+C while a sign is written: the Write ends once its current bank is written and read
    // back, so the sign keeps one bank with the old settings and one with the new, both valid.
    void interruptedBetweenBanks() {
        const QString csv = units("one.csv", {"1000009"});
        SimulatedSign a;
        // At a real line pace, so the Write is still under way when Ctrl+C comes.
        QVERIFY(a.start(path("i"), {"--pace", "57600"}));
        const QByteArray before = signMemory(path("i"));
        QProcess batch;
        batch.setProcessEnvironment(env().env);
        batch.start(QStringLiteral(LEDSIGN_CLI_PATH),
                    QStringList{"batch", path("t.tbl"), csv, "--port", a.device(), "--log",
                                path("i.jsonl"), "--absence-ms", "300"});
        QVERIFY(batch.waitForStarted());
        QByteArray seen;
        while (!seen.contains("  writing") && batch.waitForReadyRead(20000))
            seen += batch.readAllStandardOutput();
        QVERIFY2(seen.contains("  writing"), seen.constData());
        ::kill(pid_t(batch.processId()), SIGINT);
        QVERIFY(batch.waitForFinished(60000));
        QCOMPARE(batch.exitCode(), 1);
        a.stop();
        const QList<QJsonObject> records = log(path("i.jsonl"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0]["result"].toString(), QString("failed"));
        QVERIFY2(records[0]["message"].toString().startsWith("Stopped after bank 1"),
                 qPrintable(records[0]["message"].toString()));
        const QByteArray memory = signMemory(path("i"));
        QVERIFY(bankValid(bankIn(memory, 0)) && bankValid(bankIn(memory, 1)));
        QCOMPARE(bankIn(memory, 0), bankIn(before, 0));
        QVERIFY(bankIn(memory, 1).left(kSummedBytes) != bankIn(before, 1).left(kSummedBytes));
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
};

QTEST_GUILESS_MAIN(TestCliBatch)
#include "tst_cli_batch.moc"
