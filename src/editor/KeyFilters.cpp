#include "editor/KeyFilters.h"

namespace keyfilter {

namespace {
bool isEnter(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

KeyVerdict endCodeKey(QChar typed) {
    return isEnter(typed) ? KeyVerdict::toFocusSink() : KeyVerdict::passAs(typed.toUpper());
}

KeyVerdict hexMaskKey(QChar typed) {
    if (isEnter(typed))
        return KeyVerdict::toFocusSink();
    if (typed.category() == QChar::Other_Control)
        return KeyVerdict::pass();
    const QChar c = typed.toUpper();
    const bool hex = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                     (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    return hex ? KeyVerdict::passAs(c) : KeyVerdict::swallow();
}

} // namespace keyfilter
