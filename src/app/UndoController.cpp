#include "app/UndoController.h"

UndoController::UndoController(settings::EditSession& session, Hooks hooks)
    : session_(session), hooks_(std::move(hooks)) {}

void UndoController::start() {
    history_.reset(session_);
    reportSteps();
}

bool UndoController::handlerEnded(bool typing) {
    if (!live_ || restoring_)
        return false;
    // A key typed into a field is no committed edit yet; leaving the field is.
    if (!typing)
        history_.record(session_);
    reportSteps();
    return true;
}

void UndoController::recordStep() {
    if (!live_ || restoring_)
        return;
    history_.record(session_);
    reportSteps();
}

void UndoController::undo() {
    if (auto state = history_.undo())
        restore(*state);
}

void UndoController::redo() {
    if (auto state = history_.redo())
        restore(*state);
}

void UndoController::restore(const settings::EditSession& state) {
    // The session comes back whole, what its boxes and lists held included; the controls only
    // show it, so no rule runs and nothing in it changes while they do.
    restoring_ = true;
    session_ = state;
    if (hooks_.showSession)
        hooks_.showSession();
    restoring_ = false;
}

void UndoController::reportSteps() {
    if (hooks_.stepsChanged)
        hooks_.stepsChanged(history_.canUndo(), history_.canRedo());
}
