// The "Alpha Data" dialog: its controls by name, what they show at start, the form samples,
// the message taken from the controls, and a Direct Send from the button.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "alpha/AlphaDialog.h"
#include "core/Messages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

class TestAlphaDialog : public QObject {
    Q_OBJECT

    TCommPort port_;
    ScriptedSeam seam_;
    Exchange ex_{port_, seam_};
    LinkState link_;

    template <class T> T* child(TfrmSpager& d, const char* name) {
        return d.findChild<T*>(QString::fromLatin1(name));
    }

  private slots:
    void controlsAsTheTechnicianKnowsThem() {
        TfrmSpager d(ex_, link_);
        QCOMPARE(d.objectName(), QStringLiteral("frmSpager"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Alpha Data"));
        QCOMPARE(d.size(), QSize(702, 397));
        QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(child<QGroupBox>(d, "GroupBox1")->title(), QStringLiteral("Status"));
        const QList<std::pair<const char*, const char*>> labels{{"Label1", "ID(Dec)"},
                                                                {"Label3", "Battery"},
                                                                {"Label12", "V"},
                                                                {"Label4", "Date"},
                                                                {"Label2", "Format"}};
        for (const auto& [name, caption] : labels) {
            auto* l = child<QLabel>(d, name);
            QVERIFY2(l, name);
            QCOMPARE(l->text(), QString::fromLatin1(caption));
            QCOMPARE(l->parentWidget(), d.GroupBox1);
        }
        QCOMPARE(child<QLineEdit>(d, "edtID")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(d, "edtDate")->text(), QStringLiteral("0"));
        auto* batt = child<QComboBox>(d, "cboBatt");
        QVERIFY(!batt->isEditable());
        QCOMPARE(batt->count(), 8);
        QCOMPARE(batt->itemText(1), QStringLiteral("0.9 "));
        QCOMPARE(batt->itemText(7), QStringLiteral("1.5"));
        QCOMPARE(batt->currentIndex(), -1); // nothing selected until picked
        auto* form = child<QComboBox>(d, "cboForm");
        QCOMPARE(form->itemText(0), QStringLiteral("ASCII(7 bits)"));
        QCOMPARE(form->itemText(1), QStringLiteral("ASCII(8 bits)"));
        QCOMPARE(form->currentIndex(), 0);
        auto* lang = child<QComboBox>(d, "cboLang");
        QCOMPARE(lang->itemText(0), QStringLiteral("Normal"));
        QCOMPARE(lang->itemText(1), QStringLiteral("Russian"));
        QCOMPARE(lang->currentIndex(), 0);
        QCOMPARE(child<QPushButton>(d, "Button6")->text(), QStringLiteral("Direct Send"));
        auto* mem = child<QPlainTextEdit>(d, "mem1");
        QCOMPARE(mem->toPlainText(), QStringLiteral("Alpha"));
        QVERIFY(mem->font().fixedPitch() || QFontInfo(mem->font()).fixedPitch());
        QCOMPARE(mem->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // Button, then message area, below the group.
        QVERIFY(d.Button6->geometry().top() >= d.GroupBox1->geometry().bottom());
        QVERIFY(mem->geometry().top() >= d.Button6->geometry().bottom());
    }

    void pickingAFormReplacesTheTextWithItsSample() {
        TfrmSpager d(ex_, link_);
        d.mem1->setPlainText(QStringLiteral("typed before"));
        d.cboForm->setCurrentIndex(1);
        emit d.cboForm->activated(1);
        QCOMPARE(d.mem1->toPlainText(), QStringLiteral("20212223"));
        d.mem1->setPlainText(QStringLiteral("FF"));
        d.cboForm->setCurrentIndex(0);
        emit d.cboForm->activated(0);
        QCOMPARE(d.mem1->toPlainText(), QStringLiteral("Alpha"));
        // Picking the same form again still starts over.
        d.mem1->setPlainText(QStringLiteral("edited"));
        emit d.cboForm->activated(0);
        QCOMPARE(d.mem1->toPlainText(), QStringLiteral("Alpha"));
    }

    void theMessageComesFromTheControls() {
        TfrmSpager d(ex_, link_);
        d.edtID->setText(QStringLiteral("222"));
        d.cboLang->setCurrentIndex(1);
        d.mem1->setPlainText(QStringLiteral("A\nB"));
        const alpha::Message m = d.message();
        QCOMPARE(m.id, QStringLiteral("222"));
        QVERIFY(m.russian);
        QCOMPARE(m.form, alpha::Form::Text7);
        QCOMPARE(m.text, QStringLiteral("A\r\nB"));
        // Battery and date are shown only: nothing of them goes into the message.
        d.cboBatt->setCurrentIndex(3);
        d.edtDate->setText(QStringLiteral("1234"));
        QCOMPARE(d.message().text, m.text);
    }

    void directSendFromTheButton() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        peer.setScript([](const QByteArray& f, int) {
            const auto d = wire::parseDeviceFrame(wire::unstuff(f.chopped(1)));
            return PtyPeer::Answer::with(wire::acknowledgement(d ? d->sequence : 0, true));
        });
        useQuickLinkTiming(ex_);
        link_.portName = peer.path();
        seam_.clear();
        TfrmSpager d(ex_, link_);
        d.sender().pauseMs = 0;
        QTest::mouseClick(d.Button6, Qt::LeftButton);
        QCOMPARE(seam_.shown, QStringList{QStringLiteral("message: Send Success!")});
        QVERIFY(d.Button6->isEnabled());
        QVERIFY(d.GroupBox1->isEnabled());
        QVERIFY(!d.sending());
        port_.Close();
    }
};

QTEST_MAIN(TestAlphaDialog)
#include "tst_alpha_dialog.moc"
