// The tool collecting what a sign sends back: acknowledgements (device and pass-through,
// plain and during the quiet link handshake) and reply frames up to their end byte, then
// unstuffed and taken apart (bank tails, firmware identification, bulk reads). The bytes
// reach the tool's own serial port through a pseudo-terminal, as from a sign on a cable.
//
// Input: steps, each one byte choosing the request (low three bits; the upper five pick the
// bank, the clock stage or the read size) and two bytes giving the length of the sign's
// answer, then the answer.
#include "FuzzInput.h"
#include "ScriptedSeam.h"
#include "protocol/Banks.h"
#include "protocol/Exchange.h"
#include "protocol/Firmware.h"
#include "protocol/Frames.h"
#include "serial/TCommPort.h"

#include <QDateTime>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The sign's end of the line. The tool's port stays open on the other end for the whole run.
class Line {
  public:
    Line() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            qFatal("no pseudo-terminal");
        path_ = QString::fromLocal8Bit(::ptsname(master_));
        reopen();
    }

    TCommPort port;

    void reopen() {
        port.OpenAt(19200, path_, 1);
        if (!port.isOpen())
            qFatal("cannot open %s", qPrintable(path_));
    }

    // Puts the answer on the line before the request goes out (the tool does not purge in
    // between), and waits until the tool's port holds all of it.
    void answer(const QByteArray& bytes) {
        drainRequests();
        try {
            port.Purge();
            const quint32 before = port.BytesWaiting();
            qsizetype done = 0;
            for (int stalls = 0; done < bytes.size() && stalls < 1000;) {
                const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
                if (n > 0) {
                    done += n;
                    stalls = 0;
                    continue;
                }
                port.BytesWaiting(); // moves the driver's bytes into the port, making room
                ::usleep(100);
                ++stalls;
            }
            for (int i = 0; i < 1000 && port.BytesWaiting() < before + quint32(done); ++i)
                ::usleep(100);
        } catch (const ECommError&) {
            reopen();
        }
    }

  private:
    // What the tool sent is of no interest here.
    void drainRequests() {
        char buf[4096];
        while (::read(master_, buf, sizeof buf) > 0) {
        }
    }

    int master_ = -1;
    QString path_;
};

enum Step { Link, QuietLink, BankTail, FirmwareId, Display, BulkRead, kSteps };

void runStep(Exchange& ex, quint8 op) {
    switch ((op & 7) % kSteps) {
    case Link:
        ex.SendRequest(0, 0, wire::Link);
        break;
    case QuietLink:
        ex.setQuiet(true);
        ex.SendRequest(0, 0, wire::Link);
        ex.setQuiet(false);
        break;
    case BankTail:
        ReadBankTail(ex, (op >> 3) & 1);
        break;
    case FirmwareId:
        isFlexFirmware(ReadFirmwareId(ex));
        break;
    case Display: {
        const QDateTime when(QDate(2024, 2, 29), QTime(23, 59));
        ex.SendToDisplay(wire::clockFrame(ex.sequence(), op >> 3, when));
        break;
    }
    case BulkRead: {
        const int count = (op >> 3) ? (op >> 3) * 128 : progress::kReadBank;
        bool ok = false;
        const QByteArray block = ReadBlock(ex, wire::bankBase(0), count, &ok);
        if (block.size() != count)
            qFatal("a read of %d bytes gave %lld", count, qlonglong(block.size()));
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzApplication();
    static Line line;

    ScriptedSeam seam;
    Exchange ex(line.port, seam);
    // A missing byte is given up on after two short polls.
    ex.timing().polls = 2;
    ex.timing().passPolls = 2;
    ex.timing().pollMs = 1;
    ex.timing().quietPollMs = 1;
    ex.timing().passPollUs = 1000;
    ex.setDisplayReachable(true);

    FuzzInput in(data, size);
    for (int steps = 0; !in.empty() && steps < 16; ++steps) {
        const quint8 op = in.byte();
        const QByteArray answer = in.take(in.word());
        // The same bytes through the frame parsers directly.
        const QByteArray raw = wire::unstuff(answer);
        wire::parseDeviceFrame(raw);
        wire::parseDisplayFrame(raw);

        line.answer(answer);
        ex.setTransferError(false);
        runStep(ex, op);
        if (!line.port.isOpen())
            line.reopen();
    }
    return 0;
}
