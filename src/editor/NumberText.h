#pragma once

#include <QString>
#include <optional>

// Numbers as the technician types them. Both read the text exactly as given (no blanks, no
// hexadecimal prefixes, no group separators) and in the C locale.
namespace numbertext {

// A decimal whole number with an optional sign. None for anything else, and for a number
// beyond 64 bits.
std::optional<qint64> wholeNumber(const QString& text);
// A decimal number, a fraction and an exponent allowed. None for anything else and for an
// infinite or undefined value.
std::optional<double> realNumber(const QString& text);

} // namespace numbertext
