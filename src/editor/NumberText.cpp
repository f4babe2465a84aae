#include "editor/NumberText.h"

#include <QLocale>
#include <cmath>

namespace numbertext {

std::optional<qint64> wholeNumber(const QString& text) {
    int i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    if (i == text.size())
        return std::nullopt;
    for (; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qint64 value = QLocale::c().toLongLong(text, &ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
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
