#include "editor/NumberText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace numbertext {

std::optional<qint64> wholeNumber(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    bool saturated = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value > (kMax - digit) / 10)
            saturated = true;
        else if (!saturated)
            value = value * 10 + digit;
    }
    if (saturated)
        value = kMax;
    return negative ? -value : value;
}

std::optional<double> realNumber(const QString& text) {
    if (text.isEmpty() || text.trimmed() != text)
        return std::nullopt;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace numbertext
