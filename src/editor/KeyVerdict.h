#pragma once

#include "editor/RuleOutcome.h"

#include <QChar>

// What a key filter decides about one typed character: let it reach the edit (as `typed`
// when set, for example upper-cased), swallow it (showing the outcome's message, if any), or
// swallow it and end the edit by moving the focus to the focus sink, as Enter does.
struct KeyVerdict {
    enum class Action { Pass, Swallow, ToFocusSink };

    Action action = Action::Pass;
    RuleOutcome outcome;
    QChar typed; // Pass: the character the edit gets instead, when not null

    static KeyVerdict pass() { return {}; }
    static KeyVerdict passAs(QChar c) { return {Action::Pass, {}, c}; }
    static KeyVerdict swallow(const RuleOutcome& o = {}) { return {Action::Swallow, o, {}}; }
    static KeyVerdict toFocusSink() { return {Action::ToFocusSink, {}, {}}; }
};

// The characters the key filters tell apart, as the keyboard delivers them.
inline constexpr char16_t kEnterChar = 13;
inline constexpr char16_t kBackspaceChar = 8;
