#include "editor/KeyFilters.h"

#include "core/Messages.h"

namespace keyfilter {

namespace {
constexpr char16_t kBackspace = 0x08;
constexpr char16_t kDelete = 0x7F;

bool isEnter(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
Verdict accept(QChar c) {
    return {Verdict::Action::Accept, c, {}};
}
Verdict discard(RuleOutcome shown = {}) {
    return {Verdict::Action::Discard, {}, shown};
}
Verdict sink() {
    return {Verdict::Action::FocusSink, {}, {}};
}
} // namespace

Verdict endCodeKey(QChar typed) {
    return isEnter(typed) ? sink() : accept(typed.toUpper());
}

Verdict hexMaskKey(QChar typed) {
    if (isEnter(typed))
        return sink();
    if (typed.category() == QChar::Other_Control)
        return accept(typed);
    const QChar c = typed.toUpper();
    const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                     (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    return hex ? accept(c) : discard();
}

Verdict numericKey(QChar typed) {
    if (isEnter(typed))
        return sink();
    if (typed == QChar(kBackspace) || typed == QChar(kDelete) || typed == QLatin1Char('.') ||
        (typed >= QLatin1Char('0') && typed <= QLatin1Char('9')))
        return accept(typed);
    return discard(RuleOutcome::warning(msg::insertNumericSpaced));
}

} // namespace keyfilter
