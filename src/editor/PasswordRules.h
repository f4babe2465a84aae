#pragma once

#include "editor/EditOutcome.h"
#include "image/ParamImage.h"

#include <QString>

// The four passwords: the two function command passwords of "Output Features" (a length byte
// and up to 10 characters) and the two access passwords of "Features" (up to 10 characters,
// ended by a 0 byte when shorter). Each character is one byte; a text that does not fit
// (longer than 10, or a character without a one-byte form, or a 0 character that would cut
// the password short) is refused with the stored value shown again and nothing written.
namespace passwordrules {

inline constexpr int kAirPasswordTag = 0;  // edtPassword, "Air Prm. PW"
inline constexpr int kReadPasswordTag = 1; // edtReadPass, "Read Password"

// Edit9Exit (which 1) and Edit10Exit (which 2): the length, then the characters; the bytes
// after the text keep their old values.
EditOutcome fcPasswordExit(ParamImage& image, int which, const QString& text);
// edtPasswordExit: the characters from the field's first byte, then a 0 byte only when the
// text is shorter than 10. An empty text stores an empty password. Nothing after the field
// is touched.
EditOutcome accessPasswordExit(ParamImage& image, int tag, const QString& text);

} // namespace passwordrules
