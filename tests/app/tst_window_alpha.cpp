// System > "Admin": the access code in front of "Alpha Data", and the dialog made at start-up
// on the window's own line to the sign.
#include "ModalScript.h"
#include "WindowFixture.h"
#include "alpha/AlphaDialog.h"
#include "app/Startup.h"
#include "core/Messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

class TestWindowAlpha : public QObject {
    Q_OBJECT

    WindowFixture fx_;

  private slots:
    void init() {
        fx_.seam.clear();
        fx_.start();
        createStartupWindows(*fx_.window);
    }
    void cleanup() { fx_.window.reset(); }

    void madeHiddenAsTheWindowsChild() {
        auto* spager = qobject_cast<TfrmSpager*>(sideTool(*fx_.window, AccessDoor::Admin).tool);
        QVERIFY(spager);
        QVERIFY(!spager->isVisible());
        QCOMPARE(spager->parent(), fx_.window.get());
    }

    void theRightCodeOpensAlphaDataAndItKeepsItsText() {
        {
            ModalScript script({typeCode(QStringLiteral("Vren_Ulo")), [](QDialog& d) {
                                    d.findChild<QPlainTextEdit*>(QStringLiteral("mem1"))
                                        ->setPlainText(QStringLiteral("kept"));
                                    d.reject();
                                }});
            fx_.window->Admin1Click();
            QCOMPARE(script.seen, QStringList({"PasswordDlg", "frmSpager"}));
        }
        QVERIFY(fx_.seam.shown.isEmpty());
        // Again: the code typed is still in the edit; OK at once opens the same dialog.
        ModalScript again(
            {[](QDialog& d) {
                 QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("Password"))->text(),
                          QStringLiteral("Vren_Ulo"));
                 QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("OKBtn")),
                                   Qt::LeftButton);
             },
             [](QDialog& d) {
                 QCOMPARE(d.findChild<QPlainTextEdit*>(QStringLiteral("mem1"))->toPlainText(),
                          QStringLiteral("kept"));
                 d.reject();
             }});
        fx_.window->Admin1Click();
        QCOMPARE(again.seen, QStringList({"PasswordDlg", "frmSpager"}));
    }

    void anyOtherCodeIsAPasswordError_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("lower case") << "vren_ulo";
        QTest::newRow("the other door's") << "KT905";
        QTest::newRow("empty") << "";
    }
    void anyOtherCodeIsAPasswordError() {
        QFETCH(QString, code);
        ModalScript script({typeCode(code), closeIt()});
        fx_.window->Admin1Click();
        QCOMPARE(script.seen, QStringList{"PasswordDlg"});
        QCOMPARE(fx_.seam.shown, QStringList{QStringLiteral("message: Password Error!")});
    }

    void cancelShowsNothing() {
        ModalScript script({typeCode(QStringLiteral("Vren_Ulo"), false), closeIt()});
        fx_.window->Admin1Click();
        QCOMPARE(script.seen, QStringList{"PasswordDlg"});
        QVERIFY(fx_.seam.shown.isEmpty());
    }
};

QTEST_MAIN(TestWindowAlpha)
#include "tst_window_alpha.moc"
