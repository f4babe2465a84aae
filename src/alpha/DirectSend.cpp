#include "alpha/DirectSend.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"
#include "serial/TCommPort.h"

namespace alpha {

DirectSend::DirectSend(Exchange& exchange, LinkState& link) : ex_(exchange), link_(link) {}

bool DirectSend::run(const Message& message) {
    if (ex_.busy())
        return false;
    Exchange::Hold hold(ex_);
    try {
        return body(message);
    } catch (const ECommError&) {
        ex_.setTransferError(true);
        EndOperation(ex_, ends::displayLineFailed, msg::transmitError);
        return false;
    }
}

bool DirectSend::body(const Message& message) {
    UserSeam& seam = ex_.seam();
    if (!LinkToSign(ex_, link_)) {
        EndOperation(ex_, ends::directSendLinkFailed, msg::boardNotFound);
        return false;
    }
    ex_.setTransferError(false);
    const quint8 code = displayCode(message.russian);
    seam.setProgressMax(int(message.id.size()));

    // A message the sign cannot take is refused before anything is sent; the port stays
    // open as after any send.
    QString error;
    const std::optional<int> classNo = classNumber(message.id, &error);
    if (!classNo) {
        seam.error(error);
        seam.setProgress(0);
        return false;
    }
    // Each character is one byte; one that has none is refused rather than sent as "?".
    const QString& text = message.text;
    for (QChar ch : text) {
        if (ch.unicode() > 0xFF) {
            seam.error(msg::alpha::noByteFor(ch));
            seam.setProgress(0);
            return false;
        }
    }
    const auto form = message.form == Form::Hex8 ? signcmd::DataForm::Hex : signcmd::DataForm::Text;
    // The class byte wraps modulo 256 whatever the ID's size.
    const signcmd::SendResult sent = signcmd::SendTextToDisplay(
        ex_, *classNo & 0xFF, code, form, text.toLatin1(), signcmd::DisplayTiming{pauseMs});
    if (sent == signcmd::SendResult::NotHex || sent == signcmd::SendResult::TooLong) {
        seam.setProgress(0); // shown already; nothing was sent
        return false;
    }
    const bool ok = !ex_.transferError();
    seam.message(ok ? msg::sendSuccess : msg::sendError);
    seam.setProgress(0);
    return ok;
}

} // namespace alpha
