#include "editor/PasswordRules.h"

#include "core/Messages.h"
#include "editor/ShownValues.h"

using namespace layout;

namespace passwordrules {

namespace {

// Why the text cannot be stored, or nothing.
RuleOutcome unfit(const QString& text) {
    for (QChar ch : text)
        if (ch.unicode() > 0xFF || ch.unicode() == 0)
            return RuleOutcome::warning(
                msg::editout::passwordCharacter(ch.isNull() ? QStringLiteral("\\0") : QString(ch)));
    if (text.size() > kPasswordLen)
        return RuleOutcome::warning(msg::editout::passwordTooLong);
    return {};
}

EditOutcome refuse(const RuleOutcome& why, const QString& stored) {
    EditOutcome o;
    o.outcome = why;
    o.text = stored;
    return o;
}

void copyText(ParamImage& image, int at, const QString& text) {
    for (int i = 0; i < text.size(); ++i)
        image.set(at + i, quint8(text[i].unicode()));
}

} // namespace

EditOutcome fcPasswordExit(ParamImage& image, int which, const QString& text) {
    if (which != 1 && which != 2)
        return {};
    if (const RuleOutcome why = unfit(text); why.refused())
        return refuse(why, shown::fcPassword(image, which));
    image.set(which == 1 ? kFcPassword1Len : kFcPassword2Len, quint8(text.size()));
    copyText(image, which == 1 ? kFcPassword1 : kFcPassword2, text);
    return {};
}

EditOutcome accessPasswordExit(ParamImage& image, int tag, const QString& text) {
    if (tag != kAirPasswordTag && tag != kReadPasswordTag)
        return {};
    const int at = tag == kAirPasswordTag ? kAirPassword : kReadPassword;
    if (const RuleOutcome why = unfit(text); why.refused())
        return refuse(why, image.text(at, kPasswordLen));
    copyText(image, at, text);
    if (text.size() < kPasswordLen)
        image.set(at + text.size(), 0);
    return {};
}

} // namespace passwordrules
