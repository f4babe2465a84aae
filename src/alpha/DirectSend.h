#pragma once

#include "alpha/AlphaMessage.h"
#include "signcmd/SendText.h"

class Exchange;
struct LinkState;

namespace alpha {

// Direct Send of the "Alpha Data" dialog, shared with `ledsign alpha`: links to the sign on
// the chosen port, sends the message as one display frame and reports "Send Success!" or
// "Send Error!" through the exchange's user seam. The port stays open afterwards (the next
// operation reopens it), except when the sign was not found. True when the sign took the
// frame; false, showing nothing, while another exchange holds the line.
class DirectSend {
  public:
    DirectSend(Exchange& exchange, LinkState& link);

    // The pause after the frame, for the sign's display to take it. Tests shorten it.
    int pauseMs = signcmd::kDisplayPauseMs;

    bool run(const Message& message);

  private:
    bool body(const Message& message);

    Exchange& ex_;
    LinkState& link_;
};

} // namespace alpha
