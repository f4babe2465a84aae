// What the window tells is true: the caption's mark against the file it names (after a Read
// too), the linked port in the status bar, a table file named on the command line, and the
// support bundle with everything a helper needs and no password.
#include "ModalScript.h"
#include "SimulatedSign.h"
#include "WindowFixture.h"
#include "app/CaptionState.h"
#include "app/DeviceSide.h"
#include "app/LinkedPortField.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/SupportBundleDialog.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "protocol/ConnectionDialog.h"
#include "support/ZipArchive.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

using namespace layout;
using Choice = UserSeam::SaveChoice;

namespace {

const QString kCaption = msg::windowCaption;

struct SignWindow {
    QTemporaryDir dir;
    QString state = dir.filePath("sign.bin");
    QString settings = dir.filePath("ledsign.conf");
    SimulatedSign sim;
    ActingSeam seam;
    std::unique_ptr<TfrmAir> window;

    TfrmAir& start(const QStringList& ports) {
        window = startDeviceWindow(dir.path(), seam, ports, settings);
        window->files().askSaveFileName = [this](const QString&) {
            return dir.filePath("saved.tbl");
        };
        return *window;
    }
    // Link(F6), the port picked and "OK" pressed.
    void link(const QString& port) {
        TfrmConn* d = window->frmConn();
        QTimer::singleShot(0, d, [d, port] {
            d->cboComPort->setCurrentIndex(d->cboComPort->findData(port));
            d->Button1->click();
        });
        window->btnLink0EClick();
    }
    QString field() const { return window->linkedPortField()->text(); }
    // An edit committed as a rule commits it.
    void edit(int capcode, quint32 value) {
        window->guard([&] {
            window->image().setCapcode(capcode, value);
            window->refreshFromImage();
        });
    }
    QString tableFile(quint32 capcode3) {
        ParamImage im;
        im.setCapcode(2, capcode3);
        im.writeModelTag();
        const QString name = dir.filePath("site-b.tbl");
        if (!writeFileBytes(name, im.toByteArray()))
            qWarning("cannot write %s", qPrintable(name));
        return name;
    }
};

// The passwords a sign is given before the bundle is made: none may be in it, as text or as
// the hex of a trace.
const QStringList kPasswords{"Zq7Air", "Xw3Read", "Kv8Fc1", "Jm5Fc2"};

bool holdsSecret(const QByteArray& data, const QString& secret) {
    const QByteArray text = secret.toLatin1();
    return data.contains(text) || data.toLower().contains(text.toHex(' ').toLower());
}

} // namespace

class TestWindowTells : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // Traces and backups of this suite only.
        static QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    }

    void theMarkIsAgainstTheNamedFileAfterAReadToo() {
        SignWindow r;
        QVERIFY(r.sim.start(r.state));
        TfrmAir& w = r.start({r.sim.device()});
        const QString file = r.tableFile(777);
        QVERIFY(openFromCommandLine(w, file));
        const QString named = kCaption + " - [" + file + "]";
        QCOMPARE(w.windowTitle(), named);
        r.edit(3, 4242);
        QCOMPARE(w.windowTitle(), named + " *");
        w.Save1Click();
        QCOMPARE(w.windowTitle(), named);

        // The sign holds other settings: the window now differs from the file it names.
        r.link(r.sim.device());
        r.seam.clear();
        w.Read1Click();
        const QString readFrom = " - " + msg::window::readFrom(shownPortName(r.sim.device()));
        QCOMPARE(w.windowTitle(), named + readFrom + " *");
        QVERIFY(w.files().settingsModified());
        // ... so closing asks about the file, and Cancel keeps the window.
        r.seam.saveChoices = {Choice::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(r.seam.shown.last(), "save question: " + msg::saveChangesQuestion("site-b.tbl"));

        // Saved, the file holds the sign's settings; reading the same again marks nothing and
        // asks nothing.
        w.Save1Click();
        QCOMPARE(w.windowTitle(), named);
        r.seam.clear();
        w.Read1Click();
        QCOMPARE(w.windowTitle(), named + readFrom);
        QVERIFY(!r.seam.shown.join('\n').contains("save question"));

        // A Write leaves the file as it was: an edit written to the sign stays marked.
        r.edit(3, 5151);
        w.Write1Click();
        QCOMPARE(w.windowTitle(), named + readFrom + " *");
        w.Save1Click();
        QCOMPARE(w.windowTitle(), named);
    }

    void theStatusFieldShowsTheLinkedPortUntilTheLineIsLost() {
        SignWindow r;
        QVERIFY(r.sim.start(r.state));
        TfrmAir& w = r.start({r.sim.device(), "/dev/ledsign-test-none"});
        QVERIFY(w.linkedPortField()->isVisible());
        QCOMPARE(r.field(), msg::window::notLinked);
        const QString shown = shownPortName(r.sim.device());

        r.link(r.sim.device());
        QCOMPARE(r.field(), shown);
        QCOMPARE(w.memory().lastPort(), r.sim.device());
        w.CheckFirmware1Click();
        QCOMPARE(r.field(), shown + " \u00b7 2.52");

        // A Link to a port that does not answer: nothing linked, and that port not remembered.
        r.link("/dev/ledsign-test-none");
        QCOMPARE(r.field(), msg::window::notLinked);
        QCOMPARE(w.memory().lastPort(), r.sim.device());

        // Linked again, then the sign goes away under a Read.
        r.link(r.sim.device());
        QCOMPARE(r.field(), shown); // the firmware of another link is not assumed
        r.sim.stop();
        r.seam.clear();
        w.Read1Click();
        QVERIFY(r.seam.shown.contains("message: " + msg::boardNotFound));
        QCOMPARE(r.field(), msg::window::notLinked);
    }

    void aTableFileNamedOnTheCommandLineOpens() {
        SignWindow r;
        TfrmAir& w = r.start({});
        r.tableFile(777);
        // A name relative to the working directory, as a shell passes it.
        const QString before = QDir::currentPath();
        QDir::setCurrent(r.dir.path());
        const bool opened = openFromCommandLine(w, "site-b.tbl");
        QDir::setCurrent(before);
        QVERIFY(opened);
        QCOMPARE(w.currentTableFile(), r.dir.filePath("site-b.tbl"));
        QCOMPARE(w.image().capcode(2), quint32(777));
        QCOMPARE(w.memory().recentFiles().value(0), r.dir.filePath("site-b.tbl"));
        QVERIFY(!openFromCommandLine(w, r.dir.filePath("missing.tbl")));
        QCOMPARE(r.seam.shown.size(), 1);

        // The program takes the files the toolkit left: its own options are no file.
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + "/../bin/ledsign-programmer",
                {"-platform", "offscreen", "a.tbl", "b.tbl"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("one table file"));
    }

    void theSupportBundleHoldsWhatAHelperNeedsAndNoPassword() {
        SignWindow r;
        // A remembered secret of some later feature is masked like the signs' passwords.
        {
            QSettings s(r.settings, QSettings::IniFormat);
            s.setValue("network/password", "Pq4Remembered");
        }
        QVERIFY(r.sim.start(r.state));
        TfrmAir& w = r.start({r.sim.device()});
        r.link(r.sim.device());
        const int at[] = {kAirPassword, kReadPassword, kFcPassword1, kFcPassword2};
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < kPasswords[i].size(); ++k)
                w.image().set(at[i] + k, quint8(kPasswords[i].at(k).toLatin1()));
        w.Write1Click();
        r.seam.inputs = {kPasswords[1]};
        w.Read1Click(); // a backup of the sign's settings, passwords and all
        QCOMPARE(r.seam.shown.last(), "message: " + msg::readSuccess);
        w.device().closePort();

        const QString zipPath = r.dir.filePath("bundle.zip");
        w.askBundleFileName = [&](const QString&) { return zipPath; };
        QStringList listed, withImages;
        ModalScript script({[&](QDialog& d) {
            auto& dialog = static_cast<SupportBundleDialog&>(d);
            listed = dialog.listedNames();
            dialog.chkImages->setChecked(true);
            withImages = dialog.listedNames();
            dialog.btnSave->click();
        }});
        r.seam.clear();
        w.action("SupportBundle1")->trigger();
        QCOMPARE(script.seen, QStringList{"frmSupportBundle"});
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::window::supportSaved(zipPath)});

        const auto members = ziparchive::read(zipPath);
        QVERIFY(members);
        QStringList names;
        for (const ziparchive::Member& m : *members) {
            names << m.name;
            for (const QString& secret : kPasswords + QStringList{"Pq4Remembered"})
                QVERIFY2(!holdsSecret(m.data, secret), qPrintable(m.name + " holds " + secret));
        }
        // What the dialog listed is what was saved.
        QCOMPARE(names, withImages);
        for (const char* name : {"MANIFEST.txt", "versions.txt", "ports.txt", "doctor.txt",
                                 "settings/ledsign.conf", "backups/index.jsonl"})
            QVERIFY2(names.contains(name), qPrintable(name));
        QVERIFY(names.filter(QRegularExpression("^traces/trace-.*\\.txt$")).size() >= 1);
        const QStringList images = names.filter(QRegularExpression("^backups/.*\\.tbl$"));
        QVERIFY(images.size() >= 2); // before the write, and the read
        QVERIFY(listed.filter(QRegularExpression("\\.tbl$")).isEmpty());

        auto member = [&](const QString& name) {
            for (const ziparchive::Member& m : *members)
                if (m.name == name)
                    return m.data;
            return QByteArray();
        };
        QVERIFY(member("versions.txt").contains("Qt " + QByteArray(qVersion())));
        QVERIFY(member("ports.txt").contains(r.sim.device().toUtf8()));
        QVERIFY(member("doctor.txt").contains("passed  Link"));
        QVERIFY(member("settings/ledsign.conf").contains("password=***"));
        const QByteArray manifest = member("MANIFEST.txt");
        for (const QString& name : names.mid(1))
            QVERIFY2(manifest.contains(name.toUtf8()), qPrintable(name));
        QVERIFY(manifest.contains("network/password"));
        // A masked image still shows everything else: its capcodes are the sign's.
        ParamImage masked;
        masked.assign(member(images.first()));
        QCOMPARE(masked.capcode(0), w.image().capcode(0));
    }
};

QTEST_MAIN(TestWindowTells)
#include "tst_window_tells.moc"
