#include "settings/EditSession.h"

#include "editor/Flags.h"
#include "editor/PeriodRules.h"
#include "editor/SerialOutputRules.h"
#include "editor/ShownValues.h"
#include "settings/SettingTable.h"

using namespace layout;

namespace settings {

EditSession::EditSession() {
    // A window's boxes are created unchecked and its lists on their first item; its first
    // show refreshes them from the default image.
    take(ParamImage());
}

void EditSession::take(const ParamImage& image) {
    image_ = image;
    refresh();
}

void EditSession::setBox(const QString& name, bool on) {
    if (boxes_.value(name, false) == on)
        return;
    boxes_.insert(name, on);
    runBoxRule(*this, name, on);
}

void EditSession::refresh() {
    const quint8 band = image_.at(kBandIndex);
    setItem(QStringLiteral("cboDft"), band < shown::kBandCount ? band : -1);
    freqrules::followBand(image_, tuning_);
    showCapcodes();
    showSynthesizer();
    showBaudPolarity();
    // An unknown unit keeps the item shown; the rule then makes the image follow the item.
    if (auto item = shown::prescalerItem(image_.at(kPeriodPrescaler)))
        setItem(QStringLiteral("cboScaler"), *item);
    prescalerRule();
    showSerialFeatures();
    setItem(QStringLiteral("cboLng"), shown::languageItem(image_.at(kLanguageCode)));
    image_.writeModelTag();
}

void EditSession::showCapcodes() {
    for (int c = 0; c < kCapcodeCount; ++c)
        setBox(numbered("CheckBox", c + 1), flags::isOn(image_, flags::capcodeOn(c)));
    for (int t = 0; t < kCapcodeCount * kFunctionBits; ++t)
        setItem(
            numbered("cboFun", t + 1),
            shown::messageTypeItem(image_.at(functionType(t / kFunctionBits, t % kFunctionBits))));
    setBox(QStringLiteral("CheckBox7"), flags::isOn(image_, flags::testMode));
}

void EditSession::showSynthesizer() {
    // Without a channel step (pllR 0) there is none to keep.
    tuning_.channelStep = shown::synthesizer(image_, tuning_.bandMultiplier).channelStep;
    const quint8 band = image_.at(kBandIndex);
    setItem(QStringLiteral("cboDft"), band < shown::kBandCount ? band : -1);
}

void EditSession::showBaudPolarity() {
    setItem(QStringLiteral("cboBaud"), shown::pagingBaudItem(image_));
    setItem(QStringLiteral("cboPolarity"), shown::polarityItem(image_));
}

void EditSession::prescalerRule() {
    periodrules::prescalerPick(image_, periodScale_, item(QStringLiteral("cboScaler")),
                               serialrules::PendingRecord::none());
    showSerialFeatures();
}

void EditSession::showSerialFeatures() {
    for (int i = 0; i < kSerialCtlCount; ++i)
        setBox(numbered("chkCtl", i), flags::isOn(image_, flags::serialCtl(i)));
    setBox(numbered("chkCtl", serialrules::kSerialOutputOnTag),
           flags::isOn(image_, flags::serialOutputOn));
    for (int i = 0; i < kOutputCount; ++i)
        setBox(numbered("chkOutput", i), flags::isOn(image_, flags::powerUpOutput(i)));

    if (auto item = shown::parityItem(image_.at(kUartParity)))
        setItem(QStringLiteral("ComboBox2"), *item);
    setItem(QStringLiteral("ComboBox3"), shown::stopBitsItem(image_.at(kUartStopBits)));
    setItem(QStringLiteral("ComboBox4"), shown::dataBitsItem(image_.at(kUartDataBits)));
    if (auto item = shown::uartSpeedItem(image_.at(kUartBaudCode)))
        setItem(QStringLiteral("ComboBox5"), *item);

    setBox(QStringLiteral("CheckBox8"), flags::isOn(image_, flags::serialLed));
    setBox(QStringLiteral("chkORC"), flags::isOn(image_, flags::orc));
    setBox(QStringLiteral("chkROE"), flags::isOn(image_, flags::roe));
    setBox(QStringLiteral("chkPower"), flags::isOn(image_, flags::powerUp));
    setBox(QStringLiteral("chkFunPass"), flags::isOn(image_, flags::fcAsPassword));

    // The function-bit groups show capcode #1; edits of them that were not collected are
    // dropped.
    selectedCapcode_ = 0;
    setItem(QStringLiteral("ComboBox1"), 0);

    setBox(QStringLiteral("CheckBox9"), flags::isOn(image_, flags::rts));
}

serialrules::CapcodeRecordTexts EditSession::shownRecord(int c) const {
    serialrules::CapcodeRecordTexts texts;
    for (int f = 0; f < kFunctionBits; ++f) {
        texts[f].header = shown::recordPairs(image_, Record::Header, c, f);
        texts[f].trailer = shown::recordPairs(image_, Record::Trailer, c, f);
        texts[f].timeout = shown::recordPairs(image_, Record::Timeout, c, f);
        texts[f].funCmd = shown::funCmdPairs(image_, c, f);
        texts[f].intFunCmd = flags::isOn(image_, flags::intFunCmd(c, f));
    }
    return texts;
}

void EditSession::collectRecord() {
    // The texts come from the image, so every pair reads.
    serialrules::collectCapcodeRecord(image_, selectedCapcode_, shownRecord(selectedCapcode_));
}

bool EditSession::operator==(const EditSession& o) const {
    return image_ == o.image_ && tuning_.bandMultiplier == o.tuning_.bandMultiplier &&
           tuning_.channelStep == o.tuning_.channelStep && periodScale_ == o.periodScale_ &&
           selectedCapcode_ == o.selectedCapcode_ && boxes_ == o.boxes_ && items_ == o.items_;
}

} // namespace settings
