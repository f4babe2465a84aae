#include "editor/CapcodeRules.h"

#include "core/Messages.h"
#include "editor/Flags.h"
#include "editor/NumberText.h"
#include "editor/ShownValues.h"

using namespace layout;

namespace capcoderules {

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
    if (c >= 0 && c < kCapcodeCount)
        flags::setOn(image, flags::capcodeOn(c), on);
}

void setMessageType(ParamImage& image, int t, int item) {
    const std::optional<int> code = shown::coded::messageType().codeOf(item);
    if (t < 0 || t >= kCapcodeCount * kFunctionBits || !code)
        return;
    image.set(functionType(t / kFunctionBits, t % kFunctionBits), quint8(*code));
}

} // namespace capcoderules
