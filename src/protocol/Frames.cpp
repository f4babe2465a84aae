#include "protocol/Frames.h"

namespace wire {

namespace {

void appendLE16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void appendAddress(QByteArray& b, quint32 address) {
    const quint32 a = address & 0xFFFFFF;
    const quint32 na = ~address & 0xFFFFFF;
    for (int i = 0; i < 3; ++i)
        b.append(char((a >> (8 * i)) & 0xFF));
    for (int i = 0; i < 3; ++i)
        b.append(char((na >> (8 * i)) & 0xFF));
}

quint8 u8(const QByteArray& b, qsizetype i) {
    return quint8(b[i]);
}
quint32 le(const QByteArray& b, qsizetype i, int n) {
    quint32 v = 0;
    for (int k = n - 1; k >= 0; --k)
        v = (v << 8) | u8(b, i + k);
    return v;
}

} // namespace

QByteArray stuff(const QByteArray& raw) {
    QByteArray out;
    out.reserve(raw.size() + raw.size() / 8 + 2);
    for (char ch : raw) {
        const quint8 b = quint8(ch);
        if (b == kEnd || b == kEscape) {
            out.append(char(kEscape));
            out.append(char(~b & 0xFF));
        } else {
            out.append(ch);
        }
    }
    return out;
}

QByteArray unstuff(const QByteArray& stuffed) {
    QByteArray out;
    out.reserve(stuffed.size());
    for (qsizetype i = 0; i < stuffed.size(); ++i) {
        const quint8 b = quint8(stuffed[i]);
        if (b == kEscape) {
            if (i + 1 >= stuffed.size())
                break;
            out.append(char(~quint8(stuffed[++i]) & 0xFF));
        } else {
            out.append(char(b));
        }
    }
    return out;
}

quint16 sum16(const QByteArray& bytes, qsizetype from, qsizetype count) {
    if (count < 0)
        count = bytes.size() - from;
    quint32 s = 0;
    for (qsizetype i = from; i < from + count; ++i)
        s += quint8(bytes[i]);
    return quint16(s & 0xFFFF);
}

QByteArray deviceFrame(quint8 sequence, quint8 command, quint32 address, quint16 dataLength,
                       const QByteArray& data) {
    QByteArray f;
    f.reserve(kDeviceHeader + data.size() + 2);
    f.append(char(kStart));
    f.append(char(sequence));
    appendLE16(f, quint16(dataLength + 10));
    f.append(char(command));
    f.append(char(255 - command));
    f.append(kSignature);
    appendAddress(f, address);
    appendLE16(f, dataLength);
    f.append(data);
    appendLE16(f, sum16(f));
    QByteArray out = stuff(f);
    out.append(char(kEnd));
    return out;
}

std::optional<DeviceFrame> parseDeviceFrame(const QByteArray& f) {
    if (f.size() < kDeviceHeader + 2 || u8(f, 0) != kStart)
        return std::nullopt;
    DeviceFrame d;
    d.sequence = u8(f, 1);
    const quint16 frameLength = quint16(le(f, 2, 2));
    d.command = u8(f, 4);
    if (quint8(255 - d.command) != u8(f, 5) || f.mid(6, 10) != kSignature)
        return std::nullopt;
    d.address = le(f, 16, 3);
    if (((~d.address) & 0xFFFFFF) != le(f, 19, 3))
        return std::nullopt;
    d.dataLength = quint16(le(f, 22, 2));
    if (frameLength != quint16(d.dataLength + 10))
        return std::nullopt;
    const bool carriesData = d.command == Write || d.command == PassThrough;
    const qsizetype n = carriesData ? d.dataLength : 0;
    if (f.size() != kDeviceHeader + n + 2)
        return std::nullopt;
    if (sum16(f, 0, kDeviceHeader + n) != le(f, kDeviceHeader + n, 2))
        return std::nullopt;
    d.data = f.mid(kDeviceHeader, n);
    return d;
}

QByteArray displayFrame(quint8 sequence, quint8 classByte, quint8 code, const QDateTime& when,
                        const QByteArray& data) {
    const QDate date = when.date();
    const QTime time = when.time();
    QByteArray f;
    f.reserve(kDisplayHeader + data.size() + 2);
    f.append(char(kStart));
    f.append(char(sequence));
    f.append(char(classByte));
    f.append(char(code));
    f.append(char(date.month() + 32));
    f.append(char(date.day() + 32));
    f.append(char(time.hour() + 32));
    f.append(char(time.minute() + 32));
    f.append(char((data.size() >> 8) & 0xFF));
    f.append(char(data.size() & 0xFF));
    f.append(data);
    const quint16 s = sum16(f);
    f.append(char(s >> 8));
    f.append(char(s & 0xFF));
    QByteArray out = stuff(f);
    out.append(char(kEnd));
    return out;
}

QByteArray clockFrame(quint8 sequence, quint8 stage, const QDateTime& when) {
    const QByteArray data =
        QByteArray::fromRawData("\x02\xFD\x05\x00\x00\x0A\x00", 7) + QByteArray(1, char(stage));
    return displayFrame(sequence, 33, kClockCode, when, data);
}

std::optional<DisplayFrame> parseDisplayFrame(const QByteArray& f) {
    if (f.size() < kDisplayHeader + 2 || u8(f, 0) != kStart)
        return std::nullopt;
    DisplayFrame d;
    d.sequence = u8(f, 1);
    d.classByte = u8(f, 2);
    d.code = u8(f, 3);
    d.month = u8(f, 4) - 32;
    d.day = u8(f, 5) - 32;
    d.hour = u8(f, 6) - 32;
    d.minute = u8(f, 7) - 32;
    const int m = u8(f, 8) * 256 + u8(f, 9);
    if (f.size() != kDisplayHeader + m + 2)
        return std::nullopt;
    d.data = f.mid(kDisplayHeader, m);
    d.sumOk = sum16(f, 0, kDisplayHeader + m) ==
              u8(f, kDisplayHeader + m) * 256 + u8(f, kDisplayHeader + m + 1);
    return d;
}

QByteArray replyFrame(quint8 sequence, quint32 address, const QByteArray& data) {
    QByteArray f;
    f.reserve(kReplyDataOffset + data.size() + 2);
    f.append(char(kStart));
    f.append(char(sequence));
    appendLE16(f, quint16(data.size() + 10));
    f.append(char(Read));
    f.append(char(255 - Read));
    appendAddress(f, address);
    appendLE16(f, quint16(data.size()));
    f.append(data);
    appendLE16(f, sum16(f));
    QByteArray out = stuff(f);
    out.append(char(kEnd));
    return out;
}

QByteArray acknowledgement(quint8 sequence, bool positive) {
    QByteArray a;
    a.append(char(kStart));
    a.append(char(positive ? kAck : kNak));
    a.append(char(sequence));
    a.append(char(0x00));
    return a;
}

std::optional<ReplyFrame> parseReplyFrame(const QByteArray& f) {
    if (f.size() < kReplyDataOffset + 2 || u8(f, 0) != kStart || u8(f, 4) != Read ||
        u8(f, 5) != quint8(255 - Read))
        return std::nullopt;
    ReplyFrame r;
    r.sequence = u8(f, 1);
    r.address = le(f, 6, 3);
    const int n = int(le(f, 12, 2));
    if (le(f, 2, 2) != quint32(n + 10) || f.size() != kReplyDataOffset + n + 2)
        return std::nullopt;
    r.data = f.mid(kReplyDataOffset, n);
    r.sumOk = sum16(f, 0, kReplyDataOffset + n) == le(f, kReplyDataOffset + n, 2);
    return r;
}

std::optional<Acknowledgement> parseAcknowledgement(const QByteArray& a) {
    if (a.size() != kAckLength || u8(a, 0) != kStart || (u8(a, 1) != kAck && u8(a, 1) != kNak))
        return std::nullopt;
    return Acknowledgement{u8(a, 2), u8(a, 1) == kAck};
}

} // namespace wire
