#include "SimLoop.h"

#include "LinePacer.h"
#include "PtyDevice.h"
#include "SignResponder.h"
#include "WireLog.h"

#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
constexpr int kNoPeerRetryMs = 50;

void onSignal(int) {
    const int saved = errno;
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &b, 1);
    errno = saved;
}

} // namespace

SimLoop::SimLoop(PtyDevice& device, SignResponder& responder, LinePacer& pacer, WireLog& log)
    : device_(device), responder_(responder), pacer_(pacer), log_(log) {}

bool SimLoop::installSignalHandlers(QString* error) {
    if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        *error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A read of the terminal from the background then fails instead of stopping the sign.
    std::signal(SIGTTIN, SIG_IGN);
    return true;
}

void SimLoop::watchStdinIfSuitable() {
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0)
        return;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        watchStdin_ = true;
    else if (isatty(STDIN_FILENO))
        watchStdin_ = tcgetpgrp(STDIN_FILENO) == getpgrp();
}

int SimLoop::run() {
    using Clock = LinePacer::Clock;
    while (!finished_) {
        if (noPeerWaitMs_ == 0) {
            const qsizetype written = pacer_.pump(device_, Clock::now());
            if (written > 0)
                log_.countWritten(written);
            else if (written < 0)
                noPeerWaitMs_ = kNoPeerRetryMs;
        }

        pollfd fds[3];
        int count = 0;
        fds[count++] = {signalPipe[0], POLLIN, 0};
        const int lineIndex = noPeerWaitMs_ == 0 ? count : -1;
        if (lineIndex >= 0)
            fds[count++] = {device_.fd(), short(POLLIN | (pacer_.blocked() ? POLLOUT : 0)), 0};
        const int stdinIndex = watchStdin_ ? count : -1;
        if (stdinIndex >= 0)
            fds[count++] = {STDIN_FILENO, POLLIN, 0};

        int timeout = noPeerWaitMs_ > 0 ? noPeerWaitMs_ : pacer_.msUntilDue(Clock::now());
        const int ready = ::poll(fds, nfds_t(count), timeout);
        if (ready < 0 && errno != EINTR)
            return 1;
        noPeerWaitMs_ = 0;
        if (ready <= 0)
            continue;

        if (fds[0].revents & POLLIN)
            return 0;
        if (stdinIndex >= 0 && fds[stdinIndex].revents)
            takeStdin();
        if (lineIndex >= 0) {
            const short ev = fds[lineIndex].revents;
            if (ev & POLLOUT)
                pacer_.unblock();
            if (ev & POLLIN)
                takeLine();
            else if (ev & (POLLHUP | POLLERR))
                noPeerWaitMs_ = kNoPeerRetryMs; // never spin on a hung-up master
        }
    }
    return 0;
}

void SimLoop::takeStdin() {
    char buffer[512];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0)
        finished_ = true;
    else if (n < 0 && errno != EINTR && errno != EAGAIN)
        watchStdin_ = false; // for example a terminal we are no longer in the foreground of
}

void SimLoop::takeLine() {
    QByteArray bytes;
    if (device_.readAvailable(bytes) == PtyDevice::ReadState::NoPeer) {
        noPeerWaitMs_ = kNoPeerRetryMs;
        return;
    }
    const auto now = LinePacer::Clock::now();
    if (silentUntil_ && now < *silentUntil_)
        return; // nobody there to hear it
    if (silentUntil_) {
        silentUntil_.reset();
        if (!nextSign_())
            lineEmpty_ = true;
    }
    if (lineEmpty_)
        return;
    for (const FrameReader::Piece& piece : reader_.feed(bytes)) {
        const auto arrived = pacer_.received(piece.bytes.size(), now);
        if (piece.kind == FrameReader::Piece::Skipped) {
            log_.in(piece.bytes.size(),
                    QStringLiteral("skipped: %1").arg(hexBytes(piece.bytes, 48)));
            continue;
        }
        if (piece.kind == FrameReader::Piece::Overlong) {
            log_.in(piece.bytes.size(), QStringLiteral("overlong frame dropped"));
            continue;
        }
        // A new request means the programmer has given up on what was still going out.
        if (!pacer_.idle())
            log_.note(QStringLiteral("dropped %1 unsent bytes").arg(pacer_.dropPending()));
        const SignResponder::Answer answer = responder_.handle(piece.bytes);
        if (answer.unplugged) {
            pacer_.dropPending();
            silentUntil_ = now + std::chrono::milliseconds(swapMs_);
            return;
        }
        if (answer.powerCut) {
            finished_ = true;
            return;
        }
        if (!answer.bytes.isEmpty())
            pacer_.queue(answer.bytes, arrived, now);
    }
}
