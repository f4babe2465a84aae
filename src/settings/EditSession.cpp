#include "settings/EditSession.h"

#include "editor/EditorError.h"
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

void EditSession::setBox(const QString& key, bool on) {
    if (boxes_.value(key, false) == on)
        return;
    boxes_.insert(key, on);
    runBoxRule(*this, key, on);
}

void EditSession::showGroup(Group group) {
    for (const Instance& i : instances())
        if (i.row->group == group && i.row->show)
            i.row->show(*this, i);
}

void EditSession::refresh() {
    freqrules::followBand(image_, tuning_);
    showCapcodes();
    showGroup(Group::Frequency);
    // An unknown unit keeps the item shown; the rule then makes the image follow the item.
    if (auto item = shown::prescalerItem(image_.at(kPeriodPrescaler)))
        setItem(QStringLiteral("outputFeatures.preScaler"), *item);
    prescalerRule();
    showSerialFeatures();
    showGroup(Group::Features);
    image_.writeModelTag();
}

void EditSession::showCapcodes() {
    showGroup(Group::Capcodes);
}

void EditSession::showSynthesizer() {
    if (const Instance* band = findInstance(QStringLiteral("frequency.band")))
        band->row->show(*this, *band);
}

void EditSession::showBaudPolarity() {
    showGroup(Group::Frequency);
}

void EditSession::prescalerRule() {
    periodrules::prescalerPick(image_, periodScale_,
                               item(QStringLiteral("outputFeatures.preScaler")),
                               serialrules::PendingRecord::none());
    showSerialFeatures();
}

void EditSession::showSerialFeatures() {
    showGroup(Group::SerialOutput);
    showGroup(Group::OutputFeatures);
    // The function-bit groups show capcode #1; edits of them that were not collected are
    // dropped.
    selectedCapcode_ = 0;
    if (held_)
        showRecord(0);
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
    // Without a held record the texts come from the image, so every pair reads.
    serialrules::collectCapcodeRecord(image_, selectedCapcode_,
                                      held_ ? *held_ : shownRecord(selectedCapcode_));
}

serialrules::PendingRecord EditSession::pendingRecord() const {
    if (!held_)
        return serialrules::PendingRecord::none();
    return {selectedCapcode_, *held_};
}

void EditSession::selectCapcode(int c) {
    collectRecord();
    selectedCapcode_ = c;
    if (held_)
        showRecord(c);
}

std::optional<ParamImage> EditSession::savedImage() const {
    EditSession copy = *this;
    try {
        copy.collectRecord();
    } catch (const ConversionError&) {
        return std::nullopt;
    }
    return copy.image_;
}

bool EditSession::operator==(const EditSession& o) const {
    return image_ == o.image_ && tuning_.bandMultiplier == o.tuning_.bandMultiplier &&
           tuning_.channelStep == o.tuning_.channelStep && periodScale_ == o.periodScale_ &&
           selectedCapcode_ == o.selectedCapcode_ && boxes_ == o.boxes_ && items_ == o.items_ &&
           held_ == o.held_;
}

} // namespace settings
