#include "protocol/Banks.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ParamImage.h"
#include "protocol/Exchange.h"
#include "serial/TCommPort.h"

int replyCapacityFor(int count) {
    return count <= wire::kFirmwareLength ? kShortReplyCapacity : kBulkReplyCapacity;
}

bool bankTailReadValid(const QByteArray& tail) {
    return tail.size() >= kBankTailBytes &&
           bankTailValid(reinterpret_cast<const quint8*>(tail.constData()));
}

QByteArray ReadBlock(Exchange& ex, quint32 address, int count, bool* ok) {
    std::optional<QByteArray> data = ex.ReadMemory(address, count, replyCapacityFor(count));
    const bool good = data.has_value() && !ex.transferError();
    if (!data.has_value()) {
        ex.setTransferError(true);
        data = QByteArray();
    }
    QByteArray block = data->left(count);
    if (block.size() < count)
        block.append(QByteArray(count - block.size(), '\0'));
    if (ok)
        *ok = good;
    return block;
}

bool ReadBankTail(Exchange& ex, int bank) {
    ex.seam().setProgressMax(progress::kShortRead);
    ex.seam().setProgress(0);
    bool ok = false;
    const QByteArray tail = ReadBlock(ex, wire::bankTail(bank), kBankTailBytes, &ok);
    return ok && !ex.transferError() && bankTailReadValid(tail);
}

int QueryBanks(Exchange& ex) {
    int mask = 0;
    if (ReadBankTail(ex, 0))
        mask |= kBank0Valid;
    // After a failed query the second could not count anyway; asking it would only add a
    // time-out and a second message.
    if (ex.transferError())
        return mask;
    if (ReadBankTail(ex, 1))
        mask |= kBank1Valid;
    return mask;
}

void ProgramBank(Exchange& ex, int bank, const QByteArray& sealed, bool secondBank) {
    UserSeam& seam = ex.seam();
    seam.setStatus(secondBank ? msg::statusWaiting : msg::statusErase);
    seam.setProgressMax(progress::kFrameOnly);
    seam.setProgress(0);

    // Both erase points are always asked for, even when the first one fails, as long as the
    // line is still there.
    ex.SendRequest(wire::bankBase(bank), 0, wire::Erase);
    if (ex.port().isOpen())
        ex.SendRequest(wire::bankSecondErase(bank), 0, wire::Erase);
    if (ex.transferError()) {
        ex.port().Close();
        return;
    }

    seam.setStatus(secondBank ? msg::statusWaiting : msg::statusWrite);
    seam.setProgressMax(progress::kWriteBank);
    seam.setProgress(0);
    for (const quint32 offset : {0u, quint32(wire::kSecondWriteOffset)}) {
        ex.SendRequest(wire::bankBase(bank) + offset, wire::kWriteChunk, wire::Write, &sealed,
                       bank);
        if (ex.transferError()) {
            ex.port().Close();
            return;
        }
    }
}

QByteArray sealedBankOf(const QByteArray& image) {
    ParamImage scratch;
    scratch.assign(image.left(layout::kImageSize));
    return scratch.sealForSending();
}
