#include "protocol/PagerOperations.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ParamImage.h"
#include "protocol/Banks.h"
#include "protocol/Exchange.h"
#include "protocol/Firmware.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
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
        closePort();
        ex_.setTransferError(true);
        UserSeam& seam = ex_.seam();
        seam.message(msg::transmitError);
        seam.setProgress(0);
        seam.setStatus(msg::statusReady);
        host_.setWriteEnabled(true);
        return false;
    }
}

void PagerOperations::closePort() {
    try {
        ex_.port().Close();
    } catch (const ECommError&) {
        // Nothing more to do with a port that cannot even be closed.
    }
}

bool PagerOperations::linkOrReport(bool enableWriteOnFailure) {
    if (LinkToSign(ex_, link_)) {
        // A failed second handshake must not spoil the operation that follows.
        ex_.setTransferError(false);
        return true;
    }
    UserSeam& seam = ex_.seam();
    seam.setStatus(msg::statusError);
    seam.message(msg::boardNotFound);
    closePort();
    seam.setProgress(0);
    seam.setStatus(msg::statusReady);
    if (enableWriteOnFailure)
        host_.setWriteEnabled(true);
    return false;
}

bool PagerOperations::confirmUnsureCopy() {
    UserSeam& seam = ex_.seam();
    if (seam.askYesNo(msg::copyUnconfirmed))
        return true;
    host_.setWriteEnabled(true);
    seam.setStatus(msg::statusReady);
    seam.setProgress(0);
    closePort();
    return false;
}

bool PagerOperations::readBody() {
    UserSeam& seam = ex_.seam();
    seam.setProgressMax(progress::kFrameOnly);
    seam.setProgress(0);
    ex_.setTransferError(false);
    if (!linkOrReport(false))
        return false;

    seam.setStatus(msg::statusRead);
    seam.setProgressMax(progress::kReadBank);
    seam.setProgress(0);
    ex_.SendClock(wire::StageBeforeRead);
    bool ok = false;
    QByteArray received = ReadBlock(ex_, wire::bankBase(0), kBankSize, &ok);
    if (!ok) {
        closePort();
        return false;
    }
    ex_.setTransferError(false);

    if (!bankSumValid(received)) {
        if (ReadBankTail(ex_, 1)) {
            seam.setProgressMax(progress::kReadBank);
            seam.setProgress(0);
            ex_.SendClock(wire::StageBeforeRead);
            const QByteArray bank1 = ReadBlock(ex_, wire::bankBase(1), kImageSize, &ok);
            if (!ok) {
                // Nothing trustworthy arrived: end as a failed read of bank 0 ends.
                closePort();
                return false;
            }
            if (bankSumValid(bank1)) {
                // Bank 0 is rebuilt from bank 1; the editor's image is not involved.
                const QByteArray sealed = sealedBankOf(bank1);
                ex_.SendClock(wire::StageBeforeWrite);
                ProgramBank(ex_, 0, sealed, true);
                if (ex_.transferError()) {
                    seam.message(msg::readError);
                    closePort();
                    host_.setWriteEnabled(true);
                    seam.setStatus(msg::statusReady);
                    seam.setProgress(0);
                    return false;
                }
            } else if (!confirmUnsureCopy()) {
                return false;
            }
            received = bank1;
        } else if (!confirmUnsureCopy()) {
            return false;
        }
    }

    if (quint8(received[kReadPassword]) != 0) {
        const auto entered =
            seam.inputText(msg::readPasswordCaption, msg::readPasswordPrompt, QString());
        if (entered.value_or(QString()) != readPasswordOf(received)) {
            seam.message(msg::readPasswordError);
            closePort();
            host_.setWriteEnabled(true);
            seam.setProgress(0);
            return false;
        }
    }

    seam.message(msg::readSuccess);
    closePort();

    const QByteArray candidate = received.left(kImageSize);
    bool taken = true;
    switch (classifyImage(candidate)) {
    case ImageKind::Full:
        image_.assign(candidate);
        host_.refreshFromImage();
        host_.setWriteEnabled(true);
        seam.setStatus(msg::statusReady);
        break;
    case ImageKind::Pager:
        seam.message(msg::readPagerFormat);
        mergeCoreSettings(image_, candidate);
        host_.refreshFromImage();
        host_.setWriteEnabled(true);
        seam.setStatus(msg::statusReady);
        break;
    case ImageKind::Refused:
        seam.message(msg::readRefused);
        seam.setStatus(msg::statusReady);
        taken = false;
        break;
    }
    seam.setProgress(0);
    return taken;
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
    UserSeam& seam = ex_.seam();
    const bool good = !ex_.transferError();
    seam.message(good ? success : failure);
    seam.setProgress(0);
    closePort();
    host_.setWriteEnabled(true);
    seam.setStatus(msg::statusReady);
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
    // The banks are asked for even after a refusal, and a failed query counts as invalid.
    const int mask = QueryBanks(ex_);
    if (mask == 0 && !seam.askYesNo(msg::overwriteQuestion))
        allowed = false;
    if (!allowed) {
        host_.setWriteEnabled(true);
        seam.setProgress(0);
        seam.setStatus(msg::statusReady);
        closePort();
        return false;
    }

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
        if (ex_.transferError()) {
            host_.setWriteEnabled(true);
            seam.message(msg::transmitError);
            seam.setProgress(0);
            closePort();
            seam.setStatus(msg::statusReadyDots);
            return false;
        }
        seam.setStatus(second ? msg::statusWaiting : msg::statusRead);
        seam.setProgressMax(progress::kReadBank);
        seam.setProgress(0);
        ex_.SendClock(wire::StageBeforeRead);
        if (ReadBlock(ex_, wire::bankBase(bank), kBankSize) != sealed) {
            seam.message(msg::verifyErrorHtag(ex_.sequence()));
            host_.setWriteEnabled(true);
            seam.setProgress(0);
            return false;
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
    const QByteArray bank0 = ReadBlock(ex_, wire::bankBase(0), kImageSize);
    // The checksum slot is not compared: the image's copy is only valid right after a write.
    if (std::memcmp(bank0.constData(), image_.data(), kSummedBytes) != 0) {
        ex_.SendClock(wire::StageEnd);
        seam.message(msg::verifyErrorHtag(ex_.sequence()));
        host_.setWriteEnabled(true);
        seam.setProgress(0);
        return false;
    }
    return finishBankOperation(msg::verifySuccess, msg::verifyError);
}

bool PagerOperations::checkFirmwareBody() {
    UserSeam& seam = ex_.seam();
    if (!linkOrReport(false))
        return false;
    const QString id = ReadFirmwareId(ex_);
    seam.message(id.isEmpty() ? msg::readErrorFirmware : id);
    closePort();
    seam.setProgress(0);
    return !id.isEmpty();
}
