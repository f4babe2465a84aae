#pragma once

#include <QString>

class Exchange;
class OperationHost;

// How a device operation ends. After its closing message (if any) an operation takes some of
// these steps, always in this order: close the port, progress bar to 0, status text, enable
// the "Write" item. Every end of an operation is one of the named ends below, so the ends
// that leave the port open on purpose (a verify difference, every display send) stand out.
struct OperationEnd {
    enum class Status { Unchanged, Ready, ReadyDots };

    bool closePort = false;
    bool resetProgress = false;
    Status status = Status::Unchanged;
    bool enableWrite = false; // needs the operation's host
};

namespace ends {
using S = OperationEnd::Status;

// The link failed ("The target board is not found !"): nothing was sent.
inline constexpr OperationEnd linkFailed{true, true, S::Ready, false};
// The same for Write and Verify, which turned "Write" off while they run.
inline constexpr OperationEnd linkFailedWriteOff{true, true, S::Ready, true};
// A request or reply failed; the exchange has already said "Transmit Error!", reset the bar
// and the status.
inline constexpr OperationEnd transferFailed{true, false, S::Unchanged, false};
// The operation ran its course, well or with its failure message.
inline constexpr OperationEnd finished{true, true, S::Ready, true};
// The user answered No, or the data were refused.
inline constexpr OperationEnd declined{true, true, S::Ready, true};
// A wrong read password: nothing was taken.
inline constexpr OperationEnd passwordRefused{true, true, S::Unchanged, true};
// Data of another model: nothing was taken ("Write" stays as it is).
inline constexpr OperationEnd dataRefused{true, true, S::Ready, false};
// A bank could not be erased or written.
inline constexpr OperationEnd bankFailed{true, true, S::ReadyDots, true};
// A bank differs from what it should hold: the port stays open and the status as it was;
// the next link reopens the port.
inline constexpr OperationEnd verifyDifference{false, true, S::Unchanged, true};
// Check Firmware showed what it found.
inline constexpr OperationEnd firmwareShown{true, true, S::Unchanged, false};
// A display send (LED Sign Command, Alpha Data) is over: the port stays open for the next.
inline constexpr OperationEnd displaySent{false, true, S::Unchanged, false};
// A display send could not link: the port is closed.
inline constexpr OperationEnd displayLinkFailed{true, false, S::Unchanged, false};
// The same for Direct Send, which also resets the bar.
inline constexpr OperationEnd directSendLinkFailed{true, true, S::Unchanged, false};
// A display send whose line failed under it (a cable pulled).
inline constexpr OperationEnd displayLineFailed{true, true, S::Ready, false};
} // namespace ends

// Shows message through the exchange's user seam (unless it is empty), then takes the end's
// steps. host may be null when the end does not enable "Write".
void EndOperation(Exchange& exchange, const OperationEnd& end, const QString& message = {},
                  OperationHost* host = nullptr);

// Closes the port; a port that cannot even be closed is as closed as it gets.
void ClosePortQuietly(Exchange& exchange);
