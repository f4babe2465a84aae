#pragma once

#include "FrameReader.h"

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
    int noPeerWaitMs_ = 0; // the master had no peer: leave it alone this long
};
