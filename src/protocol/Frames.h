#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>
#include <optional>

// The wire format between the tool and the sign: device frames to the receiver module,
// display frames carried inside pass-through frames, acknowledgements and reply frames.
namespace wire {

inline constexpr quint8 kStart = 0x02;
inline constexpr quint8 kEnd = 0x03;
inline constexpr quint8 kEscape = 0x1B;
inline constexpr quint8 kAck = 0x06;
inline constexpr quint8 kNak = 0x15;
inline constexpr int kAckLength = 4;
inline constexpr int kDeviceHeader = 24;    // bytes before the data
inline constexpr int kReplyDataOffset = 14; // requested data starts here in an unstuffed reply
inline constexpr int kReplyMinimum = 15;    // an end byte before this many bytes is dropped
inline constexpr int kDisplayHeader = 10;
inline const QByteArray kSignature = QByteArrayLiteral("Marovelkin");

enum Command : quint8 {
    Erase = 16,
    Write = 17,
    Read = 18,
    PassThrough = 22,
    Link = 24,
};

// Sign memory.
inline constexpr quint32 kBankStride = 0x20000;
constexpr quint32 bankBase(int bank) {
    return 0x88000 + quint32(bank) * kBankStride;
}
constexpr quint32 bankTail(int bank) {
    return 0x88FFE + quint32(bank) * kBankStride;
}
constexpr quint32 bankSecondErase(int bank) {
    return 0x90000 + quint32(bank) * kBankStride;
}
inline constexpr quint32 kEraseSector = 0x8000; // one erase request clears 32 KiB
inline constexpr quint32 kFirmwareAddress = 0xEFFE0;
inline constexpr int kFirmwareLength = 12;
inline constexpr int kWriteChunk = 2054; // data bytes of each of the two write frames
inline constexpr int kSecondWriteOffset = 2050;

// Clock frame stages.
enum ClockStage : quint8 {
    StageConnected = 130,
    StageBeforeRead = 131,
    StageBeforeWrite = 132,
    StageEnd = 133,
};

// 128 at program start; 255 is never sent.
inline constexpr quint8 kFirstSequence = 128;
constexpr quint8 nextSequence(quint8 s) {
    return s >= 254 ? 128 : quint8(s + 1);
}

// 0x03 -> 1B FC, 0x1B -> 1B E4. Unstuffing complements the byte after 1B; a lone 1B at
// the very end has no partner and is dropped.
QByteArray stuff(const QByteArray& raw);
QByteArray unstuff(const QByteArray& stuffed);
quint16 sum16(const QByteArray& bytes, qsizetype from = 0, qsizetype count = -1);

// A device frame on the wire: stuffed, with its end byte. For a read the data length field
// carries the requested count and no data follows.
QByteArray deviceFrame(quint8 sequence, quint8 command, quint32 address, quint16 dataLength,
                       const QByteArray& data = {});

struct DeviceFrame {
    quint8 sequence = 0;
    quint8 command = 0;
    quint32 address = 0;
    quint16 dataLength = 0;
    QByteArray data; // write and pass-through only
};
// Parses an unstuffed device frame (end byte removed). Refuses a frame whose sum,
// command complement, address complement, signature or lengths do not agree.
std::optional<DeviceFrame> parseDeviceFrame(const QByteArray& unstuffed);

// A display frame, stuffed with its end byte: the data of one pass-through frame.
QByteArray displayFrame(quint8 sequence, quint8 classByte, quint8 code, const QDateTime& when,
                        const QByteArray& data);
// The display code of the clock frames ('b'), sent with class byte 33.
inline constexpr quint8 kClockCode = 0x62;
QByteArray clockFrame(quint8 sequence, quint8 stage, const QDateTime& when);

struct DisplayFrame {
    quint8 sequence = 0;
    quint8 classByte = 0;
    quint8 code = 0;
    int month = 0, day = 0, hour = 0, minute = 0;
    QByteArray data;
    bool sumOk = false;
};
std::optional<DisplayFrame> parseDisplayFrame(const QByteArray& unstuffed);

// The sign's answer to a read: 14 header bytes, the data, a 16-bit sum; stuffed, end byte.
QByteArray replyFrame(quint8 sequence, quint32 address, const QByteArray& data);
QByteArray acknowledgement(quint8 sequence, bool positive);

struct ReplyFrame {
    quint8 sequence = 0;
    quint32 address = 0;
    QByteArray data;
    bool sumOk = false;
};
// Parses an unstuffed reply frame (end byte removed); nullopt when its header and lengths do
// not hold together. A wrong sum is reported, not refused: the data are what came.
std::optional<ReplyFrame> parseReplyFrame(const QByteArray& unstuffed);

struct Acknowledgement {
    quint8 sequence = 0;
    bool positive = false;
};
std::optional<Acknowledgement> parseAcknowledgement(const QByteArray& bytes);

} // namespace wire
