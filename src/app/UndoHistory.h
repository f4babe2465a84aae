#pragma once

#include "settings/EditSession.h"

#include <cstddef>
#include <optional>
#include <vector>

// Undo and redo over whole editing sessions: the image, the state the rules keep beside it
// and what the boxes and lists hold. Restoring all of it, not only the image, is what makes an
// undone edit behave as before. The states lie in a line, one of them is the present.
// Recording a state that differs from the present cuts off what could be redone.
class UndoHistory {
  public:
    explicit UndoHistory(std::size_t limit = 200) : limit_(limit) {}

    // Forgets every step; state is the present.
    void reset(const settings::EditSession& state);
    // True when state differed from the present and became a new step.
    bool record(const settings::EditSession& state);
    // The state to go back (or forward) to, which becomes the present; nullopt when none.
    std::optional<settings::EditSession> undo();
    std::optional<settings::EditSession> redo();

    bool canUndo() const { return present_ > 0; }
    bool canRedo() const { return present_ + 1 < states_.size(); }
    bool empty() const { return states_.empty(); }
    const settings::EditSession& present() const { return states_[present_]; }

  private:
    std::size_t limit_;
    std::vector<settings::EditSession> states_;
    std::size_t present_ = 0;
};
