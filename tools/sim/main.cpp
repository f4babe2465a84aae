// ledsign-sim: a simulated LED sign on a pseudo-terminal, for tests and the demo.
#include "LinePacer.h"
#include "PreparedImages.h"
#include "PtyDevice.h"
#include "SignMemory.h"
#include "SignResponder.h"
#include "SimLoop.h"
#include "SimOptions.h"
#include "WireLog.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fail(const QString& why) {
    std::fprintf(stderr, "ledsign-sim: %s\n", qPrintable(why));
    return 2;
}

// Lines up to this size reach a pipe whole or not at all.
constexpr qsizetype kMaxStdoutLine = 4000;

void printLine(const QString& line) {
    QByteArray bytes = line.toLocal8Bit();
    if (bytes.size() >= kMaxStdoutLine)
        bytes = bytes.left(kMaxStdoutLine - 5) + " ...";
    bytes += '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return; // nobody drains the pipe: drop the line rather than stop answering
    }
}

// After the device path, a pipe on stdout that nobody reads must not block the sign.
void stopBlockingOnStdoutPipe() {
    struct stat st {};
    if (fstat(STDOUT_FILENO, &st) == 0 && S_ISFIFO(st.st_mode))
        fcntl(STDOUT_FILENO, F_SETFL, fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledsign-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDSIGN_VERSION));

    QString error;
    const auto options = parseSimOptions(QCoreApplication::arguments(), &error);
    if (!options)
        return fail(error);

    SignMemory memory;
    if (!prepareMemory(memory, *options, &error))
        return fail(error);
    for (const SimOptions::StuckBit& b : options->stuckBits)
        memory.stickBit(b.address, b.bit, b.value);
    WireLog log;
    if (!log.open(options->logPath, &error))
        return fail(error);
    PtyDevice device;
    if (!device.open(&error) || !SimLoop::installSignalHandlers(&error))
        return fail(error);

    // Display texts reach stdout only when asked for; the log has the whole frames.
    SignResponder responder(memory, *options, log,
                            options->show ? SignResponder::DisplayOutput(printLine) : nullptr);
    LinePacer pacer(options->pace);
    SimLoop loop(device, responder, pacer, log);
    if (options->watchStdin)
        loop.watchStdinIfSuitable();

    int sign = 1;
    if (options->line > 0)
        loop.playLine(options->swapMs, [&] {
            if (sign >= options->line)
                return false;
            ++sign;
            SimOptions next = *options;
            if (!next.statePath.isEmpty()) // STATE.1 -> STATE.<sign>
                next.statePath =
                    next.statePath.chopped(2) + QLatin1Char('.') + QString::number(sign);
            memory = SignMemory();
            QString why;
            if (!prepareMemory(memory, next, &why)) {
                std::fprintf(stderr, "ledsign-sim: %s\n", qPrintable(why));
                return false;
            }
            responder.replaceSign();
            return true;
        });
    printLine(device.devicePath());
    stopBlockingOnStdoutPipe();
    const int code = loop.run();
    log.close();
    return code;
}
