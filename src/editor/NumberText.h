#pragma once

#include <QString>
#include <optional>

// Reading the text of a numeric edit. The window's key filters keep most stray characters
// out, but a pasted text or a value from the command line can hold anything, so every rule
// reads its text through here and refuses what does not read.
namespace numbertext {

// A decimal whole number: an optional "+" or "-" and one or more digits 0-9, nothing else (no
// blanks, no point, no hexadecimal prefix). A number beyond the 64-bit range reads as the
// nearest 64-bit value, so a range check still refuses it rather than seeing it wrapped.
std::optional<qint64> wholeNumber(const QString& text);
// A decimal number in the C locale, a fraction and an exponent allowed, with no blanks and no
// group separators. None for anything else and for an infinite or undefined value.
std::optional<double> realNumber(const QString& text);

} // namespace numbertext
