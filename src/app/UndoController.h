#pragma once

#include "app/UndoHistory.h"
#include "settings/EditSession.h"

#include <functional>

// Undo and redo of the window's edits: every committed edit (a handler that ran to its end,
// not a key still being typed) becomes a step holding the whole editing session. Restoring a
// step puts the session back and only shows it, so no rule runs meanwhile.
class UndoController {
  public:
    struct Hooks {
        // Shows the session on the controls after a step was put back.
        std::function<void()> showSession;
        // Undo or redo became possible or impossible.
        std::function<void(bool canUndo, bool canRedo)> stepsChanged;
    };
    UndoController(settings::EditSession& session, Hooks hooks);

    // From the first show on, edits count; before it nothing is recorded.
    void setLive(bool live) { live_ = live; }
    // The session as it is now is the only step (start-up, after the first show).
    void start();
    // A handler ended: the session becomes a step unless a key is still being typed. False
    // while nothing is recorded (before the first show, while a step is put back).
    bool handlerEnded(bool typing);
    // The session as it is now becomes a step, whoever asks (an Open from any caller).
    void recordStep();
    void undo();
    void redo();

    settings::EditSession snapshot() const { return session_; }
    void restore(const settings::EditSession& state);
    const UndoHistory& history() const { return history_; }

  private:
    void reportSteps();

    settings::EditSession& session_;
    Hooks hooks_;
    UndoHistory history_;
    bool live_ = false;
    bool restoring_ = false;
};
