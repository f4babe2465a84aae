// `ledsign doctor`: each way a sign can fail to answer shows as its own failed check.
#include "LedsignRun.h"
#include "PtyPeer.h"
#include "SimulatedSign.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct Doctor {
    Run run;
    QStringList failed; // check ids
    QStringList passed;
};

Doctor doctor(const QString& port, const QStringList& more = {}) {
    Doctor d;
    d.run = ledsign(QStringList{"doctor", "--port", port, "--poll-ms", "5", "--json"} + more);
    const QJsonObject o = QJsonDocument::fromJson(d.run.out.toUtf8()).object();
    for (const QJsonValue& c : o.value("checks").toArray())
        (c["passed"].toBool() ? d.passed : d.failed) << c["check"].toString();
    return d;
}

const QStringList kAllChecks{"port",     "access", "holders", "modemmanager", "link",
                             "firmware", "bank0",  "bank1",   "banks",        "quality"};

} // namespace

class TestCliDoctor : public QObject {
    Q_OBJECT

  private slots:
    void healthySignPassesEveryCheck() {
        SignRig rig;
        QVERIFY(rig.start());
        const Doctor d = doctor(rig.sim.device());
        QCOMPARE(d.run.code, 0);
        QCOMPARE(d.passed, kAllChecks);
        const Run r = ledsign({"doctor", "--port", rig.sim.device(), "--poll-ms", "5"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.lines().size(), kAllChecks.size());
        for (const QString& l : r.lines())
            QVERIFY2(l.startsWith("passed  "), qPrintable(l));
        QVERIFY(r.out.contains("Banks: equal; the sign runs bank 0"));
        QVERIFY(r.out.contains("Line quality: 3 of 3 reads agreed"));
        // Read-only: nothing was erased or written.
        QVERIFY(rig.traffic("erase").isEmpty());
        QVERIFY(rig.traffic("write").isEmpty());
    }

    void eachFaultFailsItsOwnCheck() {
        QTemporaryDir dir;
        Doctor d = doctor(dir.path());
        QCOMPARE(d.run.code, 1);
        QCOMPARE(d.failed, QStringList{"port"});
        QVERIFY(d.run.out.contains("is a folder"));

        PtyPeer silent;
        d = doctor(silent.path());
        QCOMPARE(d.run.code, 1);
        QCOMPARE(d.failed, QStringList{"link"});
        QVERIFY(d.run.out.contains("no answer after 3 attempts"));

        SignRig bad;
        QVERIFY(bad.start({"--init", "bank0-bad"}));
        d = doctor(bad.sim.device());
        QCOMPARE(d.run.code, 1);
        QCOMPARE(d.failed, (QStringList{"bank0", "banks"}));
        QVERIFY(d.run.out.contains("differ; the sign runs bank 1"));

        SignRig noisy;
        QVERIFY(noisy.start({"--noise", "--seed", "2"}));
        d = doctor(noisy.sim.device());
        QCOMPARE(d.run.code, 1);
        // The banks are judged on the clean copies: only the line is to blame.
        QCOMPARE(d.failed, QStringList{"quality"});
        QVERIFY(d.run.out.contains("reads differ: check the cable and the adapter"));
    }

    void portHeldByAnotherProcessIsNamed() {
        SignRig rig;
        QVERIFY(rig.start());
        QProcess holder;
        holder.setStandardInputFile(rig.sim.device());
        holder.start("sleep", {"30"});
        QVERIFY(holder.waitForStarted());
        const Doctor d = doctor(rig.sim.device());
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(d.run.code, 1);
        QCOMPARE(d.failed, QStringList{"holders"});
        QVERIFY2(d.run.out.contains("held by sleep (pid "), qPrintable(d.run.out));
    }
};

QTEST_GUILESS_MAIN(TestCliDoctor)
#include "tst_cli_doctor.moc"
