#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

class Exchange;

// A block of the sign's memory read until what arrived can be trusted. Real damage reads back
// the same every time; a stray byte on the line does not. So a block whose own test fails is
// read again, and it counts as damaged only when two reads agree.
struct BlockRead {
    quint32 address = 0;
    int count = 0;
    // The block's own test (a bank's sum, a bank tail's check words).
    std::function<bool(const QByteArray&)> intact;
    // One intact read is enough; otherwise two reads must agree before the block is used.
    bool oneIntactRead = true;
    // Run before each read (a clock frame, the progress bar).
    std::function<void()> beforeRead;
};

enum class Settled {
    Intact,    // what arrived passes the block's test (and, where asked, two reads agree)
    Damaged,   // two reads agree and fail the test: this is what the sign holds
    Failed,    // a read failed; the exchange has said so and set the transfer error flag
    Unsettled, // no two reads agreed within the reads allowed
};

struct SettledBlock {
    Settled how = Settled::Failed;
    QByteArray bytes;
};

// At most this many reads of one block.
inline constexpr int kMaxBlockReads = 5;

// One read of a block as it arrived.
struct BlockReading {
    QByteArray data;  // the requested bytes
    QByteArray reply; // the whole unstuffed reply
};

// Reads the block once; nothing with the transfer error flag set.
std::optional<BlockReading> ReadBlockOnce(Exchange& exchange, quint32 address, int count);

// Reads the block until it settles.
SettledBlock ReadUntilSettled(Exchange& exchange, const BlockRead& block);
