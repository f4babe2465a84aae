// Editing the frequency and capcode page in the window: emptied on entry, the exit rule run by
// Tab, Enter and the mouse on the bare surface, the focus back after a refused value, and no
// rule run by showing the image.
#include "WindowFixture.h"
#include "core/Messages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace layout;

class TestWindowEditing : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fx_;
    TfrmAir* w_ = nullptr;

    QLineEdit* edit(const char* name) { return fx_->control<QLineEdit>(QString::fromLatin1(name)); }
    void focus(QWidget* c) {
        c->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(c->hasFocus());
    }
    void moveOverBareSurface() {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w_->control<QGroupBox>("GroupBox2"), &move);
    }
    void pick(QComboBox* list, int item) {
        list->setCurrentIndex(item);
        emit list->activated(item);
    }

  private slots:
    void init() {
        fx_ = std::make_unique<WindowFixture>();
        w_ = &fx_->start();
        w_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w_));
    }
    void cleanup() { fx_.reset(); }

    void emptiedOnEntryAndRestoredWhenLeftEmpty() {
        QLineEdit* freq = edit("edtFreq");
        focus(freq);
        QCOMPARE(freq->text(), QString());
        const ParamImage before = w_->image();
        QTest::keyClick(freq, Qt::Key_Tab);
        QCOMPARE(freq->text(), QString("4620000"));
        QVERIFY(w_->image() == before);
        QVERIFY(fx_->seam.shown.isEmpty());
    }

    void enterCommitsAndMovesToTheSink() {
        QLineEdit* freq = edit("edtFreq");
        focus(freq);
        QTest::keyClicks(freq, "4620125");
        QTest::keyClick(freq, Qt::Key_Return);
        QVERIFY(w_->control<QLineEdit>("edtNull")->hasFocus());
        QCOMPARE(freq->text(), QString("4620125"));
        QCOMPARE(w_->image().readBE(kPllN, 4), quint32(35249) << 7);
        QCOMPARE(w_->control<QLabel>("lblPLLN")->text(), QString("0044D880"));
    }

    void aLetterIsRefusedByTheKeyFilter() {
        QLineEdit* freq = edit("edtFreq");
        focus(freq);
        QTest::keyClicks(freq, "46a");
        QCOMPARE(freq->text(), QString("46"));
        QCOMPARE(fx_->seam.shown, QStringList{"warning: " + msg::insertNumericSpaced});
    }

    void aRefusedFrequencyTakesTheFocusBackOnce() {
        QLineEdit* freq = edit("edtFreq");
        focus(freq);
        QTest::keyClicks(freq, "4620001");
        const ParamImage before = w_->image();
        moveOverBareSurface();
        QCOMPARE(fx_->seam.shown, QStringList{"warning: " + msg::channelSpacingError});
        QTRY_VERIFY(freq->hasFocus());
        QCOMPARE(freq->text(), QString("4620000"));
        QVERIFY(w_->image() == before);
        // Leaving again without typing stores nothing and shows nothing.
        moveOverBareSurface();
        QVERIFY(w_->control<QLineEdit>("edtNull")->hasFocus());
        QCOMPARE(fx_->seam.shown.size(), 1);
        QVERIFY(w_->image() == before);
    }

    void choosingABandCommitsItsDefault() {
        pick(w_->control<QComboBox>("cboDft"), 2);
        QCOMPARE(edit("edtFreq")->text(), QString("1590000"));
        QCOMPARE(w_->control<QLabel>("lblPLLR")->text(), QString("000200"));
        QCOMPARE(w_->control<QLabel>("lblCHANNEL")->text(), QString("12.5KHz"));
        QCOMPARE(w_->control<QLabel>("lblMULT")->text(), QString("2"));
        w_->image().set(kRxControl3, 0x45);
        pick(w_->control<QComboBox>("cboBaud"), 2);
        QCOMPARE(w_->image().at(kRxControl3), quint8(0x75));
        pick(w_->tables().messageTypeLists[6], 3);
        QCOMPARE(w_->image().at(functionType(1, 2)), quint8(3));
    }

    // Each prefix is stored as it is typed, but a refused text puts back the capcode the field
    // held when it got the focus: no prefix of it is left to be saved or written.
    void aRefusedCapcodeKeepsTheOneBefore() {
        QLineEdit* e = edit("Edit3");
        QCOMPARE(w_->image().capcode(2), 1234562u);
        focus(e);
        QCOMPARE(e->text(), QString());
        QTest::keyClicks(e, "30");
        QCOMPARE(w_->image().capcode(2), 30u);
        QTest::keyClicks(e, "00000");
        QCOMPARE(fx_->seam.shown, QStringList{"message: " + msg::capcodeRange});
        QCOMPARE(e->text(), QString("1234562"));
        QCOMPARE(w_->image().capcode(2), 1234562u);
        QVERIFY(e->hasFocus());
        fx_->seam.clear();
        e->clear();
        QTest::keyClicks(e, "12A");
        QCOMPARE(fx_->seam.shown, QStringList{"message: " + msg::insertNumeric});
        QCOMPARE(e->text(), QString("1234562"));
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(w_->control<QLineEdit>("edtNull")->hasFocus());
        QCOMPARE(w_->image().capcode(2), 1234562u);

        // A good value still goes in.
        focus(e);
        QTest::keyClicks(e, "1987654");
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(w_->image().capcode(2), 1987654u);
        QCOMPARE(e->text(), QString("1987654"));
    }

    void aPastedCapcodeIsStoredOnLeaving() {
        QLineEdit* e = edit("Edit3");
        focus(e);
        e->insert("765"); // as the context menu pastes: no key
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(w_->image().capcode(2), 765u);
        QCOMPARE(e->text(), QString("0000765"));
    }

    void theRefreshRunsNoRule() {
        QLineEdit* freq = edit("edtFreq");
        focus(freq);
        QTest::keyClicks(freq, "4620125");
        const ParamImage before = w_->image();
        w_->refreshFromImage();
        QVERIFY(w_->image() == before);
        moveOverBareSurface(); // the shown text is no typed one
        QVERIFY(w_->image() == before);
        QVERIFY(fx_->seam.shown.isEmpty());
    }
};

QTEST_MAIN(TestWindowEditing)
#include "tst_window_editing.moc"
