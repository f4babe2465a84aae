// The window against the simulated sign, as a technician uses it: Link(F6) and the
// Connection dialog, Read, Write and Verify through the "Pager" menu, and what the window
// allows while an exchange waits (nothing that starts another one or changes the image).
#include "ModalScript.h"
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "WindowFixture.h"
#include "app/BackupsWindow.h"
#include "app/CompareDialog.h"
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/PairMaskEdit.h"
#include "app/Startup.h"
#include "backup/Backups.h"
#include "core/Messages.h"
#include "editor/SerialOutputRules.h"
#include "protocol/ConnectionDialog.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>

using namespace layout;

namespace {

const QString kConnected = "message: " + msg::connectionSuccess;
const QString kReadSuccess = "message: " + msg::readSuccess;

// What the lock switches off, by objectName.
const QStringList kLockedItems{"Open1",  "Save1",           "SaveAs1", "Open2",
                               "Read1",  "Write1",          "Verify1", "CheckFirmware1",
                               "Admin1", "LEDSignCommand1", "Link1"};
const QStringList kLockedControls{"grpNormal",   "GroupBox1", "stcCode",
                                  "stcFeatures", "btnLink0E", "CheckBox7"};

// Every control's enabled state as the user sees it, in creation order.
QStringList controlStates(const TfrmAir& w) {
    QStringList out;
    for (const QWidget* c : w.centralWidget()->findChildren<QWidget*>())
        out << c->objectName() + (c->isEnabled() ? "=on" : "=off");
    return out;
}
QStringList itemStates(const TfrmAir& w) {
    QStringList out;
    for (const QAction* a : w.menuBar()->findChildren<QAction*>())
        out << a->objectName() + (a->isEnabled() ? "=on" : "=off");
    out << QString("Link1Shortcut=%1")
               .arg(w.findChild<QShortcut*>("Link1Shortcut")->isEnabled() ? "on" : "off");
    return out;
}

// The locked items and controls that are still usable; empty when the lock holds.
QStringList unlocked(TfrmAir& w) {
    QStringList out;
    for (const QString& name : kLockedItems)
        if (w.action(name)->isEnabled())
            out << name;
    for (const QString& name : kLockedControls)
        if (w.control(name)->isEnabled())
            out << name;
    if (w.findChild<QShortcut*>("Link1Shortcut")->isEnabled())
        out << "Link1Shortcut";
    if (w.control("Edit1")->isEnabled())
        out << "Edit1";
    return out;
}

struct DeviceWindow {
    QTemporaryDir dir;
    QString state = dir.filePath("sign.bin");
    SimulatedSign sim;
    ActingSeam seam;
    std::unique_ptr<TfrmAir> window;

    // The window as the program starts it (dialogs included), with ports for the list.
    TfrmAir& start(const QStringList& ports) {
        // Never the user's own settings.
        window = startDeviceWindow(dir.path(), seam, ports, dir.filePath("ledsign.conf"));
        return *window;
    }
    bool startSign(const QStringList& arguments = {}) { return sim.start(state, arguments); }

    // Link(F6) by the button: the dialog lists the ports; the test picks one (the first when
    // empty) and presses "OK". Returns the ports the list offered.
    QStringList link(const QString& port = {}) {
        QStringList listed;
        TfrmConn* d = window->frmConn();
        QTimer::singleShot(0, d, [&listed, d, port] {
            if (!d->isVisible())
                return;
            for (int i = 0; i < d->cboComPort->count(); ++i)
                listed << d->cboComPort->itemData(i).toString();
            if (!port.isEmpty())
                d->cboComPort->setCurrentIndex(d->cboComPort->findData(port));
            d->Button1->click();
        });
        window->control<QPushButton>("btnLink0E")->click();
        return listed;
    }
    void trigger(const char* item) { window->action(item)->trigger(); }
    QString text(const char* name) { return window->control<QLineEdit>(name)->text(); }
    bool portOpen() { return window->device().port().isOpen(); }
};

} // namespace

class TestWindowDevice : public QObject {
    Q_OBJECT

  private slots:
    void linkOffersTheSignAndEnablesThePagerForGood() {
        DeviceWindow r;
        QVERIFY(r.startSign());
        qunsetenv("LEDSIGN_PORTS");
        TfrmAir& w = r.start({r.sim.device(), "/dev/ledsign-test-none"});
        QCOMPARE(&w.device().exchange().seam(), static_cast<UserSeam*>(&r.seam));
        QVERIFY(!w.action("Pager1")->isEnabled());

        QStringList lockedWhileConnecting;
        r.seam.onBreath = [&] {
            if (lockedWhileConnecting.isEmpty())
                lockedWhileConnecting = unlocked(w) << "checked";
        };
        const QStringList listed = r.link();
        QCOMPARE(listed.mid(0, 2), (QStringList{r.sim.device(), "/dev/ledsign-test-none"}));
        QCOMPARE(lockedWhileConnecting, QStringList{"checked"});
        QCOMPARE(r.seam.shown, QStringList{kConnected});
        QVERIFY(w.action("Pager1")->isEnabled());
        QCOMPARE(w.device().link().portName, r.sim.device());
        QVERIFY(!w.frmConn()->isVisible());
        QVERIFY(!r.portOpen());
        QVERIFY(unlocked(w).size() > 10);

        // A later link that fails leaves the menu as it is; F6 opens the dialog too.
        r.seam.clear();
        r.seam.onBreath = nullptr;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        TfrmConn* d = w.frmConn();
        QTimer::singleShot(0, d, [d] {
            if (!d->isVisible())
                return;
            d->cboComPort->setCurrentIndex(1);
            d->Button1->click();
        });
        QTest::keyClick(&w, Qt::Key_F6);
        const QString noPort = "message: " + msg::portInUse + "\n" + msg::portMissing;
        QCOMPARE(r.seam.shown, (QStringList{noPort, noPort}));
        QVERIFY(w.action("Pager1")->isEnabled());

        // The ports named in LEDSIGN_PORTS are offered as well.
        qputenv("LEDSIGN_PORTS", "/dev/ledsign-test-env");
        r.seam.clear();
        QVERIFY(r.link(r.sim.device()).contains("/dev/ledsign-test-env"));
        qunsetenv("LEDSIGN_PORTS");
        QCOMPARE(r.seam.shown, QStringList{kConnected});
    }

    void failedLinksLeaveThePagerDisabled() {
        // A port that cannot be opened: the reason twice (at "OK" and at the first attempt).
        DeviceWindow r;
        TfrmAir& w = r.start({"/dev/ledsign-test-none"});
        r.link();
        const QString noPort = "message: " + msg::portInUse + "\n" + msg::portMissing;
        QCOMPARE(r.seam.shown, (QStringList{noPort, noPort}));
        QVERIFY(!w.action("Pager1")->isEnabled());

        // A line where nobody answers: 20 attempts, then "Connection Fail !".
        PtyPeer peer;
        QVERIFY(peer.ok());
        DeviceWindow s;
        TfrmAir& v = s.start({peer.path()});
        useQuickLinkTiming(v.device().exchange());
        s.link();
        QCOMPARE(s.seam.shown, QStringList{"message: " + msg::connectionFail});
        QCOMPARE(peer.frames().size(), ConnectionAttempts::kMaxAttempts);
        QVERIFY(!v.action("Pager1")->isEnabled());
        QVERIFY(!s.portOpen());
    }

    void readLoadsTheSignsDataIntoTheControls_data() { onBothSigns(); }
    void readLoadsTheSignsDataIntoTheControls() {
        DeviceWindow r;
        QVERIFY(r.startSign(signOfRow({"--init", "pager"})));
        TfrmAir& w = r.start({r.sim.device()});
        r.link();
        const QString passwordBefore = r.text("edtPassword");
        r.seam.clear();

        r.trigger("Read1");
        QCOMPARE(r.seam.shown, (QStringList{kReadSuccess, "message: " + msg::readPagerFormat}));
        // A pager receiver's core settings are taken (capcodes, frequency, sequential lock),
        // not its passwords.
        QCOMPARE(r.text("Edit1"), QStringLiteral("1111111"));
        QCOMPARE(r.text("edtSLC"), QStringLiteral("9"));
        QCOMPARE(r.text("edtPassword"), passwordBefore);
        QVERIFY(w.action("Write1")->isEnabled());
        QVERIFY(!r.portOpen());
    }

    void compareWithSignShowsSignAndWindowSideBySide() {
        DeviceWindow r;
        QVERIFY(r.startSign());
        TfrmAir& w = r.start({r.sim.device()});
        QVERIFY(w.action("BackUpBeforeWrite1")->isCheckable());
        r.link();
        r.seam.clear();
        r.trigger("CompareWithSign1");
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::signHoldsSettings});

        w.image().setCapcode(2, 1987654);
        w.refreshFromImage();
        std::unique_ptr<CompareDialog> shown;
        w.showDifferences = [&](const settings::Differences& d) {
            shown = std::make_unique<CompareDialog>(d, &w);
            shown->show();
        };
        r.trigger("CompareWithSign1");
        QVERIFY(shown);
        QTableWidget* t = shown->table();
        QCOMPARE(t->objectName(), QStringLiteral("grdDifferences"));
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->columnCount(), 3);
        QCOMPARE(t->horizontalHeaderItem(1)->text(), msg::label::compareSign);
        QCOMPARE(t->item(0, 1)->text(), QStringLiteral("1234562"));
        QCOMPARE(t->item(0, 2)->text(), QStringLiteral("1987654"));
        QVERIFY(!r.portOpen());
    }

    void aBackupComparesWithTheLinkedSignFromTheBackupsWindow() {
        DeviceWindow r;
        QVERIFY(r.startSign());
        TfrmAir& w = r.start({r.sim.device()});
        ParamImage old;
        old.setCapcode(2, 1987654);
        QString reason;
        const QString file =
            backup::Store().add({"/dev/ttyOld", "write", {}, 1, old.toByteArray()}, &reason);
        QVERIFY2(!file.isEmpty(), qPrintable(reason));
        r.trigger("Backups1");
        auto* backups = w.findChild<BackupsWindow*>("frmBackups");
        QVERIFY(backups && backups->isVisible());
        auto* compare = backups->findChild<QPushButton*>("btnCompareBackup");
        backups->filter()->setText("ttyOld");
        backups->table()->selectRow(0);
        QCOMPARE(backups->selectedPath(), file);
        QVERIFY(!compare->isEnabled()); // no sign linked yet

        r.link();
        backups->updateButtons();
        QVERIFY(compare->isEnabled());
        std::optional<settings::Differences> shown;
        w.showDifferences = [&](const settings::Differences& d) { shown = d; };
        compare->click();
        QVERIFY(shown);
        QCOMPARE(shown->settings.size(), 1);
        QCOMPARE(shown->settings.first().from, QStringLiteral("1234562"));
        QCOMPARE(shown->settings.first().to, QStringLiteral("1987654"));
        // The window's own settings were left alone.
        QCOMPARE(w.image().capcode(2), ParamImage().capcode(2));
        QVERIFY(!r.portOpen());
    }

    void writeThenVerifyAndTheOpenPortClosesWithTheWindow_data() { onBothSigns(); }
    void writeThenVerifyAndTheOpenPortClosesWithTheWindow() {
        DeviceWindow r;
        QVERIFY(r.startSign(signOfRow()));
        TfrmAir& w = r.start({r.sim.device()});
        r.link();
        w.image().setCapcode(2, 7654321);
        w.refreshFromImage();
        r.seam.clear();

        QStringList writeItemDuringWrite;
        r.seam.onBreath = [&] {
            if (writeItemDuringWrite.isEmpty())
                writeItemDuringWrite << (w.action("Write1")->isEnabled() ? "on" : "off");
        };
        r.trigger("Write1");
        QCOMPARE(writeItemDuringWrite, QStringList{"off"});
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::transmitSuccess});
        QVERIFY(w.action("Write1")->isEnabled());
        QCOMPARE(bankIn(signMemory(r.state), 0).left(kSummedBytes),
                 w.image().toByteArray().left(kSummedBytes));

        r.seam.clear();
        r.trigger("Verify1");
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::verifySuccess});

        // A difference leaves the port open after the message; closing the window closes it.
        // After the message, what differs in columns: setting, sign, file.
        w.image().set(kSequentialLock, quint8(w.image().at(kSequentialLock) ^ 1));
        r.seam.clear();
        QStringList rows;
        ModalScript verifyDialog({[&rows](QDialog& d) {
            auto* t = d.findChild<QTableWidget*>("grdDifferences");
            rows << d.windowTitle() << t->horizontalHeaderItem(1)->text()
                 << t->horizontalHeaderItem(2)->text();
            for (int row = 0; t && row < t->rowCount(); ++row)
                rows << t->item(row, 0)->text();
            d.reject();
        }});
        r.trigger("Verify1");
        QCOMPARE(r.seam.shown.size(), 1);
        QVERIFY(r.seam.shown[0].startsWith("message: Verify Error! Htag = "));
        QCOMPARE(verifyDialog.seen, QStringList{"VerifyDialog1"});
        QCOMPARE(rows, (QStringList{msg::window::verifyCaption, msg::window::verifySign,
                                    msg::window::verifyFile, msg::label::sequentialLock}));
        QVERIFY(r.portOpen());
        QVERIFY(w.close());
        QVERIFY(!r.portOpen());
    }

    void anExchangeLocksTheWindowAndGivesItBackAsTheRulesLeftIt() {
        DeviceWindow r;
        QVERIFY(r.startSign());
        TfrmAir& w = r.start({r.sim.device()});
        r.link();
        // The sign gets an image with the serial output on and the function command controls
        // off; the window then shows the serial output off.
        serialrules::setSerialOption(w.image(), serialrules::kSerialOutputOnTag, true);
        serialrules::setSerialOption(w.image(), 1, true);
        w.refreshFromImage();
        r.trigger("Write1");
        serialrules::setSerialOption(w.image(), serialrules::kSerialOutputOnTag, false);
        w.refreshFromImage();
        w.files().markKept(); // as if opened so: the read does not ask about it first
        QVERIFY(!w.control("grpPara")->isEnabled());
        const QStringList itemsBefore = itemStates(w);
        w.activateWindow();
        w.control("Edit1")->setFocus();
        r.seam.clear();

        QStringList duringRead;
        bool dialogOpened = false;
        r.seam.onBreath = [&] {
            if (!duringRead.isEmpty())
                return;
            duringRead = unlocked(w) << "checked";
            // Everything that would start another exchange does nothing.
            QTimer::singleShot(0, w.frmConn(), [&] {
                if (w.frmConn()->isVisible()) {
                    dialogOpened = true;
                    w.frmConn()->reject();
                }
            });
            r.trigger("Read1");
            w.Read1Click();
            QTest::keyClick(&w, Qt::Key_F3);
            QTest::keyClick(&w, Qt::Key_F6);
            w.btnLink0EClick();
            w.CheckFirmware1Click();
        };
        r.trigger("Read1");
        QCOMPARE(duringRead, QStringList{"checked"});
        QVERIFY(!dialogOpened);
        QCOMPARE(r.seam.shown, QStringList{kReadSuccess});
        QCOMPARE(r.seam.statuses, (QStringList{msg::statusRead, msg::statusReady}));
        QCOMPARE(w.focusWidget(), w.control<QLineEdit>("edtNull"));

        // Menu items as before; the controls as a window that only refreshed this image.
        QCOMPARE(itemStates(w), itemsBefore);
        QVERIFY(w.control("grpPara")->isEnabled());
        QVERIFY(!w.tables().fcEdits[0]->isEnabled());
        DeviceWindow fresh;
        TfrmAir& v = fresh.start({});
        v.image().assign(w.image().toByteArray());
        v.refreshFromImage();
        QCOMPARE(controlStates(w), controlStates(v));

        // A state asked for during an exchange is the one it ends with; controls switched
        // off before stay off.
        serialrules::setSerialOption(w.image(), serialrules::kSerialOutputOnTag, false);
        w.refreshFromImage();
        const QStringList controlsBefore = controlStates(w);
        QVERIFY(controlsBefore.contains("edtMDly=off"));
        r.seam.clear();
        r.seam.onBreath = [&] { w.setWriteEnabled(false); };
        r.trigger("CheckFirmware1");
        QCOMPARE(r.seam.shown, QStringList{"message: Model : POCSAG  Version = 2.52"});
        QVERIFY(!w.action("Write1")->isEnabled());
        w.setWriteEnabled(true);
        QCOMPARE(itemStates(w), itemsBefore);
        QCOMPARE(controlStates(w), controlsBefore);
    }

    void aCloseDuringAnExchangeWaitsForItsEnd() {
        DeviceWindow r;
        QVERIFY(r.startSign());
        TfrmAir& w = r.start({r.sim.device()});
        bool refused = false;
        r.seam.onBreath = [&] {
            if (w.isVisible() && !refused)
                refused = !w.close();
        };
        r.link(); // closing during the Connection dialog's attempts
        QVERIFY(refused);
        QCOMPARE(r.seam.shown, QStringList{kConnected});
        QVERIFY(!w.isVisible());

        // Shown again, the same during a read.
        w.show();
        refused = false;
        r.seam.clear();
        r.trigger("Read1");
        QVERIFY(refused);
        QCOMPARE(r.seam.shown, QStringList{kReadSuccess});
        QVERIFY(!w.isVisible());
        QVERIFY(!r.portOpen());
    }

    void theWindowsOwnSeamIsTheOneTheExchangeReportsThrough() {
        TfrmAir w;
        QCOMPARE(&w.device().exchange().seam(), &w.seam());
    }
};

QTEST_MAIN(TestWindowDevice)
#include "tst_window_device.moc"
