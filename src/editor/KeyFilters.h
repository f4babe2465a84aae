#pragma once

#include "editor/KeyVerdict.h"

#include <QChar>

// The key filters of the serial output edits, as pure functions of the typed character. The
// period edits share the frequency edit's numeric filter (freqrules::frequencyKey).
namespace keyfilter {

// Edit7 (end code): Enter goes to the focus sink, every other character passes upper-cased.
KeyVerdict endCodeKey(QChar typed);
// edtHeader0KeyPress, for the header, trailer, time-out and FC masks: Enter goes to the focus
// sink; editing keys (Backspace, Delete and other control characters) pass; a character
// passes upper-cased when it is 0-9 or A-F and is dropped silently otherwise.
KeyVerdict hexMaskKey(QChar typed);

} // namespace keyfilter
