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
        if (!c["passed"].isNull()) // not judged: neither
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
        QVERIFY(r.out.contains("Line quality: 3 of 3 reads of bank 0 and 2 of 2 of bank 1 agreed"));
        // Read-only: nothing was erased or written.
        QVERIFY(rig.traffic("erase").isEmpty());
        QVERIFY(rig.traffic("write").isEmpty());

        // A sign with reply headers, sums and acknowledgement bytes of its own.
        SignRig foreign;
        QVERIFY(foreign.start({"--foreign", "--seed", "7"}));
        const Doctor f = doctor(foreign.sim.device());
        QCOMPARE(f.run.code, 0);
        QCOMPARE(f.passed, kAllChecks);
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
        QVERIFY(d.passed.contains("quality"));
        QVERIFY(d.run.out.contains("differ; the sign runs bank 1"));

        // A sign gone after the link: banks neither passed nor failed, and the exit says so.
        SignRig gone;
        QVERIFY(gone.start({"--die-after", "4"}));
        d = doctor(gone.sim.device(), {"--reads", "2"});
        QCOMPARE(d.run.code, 1);
        QCOMPARE(d.failed, (QStringList{"firmware", "quality"}));
        QVERIFY(!d.passed.contains("bank0") && !d.passed.contains("bank1"));
        QVERIFY(d.run.out.contains("\"verdict\": \"not judged\""));
        QVERIFY(d.run.out.contains("no answer since the link"));
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
