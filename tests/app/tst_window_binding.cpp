// The image shown on the controls and the serial output record collected back: what a
// technician sees after start-up, after loading odd images, and around capcode switching.
#include "WindowFixture.h"
#include "app/PairMaskEdit.h"
#include "editor/ShownValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace layout;

namespace {

// Picks a list item the way the user does, so that its rule runs.
void pick(QComboBox* list, int item) {
    list->setCurrentIndex(item);
    emit list->activated(item);
}

// Types into a masked edit from its first character.
void typeInto(PairMaskEdit* e, const QString& keys) {
    e->setFocus();
    e->setCursorPosition(0);
    QTest::keyClicks(e, keys);
}

} // namespace

class TestWindowBinding : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fx_;
    TfrmAir* w_ = nullptr;

    QString text(const char* name) {
        QWidget* c = fx_->control(QString::fromLatin1(name));
        if (auto* e = qobject_cast<QLineEdit*>(c))
            return e->displayText();
        if (auto* l = qobject_cast<QLabel*>(c))
            return l->text();
        if (auto* b = qobject_cast<QComboBox*>(c))
            return b->currentText();
        return QStringLiteral("?");
    }
    bool checked(const QString& name) { return fx_->control<QCheckBox>(name)->isChecked(); }
    PairMaskEdit* mask(const QString& name) { return fx_->control<PairMaskEdit>(name); }

    // Loads an image as a file would and shows it.
    void load(const ParamImage& image) {
        w_->image() = image;
        w_->refreshFromImage();
    }

  private slots:
    void init() {
        fx_ = std::make_unique<WindowFixture>();
        w_ = &fx_->start();
    }
    void cleanup() { fx_.reset(); }

    void defaultImageAsShown() {
        const char* capcodes[] = {"1234567", "1234561", "1234562", "1234563", "1234564", "2097151"};
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(text(qPrintable(QStringLiteral("Edit%1").arg(k + 1))),
                     QString::fromLatin1(capcodes[k]));
            QCOMPARE(checked(QStringLiteral("CheckBox%1").arg(k + 1)), k == 0 || k == 5);
        }
        QCOMPARE(text("cboDft"), QStringLiteral("400-499MHz(Auto)"));
        QCOMPARE(text("lblPLLR"), QStringLiteral("000300"));
        QCOMPARE(text("lblPLLN"), QStringLiteral("0044D800"));
        QCOMPARE(text("lblMULT"), QStringLiteral("3"));
        QCOMPARE(text("lblCHANNEL"), QStringLiteral("12.5KHz"));
        QCOMPARE(text("edtFreq"), QStringLiteral("4620000"));
        QCOMPARE(text("cboBaud"), QStringLiteral("1200 bps"));
        QCOMPARE(text("cboPolarity"), QStringLiteral("Normal"));
        QCOMPARE(text("cboLng"), QStringLiteral("English"));
        QCOMPARE(text("ComboBox5"), QStringLiteral("19200"));
        QCOMPARE(text("ComboBox2"), QStringLiteral("none"));
        QCOMPARE(text("ComboBox3"), QStringLiteral("1"));
        QCOMPARE(text("ComboBox4"), QStringLiteral("8"));
        QCOMPARE(text("Edit7"), QStringLiteral("04"));
        QCOMPARE(text("edtPassword"), QStringLiteral("0005550142"));
        const auto code = defaultFunCmdCode(0, 0);
        QCOMPARE(text("edtFC0"), shown::pairs(code.data(), 4).chopped(1));
        QCOMPARE(text("cboFun1"), QStringLiteral("Alpha"));
        QCOMPARE(text("cboFun24"), QStringLiteral("Binary"));
        QCOMPARE(text("edtSLC"), QStringLiteral("0"));
        QCOMPARE(text("edtORC"), QStringLiteral("5"));
        QCOMPARE(text("edtPlsPer0"), QStringLiteral("0"));
        QCOMPARE(text("cboScaler"), QStringLiteral("0.1 sec"));
        QCOMPARE(text("ComboBox1"), QStringLiteral("Capcode #1"));
        QVERIFY(checked("chkCtl5"));
        QVERIFY(checked("CheckBox8"));
        QVERIFY(checked("chkPower"));
        QVERIFY(!checked("CheckBox9"));
        QVERIFY(!checked("CheckBox7"));
        QCOMPARE(mask("edtHeader0")->displayText(), mask("edtHeader0")->blankText());

        // Serial output on: the page takes input, the UART panel hides under the LED format.
        QVERIFY(fx_->control("grpPara")->isEnabled());
        QVERIFY(fx_->control("grpFunA")->isEnabled());
        QVERIFY(fx_->control("Panel2")->isHidden());
        QVERIFY(fx_->control("chkOpCmd0")->isEnabled());
        QVERIFY(fx_->control("edtFC3")->isEnabled());
    }

    void refreshIsStableAndOnlyTagsTheImage() {
        ParamImage before = w_->image();
        w_->refreshFromImage();
        QCOMPARE(w_->image().bytes(), before.bytes());

        // An image from another version takes this tool's tag on the refresh.
        ParamImage other;
        other.set(kModelTag + 11, '9');
        load(other);
        QCOMPARE(w_->image().text(kModelTag, kModelTagLen), QStringLiteral("SIGN_PV02.43"));
    }

    void headerPairsCollectUpToTheFirstBlankPair() {
        typeInto(mask("edtHeader0"), QStringLiteral("0d0a"));
        QCOMPARE(mask("edtHeader0")->displayText().left(9), QStringLiteral("0D;0A;  ;"));
        mask("edtTrailer1")->setMaskedText(QStringLiteral("41;  ;43"));
        mask("edtTimeout2")->setMaskedText(QStringLiteral("4 ;7F"));
        mask("edtFC3")->setMaskedText(QStringLiteral("12;  ;  ;34"));
        w_->binder().collectCapcodeRecord(0);

        const ParamImage& im = w_->image();
        QCOMPARE(im.at(recordLen(Record::Header, 0, 0)), quint8(2));
        QCOMPARE(im.at(recordChar(Record::Header, 0, 0, 0)), quint8(0x0D));
        QCOMPARE(im.at(recordChar(Record::Header, 0, 0, 1)), quint8(0x0A));
        QCOMPARE(im.at(recordLen(Record::Trailer, 0, 1)),
                 quint8(1)); // the blank pair ends the list
        QCOMPARE(im.at(recordChar(Record::Trailer, 0, 1, 0)), quint8(0x41));
        QCOMPARE(im.at(recordChar(Record::Trailer, 0, 1, 1)),
                 quint8(0)); // beyond the length: as it was
        QCOMPARE(im.at(recordLen(Record::Timeout, 0, 2)), quint8(2));
        QCOMPARE(im.at(recordChar(Record::Timeout, 0, 2, 0)), quint8(0x04));
        QCOMPARE(im.at(recordChar(Record::Timeout, 0, 2, 1)), quint8(0x7F));
        // In an FC code a blank pair counts as 00, and all four pairs are read.
        QCOMPARE(im.at(funCmdCode(0, 3, 0)), quint8(0x12));
        QCOMPARE(im.at(funCmdCode(0, 3, 1)), quint8(0x00));
        QCOMPARE(im.at(funCmdCode(0, 3, 3)), quint8(0x34));
    }

    void aFullRecordAndShorterLengths() {
        QString thirty;
        for (int k = 0; k < 30; ++k)
            thirty += shown::hex(k + 1, 2) + QLatin1Char(';');
        mask("edtHeader1")->setMaskedText(thirty);
        w_->binder().collectCapcodeRecord(0);
        QCOMPARE(w_->image().at(recordLen(Record::Header, 0, 1)), quint8(30));
        QCOMPARE(w_->image().at(recordChar(Record::Header, 0, 1, 29)), quint8(30));

        // A shorter record leaves the bytes after it as they were.
        mask("edtHeader1")->setMaskedText(QStringLiteral("AA;"));
        w_->binder().collectCapcodeRecord(0);
        QCOMPARE(w_->image().at(recordLen(Record::Header, 0, 1)), quint8(1));
        QCOMPARE(w_->image().at(recordChar(Record::Header, 0, 1, 0)), quint8(0xAA));
        QCOMPARE(w_->image().at(recordChar(Record::Header, 0, 1, 1)), quint8(2));
        // A stored length above 30 shows 30 pairs and nothing outside the field.
        w_->image().set(recordLen(Record::Header, 0, 1), 0xFF);
        w_->binder().showCapcodeRecord(0);
        QCOMPARE(mask("edtHeader1")->displayText().left(6), QStringLiteral("AA;02;"));
    }

    void maskKeepsItsShapeWhileTyping() {
        PairMaskEdit* e = mask("edtHeader2");
        typeInto(e, QStringLiteral("1g2;x3"));
        QCOMPARE(e->displayText().left(9), QStringLiteral("12;3 ;  ;"));
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->displayText().left(6), QStringLiteral("12;  ;"));
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->displayText().left(6), QStringLiteral("1 ;  ;"));
        // Whatever the edit is asked to take, its text keeps 30 pairs.
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(e->displayText(), e->blankText());
        e->insert(QStringLiteral("ABC"));
        QCOMPARE(e->displayText().size(), 89);
        typeInto(e, QStringLiteral("1234"));
        e->setSelection(1, 3); // "2;3"
        QTest::keyClicks(e, QStringLiteral("f"));
        QCOMPARE(e->displayText().left(6), QStringLiteral("1F; 4;"));
    }

    void choosingAnotherCapcodeKeepsTheEdit() {
        typeInto(mask("edtHeader0"), QStringLiteral("0D0A"));
        fx_->control<QCheckBox>("chkOpCmd1")->setChecked(true);
        pick(fx_->control<QComboBox>("ComboBox1"), 2);
        QCOMPARE(w_->selectedCapcode(), 2);
        QCOMPARE(w_->image().at(recordLen(Record::Header, 0, 0)), quint8(2));
        QCOMPARE(w_->image().at(intFunCmd(0, 1)), quint8(1));
        // Capcode #3 shows its own record.
        QCOMPARE(mask("edtHeader0")->displayText(), mask("edtHeader0")->blankText());
        QVERIFY(!checked("chkOpCmd1"));
        const auto code = defaultFunCmdCode(2, 0);
        QCOMPARE(mask("edtFC0")->displayText(), shown::pairs(code.data(), 4).chopped(1));

        // Back on #1, the collected edit is there.
        pick(fx_->control<QComboBox>("ComboBox1"), 0);
        QCOMPARE(mask("edtHeader0")->displayText().left(6), QStringLiteral("0D;0A;"));
    }

    void aPrescalerChangeKeepsTheTypedRecord() {
        pick(fx_->control<QComboBox>("ComboBox1"), 2);
        typeInto(mask("edtHeader0"), QStringLiteral("41"));
        pick(fx_->control<QComboBox>("cboScaler"), 1);
        QCOMPARE(w_->selectedCapcode(), 0);
        QCOMPARE(text("ComboBox1"), QStringLiteral("Capcode #1"));
        QCOMPARE(w_->image().at(recordLen(Record::Header, 2, 0)), quint8(1));
        QCOMPARE(w_->image().at(recordChar(Record::Header, 2, 0, 0)), quint8(0x41));
        QCOMPARE(w_->image().at(kPeriodPrescaler), quint8(10));
        QCOMPARE(text("lblScaler"), QStringLiteral("Max.=255 sec"));
    }

    void aPairThatDoesNotReadStopsTheSwitch() {
        // The mask takes no such text from the keyboard; set behind its back.
        PairMaskEdit* e = mask("edtHeader0");
        static_cast<QLineEdit*>(e)->setText(QStringLiteral("41;ZZ;43"));
        pick(fx_->control<QComboBox>("ComboBox1"), 4);
        QCOMPARE(fx_->seam.shown, QStringList({"error: 'ZZ' is not a valid integer value"}));
        QCOMPARE(w_->selectedCapcode(), 0);
        QCOMPARE(w_->image().at(recordChar(Record::Header, 0, 0, 0)),
                 quint8(0x41)); // stored before the fault
        QCOMPARE(w_->image().at(recordLen(Record::Header, 0, 0)), quint8(0));
    }

    void prescalerZeroRescalesToNothing() {
        ParamImage im;
        im.set(kPeriodPrescaler, 0);
        for (int i = 0; i < kOutputCount; ++i)
            im.set(outputPeriod(i), quint8(10 + i));
        load(im);
        QCOMPARE(text("cboScaler"), QStringLiteral("0.1 sec"));
        QCOMPARE(w_->image().at(kPeriodPrescaler), quint8(1));
        for (int i = 0; i < kOutputCount; ++i) {
            QCOMPARE(w_->image().at(outputPeriod(i)), quint8(0));
            QCOMPARE(text(qPrintable(QStringLiteral("edtPlsPer%1").arg(i))), QStringLiteral("0"));
        }
    }

    void aKnownPrescalerKeepsThePeriods() {
        ParamImage im;
        im.set(kPeriodPrescaler, 50);
        im.set(outputPeriod(0), 25);
        im.set(outputPeriod(8), 255);
        load(im);
        QCOMPARE(text("cboScaler"), QStringLiteral("5 sec"));
        QCOMPARE(w_->image().at(outputPeriod(0)), quint8(25));
        QCOMPARE(w_->image().at(outputPeriod(8)), quint8(255));
        QCOMPARE(text("edtPlsPer0"), QStringLiteral("125"));
        QCOMPARE(text("edtPlsPer8"), QStringLiteral("1275"));
        QCOMPARE(text("lblScaler"), QStringLiteral("Max.=1275 sec"));
        // Then "25 sec": 255 x 50 / 250 = 51 steps.
        pick(fx_->control<QComboBox>("cboScaler"), 5);
        QCOMPARE(w_->image().at(outputPeriod(8)), quint8(51));
        QCOMPARE(w_->periodScale(), 250.0);
    }

    void ledFormatLoadedOffToOnSelects19200() {
        ParamImage im;
        im.set(kSerialLedFlag, 0xFF);
        im.set(kUartBaudCode, 52);
        load(im);
        QVERIFY(!checked("CheckBox8"));
        QCOMPARE(text("ComboBox5"), QStringLiteral("9600"));
        QVERIFY(!fx_->control("Panel2")->isHidden());

        im.set(kSerialLedFlag, 0);
        load(im);
        QVERIFY(checked("CheckBox8"));
        QCOMPARE(text("ComboBox5"), QStringLiteral("19200"));
        QCOMPARE(w_->image().at(kUartBaudCode), quint8(25));
        QVERIFY(fx_->control("Panel2")->isHidden());

        // Loaded again while already checked: the box does not change, the file's speed
        // stays.
        load(im);
        QCOMPARE(text("ComboBox5"), QStringLiteral("9600"));
        QCOMPARE(w_->image().at(kUartBaudCode), quint8(52));
    }

    void listsSetFromCodeRunNoRule() {
        ParamImage im;
        im.set(kLanguageCode, 9);
        im.set(kUartParity, 'E');
        im.set(functionType(1, 2), 4); // shown as "Disable", kept as 4
        load(im);
        QCOMPARE(text("cboLng"), QStringLiteral("United Kingdom"));
        QCOMPARE(text("ComboBox2"), QStringLiteral("even"));
        QCOMPARE(text("cboFun7"), QStringLiteral("Disable"));
        QCOMPARE(w_->image().at(functionType(1, 2)), quint8(4));
        QCOMPARE(w_->image().at(kLanguageCode), quint8(9));
    }

    void oddValuesLeaveListsOrShowNothing() {
        ParamImage im;
        im.set(kUartStopBits, 3);
        im.set(kUartDataBits, 9);
        im.set(kUartParity, 'X');
        im.set(kUartBaudCode, 7);
        im.set(kSerialLedFlag, 0xFF);
        im.set(functionType(0, 0), 0xFF);
        load(im);
        QCOMPARE(fx_->control<QComboBox>("ComboBox3")->currentIndex(), -1);
        QCOMPARE(fx_->control<QComboBox>("ComboBox4")->currentIndex(), -1);
        QCOMPARE(text("ComboBox2"), QStringLiteral("none")); // as it was
        QCOMPARE(text("ComboBox5"), QStringLiteral("19200"));
        QCOMPARE(fx_->control<QComboBox>("cboFun1")->currentIndex(), -1);
    }

    void pllRWithoutAStepLeavesTheFrequency() {
        ParamImage im;
        im.writeBE(kPllR, 3, 0);
        load(im);
        QCOMPARE(text("edtFreq"), QStringLiteral("4620000"));
        QCOMPARE(text("lblPLLR"), QStringLiteral("000000"));
        QCOMPARE(text("lblCHANNEL"), QString());
        QCOMPARE(w_->channelStep(), quint32(0));

        // So large that the step truncates to 0.
        im.writeBE(kPllR, 3, 0xFFFFFF);
        im.writeBE(kPllN, 4, 0);
        load(im);
        QCOMPARE(text("edtFreq"), QStringLiteral("4620000"));
        QCOMPARE(text("lblPLLR"), QStringLiteral("FFFFFF"));
        QVERIFY(fx_->seam.shown.isEmpty());
    }

    void bandMultiplierFollowsTheBand() {
        ParamImage im;
        im.set(kBandIndex, 0);
        im.writeBE(kPllR, 3, 0x000500);
        im.writeBE(kPllN, 4, 0x0035C000);
        load(im);
        QCOMPARE(text("lblMULT"), QStringLiteral("2"));
        QCOMPARE(text("lblCHANNEL"), QStringLiteral("5KHz"));
        QCOMPARE(text("edtFreq"), QStringLiteral("1590000"));
        // A band beyond the list keeps the multiplier and shows no band.
        im.set(kBandIndex, 9);
        load(im);
        QCOMPARE(text("lblMULT"), QStringLiteral("2"));
        QCOMPARE(fx_->control<QComboBox>("cboDft")->currentIndex(), -1);
    }

    void functionCommandPasswordsShowTheirLength() {
        ParamImage im;
        const QByteArray ten("ABCDEFGHIJ");
        for (int i = 0; i < 10; ++i) {
            im.set(kFcPassword1 + i, quint8(ten[i]));
            im.set(kFcPassword2 + i, quint8(ten[i]));
        }
        im.set(kFcPassword1Len, 3);
        im.set(kFcPassword2Len, 0xFF);
        load(im);
        QCOMPARE(text("Edit9"), QStringLiteral("ABC"));
        QCOMPARE(text("Edit10"), QStringLiteral("ABCDEFGHIJ"));
        im.set(kFcPassword1Len, 0);
        load(im);
        QCOMPARE(text("Edit9"), QString());
    }

    void checkBoxesRunTheirRuleOnlyWhenTheyChange() {
        auto* box3 = fx_->control<QCheckBox>("CheckBox3");
        box3->setChecked(true); // capcode #3 on: bit 3 of byte 123 cleared
        QCOMPARE(w_->image().getBits(kRxControl2, 3, 1), quint8(0));
        // The image says off again, but the box stays checked: setting the same state from
        // code runs nothing, so the image keeps what the refresh did not touch.
        w_->image().putBits(kRxControl2, 3, 1, 1);
        box3->setChecked(true);
        QCOMPARE(w_->image().getBits(kRxControl2, 3, 1), quint8(1));

        auto* out9 = fx_->control<QCheckBox>("chkOutput8");
        w_->image().set(kPowerUpOutputs2, 0x0F);
        out9->setChecked(true);
        QCOMPARE(w_->image().at(kPowerUpOutputs2), quint8(0x1F));
        fx_->control<QCheckBox>("chkOutput2")->setChecked(true);
        QCOMPARE(w_->image().at(kPowerUpOutputs), quint8(0x04));
        fx_->control<QCheckBox>("chkROE")->setChecked(true);
        QCOMPARE(w_->image().at(kRoeFlag), quint8(0));
        fx_->control<QCheckBox>("chkROE")->setChecked(false);
        QCOMPARE(w_->image().at(kRoeFlag), quint8(0xFF));
        fx_->control<QCheckBox>("CheckBox9")->setChecked(true);
        QCOMPARE(w_->image().at(kRtsFlag), quint8(0));
        fx_->control<QCheckBox>("chkFunPass")->setChecked(true);
        QCOMPARE(w_->image().at(kFcAsPasswordFlag), quint8(0));
        fx_->control<QCheckBox>("CheckBox1")->setChecked(false);
        QCOMPARE(w_->image().getBits(kRxControl3, 0, 1), quint8(1));
        fx_->control<QCheckBox>("CheckBox7")->setChecked(true);
        QCOMPARE(w_->image().at(kTestModeFlag), quint8(0));
        fx_->control<QCheckBox>("chkCtl3")->setChecked(true);
        QCOMPARE(w_->image().at(serialCtl(3)), quint8(1));
    }

    void serialOutputSwitchGovernsThePage() {
        auto* master = fx_->control<QCheckBox>("chkCtl5");
        auto* fcEnable = fx_->control<QCheckBox>("chkCtl1");
        master->setChecked(false);
        QCOMPARE(w_->image().at(kSerialOutputOn), quint8(0));
        QVERIFY(!fx_->control("grpPara")->isEnabled());
        QVERIFY(!fx_->control("edtMDly")->isEnabled());
        for (const char* g : {"grpFunA", "grpFunB", "grpFunC", "grpFunD"})
            QVERIFY(!fx_->control(g)->isEnabled());
        QCOMPARE(fx_->control("grpFunA")->palette().color(QPalette::Disabled, QPalette::WindowText),
                 QColor(0x80, 0x80, 0x80));
        QVERIFY(master->isEnabled());

        master->setChecked(true);
        QVERIFY(fx_->control("grpPara")->isEnabled());
        QVERIFY(fx_->control("edtMDly")->isEnabled());
        QVERIFY(fx_->control("ComboBox5")->isEnabled());
        QVERIFY(fx_->control("edtFC2")->isEnabled());

        // The sign handling function commands itself takes them off the page.
        fcEnable->setChecked(true);
        for (int f = 0; f < 4; ++f) {
            QVERIFY(!fx_->control(QStringLiteral("edtFC%1").arg(f))->isEnabled());
            QVERIFY(!fx_->control(QStringLiteral("chkOpCmd%1").arg(f))->isEnabled());
        }
        QVERIFY(fx_->control("edtHeader0")->isEnabled());
        fcEnable->setChecked(false);
        QVERIFY(fx_->control("edtFC0")->isEnabled());
    }

    void uartListsWriteTheirCodes() {
        auto* led = fx_->control<QCheckBox>("CheckBox8");
        led->setChecked(false);
        QCOMPARE(w_->image().at(kSerialLedFlag), quint8(0xFF));
        QVERIFY(!fx_->control("Panel2")->isHidden());
        pick(fx_->control<QComboBox>("ComboBox5"), 0);
        QCOMPARE(w_->image().at(kUartBaudCode), quint8(208));
        pick(fx_->control<QComboBox>("ComboBox2"), 1);
        QCOMPARE(w_->image().at(kUartParity), quint8('O'));
        pick(fx_->control<QComboBox>("ComboBox3"), 1);
        QCOMPARE(w_->image().at(kUartStopBits), quint8(2));
        pick(fx_->control<QComboBox>("ComboBox4"), 0);
        QCOMPARE(w_->image().at(kUartDataBits), quint8(7));
        led->setChecked(true);
        QCOMPARE(w_->image().at(kUartBaudCode), quint8(25));
        QCOMPARE(text("ComboBox5"), QStringLiteral("19200"));
    }
};

QTEST_MAIN(TestWindowBinding)
#include "tst_window_binding.moc"
