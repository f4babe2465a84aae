#pragma once

#include <QString>
#include <functional>

class Exchange;
class OperationHost;
struct LinkState;

// The attempts of the Connection dialog, without its widgets: the user is asked to reboot
// the sign while the tool tries to link up to 20 times.
class ConnectionAttempts {
  public:
    static constexpr int kMaxAttempts = 20;
    static constexpr int kProgressMax = 500;

    enum class Outcome { Connected, Failed, Cancelled, Busy };

    ConnectionAttempts(Exchange& exchange, LinkState& link, OperationHost& host);

    // The dialog is shown: cancel flag cleared, progress bar emptied.
    void prepare();
    // "OK": chooses the port (blanks trimmed) and tries to link until it succeeds, 20
    // attempts failed, or the cancel flag is set. showText receives the animated
    // "Connection" text before every attempt.
    Outcome connect(const QString& chosenPort, const std::function<void(const QString&)>& showText);
    // The cancel button: the attempts stop once the one under way has ended.
    void cancel();
    // The dialog is closed: progress bar emptied, port closed.
    void finish();

    // The wait between a connection and its clock frame, in milliseconds. By default the
    // exchange's high-resolution wait; the dialog repaints meanwhile but takes no input.
    void setBlockingWait(std::function<void(int)> wait) { wait_ = std::move(wait); }
    bool running() const { return running_; }

  private:
    Outcome attempts(const std::function<void(const QString&)>& showText);

    Exchange& ex_;
    LinkState& link_;
    OperationHost& host_;
    std::function<void(int)> wait_;
    bool running_ = false;
};
