#pragma once

#include "editor/EditOutcome.h"
#include "editor/SerialOutputRules.h"
#include "image/ParamImage.h"

#include <QString>

// The "Features" group: sequential lock, out-of-range time-out and language; and which
// controls of "Output Features" and "Features" the window shows at all.
namespace featurerules {

inline constexpr int kSequentialLockTag = 0;    // edtSLC, seconds
inline constexpr int kOutOfRangeTimeoutTag = 1; // edtORC, minutes

// edtSLCExit: a whole number 0..255. A stored value ends the rule (no refresh); an empty,
// non-numeric or out-of-range text ends in ShowSerialFeatures.
EditOutcome byteSettingExit(ParamImage& image, int tag, const QString& text,
                            const serialrules::PendingRecord& pending);

// cboLngClick: item 0 "English" writes 0xFF, item 1..10 writes item - 1; no selection writes
// nothing.
void setLanguage(ParamImage& image, int item);

// Shown at all: the "Output Features" group, "Air Prm. PW", "Out Of Range Time Out" (with
// "Min") and "Read Password" are hidden for good; their rules still write the image when run.
inline constexpr bool kOutputFeaturesVisible = false;
inline constexpr bool kAirPasswordVisible = false;
inline constexpr bool kOutOfRangeTimeoutVisible = false;
inline constexpr bool kReadPasswordVisible = false;
inline constexpr bool kSequentialLockVisible = true;
inline constexpr bool kLanguageVisible = true;

} // namespace featurerules
