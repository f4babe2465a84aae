#include "alpha/AlphaMessage.h"

#include "core/Messages.h"

#include <QLocale>

namespace alpha {

QString sampleText(Form form) {
    return form == Form::Hex8 ? QStringLiteral("20212223") : QStringLiteral("Alpha");
}

std::optional<int> classNumber(const QString& idText, QString* error) {
    QLocale c = QLocale::c();
    // "1,000" is no message ID.
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const int value = c.toInt(idText, &ok);
    if (!ok) {
        if (error)
            *error = msg::notInteger(idText);
        return std::nullopt;
    }
    return value;
}

QString joinLines(const QString& text, bool dropFinalLineEnd) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\r\n");
        } else {
            out += ch;
        }
    }
    if (dropFinalLineEnd && out.endsWith(QLatin1String("\r\n")))
        out.chop(2);
    return out;
}

} // namespace alpha
