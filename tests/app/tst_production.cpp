// The production screen against simulated lines of signs: the set-up dialog's check, a run on
// two lines with its tiles and counts as the log says, Stop in the middle of a Write, and a
// run resumed from a log `ledsign batch` wrote.
#include "LedsignRun.h"
#include "SimulatedSign.h"
#include "TestFiles.h"
#include "app/WindowMemory.h"
#include "app/production/ProductionScreen.h"
#include "app/production/ProductionSetupDialog.h"
#include "app/production/StablePorts.h"
#include "app/production/StationTile.h"
#include "core/Messages.h"
#include "image/ParamImage.h"

#include <QAccessible>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <atomic>
#include <memory>

using namespace layout;
using production::Stage;

class TestProduction : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    std::unique_ptr<WindowMemory> memory_;

    QString units(const QString& name, const QStringList& capcodes) {
        QByteArray text = "unit,capcodes.1.capcode\n";
        for (int i = 0; i < capcodes.size(); ++i)
            text += QByteArray::number(i + 1) + ',' + capcodes[i].toUtf8() + "\n";
        writeFileBytes(path(name), text);
        return path(name);
    }
    static QStringList lineOf(int signs) {
        return {"--line", QString::number(signs), "--swap-ms", "1500"};
    }

    // A screen ready to start, its waits short, its summary recorded.
    struct Bench {
        std::unique_ptr<ProductionScreen> screen;
        int summaries = 0;
        production::Tally summary;
        QList<batch::LogRecord> summaryRecords;
        QStringList problems;
    };
    std::unique_ptr<Bench> bench(const production::Setup& setup) {
        auto b = std::make_unique<Bench>();
        const production::Checked checked = production::check(setup);
        if (!checked.errors.isEmpty())
            qWarning("%s", qPrintable(checked.errors.join('\n')));
        b->screen = std::make_unique<ProductionScreen>(*memory_, setup, checked);
        Bench* raw = b.get();
        b->screen->showSummary = [raw](const production::Tally& t,
                                       const QList<batch::LogRecord>& r) {
            ++raw->summaries;
            raw->summary = t;
            raw->summaryRecords = r;
        };
        b->screen->showProblem = [raw](const QString& text) { raw->problems << text; };
        batch::EngineOptions& o = b->screen->engineOptions();
        o.pollMs = 5;
        o.absenceMs = 300;
        o.stationProgram = QStringLiteral(LEDSIGN_CLI_PATH);
        return b;
    }
    static QString label(QWidget* w, const char* name) {
        return w->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    QList<QJsonObject> log(const QString& file) const {
        QList<QJsonObject> lines;
        for (const QByteArray& l : fileBytes(file).split('\n'))
            if (!l.isEmpty() && QJsonDocument::fromJson(l).object().contains("unit"))
                lines << QJsonDocument::fromJson(l).object();
        return lines;
    }

  private slots:
    // A result stays in front of the operator until the station's next Write begins.
    void tileKeepsResultUntilNextWrite() {
        using batch::StationState;
        batch::Station st;
        const production::LastResult passed{"7", true, {}};
        const production::LastResult failed{"8", false, "The target board is not found !"};
        st.state = StationState::Unplug;
        production::TileState t = production::tileFor(st, "8", passed, false);
        QCOMPARE(t.stage, Stage::Pass);
        QCOMPARE(t.then, Stage::Unplug);
        QCOMPARE(t.unit, QString("7"));
        QCOMPARE(production::shownWords(t), QString("PASS\nUNPLUG THE SIGN"));
        st.state = StationState::Waiting;
        t = production::tileFor(st, "8", failed, false);
        QCOMPARE(t.stage, Stage::Fail);
        QCOMPARE(t.then, Stage::Waiting);
        QCOMPARE(t.reason, QString("The sign did not answer. Check its cable and power."));
        t = production::tileFor(st, "9", passed, false);
        QCOMPARE(t.stage, Stage::Waiting);
        QCOMPARE(t.unit, QString("9"));
        st.state = StationState::Writing;
        st.percent = 45;
        QCOMPARE(production::stateWords(production::tileFor(st, "9", failed, false)),
                 QString("WRITING 45 %"));
        st.state = StationState::Ended;
        QCOMPARE(production::tileFor(st, {}, std::nullopt, true).stage, Stage::Stopped);
        // Messages with details in them are still known.
        QCOMPARE(production::plainReason(msg::writeStoppedBetweenBanks(1, 0)),
                 QString("Stopped before the write was finished."));
        QCOMPARE(production::plainReason(msg::backupFailed("disk full")),
                 QString("The sign's old settings could not be saved; nothing was written."));
        QCOMPARE(production::plainReason("Something new"), QString("Something new"));
    }

    // A jig keeps its port when adapters come back in another order: the by-path name.
    void stablePortNames() {
        QDir().mkpath(path("by-path"));
        writeFileBytes(path("ttyUSB1"), "");
        QVERIFY(QFile::link(path("ttyUSB1"), path("by-path/pci-0000:00:14.0-usb-0:2:1.0-port0")));
        QCOMPARE(production::stableName(path("ttyUSB1"), path("by-path")),
                 path("by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"));
        QCOMPARE(production::stableName("/dev/pts/7", path("by-path")), QString("/dev/pts/7"));
    }

    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_DATA_HOME", path("home").toUtf8());
        memory_ = std::make_unique<WindowMemory>(path("memory.ini"));
        QCOMPARE(ledsign({"new", path("t.tbl")}).code, 0);
    }

    // The dialog checks as `ledsign batch` does and stays open with every problem listed;
    // its choices come back the next time; its port list follows the adapters.
    void setUpDialogChecks() {
        ProductionSetupDialog d(*memory_, {});
        QList<production::PortChoice> present{
            {"/dev/serial/by-path/pci-usb-0:1", "/dev/ttyUSB0", "FT232R"},
            {"/dev/ttyUSB1", "/dev/ttyUSB1", {}}};
        d.listPorts = [&present] { return present; };
        writeFileBytes(path("bad.csv"),
                       "unit,capcodes.1.capcode\n1,1000001\n2,3000000\n3,1000003\n4,3000004\n");
        d.fill({path("t.tbl"),
                path("bad.csv"),
                {"/dev/serial/by-path/pci-usb-0:1"},
                path("bad.jsonl")});
        auto* list = d.findChild<QListWidget*>("lstPorts");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->checkState(), Qt::Checked);
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Rejected)); // not accepted: still open
        // Every refused row, each with its line.
        QCOMPARE(d.errorsShown().size(), 2);
        QVERIFY2(d.errorsShown()[0].startsWith("bad.csv:3: unit 2, capcodes.1.capcode: Please"),
                 qPrintable(d.errorsShown()[0]));
        QVERIFY2(d.errorsShown()[1].startsWith("bad.csv:5: unit 4, capcodes.1.capcode: Please"),
                 qPrintable(d.errorsShown()[1]));

        // A missing template and no port ticked: both said at once.
        d.findChild<QLineEdit*>("edtTemplate")->setText(path("missing.tbl"));
        list->item(0)->setCheckState(Qt::Unchecked);
        d.accept();
        const QStringList errors = d.errorsShown();
        QCOMPARE(errors.size(), 2);
        QVERIFY(errors.contains("Tick at least one port."));
        QVERIFY2(errors.last().startsWith("missing.tbl: Open Error!"),
                 qPrintable(errors.join('|')));
        QVERIFY(!QFile::exists(path("bad.jsonl")));

        // Adapter 1 unplugged while ticked: it stays ticked on the list; a new adapter comes.
        list->item(1)->setCheckState(Qt::Checked);
        present = {{"/dev/ttyUSB2", "/dev/ttyUSB2", {}}};
        d.refreshPorts();
        QCOMPARE(list->count(), 2);
        QCOMPARE(d.setup().ports, QStringList{"/dev/ttyUSB1"});

        units("good.csv", {"1000001"});
        d.findChild<QLineEdit*>("edtTemplate")->setText(path("t.tbl"));
        d.findChild<QLineEdit*>("edtUnits")->setText(path("good.csv"));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(d.errorsShown().isEmpty());
        QCOMPARE(d.checked().plan.units.size(), 1);
        QCOMPARE(d.checked().fingerprint.size(), 8);
        const production::Setup again = production::Setup::remembered(*memory_);
        QCOMPARE(again.unitsPath, path("good.csv"));
        QCOMPARE(again.ports, QStringList{"/dev/ttyUSB1"});
    }

    // Four units over two lines of two signs: every tile passes, the header counts what the
    // log holds, the summary is read back from it, a screen reader reads each tile.
    void runOnTwoLines() {
        const QString csv = units("four.csv", {"1000001", "1000002", "1000003", "1000004"});
        SimulatedSign a, b;
        QVERIFY(a.start(path("a"), lineOf(2)));
        QVERIFY(b.start(path("b"), lineOf(2)));
        const QString logFile = path("four.jsonl");
        auto run = bench({path("t.tbl"), csv, {a.device(), b.device()}, logFile});
        ProductionScreen& s = *run->screen;
        QCOMPARE(s.tiles().size(), 2);
        QCOMPARE(label(&s, "lblCounts"), QString("Done 0   Failed 0   Left 4"));
        QVERIFY(label(&s, "lblTemplate").startsWith("Template: t.tbl   fingerprint "));

        // The operator names the first jig; the name is the port's from now on.
        auto* name = s.tiles()[0]->findChild<QLineEdit*>("jigName");
        name->setText("Left bench");
        emit name->editingFinished();

        QSet<Stage> seen;
        s.startRun();
        QVERIFY(s.running());
        QVERIFY(!s.findChild<QPushButton*>("btnSetUp")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (StationTile* t : s.tiles())
                    seen << t->state().stage;
                return !s.running();
            }(),
            180000);
        a.stop();
        b.stop();
        QVERIFY(seen.contains(Stage::Writing));
        QVERIFY(seen.contains(Stage::Pass));

        const QList<QJsonObject> records = log(logFile);
        QCOMPARE(records.size(), 4);
        QSet<QString> ok;
        for (const QJsonObject& o : records) {
            if (o["result"].toString() == "ok")
                ok << o["unit"].toString();
            // The stations back up side by side, often in the same second: each logs its own.
            const QString port = QFileInfo(o["port"].toString()).fileName();
            QVERIFY2(o["backup"].toString().contains("-" + port + "-capcode1-"),
                     qPrintable(o["port"].toString() + " " + o["backup"].toString()));
        }
        QCOMPARE(ok.size(), 4);
        QCOMPARE(label(&s, "lblCounts"), QString("Done 4   Failed 0   Left 0"));
        QVERIFY2(label(&s, "lblRates").contains("First-pass yield 100 %"),
                 qPrintable(label(&s, "lblRates")));
        QCOMPARE(run->summaries, 1);
        QCOMPARE(run->summary.done, 4);
        QCOMPARE(run->summary.firstPassed, 4);
        QCOMPARE(run->summaryRecords.size(), 4);
        for (StationTile* t : s.tiles()) {
            QCOMPARE(t->state().stage, Stage::Pass);
            QVERIFY2(t->accessibleName().contains(": PASS, unit "),
                     qPrintable(t->accessibleName()));
        }
        QVERIFY(s.tiles()[0]->accessibleName().startsWith("Left bench on " + a.device()));
        // What a screen reader reads of the tile (the offscreen platform has no bridge to
        // hear its announcements).
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(s.tiles()[1]);
        QVERIFY(spoken->text(QAccessible::Name).startsWith("Jig 2 on " + b.device() + ": PASS"));
        QVERIFY(s.findChild<QPushButton*>("btnSetUp")->isEnabled());

        // The jig keeps its name on the next screen.
        auto next = bench({path("t.tbl"), csv, {a.device(), b.device()}, logFile});
        QCOMPARE(next->screen->tiles()[0]->jig(), QString("Left bench"));
        QCOMPARE(next->screen->tiles()[1]->jig(), QString("Jig 2"));
    }

    // The production manager's report reads the screen's log as it reads the batch's.
    void reportOfScreenLog() {
        const QString logFile = path("four.jsonl");
        QVERIFY(QFile::exists(logFile));
        const Run report = ledsign({"batch", "--report", logFile});
        if (report.code == 2 && report.err.contains("report"))
            QSKIP("ledsign batch --report is not there yet");
        QCOMPARE(report.code, 0);
        const QStringList lines = report.lines();
        QCOMPARE(lines.size(), 5); // the header and one line per unit
        QVERIFY2(lines[0].startsWith("unit,port,result,attempts,seconds,time"),
                 qPrintable(lines[0]));
        QCOMPARE(lines.filter(",ok,1,").size(), 4);
    }

    // Stop while a sign is written: the Write ends at a safe point, nothing new starts, the
    // run ends with the unit left or failed as the log says, and leaving asked first.
    void stopMidRun() {
        const QString csv = units("stop.csv", {"1000001", "1000002"});
        SimulatedSign a;
        QVERIFY(a.start(path("s"), {"--pace", "57600"}));
        auto run = bench({path("t.tbl"), csv, {a.device()}, path("stop.jsonl")});
        ProductionScreen& s = *run->screen;
        s.show();
        s.startRun();
        QTRY_VERIFY_WITH_TIMEOUT(s.signsBeingWritten(), 60000);
        int asked = 0;
        s.askLeave = [&] {
            ++asked;
            return false;
        };
        QVERIFY(!s.close());
        QCOMPARE(asked, 1);
        QVERIFY(s.running());
        s.findChild<QPushButton*>("btnStop")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!s.running(), 60000);
        a.stop();
        const QList<QJsonObject> records = log(path("stop.jsonl"));
        QCOMPARE(records.size(), 1);
        QVERIFY(records[0]["result"].toString() != "ok");
        QCOMPARE(records[0]["unit"].toString(), QString("1"));
        QVERIFY2(label(&s, "lblCounts")
                     .endsWith(records[0]["result"].toString() == "left" ? "Failed 0   Left 2"
                                                                         : "Failed 1   Left 1"),
                 qPrintable(label(&s, "lblCounts")));
        QVERIFY(s.close());
    }

    // A disk that fails to sync the first unit's record, slowly: the next sign waits for the
    // sync instead of being written meanwhile (its record could be lost as well), and the run
    // stops with the reason in front of the operator.
    void failedSyncStopsTheRun() {
        const QString csv = units("sync.csv", {"1000001", "1000002"});
        SimulatedSign a;
        QVERIFY(a.start(path("y"), {"--line", "2", "--swap-ms", "300"}));
        auto run = bench({path("t.tbl"), csv, {a.device()}, path("sync.jsonl")});
        auto syncs = std::make_shared<std::atomic<int>>(0);
        run->screen->engineOptions().syncLog = [syncs](int, QString* reason) {
            if (++*syncs == 1)
                return true; // the start line
            QThread::msleep(4000);
            *reason = "Input/output error";
            return false;
        };
        ProductionScreen& s = *run->screen;
        s.startRun();
        QTRY_VERIFY_WITH_TIMEOUT(!s.running(), 120000);
        a.stop();
        const QList<QJsonObject> records = log(path("sync.jsonl"));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0]["unit"].toString(), QString("1"));
        QVERIFY2(label(&s, "lblNotice").contains("(Input/output error); no new unit is started"),
                 qPrintable(label(&s, "lblNotice")));
        QCOMPARE(label(&s, "lblCounts"), QString("Done 1   Failed 0   Left 1"));
    }

    // A log `ledsign batch` wrote: the screen skips its units already ok and writes the rest.
    void resumesBatchLog() {
        const QString logFile = path("resume.jsonl");
        SimulatedSign a;
        QVERIFY(a.start(path("r"), lineOf(3)));
        const QString first = units("first.csv", {"1000001", "1000002"});
        RunWith env;
        env.env = QProcessEnvironment::systemEnvironment();
        const Run r = ledsign({"batch", path("t.tbl"), first, "--port", a.device(), "--log",
                               logFile, "--absence-ms", "300", "--poll-ms", "5"},
                              env);
        QCOMPARE(r.code, 0);
        const QString all = units("all.csv", {"1000001", "1000002", "1000003"});
        auto run = bench({path("t.tbl"), all, {a.device()}, logFile});
        ProductionScreen& s = *run->screen;
        s.startRun();
        QVERIFY(label(&s, "lblNotice").startsWith("2 units already ok"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.running(), 120000);
        a.stop();
        QCOMPARE(label(&s, "lblCounts"), QString("Done 3   Failed 0   Left 0"));
        const QList<QJsonObject> records = log(logFile);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[2]["unit"].toString(), QString("3"));
        QCOMPARE(run->summary.done, 3);
        QCOMPARE(run->summary.firstTried, 1);
    }
};

QTEST_MAIN(TestProduction)
#include "tst_production.moc"
