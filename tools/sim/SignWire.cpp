#include "SignWire.h"

namespace signwire {

namespace {

quint8 at(const QByteArray& b, qsizetype i) {
    return quint8(b[i]);
}

quint32 littleEndian(const QByteArray& b, qsizetype from, int width) {
    quint32 v = 0;
    for (int k = 0; k < width; ++k)
        v |= quint32(at(b, from + k)) << (8 * k);
    return v;
}

void putLittleEndian(QByteArray& b, quint32 v, int width) {
    for (int k = 0; k < width; ++k)
        b.append(char((v >> (8 * k)) & 0xFF));
}

QByteArray withoutEnd(const QByteArray& wire) {
    return wire.endsWith(char(kEnd)) ? wire.chopped(1) : wire;
}

} // namespace

QByteArray stuff(const QByteArray& raw) {
    QByteArray out;
    out.reserve(raw.size() + 16);
    for (char ch : raw) {
        const quint8 b = quint8(ch);
        if (b == kEnd)
            out.append("\x1B\xFC", 2);
        else if (b == kEscape)
            out.append("\x1B\xE4", 2);
        else
            out.append(ch);
    }
    return out;
}

QByteArray unstuff(const QByteArray& stuffed) {
    QByteArray out;
    out.reserve(stuffed.size());
    for (qsizetype i = 0; i < stuffed.size(); ++i) {
        if (at(stuffed, i) != kEscape) {
            out.append(stuffed[i]);
        } else if (i + 1 < stuffed.size()) {
            out.append(char(0xFF - at(stuffed, i + 1)));
            ++i;
        }
    }
    return out;
}

quint16 sum16(const QByteArray& bytes, qsizetype from, qsizetype count) {
    quint16 s = 0;
    for (qsizetype i = from; i < from + count; ++i)
        s = quint16(s + at(bytes, i));
    return s;
}

std::optional<Request> parseRequest(const QByteArray& wireFrame) {
    const QByteArray f = unstuff(withoutEnd(wireFrame));
    if (f.size() < kRequestHeader + 2 || at(f, 0) != kStart)
        return std::nullopt;
    Request r;
    r.sequence = at(f, 1);
    r.command = at(f, 4);
    if (at(f, 5) != quint8(0xFF - r.command) ||
        f.mid(6, kSignatureLength) != QByteArray(kSignature, kSignatureLength))
        return std::nullopt;
    r.address = littleEndian(f, 16, 3);
    if ((r.address ^ littleEndian(f, 19, 3)) != 0xFFFFFF)
        return std::nullopt;
    r.count = quint16(littleEndian(f, 22, 2));
    if (littleEndian(f, 2, 2) != quint32(r.count) + 10)
        return std::nullopt;
    const bool carriesData = r.command == Write || r.command == PassThrough;
    const qsizetype n = carriesData ? r.count : 0;
    if (f.size() != kRequestHeader + n + 2 ||
        sum16(f, 0, kRequestHeader + n) != littleEndian(f, kRequestHeader + n, 2))
        return std::nullopt;
    r.data = f.mid(kRequestHeader, n);
    return r;
}

std::optional<DisplayFrame> parseDisplay(const QByteArray& passThroughData) {
    const QByteArray f = unstuff(withoutEnd(passThroughData));
    constexpr int kHeader = 10;
    if (f.size() < kHeader + 2 || at(f, 0) != kStart)
        return std::nullopt;
    const int m = at(f, 8) << 8 | at(f, 9);
    if (f.size() != kHeader + m + 2)
        return std::nullopt;
    DisplayFrame d;
    d.sequence = at(f, 1);
    d.classByte = at(f, 2);
    d.code = at(f, 3);
    d.month = at(f, 4) - 32;
    d.day = at(f, 5) - 32;
    d.hour = at(f, 6) - 32;
    d.minute = at(f, 7) - 32;
    d.data = f.mid(kHeader, m);
    d.sumOk = sum16(f, 0, kHeader + m) == (at(f, kHeader + m) << 8 | at(f, kHeader + m + 1));
    return d;
}

QByteArray acknowledgement(quint8 sequence, bool positive) {
    QByteArray a;
    a.append(char(kStart));
    a.append(char(positive ? kAck : kNak));
    a.append(char(sequence));
    a.append('\0');
    return a;
}

QByteArray replyFrame(const QByteArray& header, const QByteArray& data, const QByteArray& trailer) {
    QByteArray out = stuff(header + data + trailer);
    out.append(char(kEnd));
    return out;
}

QByteArray replyHeader(quint8 sequence, quint32 address, quint16 count) {
    QByteArray h;
    h.append(char(kStart));
    h.append(char(sequence));
    putLittleEndian(h, quint32(count) + 10, 2);
    h.append(char(Read));
    h.append(char(0xFF - Read));
    putLittleEndian(h, address & 0xFFFFFF, 3);
    putLittleEndian(h, ~address & 0xFFFFFF, 3);
    putLittleEndian(h, count, 2);
    return h;
}

QByteArray replyTrailer(const QByteArray& header, const QByteArray& data) {
    const QByteArray both = header + data;
    QByteArray t;
    putLittleEndian(t, sum16(both, 0, both.size()), 2);
    return t;
}

} // namespace signwire
