#pragma once

#include "FrameReader.h"

#include <chrono>
#include <functional>
#include <optional>

class LinePacer;
class PtyDevice;
class SignResponder;
class WireLog;

// The sign's single thread: waits with poll() on the line, stdin and the signal pipe, hands
// complete frames to the responder and paces its answers out.
class SimLoop {
  public:
    SimLoop(PtyDevice& device, SignResponder& responder, LinePacer& pacer, WireLog& log);

    // SIGTERM, SIGINT and SIGHUP end the loop cleanly.
    static bool installSignalHandlers(QString* error);
    // Watch stdin for its end only when it is a pipe, a socket or the terminal we run in the
    // foreground of: a sign started in the background with stdin on /dev/null keeps running.
    void watchStdinIfSuitable();

    // --line: a written sign once unplugged stays silent swapMs, then nextSign (false: no
    // sign left, the line stays silent) puts the next one in its place.
    void playLine(int swapMs, std::function<bool()> nextSign) {
        swapMs_ = swapMs;
        nextSign_ = std::move(nextSign);
    }

    // Runs until a signal, the end of stdin or a power cut; returns the exit code.
    int run();

  private:
    void takeLine();
    void takeStdin();

    PtyDevice& device_;
    SignResponder& responder_;
    LinePacer& pacer_;
    WireLog& log_;
    FrameReader reader_;
    bool watchStdin_ = false;
    bool finished_ = false;
    int swapMs_ = 0;
    std::function<bool()> nextSign_;
    std::optional<std::chrono::steady_clock::time_point> silentUntil_;
    bool lineEmpty_ = false;
    int noPeerWaitMs_ = 0; // the master had no peer: leave it alone this long
};
