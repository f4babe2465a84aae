#pragma once

#include <QByteArray>

class Exchange;

// Reply buffers: bulk reads of up to a whole bank, and the short tail and identification
// reads.
inline constexpr int kBulkReplyCapacity = 10000;
inline constexpr int kShortReplyCapacity = 50;
// The reply buffer a read of count bytes takes.
int replyCapacityFor(int count);

// A bank's tail: its checksum and check words.
inline constexpr int kBankTailBytes = 6;
// Whether a bank tail as read holds agreeing checksum and check words.
bool bankTailReadValid(const QByteArray& tail);

// Progress bar maxima of the phases of an exchange.
namespace progress {
inline constexpr int kFrameOnly = 27; // one device frame without data: linking, erasing
inline constexpr int kWriteBank = 4100;
inline constexpr int kReadBank = 4094;
inline constexpr int kShortRead = 12; // bank tail, firmware identification
} // namespace progress

// Bank mask: bit 0 bank 0 valid, bit 1 bank 1 valid.
inline constexpr int kBank0Valid = 1;
inline constexpr int kBank1Valid = 2;

// Reads count bytes at address. On failure the transfer error flag is set and the result is
// zero-filled, so a comparison that follows sees a difference.
QByteArray ReadBlock(Exchange& exchange, quint32 address, int count, bool* ok = nullptr);

// Whether the checksum and check words at the end of bank b agree. A failed query counts as
// an invalid bank and leaves the transfer error flag set.
bool ReadBankTail(Exchange& exchange, int bank);
// ReadBankTail for bank 0, then bank 1 unless the first query failed (the transfer error flag
// then stays set).
int QueryBanks(Exchange& exchange);

// Erases bank b and writes it in two frames from a sealed 4100-byte bank buffer. On failure
// the transfer error flag is set and the port is closed. secondBank switches the status
// texts to " Waiting ......".
void ProgramBank(Exchange& exchange, int bank, const QByteArray& sealedBank, bool secondBank);

// A sealed 4100-byte bank buffer (checksum and check words) for the first 4094 bytes of
// image, without touching any image of the program.
QByteArray sealedBankOf(const QByteArray& image);
