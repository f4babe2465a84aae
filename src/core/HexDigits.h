#pragma once

#include <QChar>

// The value of a hexadecimal digit (0-9, A-F, a-f), or -1 for any other character. The masks,
// the end code, the alpha hexadecimal form and the key filters all read digits through here.
inline int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

inline bool isHexDigit(QChar c) {
    return hexDigitValue(c) >= 0;
}
