// Showing the image on the controls, and collecting the per-capcode serial output edits,
// which have no rule of their own, back into it.
#include "app/MainWindow.h"
#include "app/PairMaskEdit.h"
#include "editor/ShownValues.h"
#include "editor/SerialOutputRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace layout;

// Setting a check box from here runs its rule only when its state changes (the rules hang on
// `toggled`); setting a list's item or an edit's text runs no rule (those hang on user
// actions only).
void TfrmAir::refreshFromImage() {
    const quint8 band = image_.at(kBandIndex);
    cboDft->setCurrentIndex(band < shown::kBandCount ? band : -1);
    freqrules::followBand(image_, tuning_);
    ShowCapcodes();
    ShowSynthesizer();
    ShowBaudPolarity();

    edtPassword->setText(shown::airPassword(image_));
    edtReadPass->setText(shown::readPassword(image_));
    edtMDly->setText(QString::number(shown::msgTimeoutDelay(image_)));
    Edit9->setText(shown::fcPassword(image_, 1));
    Edit10->setText(shown::fcPassword(image_, 2));

    // An unknown unit keeps the item shown; the rule then makes the image follow the item.
    if (auto item = shown::prescalerItem(image_.at(kPeriodPrescaler)))
        cboScaler->setCurrentIndex(*item);
    cboScalerClick();

    ShowSerialFeatures();
    cboLng->setCurrentIndex(shown::languageItem(image_.at(kLanguageCode)));
    image_.writeModelTag();
}

void TfrmAir::ShowCapcodes() {
    for (int c = 0; c < kCapcodeCount; ++c) {
        tables_.capcodeEdits[c]->setText(shown::capcodeText(image_, c));
        tables_.capcodeBoxes[c]->setChecked(shown::capcodeOn(image_, c));
    }
    for (int t = 0; t < kCapcodeCount * kFunctionBits; ++t)
        tables_.messageTypeLists[t]->setCurrentIndex(shown::messageTypeItem(
            image_.at(functionType(t / kFunctionBits, t % kFunctionBits))));
    CheckBox7->setChecked(image_.at(kTestModeFlag) == 0);
}

void TfrmAir::ShowSynthesizer() {
    const shown::Synthesizer s = shown::synthesizer(image_, tuning_.bandMultiplier);
    lblPLLR->setText(s.pllR);
    lblPLLN->setText(s.pllN);
    lblMULT->setText(s.mult);
    // Without a channel step (pllR 0) there is no frequency to show: the edit keeps its text.
    tuning_.channelStep = s.channelStep;
    lblCHANNEL->setText(s.channel);
    if (s.frequency)
        edtFreq->setText(QString::number(*s.frequency));
    const quint8 band = image_.at(kBandIndex);
    cboDft->setCurrentIndex(band < shown::kBandCount ? band : -1);
}

void TfrmAir::ShowBaudPolarity() {
    cboBaud->setCurrentIndex(shown::pagingBaudItem(image_));
    cboPolarity->setCurrentIndex(shown::polarityItem(image_));
}

void TfrmAir::ShowSerialFeatures() {
    for (int i = 0; i < kSerialCtlCount; ++i)
        tables_.serialOptionBoxes[i]->setChecked(image_.at(serialCtl(i)) != 0);
    tables_.serialOptionBoxes[serialrules::kSerialOutputOnTag]->setChecked(
        image_.at(kSerialOutputOn) != 0);

    for (int i = 0; i < 8; ++i)
        tables_.powerUpOutputBoxes[i]->setChecked(image_.getBits(kPowerUpOutputs, i, 1) == 1);
    tables_.powerUpOutputBoxes[8]->setChecked(image_.getBits(kPowerUpOutputs2, kOutput9Bit, 1) ==
                                              1);

    if (auto item = shown::parityItem(image_.at(kUartParity)))
        ComboBox2->setCurrentIndex(*item);
    ComboBox3->setCurrentIndex(shown::stopBitsItem(image_.at(kUartStopBits)));
    ComboBox4->setCurrentIndex(shown::dataBitsItem(image_.at(kUartDataBits)));
    if (auto item = shown::uartSpeedItem(image_.at(kUartBaudCode)))
        ComboBox5->setCurrentIndex(*item);

    edtSLC->setText(QString::number(image_.at(kSequentialLock)));
    edtORC->setText(QString::number(image_.at(kOutOfRangeTimeout)));

    CheckBox8->setChecked(image_.at(kSerialLedFlag) == 0);
    chkORC->setChecked(image_.at(kOrcFlag) == 0);
    chkROE->setChecked(image_.at(kRoeFlag) == 0);
    chkPower->setChecked(image_.at(kPowerUpFlag) == 0);
    chkFunPass->setChecked(image_.at(kFcAsPasswordFlag) == 0);

    edtMDly->setText(QString::number(shown::msgTimeoutDelay(image_)));
    for (int i = 0; i < kOutputCount; ++i)
        tables_.periodEdits[i]->setText(shown::periodSeconds(image_, i));

    // Edits of the function-bit groups that were not collected are dropped here.
    selectedCapcode_ = 0;
    ComboBox1->setCurrentIndex(0);
    ShowCapcodeRecord(0);

    Edit7->setText(shown::hex(image_.at(kEndCode), 2));
    CheckBox9->setChecked(image_.at(kRtsFlag) == 0);
}

void TfrmAir::ShowCapcodeRecord(int c) {
    for (int f = 0; f < kFunctionBits; ++f) {
        tables_.headerEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Header, c, f));
        tables_.trailerEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Trailer, c, f));
        tables_.timeoutEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Timeout, c, f));
        tables_.fcEdits[f]->setMaskedText(shown::funCmdPairs(image_, c, f));
        tables_.intFunCmdBoxes[f]->setChecked(image_.at(intFunCmd(c, f)) != 0);
    }
}

void TfrmAir::collectCapcodeRecord(int c) {
    serialrules::collectCapcodeRecord(image_, c, screenRecord(tables_));
}
