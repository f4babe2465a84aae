#include "SignResponder.h"

#include <utility>

namespace {

QString commandName(quint8 command) {
    switch (command) {
    case wire::Erase:
        return QStringLiteral("erase");
    case wire::Write:
        return QStringLiteral("write");
    case wire::Read:
        return QStringLiteral("read");
    case wire::PassThrough:
        return QStringLiteral("pass-through");
    case wire::Link:
        return QStringLiteral("link");
    default:
        return QStringLiteral("command 0x%1 (unknown)").arg(command, 2, 16, QLatin1Char('0'));
    }
}

QString address(quint32 a) {
    return QStringLiteral("%1").arg(a, 6, 16, QLatin1Char('0')).toUpper();
}

QString printable(const QByteArray& bytes) {
    QString s;
    for (char ch : bytes) {
        const quint8 b = quint8(ch);
        if (b == '"' || b == '\\') {
            s += QLatin1Char('\\');
            s += QLatin1Char(ch);
        } else if (b >= 0x20 && b < 0x7F) {
            s += QLatin1Char(ch);
        } else {
            s += QStringLiteral("\\x") +
                 QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return s;
}

} // namespace

QString hexBytes(const QByteArray& bytes, qsizetype limit) {
    if (limit >= 0 && bytes.size() > limit)
        return QString::fromLatin1(bytes.left(limit).toHex(' ').toUpper()) + QStringLiteral(" ...");
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

namespace {

// The display frame a pass-through frame's data carries.
std::optional<wire::DisplayFrame> displayFrameIn(const QByteArray& data) {
    QByteArray stuffed = data;
    if (stuffed.endsWith(char(wire::kEnd)))
        stuffed.chop(1);
    return wire::parseDisplayFrame(wire::unstuff(stuffed));
}

} // namespace

QString describeDisplayData(const QByteArray& data) {
    const auto frame = displayFrameIn(data);
    if (!frame)
        return QStringLiteral("display unreadable frame: %1").arg(hexBytes(data, 48));
    // Numbers first; texts from the line are appended, never run through arg() again.
    return QStringLiteral("display seq %1 class %2 code 0x%3 '")
               .arg(frame->sequence)
               .arg(quint8(frame->classByte - 33))
               .arg(frame->code, 2, 16, QLatin1Char('0')) +
           printable(QByteArray(1, char(frame->code))) +
           QStringLiteral("' date %1-%2 time %3:%4 len %5 sum ")
               .arg(frame->month, 2, 10, QLatin1Char('0'))
               .arg(frame->day, 2, 10, QLatin1Char('0'))
               .arg(frame->hour, 2, 10, QLatin1Char('0'))
               .arg(frame->minute, 2, 10, QLatin1Char('0'))
               .arg(frame->data.size()) +
           (frame->sumOk ? QStringLiteral("ok") : QStringLiteral("bad")) +
           QStringLiteral(" text \"") + printable(frame->data) + QStringLiteral("\" hex ") +
           hexBytes(frame->data);
}

std::optional<QString> displayText(const QByteArray& data) {
    // The clock frames the programmer sends after linking are no text to show.
    const auto frame = displayFrameIn(data);
    if (!frame || frame->code == wire::kClockCode)
        return std::nullopt;
    return printable(frame->data);
}

SignResponder::SignResponder(SignMemory& memory, const SimOptions& options, WireLog& log,
                             DisplayOutput display)
    : memory_(memory), options_(options), log_(log), display_(std::move(display)),
      random_(options.seed) {}

SignResponder::Answer SignResponder::handle(const QByteArray& wireFrame) {
    const auto frame = wire::parseDeviceFrame(wire::unstuff(wireFrame.chopped(1)));
    if (!frame) {
        // Bad sum, complement or signature: a real receiver stays silent.
        log_.in(wireFrame.size(), QStringLiteral("unparsable: %1").arg(hexBytes(wireFrame, 48)));
        return {};
    }
    if (options_.line > 0 && writtenBanks_ == 3 && frame->command == wire::Link) {
        log_.note(QStringLiteral("written sign unplugged"));
        Answer gone;
        gone.unplugged = true;
        return gone;
    }
    const quint64 number = ++frames_;
    QString what = QStringLiteral("frame %1 seq %2 %3")
                       .arg(number)
                       .arg(frame->sequence)
                       .arg(commandName(frame->command));
    if (frame->command == wire::Erase || frame->command == wire::Write ||
        frame->command == wire::Read)
        what += QStringLiteral(" addr %1").arg(address(frame->address));
    if (frame->command == wire::Read)
        what += QStringLiteral(" count %1").arg(frame->dataLength);
    else if (frame->command == wire::Write || frame->command == wire::PassThrough)
        what += QStringLiteral(" len %1").arg(frame->dataLength);
    if (frame->command == wire::PassThrough && frame->data == QByteArray(1, char(wire::kEnd)))
        what += QStringLiteral(" (display probe)");
    log_.in(wireFrame.size(), what);

    Reply reply;
    if (options_.nakFrames.contains(number)) {
        log_.note(QStringLiteral("refused frame %1 as asked").arg(number));
        reply = ack(*frame, false);
    } else {
        reply = carryOut(*frame);
    }
    if (options_.dieAfter == number) {
        log_.note(QStringLiteral("power cut after frame %1: no answer").arg(number));
        return {{}, true};
    }
    if (reply.bytes.isEmpty())
        return {};
    Answer answer;
    if (options_.noise) {
        answer.bytes = noise();
        if (!answer.bytes.isEmpty())
            log_.out(answer.bytes.size(), QStringLiteral("noise: %1").arg(hexBytes(answer.bytes)));
    }
    if (options_.strayBefore.contains(number)) {
        const QByteArray stray(1, char(kStrayByte));
        log_.out(1, QStringLiteral("stray byte: %1").arg(hexBytes(stray)));
        answer.bytes += stray;
    }
    log_.out(reply.bytes.size(), reply.what);
    answer.bytes += reply.bytes;
    return answer;
}

SignResponder::Reply SignResponder::carryOut(const wire::DeviceFrame& frame) {
    switch (frame.command) {
    case wire::Link:
        return ack(frame, true);
    case wire::Erase:
        if (options_.eraseIgnored.contains(frames_)) {
            log_.note(QStringLiteral("erase acknowledged, not carried out, as asked"));
            return ack(frame, true);
        }
        if (!memory_.eraseSector(frame.address)) {
            log_.note(QStringLiteral("refused: erase outside the memory"));
            return ack(frame, false);
        }
        return ack(frame, saveMemory());
    case wire::Write:
        if (options_.writeIgnored.contains(frames_)) {
            log_.note(QStringLiteral("write acknowledged, not carried out, as asked"));
            return ack(frame, true);
        }
        if (options_.writeHalf.contains(frames_)) {
            log_.note(QStringLiteral("write acknowledged, only its first half carried out"));
            memory_.write(frame.address, frame.data.left(frame.data.size() / 2));
            return ack(frame, saveMemory());
        }
        for (int b = 0; b < 2; ++b)
            if (frame.address >= wire::bankBase(b) && frame.address < wire::bankTail(b))
                writtenBanks_ |= 1 << b;
        if (!memory_.write(frame.address, frame.data)) {
            log_.note(QStringLiteral("refused: write runs past the memory"));
            return ack(frame, false);
        }
        return ack(frame, saveMemory());
    case wire::Read: {
        QByteArray data = memory_.read(frame.address, frame.dataLength);
        if (options_.flipReply.contains(frames_) && !data.isEmpty()) {
            data[0] = char(data[0] ^ 0x01);
            log_.note(QStringLiteral("reply data bit flipped, as asked"));
        }
        if (options_.garbleReply.contains(frames_)) {
            for (qsizetype i = 0; i < data.size(); ++i)
                data[i] = char(data[i] ^ (0x5A + 0x11 * i));
            log_.note(QStringLiteral("reply data scrambled, as asked"));
        }
        Reply reply{wire::replyFrame(frame.sequence, frame.address, data),
                    QStringLiteral("reply seq %1 addr %2 count %3")
                        .arg(frame.sequence)
                        .arg(address(frame.address))
                        .arg(frame.dataLength)};
        if (options_.strayEtx) {
            // A reader that has stored fewer than 15 bytes must drop it.
            reply.bytes.insert(kStrayEtxAt, char(wire::kEnd));
            reply.what += QStringLiteral(" (stray 03 at %1)").arg(kStrayEtxAt);
        }
        return reply;
    }
    case wire::PassThrough:
        return passToDisplay(frame);
    default:
        return ack(frame, false);
    }
}

SignResponder::Reply SignResponder::passToDisplay(const wire::DeviceFrame& frame) {
    if (!options_.display) {
        log_.note(QStringLiteral("no answer: display absent"));
        return {};
    }
    if (frame.data != QByteArray(1, char(wire::kEnd))) {
        const QString line = describeDisplayData(frame.data);
        log_.note(line);
        if (display_)
            if (const auto text = displayText(frame.data))
                display_(*text);
    }
    return ack(frame, true);
}

SignResponder::Reply SignResponder::ack(const wire::DeviceFrame& frame, bool positive) {
    return {wire::acknowledgement(frame.sequence, positive),
            QStringLiteral("%1 seq %2")
                .arg(positive ? QStringLiteral("ack") : QStringLiteral("nak"))
                .arg(frame.sequence)};
}

bool SignResponder::saveMemory() {
    QString error;
    if (memory_.save(&error))
        return true;
    // A sign whose flash did not take the data refuses the frame.
    log_.note(QStringLiteral("refused: %1").arg(error));
    qWarning("ledsign-sim: %s", qPrintable(error));
    return false;
}

QByteArray SignResponder::noise() {
    if (nextRandom() % 4 != 0)
        return {};
    QByteArray stray;
    const int count = 1 + int(nextRandom() % 3);
    for (int i = 0; i < count; ++i) {
        quint8 b = quint8(nextRandom());
        // Never a byte the programmer could take for the start of an answer or an end byte.
        if (b == wire::kStart || b == wire::kEnd || b == wire::kAck || b == wire::kNak ||
            b == wire::kEscape)
            b ^= 0x40;
        stray.append(char(b));
    }
    return stray;
}

quint32 SignResponder::nextRandom() {
    random_ = random_ * 1664525u + 1013904223u; // fixed LCG: the same noise for the same seed
    return random_ >> 16;
}
