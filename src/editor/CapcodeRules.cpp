#include "editor/CapcodeRules.h"

#include "core/Messages.h"
#include "editor/NumberText.h"

using namespace layout;

namespace capcoderules {

namespace {
constexpr int kDisableItem = 4;
}

RuleOutcome typeCapcode(ParamImage& image, int c, const QString& text) {
    if (text.isEmpty() || c < 0 || c >= kCapcodeCount)
        return RuleOutcome::ok();
    const std::optional<qint64> v = numbertext::wholeNumber(text);
    // The edit was read with -1 standing for "no number", so -1 itself counts as none.
    if (!v || *v == -1)
        return RuleOutcome::plain(msg::insertNumeric);
    if (*v < 0 || *v > kMaxCapcode)
        return RuleOutcome::plain(msg::capcodeRange);
    image.setCapcode(c, quint32(*v));
    return RuleOutcome::ok();
}

KeyVerdict capcodeKey(QChar key) {
    return key.unicode() == kEnterChar ? KeyVerdict::toFocusSink() : KeyVerdict::pass();
}

void setCapcodeOn(ParamImage& image, int c, bool on) {
    const unsigned disabled = on ? 0 : 1;
    if (c == 0)
        image.putBits(kRxControl3, 0, disabled, 1);
    else
        image.putBits(kRxControl2, 5 - c, disabled, 1);
}

void setMessageType(ParamImage& image, int t, int item) {
    if (t < 0 || t >= kCapcodeCount * kFunctionBits || item < 0 || item > kDisableItem)
        return;
    const int c = t / kFunctionBits, f = t % kFunctionBits;
    image.set(functionType(c, f), quint8(item == kDisableItem ? kTypeDisable : item));
}

void setTestMode(ParamImage& image, bool on) {
    image.set(kTestModeFlag, on ? 0x00 : 0xFF);
}

} // namespace capcoderules
