#include "protocol/PagerOperations.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ParamImage.h"
#include "protocol/Banks.h"
#include "protocol/Exchange.h"
#include "protocol/Firmware.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"
#include "protocol/OperationHost.h"
#include "protocol/SettledRead.h"
#include "serial/TCommPort.h"

#include <cstring>

using namespace layout;

namespace {

// The read password of a received image: up to its first NUL, at most 10 characters.
QString readPasswordOf(const QByteArray& received) {
    QByteArray pw = received.mid(kReadPassword, kPasswordLen);
    const qsizetype nul = pw.indexOf('\0');
    if (nul >= 0)
        pw.truncate(nul);
    return QString::fromLatin1(pw);
}

} // namespace

PagerOperations::PagerOperations(Exchange& exchange, ParamImage& image, LinkState& link,
                                 OperationHost& host)
    : ex_(exchange), image_(image), link_(link), host_(host) {}

bool PagerOperations::read() {
    return guarded([this] { return readBody(); });
}
bool PagerOperations::write() {
    return guarded([this] { return writeBody(); });
}
bool PagerOperations::verify() {
    return guarded([this] { return verifyBody(); });
}
bool PagerOperations::checkFirmware() {
    return guarded([this] { return checkFirmwareBody(); });
}

// One exchange at a time; a serial line that fails under our feet (a cable pulled, a
// device gone) ends the operation as a failed transfer instead of taking the program down.
template <typename Body> bool PagerOperations::guarded(Body body) {
    if (ex_.busy())
        return false;
    Exchange::Hold hold(ex_);
    try {
        return body();
    } catch (const ECommError&) {
        ex_.setTransferError(true);
        return end(ends::finished, msg::transmitError);
    }
}

bool PagerOperations::end(const OperationEnd& how, const QString& message) {
    EndOperation(ex_, how, message, &host_);
    return false;
}

bool PagerOperations::linkOrReport(bool writeTurnedOff) {
    if (LinkToSign(ex_, link_)) {
        // A failed second handshake must not spoil the operation that follows.
        ex_.setTransferError(false);
        return true;
    }
    ex_.seam().setStatus(msg::statusError);
    return end(writeTurnedOff ? ends::linkFailedWriteOff : ends::linkFailed, msg::boardNotFound);
}

bool PagerOperations::confirmUnsureCopy() {
    if (ex_.seam().askYesNo(msg::copyUnconfirmed))
        return true;
    return end(ends::declined);
}

void PagerOperations::beforeBankRead() {
    UserSeam& seam = ex_.seam();
    seam.setProgressMax(progress::kReadBank);
    seam.setProgress(0);
    ex_.SendClock(wire::StageBeforeRead);
}

// Bank 0 as the sign holds it. A stray byte on the line spoils one transfer, never two alike,
// so a bank 0 whose sum fails is read again before anything is concluded from it.
SettledBlock PagerOperations::readBank0() {
    ex_.seam().setStatus(msg::statusRead);
    BlockRead bank0{wire::bankBase(0), kBankSize, bankSumValid, true, [this] { beforeBankRead(); }};
    SettledBlock got = ReadUntilSettled(ex_, bank0);
    if (got.how != Settled::Failed)
        ex_.setTransferError(false);
    return got;
}

// Whether bank 1's tail passes, asked again when it does not (a garbled answer is no proof).
std::optional<bool> PagerOperations::bank1TailValid() {
    auto beforeRead = [this] {
        ex_.seam().setProgressMax(progress::kShortRead);
        ex_.seam().setProgress(0);
    };
    const SettledBlock tail = ReadUntilSettled(
        ex_, {wire::bankTail(1), kBankTailBytes, bankTailReadValid, true, beforeRead});
    switch (tail.how) {
    case Settled::Intact:
        return true;
    case Settled::Damaged:
        return false;
    case Settled::Failed:
        end(ends::transferFailed);
        return std::nullopt;
    case Settled::Unsettled:
        break;
    }
    end(ends::finished, msg::transmitError);
    return std::nullopt;
}

// What to take when bank 0 is damaged: bank 1, or (confirmed by the user) the damaged bank 0
// when bank 1 is no better. Bank 0 is rebuilt from bank 1 only from bytes two reads agreed on
// and whose sum matched. Nothing when the read ended.
std::optional<QByteArray> PagerOperations::fallBackOnBank1(const QByteArray& damagedBank0) {
    const auto tail = bank1TailValid();
    if (!tail)
        return std::nullopt;
    if (!*tail) {
        if (!confirmUnsureCopy())
            return std::nullopt;
        return damagedBank0;
    }
    BlockRead bank1{wire::bankBase(1), kImageSize, bankSumValid, false,
                    [this] { beforeBankRead(); }};
    const SettledBlock got = ReadUntilSettled(ex_, bank1);
    switch (got.how) {
    case Settled::Failed:
        end(ends::transferFailed);
        return std::nullopt;
    case Settled::Unsettled:
        end(ends::finished, msg::transmitError);
        return std::nullopt;
    case Settled::Damaged:
        if (!confirmUnsureCopy())
            return std::nullopt;
        return got.bytes;
    case Settled::Intact:
        break;
    }
    // Bank 0 is rebuilt from bank 1; the editor's image is not involved.
    ex_.SendClock(wire::StageBeforeWrite);
    ProgramBank(ex_, 0, sealedBankOf(got.bytes), true);
    if (ex_.transferError()) {
        end(ends::finished, msg::readError);
        return std::nullopt;
    }
    return got.bytes;
}

bool PagerOperations::readBody() {
    UserSeam& seam = ex_.seam();
    seam.setProgressMax(progress::kFrameOnly);
    seam.setProgress(0);
    ex_.setTransferError(false);
    if (!linkOrReport(false))
        return false;

    const SettledBlock bank0 = readBank0();
    QByteArray received = bank0.bytes;
    switch (bank0.how) {
    case Settled::Intact:
        break;
    case Settled::Failed:
        return end(ends::transferFailed);
    case Settled::Unsettled:
        // No two reads agreed: neither bank is touched.
        return end(ends::finished, msg::transmitError);
    case Settled::Damaged: {
        const auto taken = fallBackOnBank1(bank0.bytes);
        if (!taken)
            return false;
        received = *taken;
        break;
    }
    }

    if (quint8(received[kReadPassword]) != 0) {
        const auto entered =
            seam.inputText(msg::readPasswordCaption, msg::readPasswordPrompt, QString());
        if (entered.value_or(QString()) != readPasswordOf(received))
            return end(ends::passwordRefused, msg::readPasswordError);
    }

    seam.message(msg::readSuccess);
    ClosePortQuietly(ex_);

    const QByteArray candidate = received.left(kImageSize);
    switch (classifyImage(candidate)) {
    case ImageKind::Full:
        image_.assign(candidate);
        host_.refreshFromImage();
        break;
    case ImageKind::Pager:
        seam.message(msg::readPagerFormat);
        mergeCoreSettings(image_, candidate);
        host_.refreshFromImage();
        break;
    case ImageKind::Refused:
        return end(ends::dataRefused, msg::readRefused);
    }
    end(ends::finished);
    return true;
}

// Write and Verify start alike: pending edits collected, Write1 off until the end, link.
bool PagerOperations::startBankOperation() {
    UserSeam& seam = ex_.seam();
    host_.collectPendingRecord();
    host_.setWriteEnabled(false);
    ex_.setTransferError(false);
    seam.setStatus(msg::statusVerify);
    seam.setProgressMax(progress::kFrameOnly);
    seam.setProgress(0);
    return linkOrReport(true);
}

bool PagerOperations::finishBankOperation(const QString& success, const QString& failure) {
    const bool good = !ex_.transferError();
    end(ends::finished, good ? success : failure);
    return good;
}

bool PagerOperations::writeBody() {
    UserSeam& seam = ex_.seam();
    bool allowed = true;
    if (!startBankOperation())
        return false;

    if (isFlexFirmware(ReadFirmwareId(ex_))) {
        seam.message(msg::notPocsag);
        allowed = false;
    }
    // The banks are asked for even after a refusal. Only banks that answered and were found
    // invalid raise the question; a sign that did not answer gets no question.
    const int mask = ex_.transferError() ? 0 : QueryBanks(ex_);
    if (ex_.transferError()) {
        ex_.SendClock(wire::StageEnd);
        return end(ends::finished, msg::transmitError);
    }
    if (mask == 0 && !seam.askYesNo(msg::overwriteQuestion))
        allowed = false;
    if (!allowed)
        return end(ends::declined);

    // A sign whose only good copy is bank 1 gets bank 0 first, so one good copy survives a
    // power cut at any moment.
    const int order[2] = {mask == kBank1Valid ? 0 : 1, mask == kBank1Valid ? 1 : 0};
    // Everything sent and compared comes from this one buffer; the image may be edited while
    // the exchange waits.
    const QByteArray sealed = image_.sealForSending();
    for (int i = 0; i < 2 && !ex_.transferError(); ++i) {
        const int bank = order[i];
        const bool second = i == 1;
        ex_.SendClock(wire::StageBeforeWrite);
        ProgramBank(ex_, bank, sealed, second);
        if (ex_.transferError())
            return end(ends::bankFailed, msg::transmitError);
        seam.setStatus(second ? msg::statusWaiting : msg::statusRead);
        seam.setProgressMax(progress::kReadBank);
        seam.setProgress(0);
        ex_.SendClock(wire::StageBeforeRead);
        if (ReadBlock(ex_, wire::bankBase(bank), kBankSize) != sealed)
            return end(ends::verifyDifference, msg::verifyErrorHtag(ex_.sequence()));
    }

    ex_.SendClock(wire::StageEnd);
    return finishBankOperation(msg::transmitSuccess, msg::transmitError);
}

bool PagerOperations::verifyBody() {
    UserSeam& seam = ex_.seam();
    if (!startBankOperation())
        return false;

    seam.setStatus(msg::statusRead);
    seam.setProgressMax(progress::kReadBank);
    seam.setProgress(0);
    ex_.SendClock(wire::StageBeforeRead);
    const QByteArray bank0 = ReadBlock(ex_, wire::bankBase(0), kImageSize);
    // The checksum slot is not compared: the image's copy is only valid right after a write.
    if (std::memcmp(bank0.constData(), image_.data(), kSummedBytes) != 0) {
        ex_.SendClock(wire::StageEnd);
        return end(ends::verifyDifference, msg::verifyErrorHtag(ex_.sequence()));
    }
    return finishBankOperation(msg::verifySuccess, msg::verifyError);
}

bool PagerOperations::checkFirmwareBody() {
    if (!linkOrReport(false))
        return false;
    const QString id = ReadFirmwareId(ex_);
    end(ends::firmwareShown, id.isEmpty() ? msg::readErrorFirmware : id);
    return !id.isEmpty();
}
