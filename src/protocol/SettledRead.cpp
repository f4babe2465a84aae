#include "protocol/SettledRead.h"

#include "protocol/Banks.h"
#include "protocol/Exchange.h"

#include <QList>

namespace {

// Stray bytes ahead of a reply push the data back by as many bytes; more than this many in
// front of one reply is not a stray byte any more.
constexpr int kMaxStrayBytes = 16;

// Whether the block turns up intact a few bytes further into the reply: then stray bytes
// came before it, and two such reads agreeing says nothing about the sign's memory.
bool shiftedByStrayBytes(const BlockReading& r, const BlockRead& block) {
    for (int k = 1; k <= kMaxStrayBytes; ++k) {
        const qsizetype from = wire::kReplyDataOffset + k;
        if (from + block.count > r.reply.size())
            return false;
        if (block.intact(r.reply.mid(from, block.count)))
            return true;
    }
    return false;
}

} // namespace

std::optional<BlockReading> ReadBlockOnce(Exchange& ex, quint32 address, int count) {
    BlockReading r;
    const std::optional<QByteArray> data =
        ex.ReadMemory(address, count, replyCapacityFor(count), &r.reply);
    if (!data || ex.transferError())
        return std::nullopt;
    r.data = *data;
    return r;
}

SettledBlock ReadUntilSettled(Exchange& ex, const BlockRead& block) {
    QList<QByteArray> trusted; // reads that may count for agreement
    auto settle = [&](const BlockReading& r) -> std::optional<SettledBlock> {
        const bool intact = block.intact(r.data);
        if (intact && block.oneIntactRead)
            return SettledBlock{Settled::Intact, r.data};
        if (!intact && shiftedByStrayBytes(r, block))
            return std::nullopt;
        if (trusted.contains(r.data))
            return SettledBlock{intact ? Settled::Intact : Settled::Damaged, r.data};
        trusted << r.data;
        return std::nullopt;
    };

    for (int n = 0; n < kMaxBlockReads; ++n) {
        if (block.beforeRead)
            block.beforeRead();
        const auto r = ReadBlockOnce(ex, block.address, block.count);
        if (!r)
            return {Settled::Failed, {}};
        if (auto done = settle(*r))
            return *done;
    }
    return {Settled::Unsettled, {}};
}
