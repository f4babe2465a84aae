#pragma once

#include "editor/RuleOutcome.h"

#include <QString>
#include <optional>

// What an edit's or a list's rule on the serial output and features pages asks of the window,
// in this order:
//  1. show `outcome` (when it has a message);
//  2. show `text` in the edit, when set (the stored value again);
//  3. show `collectError`, when set: the selected capcode's record did not collect, and the
//     page is left as it is (no ShowSerialFeatures);
//  4. run ShowSerialFeatures when `showSerialFeatures` (the record has been collected);
//  5. when `outcome.refused()`, put the focus back into the field.
struct EditOutcome {
    RuleOutcome outcome = {};
    std::optional<QString> text = std::nullopt;
    RuleOutcome collectError = {};
    bool showSerialFeatures = false;

    bool refused() const { return outcome.refused(); }
};
