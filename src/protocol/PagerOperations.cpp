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
#include "protocol/ReadKeeper.h"
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
bool PagerOperations::write(const WriteChoices& choices) {
    return guarded([this, &choices] { return writeBody(choices); });
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
        host_.lineLost();
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
        host_.lineLinked(link_.portName);
        // A failed second handshake must not spoil the operation that follows.
        ex_.setTransferError(false);
        return true;
    }
    host_.lineLost();
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

// Bank 0 as the sign holds it, tested whole as the sign tests it: the sum against the data and
// both check words. A stray byte on the line spoils one transfer, never two alike, so a bank 0
// that fails is read again before anything is concluded from it.
SettledBlock PagerOperations::readBank0() {
    ex_.seam().setStatus(msg::statusRead);
    BlockRead bank0{wire::bankBase(0), kBankSize, bankValid, true, [this] { beforeBankRead(); }};
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
std::optional<QByteArray> PagerOperations::fallBackOnBank1(const QByteArray& damagedBank0,
                                                           int* valid) {
    *valid = 0;
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
    const QByteArray repair = sealedBankOf(got.bytes);
    ProgramBank(ex_, 0, repair, true);
    if (ex_.transferError()) {
        end(ends::finished, msg::readError);
        return std::nullopt;
    }
    // A sign can acknowledge a write it did not carry out: the repair counts once it reads
    // back as sent.
    ex_.seam().setProgressMax(progress::kReadBank);
    ex_.seam().setProgress(0);
    bool ok = false;
    if (ReadBlock(ex_, wire::bankBase(0), kBankSize, &ok) != repair || !ok) {
        if (ok) // a failed read has said so already
            ex_.seam().message(msg::transmitError);
        end(ends::finished, msg::bank0StillDamaged);
        return std::nullopt;
    }
    *valid = kBank1Valid;
    return got.bytes;
}

// A whole bank, tested as the sign tests it, read until it settles.
SettledBlock PagerOperations::readWholeBank(int bank) {
    BlockRead whole{wire::bankBase(bank), kBankSize, bankValid, true, [this] {
                        ex_.seam().setProgressMax(progress::kReadBank);
                        ex_.seam().setProgress(0);
                    }};
    return ReadUntilSettled(ex_, whole);
}

std::optional<QString> PagerOperations::keep(const QString& operation, const QByteArray& image,
                                             int validBanks, const QString& firmware) {
    if (!keeper_)
        return std::nullopt;
    QString reason;
    if (keeper_->keep({link_.portName, operation, firmware, validBanks, image.left(kImageSize)},
                      &reason))
        return std::nullopt;
    return reason;
}

// Links and reads the sign's parameters as Read does, up to the read password; what was taken
// is kept first. The port stays open. Nothing when the operation ended.
std::optional<QByteArray> PagerOperations::fetchImage(const QString& operation) {
    UserSeam& seam = ex_.seam();
    seam.setProgressMax(progress::kFrameOnly);
    seam.setProgress(0);
    ex_.setTransferError(false);
    if (!linkOrReport(false))
        return std::nullopt;

    const SettledBlock bank0 = readBank0();
    QByteArray received = bank0.bytes;
    int valid = kBank0Valid;
    switch (bank0.how) {
    case Settled::Intact:
        break;
    case Settled::Failed:
        end(ends::transferFailed);
        return std::nullopt;
    case Settled::Unsettled:
        // No two reads agreed: neither bank is touched.
        end(ends::finished, msg::transmitError);
        return std::nullopt;
    case Settled::Damaged: {
        const auto taken = fallBackOnBank1(bank0.bytes, &valid);
        if (!taken)
            return std::nullopt;
        received = *taken;
        break;
    }
    }

    if (quint8(received[kReadPassword]) != 0) {
        const auto entered =
            seam.inputText(msg::readPasswordCaption, msg::readPasswordPrompt, QString());
        if (entered.value_or(QString()) != readPasswordOf(received)) {
            end(ends::passwordRefused, msg::readPasswordError);
            return std::nullopt;
        }
    }
    // Kept once the read password has let the data out, before anything is done with them.
    if (const auto failed = keep(operation, received, valid))
        seam.message(msg::backupFailedAfterRead(*failed));
    return received.left(kImageSize);
}

bool PagerOperations::readBody() {
    UserSeam& seam = ex_.seam();
    const auto fetched = fetchImage(QStringLiteral("read"));
    if (!fetched)
        return false;
    const QByteArray candidate = *fetched;
    seam.message(msg::readSuccess);
    ClosePortQuietly(ex_);

    const ImageKind kind = takeImage(image_, candidate);
    if (kind == ImageKind::Refused)
        return end(ends::dataRefused, msg::readRefused);
    if (kind == ImageKind::Pager)
        seam.message(msg::readPagerFormat);
    host_.refreshFromImage();
    end(ends::finished);
    return true;
}

std::optional<QByteArray> PagerOperations::readForComparison() {
    std::optional<QByteArray> result;
    guarded([this, &result] {
        const auto fetched = fetchImage(QStringLiteral("compare"));
        if (!fetched)
            return false;
        ClosePortQuietly(ex_);
        ParamImage taken;
        const ImageKind kind = takeImage(taken, *fetched);
        if (kind == ImageKind::Refused)
            return end(ends::dataRefused, msg::readRefused);
        if (kind == ImageKind::Pager)
            ex_.seam().message(msg::readPagerFormat);
        end(ends::finished);
        result = taken.toByteArray();
        return true;
    });
    return result;
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

bool PagerOperations::writeBody(const WriteChoices& choices) {
    UserSeam& seam = ex_.seam();
    bool allowed = true;
    if (!startBankOperation())
        return false;

    QString firmware = ReadFirmwareId(ex_);
    // A line hit spoils one read, not two: a garbled identification is asked for again, and
    // a sign that gives it garbled twice is not written (the line check fails it too).
    if (isGarbledFirmware(firmware)) {
        ex_.purge();
        firmware = ReadFirmwareId(ex_);
    }
    if (isGarbledFirmware(firmware))
        return end(ends::declined, msg::doctor::firmwareGarbledWrite);
    if (!firmware.isEmpty())
        host_.firmwareIdentified(firmware);
    if (isFlexFirmware(firmware)) {
        seam.message(msg::notPocsag);
        allowed = false;
    }
    // The banks are asked for even after a refusal. Only banks that answered and were found
    // invalid raise the question; a sign that did not answer gets no question.
    int mask = ex_.transferError() ? 0 : QueryBanks(ex_);
    if (ex_.transferError()) {
        ex_.SendClock(wire::StageEnd);
        return end(ends::finished, msg::transmitError);
    }

    // A tail can agree with itself over data that do not: bank 0 is read whole and tested as
    // the sign tests it before anything is erased, and that decides the order of the banks.
    const SettledBlock bank0 = readWholeBank(0);
    if (bank0.how == Settled::Failed)
        return end(ends::finished);
    if (bank0.how == Settled::Unsettled)
        return end(ends::finished, msg::transmitError);
    const bool bank0Valid = bank0.how == Settled::Intact;
    bool bank1Tail = mask & kBank1Valid;
    if (!bank0Valid && !bank1Tail) {
        // One garbled answer is no reason to ask about overwriting the only good bank.
        bank1Tail = ReadBankTail(ex_, 1);
        if (ex_.transferError())
            return end(ends::finished, msg::transmitError);
    }
    const QByteArray wanted = sealedBankOf(image_.toByteArray());
    const bool mayBeUnchanged = choices.skipUnchanged && bank0Valid && bank0.bytes == wanted;
    std::optional<SettledBlock> bank1;
    if ((!bank0Valid && bank1Tail) || mayBeUnchanged) {
        bank1 = readWholeBank(1);
        if (bank1->how == Settled::Failed)
            return end(ends::finished);
        if (bank1->how == Settled::Unsettled)
            return end(ends::finished, msg::transmitError);
    }
    const bool bank1Valid = bank1 ? bank1->how == Settled::Intact : bank1Tail;
    mask = (bank0Valid ? kBank0Valid : 0) | (bank1Valid ? kBank1Valid : 0);

    if (choices.backUp) {
        const QByteArray& previous =
            !bank0Valid && bank1 && bank1Valid ? bank1->bytes : bank0.bytes;
        if (const auto failed = keep(QStringLiteral("write"), previous, mask, firmware)) {
            seam.message(msg::backupFailed(*failed));
            return end(ends::declined);
        }
    }
    if (mayBeUnchanged && bank1Valid && bank1->bytes == wanted && allowed) {
        ex_.SendClock(wire::StageEnd);
        end(ends::finished, msg::signAlreadyHolds);
        return true;
    }

    if (!bank0Valid && !bank1Tail && !seam.askYesNo(msg::overwriteQuestion))
        allowed = false;
    if (!allowed)
        return end(ends::declined);
    if (choices.stopBeforeErase && choices.stopBeforeErase()) {
        ex_.SendClock(wire::StageEnd);
        return end(ends::declined, msg::writeStoppedBeforeErase);
    }

    // While bank 0 is good, bank 1 goes first; otherwise bank 0 does, so the good copy
    // outlives a power cut at any moment. With no good copy at all, bank 1 goes first.
    const bool bank0First = !bank0Valid && bank1Tail;
    const int order[2] = {bank0First ? 0 : 1, bank0First ? 1 : 0};
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
        bool readBack = false;
        const QByteArray back = ReadBlock(ex_, wire::bankBase(bank), kBankSize, &readBack);
        // A sign that stopped answering said nothing about the bank: the exchange has shown
        // "Transmit Error!", and no difference is claimed.
        if (!readBack)
            return end(ends::finished);
        if (back != sealed)
            return end(ends::verifyDifference, msg::verifyErrorHtag(ex_.sequence()));
        if (!second && choices.stopBetweenBanks && choices.stopBetweenBanks()) {
            ex_.SendClock(wire::StageEnd);
            return end(ends::declined, msg::writeStoppedBetweenBanks(bank, order[1]));
        }
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
    // The whole bank: a tail that fails its data makes the sign fall back on bank 1, whatever
    // bytes 0-4093 hold.
    bool readOk = false;
    const QByteArray bank0 = ReadBlock(ex_, wire::bankBase(0), kBankSize, &readOk);
    // A read that failed ("Transmit Error!" already shown) compares nothing: "Verify Error!".
    if (!readOk)
        return finishBankOperation(msg::verifySuccess, msg::verifyError);
    // The checksum slot is not compared: the image's copy is only valid right after a write.
    const bool sameData = std::memcmp(bank0.constData(), image_.data(), kSummedBytes) == 0;
    const bool whole = bankValid(bank0);
    if (!sameData || !whole) {
        ex_.SendClock(wire::StageEnd);
        seam.message(msg::verifyErrorHtag(ex_.sequence()));
        QStringList lines;
        if (lister_ && !sameData) {
            // The checksum slot is no setting; the window's copy stands in for the sign's.
            QByteArray sign = bank0.left(kImageSize);
            const QByteArray window = image_.toByteArray();
            sign.replace(kSummedBytes, kImageSize - kSummedBytes, window.mid(kSummedBytes));
            lines = lister_(sign, window);
        }
        if (!whole)
            lines << msg::bank0TailFails;
        if (!lines.isEmpty())
            seam.message(lines.join(QLatin1Char('\n')));
        return end(ends::verifyDifference);
    }
    return finishBankOperation(msg::verifySuccess, msg::verifyError);
}

bool PagerOperations::checkFirmwareBody() {
    if (!linkOrReport(false))
        return false;
    const QString id = ReadFirmwareId(ex_);
    if (!id.isEmpty())
        host_.firmwareIdentified(id);
    end(ends::firmwareShown, id.isEmpty() ? msg::readErrorFirmware : id);
    return !id.isEmpty();
}
