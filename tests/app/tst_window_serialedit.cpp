// Editing the serial output page in the window: the typed record of the selected capcode kept
// through every rule that shows the page again, the key filters, and the exit rules of the
// delay, end code, periods and features edits.
#include "WindowFixture.h"
#include "app/PairMaskEdit.h"
#include "core/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>

using namespace layout;

class TestWindowSerialEdit : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fx_;
    TfrmAir* w_ = nullptr;

    template <class T = QLineEdit> T* c(const char* name) {
        return fx_->control<T>(QString::fromLatin1(name));
    }
    void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    void pick(QComboBox* list, int item) {
        list->setCurrentIndex(item);
        emit list->activated(item);
    }
    // Types into a masked edit from its first character.
    void typeInto(PairMaskEdit* e, const QString& keys) {
        focus(e);
        e->setCursorPosition(0);
        QTest::keyClicks(e, keys);
    }
    // Clicks into an edit, types, and leaves it with Tab.
    void typeAndLeave(QLineEdit* e, const QString& keys) {
        focus(e);
        QTest::keyClicks(e, keys);
        QTest::keyClick(e, Qt::Key_Tab);
    }

  private slots:
    void init() {
        fx_ = std::make_unique<WindowFixture>();
        w_ = &fx_->start();
        w_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w_));
        w_->stcFeaturesClick();
        c<QCheckBox>("chkCtl5")->setChecked(true);
    }
    void cleanup() { fx_.reset(); }

    void aRecordTypedForCapcode3SurvivesAnEmptyDelayExit() {
        pick(c<QComboBox>("ComboBox1"), 2);
        // Typed in lower case; the mask filter upper-cases it and drops what is not hex.
        typeInto(c<PairMaskEdit>("edtHeader0"), QStringLiteral("0dx0a"));
        QCOMPARE(c<PairMaskEdit>("edtHeader0")->displayText().left(6), QStringLiteral("0D;0A;"));
        typeInto(c<PairMaskEdit>("edtTrailer1"), QStringLiteral("04"));

        const QByteArray delayBefore = w_->image().toByteArray().mid(kMsgTimeoutDelay, 2);
        focus(c("edtMDly"));
        QCOMPARE(c("edtMDly")->text(), QString()); // emptied on entry
        QTest::keyClick(c("edtMDly"), Qt::Key_Tab);
        QCOMPARE(w_->image().toByteArray().mid(kMsgTimeoutDelay, 2), delayBefore);
        QCOMPARE(c<QComboBox>("ComboBox1")->currentText(), QStringLiteral("Capcode #1"));
        QCOMPARE(w_->image().at(recordLen(Record::Header, 2, 0)), quint8(2));

        pick(c<QComboBox>("ComboBox1"), 2);
        QCOMPARE(c<PairMaskEdit>("edtHeader0")->displayText().left(6), QStringLiteral("0D;0A;"));
        QCOMPARE(c<PairMaskEdit>("edtTrailer1")->displayText().left(3), QStringLiteral("04;"));
        QCOMPARE(fx_->seam.shown, QStringList());
    }

    void aRecordThatDoesNotReadLeavesThePage() {
        pick(c<QComboBox>("ComboBox1"), 3);
        // The mask takes no such text from the keyboard; set behind its back.
        static_cast<QLineEdit*>(c<PairMaskEdit>("edtHeader0"))->setText(QStringLiteral("ZZ"));
        typeAndLeave(c("edtSLC"), QStringLiteral("300")); // out of range: ends in the refresh
        QCOMPARE(fx_->seam.shown, QStringList({"warning: " + msg::byteRange,
                                               "error: 'ZZ' is not a valid integer value"}));
        QCOMPARE(w_->selectedCapcode(), 3);
        QCOMPARE(c<QComboBox>("ComboBox1")->currentText(), QStringLiteral("Capcode #4"));
    }

    void delayStoredAndRefused() {
        typeAndLeave(c("edtMDly"), QStringLiteral("65000"));
        QCOMPARE(w_->image().at(kMsgTimeoutDelay), quint8(65000 & 0xFF));
        QCOMPARE(w_->image().at(kMsgTimeoutDelay + 1), quint8(65000 >> 8));

        focus(c("edtMDly"));
        QTest::keyClicks(c("edtMDly"), QStringLiteral("65001"));
        QTest::keyClick(c("edtMDly"), Qt::Key_Return);
        QCOMPARE(fx_->seam.shown, QStringList({"warning: " + msg::delayRange}));
        QCOMPARE(w_->image().at(kMsgTimeoutDelay + 1), quint8(65000 >> 8));
        QCOMPARE(c("edtMDly")->text(), QStringLiteral("65000"));
    }

    void endCodeUpperCasedAndChecked() {
        QLineEdit* e = c("Edit7");
        focus(e);
        QCOMPARE(e->text(), QString()); // emptied on entry
        QTest::keyClicks(e, QStringLiteral("1b"));
        QCOMPARE(e->text(), QStringLiteral("1B"));
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(w_->control<QLineEdit>("edtNull")->hasFocus());
        QCOMPARE(w_->image().at(kEndCode), quint8(0x1B));

        focus(e);
        QTest::keyClicks(e, QStringLiteral("1g"));
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(fx_->seam.shown, QStringList({"message: " + msg::inputHex}));
        QCOMPARE(w_->image().at(kEndCode), quint8(0x1B));
        QTRY_VERIFY(e->hasFocus());
    }

    // The access passwords take the frequency edit's numeric key filter (both edits hidden).
    void accessPasswordsTakeDigitsOnly() {
        QLineEdit* e = c<QLineEdit>("edtPassword");
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(e, &in);
        QTest::keyClicks(e, QStringLiteral("12a3"));
        QCOMPARE(fx_->seam.shown, QStringList({"warning: " + msg::insertNumericSpaced}));
        QCOMPARE(e->text(), QStringLiteral("123"));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(e, &out);
        QCOMPARE(w_->image().text(kAirPassword, kPasswordLen), QStringLiteral("123"));
    }

    // A function command password keeps its text on entry: passing through the field without
    // typing stores it again, never an empty one.
    void functionCommandPasswordSurvivesAPassThrough() {
        QLineEdit* e = c<QLineEdit>("Edit9");
        auto pass = [e](const QString& keys) {
            QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
            QCoreApplication::sendEvent(e, &in);
            QTest::keyClicks(e, keys);
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(e, &out);
        };
        e->clear();
        pass(QStringLiteral("4711"));
        QCOMPARE(w_->image().at(kFcPassword1Len), quint8(4));
        w_->refreshFromImage(); // shown from the image, as after an Open
        pass(QString());
        QCOMPARE(e->text(), QStringLiteral("4711"));
        QCOMPARE(w_->image().at(kFcPassword1Len), quint8(4));
        QCOMPARE(w_->image().text(kFcPassword1, 4), QStringLiteral("4711"));
    }

    void periodsFollowTheUnit() {
        // "Output Features" is hidden for good; its edits' rules run all the same.
        QLineEdit* p = w_->tables().periodEdits[6];
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(p, &in);
        QCOMPARE(p->text(), QString());
        QTest::keyClicks(p, QStringLiteral("2x.5"));
        QCOMPARE(fx_->seam.shown, QStringList({"warning: " + msg::insertNumericSpaced}));
        QCOMPARE(p->text(), QStringLiteral("2.5"));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(p, &out);
        QCOMPARE(w_->image().at(outputPeriod(6)), quint8(25)); // "0.1 sec": 25 steps

        pick(c<QComboBox>("cboScaler"), 1);
        QCOMPARE(c<QLabel>("lblScaler")->text(), QStringLiteral("Max.=255 sec"));
        QCOMPARE(w_->image().at(outputPeriod(6)), quint8(2)); // 2.5 s in whole seconds
    }

    void featuresEdits() {
        typeAndLeave(c("edtSLC"), QStringLiteral("9"));
        QCOMPARE(w_->image().at(kSequentialLock), quint8(9));
        pick(c<QComboBox>("cboLng"), 1);
        QCOMPARE(w_->image().at(kLanguageCode), quint8(0));
        pick(c<QComboBox>("cboLng"), 0);
        QCOMPARE(w_->image().at(kLanguageCode), quint8(0xFF));
    }
};

QTEST_MAIN(TestWindowSerialEdit)
#include "tst_window_serialedit.moc"
