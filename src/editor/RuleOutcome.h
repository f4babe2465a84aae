#pragma once

#include "core/UserSeam.h"

#include <QString>

// What an editor rule asks of its caller once it has run: nothing, or one message in one
// kind of box, after which the control shows the stored value again and takes the focus
// back. Rules never show anything themselves, so the window and `ledsign set` run the same
// rule and show the same text.
struct RuleOutcome {
    enum class Box { None, Plain, Warning, Error };

    Box box = Box::None;
    QString text;

    static RuleOutcome ok() { return {}; }
    static RuleOutcome plain(const QString& t) { return {Box::Plain, t}; } // application title
    static RuleOutcome warning(const QString& t) {
        return {Box::Warning, t};
    }                                                                      // "ZRD", warning icon
    static RuleOutcome error(const QString& t) { return {Box::Error, t}; } // standard error box

    // A refused value: the stored value is shown again and the focus goes back to the field.
    bool refused() const { return box != Box::None; }
};

// Shows the outcome's message, if any, through the seam.
inline void showOutcome(UserSeam& seam, const RuleOutcome& outcome) {
    switch (outcome.box) {
    case RuleOutcome::Box::None:
        break;
    case RuleOutcome::Box::Plain:
        seam.message(outcome.text);
        break;
    case RuleOutcome::Box::Warning:
        seam.warning(outcome.text);
        break;
    case RuleOutcome::Box::Error:
        seam.error(outcome.text);
        break;
    }
}
