#pragma once

#include <QByteArray>
#include <QtGlobal>

// The sign's memory map and its parameter banks, written for the sign alone (the programmer's
// image code is never linked in for them).
namespace signbank {

inline constexpr quint32 kBankStride = 0x20000;
constexpr quint32 bankBase(int bank) {
    return 0x88000 + quint32(bank) * kBankStride;
}
inline constexpr quint32 kEraseSector = 0x8000;
inline constexpr quint32 kFirmwareAddress = 0xEFFE0;
inline constexpr int kFirmwareLength = 12;

// A bank: image bytes 0..4093, their sum S (big-endian), S ^ 0x5555, S ^ 0xAAAA.
inline constexpr int kImageSize = 4096;
inline constexpr int kBankSize = 4100;
inline constexpr int kSummed = 4094;
inline constexpr int kSumAt = 4094;

// The image offsets the prepared images change.
inline constexpr int kCapcode1 = 104; // 21 bits in bits 23..3 of three bytes
inline constexpr int kAirPassword = 129;
inline constexpr int kSequentialLock = 404;
inline constexpr int kReadPassword = 2796;
inline constexpr int kPasswordLength = 10;
inline constexpr int kModelTag = 2809;
inline constexpr int kModelTagLength = 13; // with its NUL

// The sum over image bytes 0..4093.
quint16 imageSum(const QByteArray& image);
// The 4100-byte bank for an image of at least 4094 bytes.
QByteArray seal(const QByteArray& image);

} // namespace signbank
