#pragma once

#include <QString>

// One unit on one station of `ledsign batch`, run in a child process of its own so a slow or
// dead port never holds up the others. It tells its parent how it goes, one line each on
// standard output: "phase NAME", "percent N", "firmware TEXT", "backup FILE", "message TEXT".
// Exit 0 written, 1 failed, 3 the port itself failed.
namespace batch {

struct StationJob {
    QString port;
    QString imagePath;      // the unit's table file
    bool afterSign = false; // a written sign hangs on the port: wait until it is unplugged
    bool waitForSign = true;
    int absenceMs = 2000; // this long without an answer is an unplugged sign
    int pollMs = 0;       // 0: the default time-outs
};

inline constexpr int kExitPortFailed = 3;

int runStation(const StationJob& job);
// The file whose presence tells the stations beside this image to stop between banks.
QString stopFileFor(const QString& imagePath);

} // namespace batch
