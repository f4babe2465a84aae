// `ledsign report`: the support bundle from the command line, against the simulated sign.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "support/ZipArchive.h"

class TestCliReport : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    RunWith in(const QString& home) const {
        RunWith w;
        w.env = QProcessEnvironment::systemEnvironment();
        w.env.insert("XDG_DATA_HOME", home + "/data");
        w.env.insert("XDG_CONFIG_HOME", home + "/config");
        return w;
    }

  private slots:
    void theBundleHoldsTheLineCheckAndTheMaskedBackups() {
        const QString home = dir_.filePath("home");
        SignRig rig;
        QVERIFY(rig.start({"--init", "read-password=Xw3Read"}));
        const QString table = dir_.filePath("read.tbl");
        QCOMPARE(
            ledsign(QStringList{"read", "-o", table, "--read-password", "Xw3Read"} + rig.lineArgs(),
                    in(home))
                .code,
            0);

        const QString zip = dir_.filePath("help.zip");
        const Run r =
            ledsign(QStringList{"report", "-o", zip, "--with-images"} + rig.lineArgs(), in(home));
        QCOMPARE(r.code, 0);
        const auto members = ziparchive::read(zip);
        QVERIFY(members);
        QStringList names;
        for (const ziparchive::Member& m : *members) {
            names << m.name;
            QVERIFY2(!m.data.contains("Xw3Read"), qPrintable(m.name));
        }
        QCOMPARE(names.first(), QStringLiteral("MANIFEST.txt"));
        QVERIFY(names.contains("doctor.txt"));
        QVERIFY(names.contains("backups/index.jsonl"));
        QCOMPARE(names.filter(QRegularExpression("^backups/.*\\.tbl$")).size(), 1);

        // An index line may name a link out of the folder: what it leads to stays out.
        const QString folder = home + "/data/ledsign-programmer/backups";
        QFile outside(dir_.filePath("outside.tbl"));
        QVERIFY(outside.open(QIODevice::WriteOnly));
        outside.write("Xw3Elsewhere");
        outside.close();
        QVERIFY(QFile::link(outside.fileName(), folder + "/linked.tbl"));
        QFile index(folder + "/index.jsonl");
        QVERIFY(index.open(QIODevice::Append));
        index.write(R"({"time":"2026-12-09T10:00:00Z","port":"x","operation":"read","file":)"
                    R"("linked.tbl","validBanks":2})"
                    "\n");
        index.close();
        QCOMPARE(ledsign({"report", "-q", "-o", zip, "--with-images"}, in(home)).code, 0);
        const auto again = ziparchive::read(zip);
        QVERIFY(again);
        for (const ziparchive::Member& m : *again)
            QVERIFY2(!m.data.contains("Xw3Elsewhere"), qPrintable(m.name));

        // Without a port: no line check; without -o: a usage error.
        QCOMPARE(ledsign({"report", "-q", "-o", zip}, in(home)).code, 0);
        QVERIFY(!ziparchive::read(zip)->isEmpty());
        QCOMPARE(ledsign({"report"}, in(home)).code, 2);
        QCOMPARE(ledsign({"report", "-o", dir_.filePath("no/such/folder/x.zip")}, in(home)).code,
                 1);
    }
};

QTEST_MAIN(TestCliReport)
#include "tst_cli_report.moc"
