#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The line as the sign's firmware sees it, written for the sign alone: the programmer's code
// is never linked in, so a fault in the programmer's framing cannot be mirrored here.
namespace signwire {

inline constexpr quint8 kStart = 0x02;
inline constexpr quint8 kEnd = 0x03;
inline constexpr quint8 kEscape = 0x1B;
inline constexpr quint8 kAck = 0x06;
inline constexpr quint8 kNak = 0x15;
inline constexpr int kAckLength = 4;
inline constexpr int kRequestHeader = 24; // bytes of a device frame before its data
inline constexpr int kReplyHeader = 14;   // the programmer takes the data from here
inline constexpr int kReplyMinimum = 15;  // an end byte earlier than this is not the end
inline constexpr char kSignature[] = "Marovelkin";
inline constexpr int kSignatureLength = 10;

enum Command : quint8 {
    Erase = 0x10,
    Write = 0x11,
    Read = 0x12,
    PassThrough = 0x16,
    Link = 0x18,
};

// 0x03 goes out as 1B FC, 0x1B as 1B E4; 1B x comes back as the complement of x. A lone
// 1B at the very end has no partner: it is dropped.
QByteArray stuff(const QByteArray& raw);
QByteArray unstuff(const QByteArray& stuffed);
quint16 sum16(const QByteArray& bytes, qsizetype from, qsizetype count);

// A device frame from the programmer. Multi-byte fields are little-endian.
struct Request {
    quint8 sequence = 0;
    quint8 command = 0;
    quint32 address = 0;
    quint16 count = 0; // data bytes of a write or pass-through, bytes asked for by a read
    QByteArray data;
};
// From a frame as it came off the line, end byte included. Nothing for a frame whose sum,
// complements, signature or lengths do not hold together: the receiver stays silent then.
std::optional<Request> parseRequest(const QByteArray& wireFrame);

// A display frame carried by a pass-through frame (its data, stuffed, with its end byte).
// Multi-byte fields are big-endian.
struct DisplayFrame {
    quint8 sequence = 0;
    quint8 classByte = 0;
    quint8 code = 0;
    int month = 0, day = 0, hour = 0, minute = 0;
    QByteArray data;
    bool sumOk = false;
};
std::optional<DisplayFrame> parseDisplay(const QByteArray& passThroughData);
inline constexpr quint8 kClockCode = 0x62;

// How this firmware build answers. The programmer looks only at an acknowledgement's second
// byte and at a reply's data from byte 14; everything else is the firmware's own choice.
QByteArray acknowledgement(quint8 sequence, bool positive);
// Header (14 bytes), data and trailer, stuffed, then the end byte.
QByteArray replyFrame(const QByteArray& header, const QByteArray& data, const QByteArray& trailer);
QByteArray replyHeader(quint8 sequence, quint32 address, quint16 count);
// The sum of header and data, low byte first.
QByteArray replyTrailer(const QByteArray& header, const QByteArray& data);

} // namespace signwire
