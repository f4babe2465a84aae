// System > "LED Sign Command": the access code in front of the dialog, and the dialog's
// controls and command files as the user meets them.
#include "ModalScript.h"
#include "TestFiles.h"
#include "WindowFixture.h"
#include "app/ReadingOrder.h"
#include "app/Startup.h"
#include "signcmd/CommandDialog.h"
#include "signcmd/CommandTable.h"

#include <QComboBox>
#include <QLabel>

using namespace signcmd;

class TestWindowCommand : public QObject {
    Q_OBJECT

    WindowFixture fx_;
    TfrmCommand* dialog_ = nullptr;

    QComboBox* box(const char* name) const {
        return dialog_->findChild<QComboBox*>(QLatin1String(name));
    }
    void openFile(const QString& path) {
        dialog_->askOpenFileName = [path](const QString&) { return path; };
        dialog_->Button3Click();
    }
    void saveFile(const QString& path) {
        dialog_->askSaveFileName = [path](const QString&) { return path; };
        dialog_->Button1Click();
    }

  private slots:
    void init() {
        fx_.seam.clear();
        fx_.create();
        createStartupWindows(*fx_.window);
        fx_.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fx_.window.get()));
        // Made after the window's first show, as its menu item makes it.
        dialog_ =
            qobject_cast<TfrmCommand*>(sideTool(*fx_.window, AccessDoor::LedSignCommand).tool);
        QVERIFY(dialog_);
    }
    void cleanup() { fx_.window.reset(); }

    void labelsAndControlsAfterTheFirstShow() {
        for (const Command& c : commands()) {
            auto* label = dialog_->findChild<QLabel*>(QStringLiteral("lblCmd%1").arg(c.number));
            QVERIFY(label);
            QCOMPARE(label->text(), QLatin1String(c.keyword) + QLatin1Char('='));
            QCOMPARE(label->toolTip(), c.description);
            QWidget* control = dialog_->findChild<QWidget*>(QLatin1String(c.control));
            QVERIFY2(control, c.control);
            if (c.items.isEmpty()) {
                auto* edit = qobject_cast<QLineEdit*>(control);
                QVERIFY(edit);
                QCOMPARE(edit->maxLength(), c.limit);
            } else {
                auto* list = qobject_cast<QComboBox*>(control);
                QVERIFY(list && list->isEditable());
                QCOMPARE(list->count(), c.items.size());
            }
        }
        QCOMPARE(box("ComboBox11")->currentText(), QStringLiteral("2(2 Lines)"));
        QCOMPARE(box("ComboBox17")->currentText(), QStringLiteral("B(Animation)"));
        QCOMPARE(box("ComboBox9")->currentText(), QStringLiteral("2(After All Msg)"));
        QCOMPARE(box("ComboBox15")->currentText(), QStringLiteral("LIFO"));
        QCOMPARE(dialog_->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text().size(), 6);
        QCOMPARE(dialog_->Button2->text(), QStringLiteral("Send"));
        QCOMPARE(dialog_->Button1->text(), QStringLiteral("Save INI File"));
        QCOMPARE(dialog_->Button3->text(), QStringLiteral("Open INI File"));
    }

    void tabAndScreenReadersFollowTheCaptions() {
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_));
        QCOMPARE(dialog_->controls[0]->accessibleName(), QStringLiteral("MKLEDTM"));
        QCOMPARE(dialog_->controls[0]->accessibleDescription(),
                 QStringLiteral("Timer Display On/Off"));
        const QList<QWidget*> order = readingOrder(dialog_);
        QCOMPARE(order.first(), dialog_->controls[0]);
        QCOMPARE(order.size(), signcmd::kCommandCount + 3); // and the three buttons
        QCOMPARE(order.last(), static_cast<QWidget*>(dialog_->Button3));
        dialog_->hide();
    }

    void theFileDialogsStartInTheLastFolderAcrossRuns() {
        QString asked;
        const auto record = [&asked](const QString& folder) {
            asked = folder;
            return QString();
        };
        dialog_->askOpenFileName = record;
        dialog_->Button3Click();
        QCOMPARE(asked, fx_.dir.path()); // the start directory, not the program's folder
        QTemporaryDir elsewhere;
        const QString file = elsewhere.filePath("sign.ini");
        saveFile(file);

        // The next run (same settings folder) starts where the last file was chosen.
        fx_.window.reset();
        init();
        dialog_->askSaveFileName = record;
        dialog_->Button1Click();
        QCOMPARE(asked, elsewhere.path());
    }

    void openThenSaveGivesTheSameFile() {
        CommandValues v = dialog_->values();
        v[11] = {QStringLiteral("a(2 Lines With Default Msg On 2'nd Line)"), 4};
        v[19] = {QStringLiteral("3"), 2};
        v[12] = {QStringLiteral("Open all night"), -1};
        const QString first = fx_.path(QStringLiteral("first.ini"));
        QVERIFY(saveCommandFile(first, v, nullptr));
        openFile(first);
        QCOMPARE(box("ComboBox11")->currentIndex(), 4);
        const QString second = fx_.path(QStringLiteral("second.ini"));
        saveFile(second);
        QVERIFY(fx_.seam.shown.isEmpty());
        QCOMPARE(fileBytes(second), fileBytes(first));
        QVERIFY(fileBytes(second).contains("MKLEDTYPE=a\r\n"));
    }

    void aValueAListCannotTakeLeavesEveryControlAsItWas() {
        box("ComboBox14")->setEditText(QStringLiteral("2"));
        const CommandValues before = dialog_->values();
        const QString file = fx_.path(QStringLiteral("bad.ini"));
        // MKLEDTM comes before the bad list in control order, MKLEDSPEED after it.
        fx_.writeFile(file, "[LED Sign]\r\nMKLEDTM=ON\r\nMKLEDDTMD=Z\r\nMKLEDSPEED=4\r\n");
        openFile(file);
        QCOMPARE(fx_.seam.shown,
                 QStringList{QStringLiteral("message: 'Z' is not a valid integer value")});
        const CommandValues after = dialog_->values();
        for (int n = 0; n < kCommandCount; ++n)
            QCOMPARE(after[n].text, before[n].text);
    }

    void aFailedSaveSaysSoAndCancelDoesNothing() {
        saveFile(fx_.path(QStringLiteral("no such folder/x.ini")));
        QCOMPARE(fx_.seam.shown, QStringList{QStringLiteral("fileError: Save Error!")});
        fx_.seam.clear();
        const CommandValues before = dialog_->values();
        openFile(QString());
        saveFile(QString());
        QVERIFY(fx_.seam.shown.isEmpty());
        QCOMPARE(dialog_->values()[0].text, before[0].text);
    }

    void theAccessCodeInEitherCaseOpensTheDialog_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("upper") << "KT905";
        QTest::newRow("lower") << "kt905";
    }
    void theAccessCodeInEitherCaseOpensTheDialog() {
        QFETCH(QString, code);
        ModalScript script({typeCode(code), closeIt()});
        fx_.window->LEDSignCommand1Click();
        QCOMPARE(script.seen, QStringList({"PasswordDlg1", "frmCommand"}));
        QVERIFY(fx_.seam.shown.isEmpty());
    }

    void aMixedCaseCodeIsAPasswordErrorAndCancelShowsNothing() {
        {
            ModalScript script({typeCode(QStringLiteral("Kt905")), closeIt()});
            fx_.window->LEDSignCommand1Click();
            QCOMPARE(script.seen, QStringList{"PasswordDlg1"});
            QCOMPARE(fx_.seam.shown, QStringList{QStringLiteral("message: Password Error!")});
        }
        fx_.seam.clear();
        ModalScript script({typeCode(QStringLiteral("KT905"), false), closeIt()});
        fx_.window->LEDSignCommand1Click();
        QCOMPARE(script.seen, QStringList{"PasswordDlg1"});
        QVERIFY(fx_.seam.shown.isEmpty());
    }
};

QTEST_MAIN(TestWindowCommand)
#include "tst_window_command.moc"
