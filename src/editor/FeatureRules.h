#pragma once

#include "editor/EditOutcome.h"
#include "editor/SerialOutputRules.h"
#include "image/ParamImage.h"

#include <QString>

// The "Features" group: sequential lock, out-of-range time-out and language.
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

} // namespace featurerules
