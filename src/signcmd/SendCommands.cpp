#include "signcmd/SendCommands.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"
#include "serial/TCommPort.h"

namespace signcmd {

namespace {

const QString kDefaultCommand = QStringLiteral("MKLEDDEFAULT");

// How a Send ends. Every Send leaves the port open; the next exchange reopens it.
bool endSend(Exchange& ex, bool success) {
    EndOperation(ex, ends::displaySent, success ? msg::sendSuccess : msg::sendError);
    return success;
}

void send(Exchange& ex, const QString& text, const DisplayTiming& timing) {
    SendTextToDisplay(ex, 0, kCodeText, DataForm::Text, text, timing);
}

} // namespace

QStringList changedCommandTexts(const CommandValues& values) {
    QStringList texts;
    const Command& message = commands()[kDefaultMessage];
    texts << QLatin1String(message.keyword) + QLatin1Char('=') + values[kDefaultMessage].text;
    for (int n : controlOrder()) {
        if (n == kDefaultMessage)
            continue;
        const Command& c = commands()[n];
        const QString value = encode(c, values[n]);
        if (value != defaultValue(QLatin1String(c.keyword)))
            texts << QLatin1String(c.keyword) + QLatin1Char('=') + value;
    }
    return texts;
}

bool sendCommands(Exchange& ex, LinkState& link, const CommandValues& values,
                  const DisplayTiming& timing) {
    if (ex.busy())
        return false;
    Exchange::Hold hold(ex);
    try {
        if (!LinkToSign(ex, link)) {
            EndOperation(ex, ends::displayLinkFailed, msg::boardNotFound);
            return false;
        }
        ex.setTransferError(false);
        ex.seam().setProgressMax(kSendProgressMax);
        const QStringList texts = changedCommandTexts(values);
        send(ex, kDefaultCommand, timing);
        // The default message goes even when "MKLEDDEFAULT" failed.
        send(ex, texts.first(), timing);
        for (qsizetype i = 1; i < texts.size() && !ex.transferError(); ++i)
            send(ex, texts[i], timing);
        return endSend(ex, !ex.transferError());
    } catch (const ECommError&) {
        ex.setTransferError(true);
        return endSend(ex, false);
    }
}

} // namespace signcmd
