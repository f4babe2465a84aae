// The main window as the technicians know it: every control by name with its caption,
// items, Tag and limits; the menus and their shortcuts; what starts hidden or disabled.
#include "WindowFixture.h"
#include "app/PageTab.h"
#include "app/PairMaskEdit.h"
#include "app/Startup.h"
#include "protocol/ConnectionDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

QStringList items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// Every plain label's text on the window, to find captions that have no name of their own.
QStringList labelTexts(QWidget* root) {
    QStringList out;
    for (QLabel* l : root->findChildren<QLabel*>())
        out << l->text();
    return out;
}

} // namespace

class TestWindowControls : public QObject {
    Q_OBJECT

    WindowFixture fx_;
    TfrmAir* w_ = nullptr;

    QString caption(const QString& name) {
        QWidget* c = fx_.control(name);
        if (auto* g = qobject_cast<QGroupBox*>(c))
            return g->title();
        if (auto* b = qobject_cast<QAbstractButton*>(c))
            return b->text();
        if (auto* l = qobject_cast<QLabel*>(c))
            return l->text();
        return QStringLiteral("<no caption: %1>").arg(name);
    }

  private slots:
    void initTestCase() { w_ = &fx_.start(); }

    void groupsButtonsAndBoxesCarryTheirCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char*, const char*>> rows = {
            {"grpNormal", ""},
            {"GroupBox1", "Serial Output Settings"},
            {"GroupBox2", "Frequency"},
            {"GroupBox3", "Capcode(Decimal Address)"},
            {"grpSerial", "Features"},
            {"GroupBox7", "Output Features"},
            {"grpPara", "Parameters"},
            {"grpFunA", "Function Bit A"},
            {"grpFunB", "Function Bit B"},
            {"grpFunC", "Function Bit C"},
            {"grpFunD", "Function Bit D"},
            {"stcCode", "Capcode & Freq & Features"},
            {"stcFeatures", "Serial Output Features"},
            {"btnLink0E", "Link(F6)"},
            {"CheckBox7", "Test Mode"},
            {"chkCtl0", "Fun. Cmd. Checksum"},
            {"chkCtl1", "Fun. Cmd. Enable"},
            {"chkCtl2", "Fun. Cmd. Output Filter Disable"},
            {"chkCtl3", "Insert CR Before Detected LF"},
            {"chkCtl4", "Insert LF After Detected CR"},
            {"chkCtl5", "Serial Output ON"},
            {"chkFunPass", "FC as a Password"},
            {"CheckBox8", "Serial O/P Marovelkin LED"},
            {"CheckBox9", "RTS Enable"},
            {"chkPower", "Power Up Output "},
            {"chkROE", "Power & Receiving Output Enable"},
            {"chkORC", "Out Of Range Output Enable"},
            {"lblScaler", "Max.=25.5 sec"},
        };
        for (const auto& [name, text] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text);
        for (int k = 1; k <= 6; ++k)
            QTest::newRow(qPrintable(QStringLiteral("CheckBox%1").arg(k)))
                << QStringLiteral("CheckBox%1").arg(k) << QStringLiteral("ON");
        for (int i = 0; i < 9; ++i)
            QTest::newRow(qPrintable(QStringLiteral("chkOutput%1").arg(i)))
                << QStringLiteral("chkOutput%1").arg(i) << QString::number(i + 1);
        for (int f = 0; f < 4; ++f)
            QTest::newRow(qPrintable(QStringLiteral("chkOpCmd%1").arg(f)))
                << QStringLiteral("chkOpCmd%1").arg(f) << QStringLiteral("Int. Fun. Cmd.");
    }
    void groupsButtonsAndBoxesCarryTheirCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(caption(name), text);
    }

    void listsHoldTheirItemsInOrder() {
        const QStringList bands{"130-180MHz(5K)",    "130-180MHz(6.25K)", "130-180MHz(Auto)",
                                "278-290MHz(12.5K)", "400-499MHz(Auto)",  "929-932MHz(12.5k)",
                                "080-090MHz(5K)"};
        QCOMPARE(items(fx_.control<QComboBox>("cboDft")), bands);
        QCOMPARE(items(fx_.control<QComboBox>("cboPolarity")), QStringList({"Normal", "Invert"}));
        QCOMPARE(items(fx_.control<QComboBox>("cboBaud")),
                 QStringList({" 512 bps", "1200 bps", "2400 bps"}));
        for (int k = 1; k <= 24; ++k)
            QCOMPARE(items(fx_.control<QComboBox>(QStringLiteral("cboFun%1").arg(k))),
                     QStringList({"STD Num", "PRC Num", "Alpha", "Binary", "Disable"}));
        QCOMPARE(items(fx_.control<QComboBox>("ComboBox1")),
                 QStringList({"Capcode #1", "Capcode #2", "Capcode #3", "Capcode #4", "Capcode #5",
                              "Capcode #6"}));
        QCOMPARE(items(fx_.control<QComboBox>("ComboBox5")),
                 QStringList({"2400", "4800", "9600", "19200", "38400"}));
        QCOMPARE(items(fx_.control<QComboBox>("ComboBox4")), QStringList({"7", "8"}));
        QCOMPARE(items(fx_.control<QComboBox>("ComboBox2")), QStringList({"none", "odd", "even"}));
        QCOMPARE(items(fx_.control<QComboBox>("ComboBox3")), QStringList({"1", "2"}));
        QCOMPARE(items(fx_.control<QComboBox>("cboScaler")),
                 QStringList({"0.1 sec", "1 sec", "5 sec", "10 sec", "20 sec", "25 sec"}));
        QCOMPARE(
            items(fx_.control<QComboBox>("cboLng")),
            QStringList({"English", "Russian", "Danish/Norwegian", "French", "German", "Italian",
                         "Portuguese", "Spanish", "Swedish/Finnish", "Swiss", "United Kingdom"}));
    }

    void labelsWithoutNamesAreOnTheWindow() {
        const QStringList texts = labelTexts(w_->centralWidget());
        const QStringList expected{"Range Of Freq.",
                                   "Freq.",
                                   "00Hz",
                                   "Polarity",
                                   "Baud Rate",
                                   "PLLR:",
                                   "PLLN:",
                                   "MULT:",
                                   "CHANNEL:",
                                   "Fun Bit:",
                                   "A",
                                   "B",
                                   "C",
                                   "D",
                                   "Capcode #1",
                                   "Capcode #6",
                                   "Msg Time Out Delay",
                                   "Sec",
                                   "Select Capcode:",
                                   "End_Code(HEX)",
                                   "UART Baud",
                                   "Data Bits",
                                   "Parity",
                                   "Stop Bits",
                                   "Header Chars.",
                                   "Trailer Chars.",
                                   "Timeout Chars.",
                                   "Fun. Cmd. Password 1",
                                   "Fun. Cmd. Password 2",
                                   "Pre-Scaler of Period",
                                   "Output 1 Period",
                                   "Output 9 Period",
                                   "S",
                                   "Sequential Lock",
                                   "Language",
                                   "Out Of Range Time Out",
                                   "Min",
                                   "Air Prm. PW",
                                   "Read Password"};
        for (const QString& t : expected)
            QVERIFY2(texts.contains(t), qPrintable(t));
    }

    void editsHaveTheirLimitsAndMasks() {
        const QList<std::pair<const char*, int>> limits = {
            {"edtFreq", 7}, {"edtMDly", 5}, {"Edit7", 2},        {"Edit9", 10},      {"Edit10", 10},
            {"edtSLC", 3},  {"edtORC", 3},  {"edtPassword", 10}, {"edtReadPass", 10}};
        for (const auto& [name, max] : limits)
            QCOMPARE(fx_.control<QLineEdit>(name)->maxLength(), max);
        for (int k = 1; k <= 6; ++k)
            QCOMPARE(fx_.control<QLineEdit>(QStringLiteral("Edit%1").arg(k))->maxLength(), 7);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(fx_.control<QLineEdit>(QStringLiteral("edtPlsPer%1").arg(i))->maxLength(), 4);
        for (int f = 0; f < 4; ++f) {
            for (const char* stem : {"edtHeader", "edtTrailer", "edtTimeout"}) {
                auto* e = fx_.control<PairMaskEdit>(QString::fromLatin1(stem) + QString::number(f));
                QVERIFY(e);
                QCOMPARE(e->pairs(), 30);
                QCOMPARE(e->maxLength(), 89);
            }
            auto* fc = fx_.control<PairMaskEdit>(QStringLiteral("edtFC%1").arg(f));
            QCOMPARE(fc->pairs(), 4);
            QCOMPARE(fc->maxLength(), 11);
        }
    }

    void controlTablesAreFiledByTag() {
        const ControlTables& t = w_->tables();
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(t.capcodeEdits[c]->objectName(), QStringLiteral("Edit%1").arg(c + 1));
            QCOMPARE(t.capcodeBoxes[c]->objectName(), QStringLiteral("CheckBox%1").arg(c + 1));
        }
        for (int k = 0; k < 24; ++k) {
            QCOMPARE(t.messageTypeLists[k]->objectName(), QStringLiteral("cboFun%1").arg(k + 1));
            QCOMPARE(tagOf(t.messageTypeLists[k]), k);
        }
        for (int i = 0; i < 6; ++i)
            QCOMPARE(t.serialOptionBoxes[i]->objectName(), QStringLiteral("chkCtl%1").arg(i));
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(t.powerUpOutputBoxes[i]->objectName(), QStringLiteral("chkOutput%1").arg(i));
            QCOMPARE(t.periodEdits[i]->objectName(), QStringLiteral("edtPlsPer%1").arg(i));
        }
        for (int f = 0; f < 4; ++f) {
            QCOMPARE(t.headerEdits[f]->objectName(), QStringLiteral("edtHeader%1").arg(f));
            QCOMPARE(t.trailerEdits[f]->objectName(), QStringLiteral("edtTrailer%1").arg(f));
            QCOMPARE(t.timeoutEdits[f]->objectName(), QStringLiteral("edtTimeout%1").arg(f));
            QCOMPARE(t.fcEdits[f]->objectName(), QStringLiteral("edtFC%1").arg(f));
            QCOMPARE(t.intFunCmdBoxes[f]->objectName(), QStringLiteral("chkOpCmd%1").arg(f));
        }
        QCOMPARE(tagOf(fx_.control("ComboBox3")), 1);
        QCOMPARE(tagOf(fx_.control("ComboBox4")), 2);
        QCOMPARE(tagOf(fx_.control("edtSLC")), 0);
        QCOMPARE(tagOf(fx_.control("edtORC")), 1);
        QCOMPARE(tagOf(fx_.control("edtPassword")), 0);
        QCOMPARE(tagOf(fx_.control("edtReadPass")), 1);
    }

    void aBrokenLayoutDoesNotStart() {
        QWidget form;
        auto* a = new QCheckBox(&form);
        a->setObjectName(QStringLiteral("chkOutput0"));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, buildControlTables(&form));
    }

    void hiddenFeaturesAndHints() {
        QVERIFY(fx_.control("GroupBox7")->isHidden());
        QVERIFY(fx_.control("CheckBox7")->isHidden());
        QVERIFY(fx_.control("lblFilename")->isHidden());
        for (const char* name : {"edtORC", "edtPassword", "edtReadPass"})
            QVERIFY2(fx_.control(name)->isHidden(), name);
        QVERIFY(!fx_.control("edtSLC")->isHidden());
        QVERIFY(!fx_.control("cboLng")->isHidden());
        QCOMPARE(fx_.control("chkROE")->toolTip(),
                 QStringLiteral("If \"Power & Receiving Output\" is enabled then Output 7 will "
                                "be unavailable"));
        QCOMPARE(fx_.control("chkORC")->toolTip(),
                 QStringLiteral("If \"Out Of Range Output\" is enabled then Output 8 will be "
                                "unavailable"));
        // Normal Mode ran at start: both tabs show, the capcode page in front.
        QVERIFY(fx_.control("stcCode")->isVisible());
        QVERIFY(fx_.control("stcFeatures")->isVisible());
        QCOMPARE(fx_.control("stcCode")->size(), QSize(170, 20));
        const QList<QObject*> order = w_->centralWidget()->children();
        QVERIFY(order.indexOf(fx_.control("grpNormal")) > order.indexOf(fx_.control("GroupBox1")));
    }

    void menusAndShortcuts() {
        QCOMPARE(w_->menuBar()->objectName(), QStringLiteral("MainMenu1"));
        const QList<std::tuple<const char*, const char*, QKeySequence>> entries = {
            {"Open1", "Open", QKeySequence(Qt::CTRL | Qt::Key_O)},
            {"Save1", "Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {"SaveAs1", "Save As...", QKeySequence(Qt::CTRL | Qt::Key_A)},
            {"OpenTraceFolder1", "Open Trace Folder", QKeySequence()},
            {"Exit1", "Exit", QKeySequence()},
            {"Read1", "Read", QKeySequence(Qt::Key_F3)},
            {"Write1", "Write", QKeySequence(Qt::Key_F4)},
            {"Verify1", "Verify", QKeySequence(Qt::Key_F9)},
            {"NormalMode1", "Normal Mode", QKeySequence()},
            {"CheckFirmware1", "Check Firmware", QKeySequence()},
            {"Admin1", "Admin", QKeySequence()},
            {"LEDSignCommand1", "LED Sign Command", QKeySequence()},
            {"AdminMode1", "Admin Mode", QKeySequence()},
            {"Link1", "Link", QKeySequence(Qt::Key_F6)},
            {"Open2", "Open", QKeySequence()},
            {"OpenBackup1", "Open Backup...", QKeySequence()},
            {"Backups1", "Backups...", QKeySequence()},
            {"CompareWithSign1", "Compare With Sign", QKeySequence()},
            {"BackUpBeforeWrite1", "Back Up Before Write", QKeySequence()},
        };
        for (const auto& [name, text, keys] : entries) {
            QAction* a = w_->action(QString::fromLatin1(name));
            QVERIFY2(a, name);
            QCOMPARE(a->text(), QString::fromLatin1(text));
            QCOMPARE(a->shortcut(), keys);
        }
        QCOMPARE(w_->menu("File1")->actions().size(), 9); // with the separator and recent files
        QCOMPARE(w_->action("File1")->text(), QStringLiteral("File"));
        QCOMPARE(w_->action("Pager1")->text(), QStringLiteral("Pager"));
        QCOMPARE(w_->action("System1")->text(), QStringLiteral("System"));
        QCOMPARE(w_->action("File2")->text(), QStringLiteral("File"));
        QCOMPARE(w_->menu("File2")->actions().size(), 1);

        QVERIFY(w_->action("NormalMode1")->isChecked());
        QVERIFY(!w_->action("NormalMode1")->isVisible());
        QVERIFY(!w_->action("AdminMode1")->isVisible());
        QVERIFY(!w_->action("Link1")->isVisible());
        QVERIFY(!w_->action("File2")->isVisible());
        QVERIFY(w_->action("File1")->isVisible());
        QVERIFY(w_->action("Read1")->isVisible());
    }

    void pagerStaysDisabledAndItsKeysDoNothingUntilALink() {
        QVERIFY(!w_->action("Pager1")->isEnabled());
        int reads = 0, writes = 0, verifies = 0;
        auto c1 = connect(w_->action("Read1"), &QAction::triggered, [&] { ++reads; });
        auto c2 = connect(w_->action("Write1"), &QAction::triggered, [&] { ++writes; });
        auto c3 = connect(w_->action("Verify1"), &QAction::triggered, [&] { ++verifies; });
        QTest::keyClick(w_, Qt::Key_F3);
        QTest::keyClick(w_, Qt::Key_F4);
        QTest::keyClick(w_, Qt::Key_F9);
        QCOMPARE(reads + writes + verifies, 0);

        w_->enablePager();
        QTest::keyClick(w_, Qt::Key_F3);
        QCOMPARE(reads, 1);
        w_->setPagerEnabled(false);
        disconnect(c1);
        disconnect(c2);
        disconnect(c3);
    }

    void hiddenLinkItemKeepsF6() {
        int links = 0;
        auto c = connect(w_->action("Link1"), &QAction::triggered, [&] { ++links; });
        QTest::keyClick(w_, Qt::Key_F6);
        QCOMPARE(links, 1);
        // Shown, the item's own shortcut takes over; F6 still runs it once.
        w_->action("Link1")->setVisible(true);
        QTest::keyClick(w_, Qt::Key_F6);
        QCOMPARE(links, 2);
        w_->action("Link1")->setVisible(false);
        disconnect(c);
    }

    void statusBarHoldsProgressAndReady() {
        QCOMPARE(w_->statusBar()->objectName(), QStringLiteral("StatusBar1"));
        QCOMPARE(w_->statusText(), QStringLiteral(" Ready"));
        QVERIFY(!w_->statusBar()->isSizeGripEnabled());
        QProgressBar* pb = w_->progressBar();
        QCOMPARE(pb->objectName(), QStringLiteral("PB1"));
        QCOMPARE(pb->parentWidget(), w_->statusBar());
        QCOMPARE(pb->maximum(), 100);
        // Drawn once, panel 0 carries the bar over its whole width of 370.
        QTRY_VERIFY(pb->isVisible());
        QCOMPARE(pb->width(), 370);
        QCOMPARE(pb->x(), w_->statusBar()->findChild<QWidget*>("StatusPanel0")->x());

        w_->setProgressMax(500);
        w_->setProgress(120);
        w_->advanceProgress(30);
        QCOMPARE(pb->value(), 150);
        w_->advanceProgress(1000); // never past the end
        QCOMPARE(pb->value(), 500);
        w_->setProgress(0);
        w_->setProgressMax(100);
        w_->setStatusText(QStringLiteral(" Read ......"));
        QCOMPARE(w_->statusText(), QStringLiteral(" Read ......"));
        w_->setStatusText(QStringLiteral(" Ready"));
    }

    void tabsBringTheirPageToTheFront() {
        auto* code = fx_.control<PageTab>("stcCode");
        auto* features = fx_.control<PageTab>("stcFeatures");
        QWidget* normal = fx_.control("grpNormal");
        QWidget* serial = fx_.control("GroupBox1");
        QVERIFY(code->selectedLook());
        QTest::mouseClick(features, Qt::LeftButton);
        QTest::mouseClick(features, Qt::LeftButton);
        QVERIFY(features->selectedLook());
        QVERIFY(!code->selectedLook());
        auto order = w_->centralWidget()->children();
        QVERIFY(order.indexOf(serial) > order.indexOf(normal));
        QCOMPARE(features->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(features->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(code->palette().color(QPalette::WindowText), QColor(Qt::black));

        QTest::mouseClick(code, Qt::LeftButton);
        order = w_->centralWidget()->children();
        QVERIFY(order.indexOf(normal) > order.indexOf(serial));
        QVERIFY(code->selectedLook());
    }

    void connectionDialogAtStartSideToolsWhenFirstAskedFor() {
        WindowFixture fx;
        TfrmAir& w = fx.create();
        const auto dialogs = [&w] {
            QStringList names;
            for (QObject* o : w.children())
                if (auto* d = qobject_cast<QDialog*>(o)) {
                    names << d->objectName();
                    if (!d->isHidden())
                        names << QStringLiteral("shown!");
                }
            return names;
        };
        QCOMPARE(sideTool(w, AccessDoor::Admin).tool, nullptr); // nothing to make them yet
        createStartupWindows(w);
        QCOMPARE(dialogs(), QStringList{"frmConn"});
        QCOMPARE(w.frmConn()->windowTitle(), QStringLiteral("Connection"));

        const SideTool command = sideTool(w, AccessDoor::LedSignCommand);
        QCOMPARE(dialogs(), QStringList({"frmConn", "frmCommand", "PasswordDlg1"}));
        QCOMPARE(command.tool->windowTitle(), QStringLiteral("LED Sign Command"));
        const SideTool admin = sideTool(w, AccessDoor::Admin);
        QCOMPARE(admin.tool->windowTitle(), QStringLiteral("Alpha Data"));
        QCOMPARE(admin.ask->objectName(), QStringLiteral("PasswordDlg"));
        // Made once: the same dialogs from then on.
        QCOMPARE(sideTool(w, AccessDoor::LedSignCommand).tool, command.tool);
        QCOMPARE(sideTool(w, AccessDoor::Admin).ask, admin.ask);
        QCOMPARE(dialogs(), QStringList({"frmConn", "frmCommand", "PasswordDlg1", "frmSpager",
                                         "PasswordDlg"}));
        QCOMPARE(w.windowTitle(), QStringLiteral("Marovelkin LED Sign Programmer Version 2.52"));
    }

    void serialPageStartsSwitchedOff() {
        WindowFixture fx;
        TfrmAir& w = fx.create(); // not shown: no refresh yet
        QVERIFY(!w.control("grpPara")->isEnabled());
        for (const char* name : {"edtMDly", "ComboBox1", "Edit7", "chkCtl2", "CheckBox8"})
            QVERIFY2(!w.control(name)->isEnabledTo(w.control("grpPara")), name);
        QVERIFY(w.control("Panel2")->isEnabledTo(w.control("grpPara")));
        QVERIFY(!w.control("ComboBox5")->isEnabledTo(w.control("Panel2")));
        for (int f = 0; f < 4; ++f) {
            QWidget* g = w.control(QStringLiteral("grpFun") + QChar(u'A' + f));
            QVERIFY(!g->isEnabled());
            QVERIFY(!w.control(QStringLiteral("chkOpCmd%1").arg(f))->isEnabledTo(g));
            QVERIFY(!w.control(QStringLiteral("edtFC%1").arg(f))->isEnabledTo(g));
            QVERIFY(w.control(QStringLiteral("edtHeader%1").arg(f))->isEnabledTo(g));
        }
        QVERIFY(w.control("chkCtl5")->isEnabled());
        QCOMPARE(w.control("lblPLLR")->property("text").toString(), QStringLiteral("0000"));
        QCOMPARE(w.control("lblMULT")->property("text").toString(), QStringLiteral("0"));
    }

    void exitClosesTheWindow() {
        WindowFixture fx;
        TfrmAir& w = fx.start();
        QVERIFY(w.isVisible());
        w.action("Exit1")->trigger();
        QVERIFY(!w.isVisible());
    }

    void maximisedAtCreation() {
        TfrmAir::Options o;
        o.startDirectory = fx_.dir.path();
        o.settingsFile = fx_.config.filePath(QStringLiteral("ledsign.conf")); // never the user's
        ScriptedSeam seam;
        o.seam = &seam;
        TfrmAir w(o);
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QCOMPARE(w.designLayout().designSize(), QSize(1024, 768));
    }
};

QTEST_MAIN(TestWindowControls)
#include "tst_window_controls.moc"
