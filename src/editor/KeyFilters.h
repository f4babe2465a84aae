#pragma once

#include "editor/RuleOutcome.h"

#include <QChar>

// The key filters of the edits, as pure functions of the typed character. The window calls
// one for every key that carries a character and does what the verdict says; keys without a
// character (cursor keys) never reach a filter.
namespace keyfilter {

struct Verdict {
    enum class Action {
        Accept,    // let `character` through (it may have been upper-cased)
        Discard,   // drop the key; show `outcome` when it has a message
        FocusSink, // Enter: drop the key and move the focus to edtNull
    };
    Action action = Action::Accept;
    QChar character;
    RuleOutcome outcome;
};

// Edit7 (end code): Enter goes to the focus sink, every other character passes upper-cased.
Verdict endCodeKey(QChar typed);
// edtHeader0KeyPress, for the header, trailer, time-out and FC masks: Enter goes to the focus
// sink; editing keys (Backspace, Delete and other control characters) pass; a character
// passes upper-cased when it is 0-9 or A-F and is dropped silently otherwise.
Verdict hexMaskKey(QChar typed);
// The period edits (and the numeric filter they share): Enter goes to the focus sink;
// Backspace, Delete, 0-9 and "." pass; anything else is dropped with "Please insert a
// numeric !" in the "ZRD" box.
Verdict numericKey(QChar typed);

} // namespace keyfilter
