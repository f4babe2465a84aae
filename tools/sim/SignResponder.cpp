#include "SignResponder.h"

#include "SignBank.h"

#include <utility>

using namespace signwire;

namespace {

QString commandName(quint8 command) {
    switch (command) {
    case Erase:
        return QStringLiteral("erase");
    case Write:
        return QStringLiteral("write");
    case Read:
        return QStringLiteral("read");
    case PassThrough:
        return QStringLiteral("pass-through");
    case Link:
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

QString describeDisplayData(const QByteArray& data) {
    const auto frame = parseDisplay(data);
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
    const auto frame = parseDisplay(data);
    if (!frame || frame->code == kClockCode)
        return std::nullopt;
    return printable(frame->data);
}

SignResponder::SignResponder(SignMemory& memory, const SimOptions& options, WireLog& log,
                             DisplayOutput display)
    : memory_(memory), options_(options), log_(log), display_(std::move(display)),
      random_(options.seed), foreign_(options.seed ^ 0x5EEDF00Du) {}

SignResponder::Answer SignResponder::handle(const QByteArray& wireFrame) {
    const auto frame = parseRequest(wireFrame);
    if (!frame) {
        // Bad sum, complement or signature: a real receiver stays silent.
        log_.in(wireFrame.size(), QStringLiteral("unparsable: %1").arg(hexBytes(wireFrame, 48)));
        return {};
    }
    if (options_.line > 0 && writtenBanks_ == 3 && frame->command == Link) {
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
    if (frame->command == Erase || frame->command == Write || frame->command == Read)
        what += QStringLiteral(" addr %1").arg(address(frame->address));
    if (frame->command == Read)
        what += QStringLiteral(" count %1").arg(frame->count);
    else if (frame->command == Write || frame->command == PassThrough)
        what += QStringLiteral(" len %1").arg(frame->count);
    if (frame->command == PassThrough && frame->data == QByteArray(1, char(kEnd)))
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
    // One draw per answer decides whether the noise hits it, whatever the kind.
    if (options_.noise && percentDrawn() < options_.noiseRate) {
        using Kind = SimOptions::NoiseKind;
        const bool flip = options_.noiseKind == Kind::Flips ||
                          (options_.noiseKind == Kind::Both && nextRandom() % 2 == 0);
        if (!flip) {
            answer.bytes = strays();
            log_.out(answer.bytes.size(), QStringLiteral("noise: %1").arg(hexBytes(answer.bytes)));
        } else if (reply.frame) {
            reply.bytes = flipOneBit(reply.bytes);
        }
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

SignResponder::Reply SignResponder::carryOut(const Request& frame) {
    switch (frame.command) {
    case Link:
        return ack(frame, true);
    case Erase:
        if (options_.eraseIgnored.contains(frames_)) {
            log_.note(QStringLiteral("erase acknowledged, not carried out, as asked"));
            return ack(frame, true);
        }
        if (!memory_.eraseSector(frame.address)) {
            log_.note(QStringLiteral("refused: erase outside the memory"));
            return ack(frame, false);
        }
        return ack(frame, saveMemory());
    case Write:
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
            if (frame.address >= signbank::bankBase(b) &&
                frame.address < signbank::bankBase(b) + signbank::kSummed)
                writtenBanks_ |= 1 << b;
        if (!memory_.write(frame.address, frame.data)) {
            log_.note(QStringLiteral("refused: write runs past the memory"));
            return ack(frame, false);
        }
        return ack(frame, saveMemory());
    case Read: {
        QByteArray data = memory_.read(frame.address, frame.count);
        if (options_.flipReply.contains(frames_) && !data.isEmpty()) {
            data[0] = char(data[0] ^ 0x01);
            log_.note(QStringLiteral("reply data bit flipped, as asked"));
        }
        if (options_.garbleReply.contains(frames_)) {
            for (qsizetype i = 0; i < data.size(); ++i)
                data[i] = char(data[i] ^ (0x5A + 0x11 * i));
            log_.note(QStringLiteral("reply data scrambled, as asked"));
        }
        return reply(frame, data);
    }
    case PassThrough:
        return passToDisplay(frame);
    default:
        return ack(frame, false);
    }
}

SignResponder::Reply SignResponder::reply(const Request& frame, const QByteArray& data) {
    QByteArray header, trailer;
    if (options_.foreign) {
        header = foreignBytes(kReplyHeader);
        // The programmer needs at least 15 bytes before the end byte.
        const int least = data.isEmpty() ? 1 : 0;
        trailer = foreignBytes(least + int(nextForeign() % (4 - least)));
    } else {
        header = replyHeader(frame.sequence, frame.address, frame.count);
        trailer = replyTrailer(header, data);
    }
    Reply r{replyFrame(header, data, trailer),
            QStringLiteral("reply seq %1 addr %2 count %3")
                .arg(frame.sequence)
                .arg(address(frame.address))
                .arg(frame.count),
            true};
    if (options_.foreign)
        r.what += QStringLiteral(" header %1 trailer %2")
                      .arg(hexBytes(header),
                           trailer.isEmpty() ? QStringLiteral("none") : hexBytes(trailer));
    if (options_.strayEtx) {
        // A reader that has stored fewer than 15 bytes must drop it.
        r.bytes.insert(kStrayEtxAt, char(kEnd));
        r.what += QStringLiteral(" (stray 03 at %1)").arg(kStrayEtxAt);
    }
    return r;
}

SignResponder::Reply SignResponder::passToDisplay(const Request& frame) {
    if (!options_.display) {
        log_.note(QStringLiteral("no answer: display absent"));
        return {};
    }
    if (frame.data != QByteArray(1, char(kEnd))) {
        const QString line = describeDisplayData(frame.data);
        log_.note(line);
        if (display_)
            if (const auto text = displayText(frame.data))
                display_(*text);
    }
    return ack(frame, true);
}

SignResponder::Reply SignResponder::ack(const Request& frame, bool positive) {
    QByteArray bytes = acknowledgement(frame.sequence, positive);
    if (options_.foreign) {
        bytes = foreignBytes(kAckLength);
        if (positive)
            bytes[1] = char(kAck);
        else if (quint8(bytes[1]) == kAck)
            bytes[1] = char(kNak);
    }
    QString what = QStringLiteral("%1 seq %2")
                       .arg(positive ? QStringLiteral("ack") : QStringLiteral("nak"))
                       .arg(frame.sequence);
    if (options_.foreign)
        what += QLatin1Char(' ') + hexBytes(bytes);
    return {bytes, what};
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

QByteArray SignResponder::strays() {
    QByteArray stray;
    const int count = 1 + int(nextRandom() % 3);
    for (int i = 0; i < count; ++i) {
        quint8 b = quint8(nextRandom());
        // Never a byte the programmer could take for the start of an answer or an end byte.
        if (b == kStart || b == kEnd || b == kAck || b == kNak || b == kEscape)
            b ^= 0x40;
        stray.append(char(b));
    }
    return stray;
}

QByteArray SignResponder::flipOneBit(QByteArray answer) {
    // Anywhere but the end byte: a reply whose end is lost only runs into the time-out.
    const qsizetype at = qsizetype(nextRandom() % quint32(answer.size() - 1));
    const int bit = int(nextRandom() % 8);
    answer[at] = char(quint8(answer[at]) ^ (1u << bit));
    log_.note(QStringLiteral("noise: bit %1 of reply byte %2 flipped").arg(bit).arg(at));
    return answer;
}

QByteArray SignResponder::foreignBytes(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(nextForeign()));
    return bytes;
}

quint32 SignResponder::nextRandom() {
    random_ = random_ * 1664525u + 1013904223u; // fixed LCG: the same noise for the same seed
    return random_ >> 16;
}

int SignResponder::percentDrawn() {
    // Uniform over 0..99, and below 25 exactly when the draw is divisible by 4: the default
    // rate hits the answers it hit before there was a rate, so a seed keeps its noise.
    const quint32 r = nextRandom();
    return int(r % 4) * 25 + int(r / 4 % 25);
}

quint32 SignResponder::nextForeign() {
    foreign_ = foreign_ * 1664525u + 1013904223u;
    return foreign_ >> 16;
}
