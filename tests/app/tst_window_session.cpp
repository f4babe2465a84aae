// The editing session as a desktop user expects it: the unsaved mark and the question before
// edits are dropped, undo and redo of every committed edit, what is remembered between runs,
// a dropped table file, and Tab through each page in reading order.
#include "WindowFixture.h"
#include "app/ReadingOrder.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using namespace layout;
using Choice = UserSeam::SaveChoice;

namespace {
const QString kCaption = QStringLiteral("Marovelkin LED Sign Programmer Version 2.52");
const QString kQuestion = QStringLiteral("save question: Save changes to default.tbl?");

QByteArray bytes(const TfrmAir& w) {
    return w.image().toByteArray().left(kChecksum);
}
} // namespace

class TestWindowSession : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fx_;
    TfrmAir* w_ = nullptr;

    void start() {
        fx_ = std::make_unique<WindowFixture>();
        w_ = &fx_->start();
        w_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w_));
    }
    // Types a value into an edit and leaves it with Tab, as the user commits an edit.
    void typeAndLeave(const char* name, const QString& text) {
        auto* e = fx_->control<QLineEdit>(QString::fromLatin1(name));
        e->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(e->hasFocus());
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Tab);
    }
    void pick(QComboBox* list, int item) {
        list->setCurrentIndex(item);
        emit list->activated(item);
    }
    void editSomething() {
        typeAndLeave("edtSLC", "42");
        QCOMPARE(w_->image().at(kSequentialLock), quint8(42));
    }
    // Drags a file over the window and drops it there; false when the window refuses it.
    bool drop(const QString& file) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(w_, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w_, &dropped);
        return true;
    }
    // A file of another image for Open to take.
    QString otherFile() {
        ParamImage im;
        im.setCapcode(2, 777);
        im.writeModelTag();
        const QString name = fx_->path("other.tbl");
        WindowFixture::writeFile(name, im.toByteArray());
        return name;
    }

  private slots:
    void cleanup() { fx_.reset(); }

    void theMarkFollowsEditsAndWhatWasKept() {
        start();
        QCOMPARE(w_->windowTitle(), kCaption);
        editSomething();
        QCOMPARE(w_->windowTitle(), kCaption + " *");
        fx_->saveAnswers << fx_->path("sign.tbl");
        w_->SaveAs1Click();
        QCOMPARE(w_->windowTitle(), kCaption + " - [" + fx_->path("sign.tbl") + "]");
        // An uncollected serial output edit counts too, and typing it back clears the mark.
        auto* header = fx_->control<QLineEdit>("edtHeader0");
        const QString was = header->text();
        header->setFocus();
        QTest::keyClicks(header, "41");
        QVERIFY(w_->windowTitle().endsWith("] *"));
        header->setText(was);
        emit header->textEdited(was);
        QVERIFY(w_->windowTitle().endsWith("]"));
        // Undoing to what was saved is no change.
        typeAndLeave("edtSLC", "7");
        QVERIFY(w_->files().settingsModified());
        w_->Undo1Click();
        QVERIFY(!w_->files().settingsModified());
    }

    void closingAsksAndEachAnswerDoesWhatItSays() {
        start();
        editSomething();
        fx_->seam.saveChoices = {Choice::Cancel};
        QVERIFY(!w_->close());
        QCOMPARE(fx_->seam.shown, QStringList{kQuestion});
        QVERIFY(w_->isVisible());

        fx_->seam.saveChoices = {Choice::Save};
        QVERIFY(w_->close());
        QCOMPARE(quint8(WindowFixture::readFile(fx_->path("default.tbl")).at(kSequentialLock)),
                 quint8(42));

        start();
        editSomething();
        fx_->seam.saveChoices = {Choice::Discard};
        QVERIFY(w_->close());
        QVERIFY(!QFileInfo::exists(fx_->path("default.tbl")));
    }

    void openAndReadAskFirst() {
        start();
        const QString other = otherFile();
        editSomething();
        const QByteArray edited = bytes(*w_);

        fx_->openAnswers << other;
        fx_->seam.saveChoices = {Choice::Cancel};
        w_->Open1Click();
        QCOMPARE(fx_->dialogsAsked, 0);
        QCOMPARE(bytes(*w_), edited);
        fx_->seam.saveChoices = {Choice::Cancel};
        w_->Read1Click();
        QCOMPARE(fx_->seam.shown, (QStringList{kQuestion, kQuestion})); // no link tried
        QCOMPARE(bytes(*w_), edited);

        fx_->seam.clear();
        fx_->seam.saveChoices = {Choice::Discard};
        w_->Open1Click();
        QCOMPARE(w_->image().capcode(2), quint32(777));
        QVERIFY(!QFileInfo::exists(fx_->path("default.tbl")));
        QVERIFY(!w_->files().settingsModified());
        // Nothing unsaved: no question.
        fx_->seam.clear();
        fx_->openAnswers << other;
        w_->Open1Click();
        QVERIFY(fx_->seam.shown.isEmpty());

        // Save keeps the edit in its file before the read goes to the (absent) sign.
        editSomething();
        fx_->seam.clear();
        fx_->seam.saveChoices = {Choice::Save};
        w_->Read1Click();
        QCOMPARE(fx_->seam.shown.first(), "save question: Save changes to other.tbl?");
        QVERIFY(fx_->seam.shown.size() > 1); // then the link failed
        QCOMPARE(quint8(WindowFixture::readFile(other).at(kSequentialLock)), quint8(42));
    }

    void undoAndRedoRestoreEveryStepExactly() {
        start();
        QVERIFY(!w_->undo().history().canUndo());
        QList<QByteArray> steps{bytes(*w_)};
        typeAndLeave("edtFreq", "4620125"); // a frequency
        steps << bytes(*w_);
        typeAndLeave("Edit2", "1000"); // a capcode, stored key by key: one step
        steps << bytes(*w_);
        fx_->control<QCheckBox>("CheckBox6")->click(); // a box
        steps << bytes(*w_);
        pick(w_->control<QComboBox>("cboLng"), 2); // a list
        steps << bytes(*w_);
        const quint8 multiplier = w_->bandMultiplier();
        pick(w_->control<QComboBox>("cboDft"),
             1); // a band: the multiplier beside the image changes too
        steps << bytes(*w_);
        fx_->openAnswers << otherFile(); // an Open
        fx_->seam.saveChoices = {Choice::Discard};
        w_->Open1Click();
        steps << bytes(*w_);
        for (int i = 1; i < steps.size(); ++i)
            QVERIFY2(steps[i] != steps[i - 1], qPrintable(QString::number(i)));

        for (int i = steps.size() - 2; i >= 0; --i) {
            w_->Undo1Click();
            QVERIFY2(bytes(*w_) == steps[i], qPrintable(QString::number(i)));
            if (i == 4)
                QCOMPARE(w_->bandMultiplier(), multiplier);
        }
        QVERIFY(!w_->undo().history().canUndo());
        QCOMPARE(w_->control<QLineEdit>("edtFreq")->text(), QString("4620000"));
        QVERIFY(fx_->control<QCheckBox>("CheckBox6")->isChecked()); // shown as it was
        for (int i = 1; i < steps.size(); ++i) {
            w_->Redo1Click();
            QCOMPARE(bytes(*w_), steps[i]);
        }
        QCOMPARE(w_->image().capcode(2), quint32(777));
        // A new edit after an undo cuts the redo off.
        w_->Undo1Click();
        editSomething();
        QVERIFY(!w_->undo().history().canRedo());
    }

    void undoRunsNoRuleAndKeepsTheSelectedCapcode() {
        start();
        auto* outputOn = fx_->control<QCheckBox>("chkCtl5");
        if (!outputOn->isChecked())
            outputOn->click();
        QVERIFY(w_->control<QGroupBox>("grpPara")->isEnabled());
        pick(w_->control<QComboBox>("ComboBox1"), 2);
        QCOMPARE(w_->selectedCapcode(), 2);
        const settings::EditSession chosen = w_->undo().snapshot();
        fx_->control<QCheckBox>("CheckBox9")->click();
        QVERIFY(!(w_->undo().snapshot() == chosen));
        w_->Undo1Click();
        QVERIFY(w_->undo().snapshot() == chosen);
        QCOMPARE(w_->control<QComboBox>("ComboBox1")->currentIndex(), 2);
        w_->Undo1Click();
        QCOMPARE(w_->selectedCapcode(), 0);
        QCOMPARE(w_->control<QComboBox>("ComboBox1")->currentIndex(), 0);
        // Switched off and back by undo and redo: the page follows its box, and no rule wrote
        // the image meanwhile.
        outputOn->click();
        QVERIFY(!w_->control<QGroupBox>("grpPara")->isEnabled());
        const settings::EditSession off = w_->undo().snapshot();
        w_->Undo1Click();
        QVERIFY(w_->control<QGroupBox>("grpPara")->isEnabled());
        QVERIFY(outputOn->isChecked());
        w_->Redo1Click();
        QVERIFY(!w_->control<QGroupBox>("grpPara")->isEnabled());
        QVERIFY(w_->undo().snapshot() == off);
    }

    void recentFilesAndThePortSurviveARestart() {
        start();
        const QString settings = fx_->config.filePath("ledsign.conf");
        const QString other = otherFile();
        QVERIFY(!w_->action("OpenRecent1")->isEnabled());
        fx_->openAnswers << other;
        w_->Open1Click();
        QVERIFY(w_->action("OpenRecent1")->isEnabled());
        fx_->saveAnswers << fx_->path("b.tbl") << fx_->path("gone.tbl");
        w_->SaveAs1Click();
        w_->SaveAs1Click();
        QVERIFY(QFile::remove(fx_->path("gone.tbl")));
        w_->memory().setLastPort(QStringLiteral("/dev/ttyUSB1"));
        fx_->window.reset();

        // The second run, same user: the list without the file that went, newest first.
        auto second = std::make_unique<WindowFixture>();
        second->settingsFile = settings;
        TfrmAir& w = second->start();
        QMenu* recent = w.menu(QStringLiteral("OpenRecent1"));
        QVERIFY(recent);
        emit recent->aboutToShow();
        QStringList listed;
        for (QAction* a : recent->actions())
            listed << a->data().toString();
        QCOMPARE(listed, (QStringList{fx_->path("b.tbl"), other}));
        recent->actions().last()->trigger();
        QCOMPARE(w.currentTableFile(), other);
        QCOMPARE(w.image().capcode(2), quint32(777));
        QCOMPARE(w.memory().lastPort(), QStringLiteral("/dev/ttyUSB1"));
        // The open dialog starts where a file was last chosen.
        QString asked;
        w.files().askOpenFileName = [&asked](const QString& dir) {
            asked = dir;
            return QString();
        };
        w.Open1Click();
        QCOMPARE(asked, fx_->dir.path());
    }

    void aDroppedTableFileOpensAfterTheQuestion() {
        start();
        const QString other = otherFile();
        editSomething();
        fx_->seam.saveChoices = {Choice::Cancel};
        QVERIFY(drop(other));
        QCOMPARE(fx_->seam.shown, QStringList{kQuestion});
        QCOMPARE(w_->image().at(kSequentialLock), quint8(42));
        fx_->seam.saveChoices = {Choice::Discard};
        QVERIFY(drop(other));
        QCOMPARE(w_->image().capcode(2), quint32(777));
        QCOMPARE(w_->currentTableFile(), other);
        QVERIFY(!drop(fx_->path("notes.txt")));
    }

    void tabWalksEachPageInReadingOrder() {
        start();
        auto names = [](QWidget* page) {
            QStringList n;
            for (QWidget* w : readingOrder(page))
                n << w->objectName();
            return n;
        };
        const QStringList code = names(w_->control<QGroupBox>("grpNormal"));
        // Capcodes row by row, then the frequency, the features, the output features.
        QCOMPARE(code.mid(0, 6),
                 (QStringList{"Edit1", "CheckBox1", "cboFun1", "cboFun2", "cboFun3", "cboFun4"}));
        QVERIFY(code.indexOf("Edit6") < code.indexOf("cboDft"));
        QVERIFY(code.indexOf("cboDft") < code.indexOf("edtFreq"));
        QVERIFY(code.indexOf("cboBaud") < code.indexOf("edtSLC"));
        QVERIFY(code.indexOf("edtReadPass") < code.indexOf("chkCtl0"));
        // Tab from each control reaches the next one.
        auto next = [this](const QString& name) {
            QWidget* n = w_->control(name)->nextInFocusChain();
            while (!(n->focusPolicy() & Qt::TabFocus))
                n = n->nextInFocusChain();
            return n->objectName();
        };
        for (int i = 1; i < code.size(); ++i)
            QCOMPARE(next(code[i - 1]), code[i]);
        const QStringList serial = names(w_->control<QGroupBox>("GroupBox1"));
        QCOMPARE(next(code.last()), serial.first());
        QVERIFY(serial.indexOf("edtMDly") < serial.indexOf("ComboBox1"));
        QVERIFY(serial.indexOf("edtHeader0") < serial.indexOf("edtTrailer0"));
        QVERIFY(serial.indexOf("edtFC0") < serial.indexOf("edtHeader1"));
        QCOMPARE(fx_->control<QLineEdit>("edtFreq")->accessibleName(), QString("Freq."));
        QCOMPARE(w_->control<QComboBox>("cboDft")->accessibleName(), QString("Range Of Freq."));
    }
};

QTEST_MAIN(TestWindowSession)
#include "tst_window_session.moc"
