#include "editor/KeyFilters.h"

#include "core/HexDigits.h"

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
    return isHexDigit(typed) ? KeyVerdict::passAs(typed.toUpper()) : KeyVerdict::swallow();
}

} // namespace keyfilter
