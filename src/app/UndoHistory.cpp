#include "app/UndoHistory.h"

void UndoHistory::reset(const settings::EditSession& state) {
    states_.assign(1, state);
    present_ = 0;
}

bool UndoHistory::record(const settings::EditSession& state) {
    if (states_.empty()) {
        reset(state);
        return false;
    }
    if (states_[present_] == state)
        return false;
    states_.resize(present_ + 1);
    states_.push_back(state);
    // Each state is a whole image; the oldest go first.
    if (states_.size() > limit_ + 1)
        states_.erase(states_.begin(), states_.begin() + (states_.size() - limit_ - 1));
    present_ = states_.size() - 1;
    return true;
}

std::optional<settings::EditSession> UndoHistory::undo() {
    if (!canUndo())
        return std::nullopt;
    return states_[--present_];
}

std::optional<settings::EditSession> UndoHistory::redo() {
    if (!canRedo())
        return std::nullopt;
    return states_[++present_];
}
