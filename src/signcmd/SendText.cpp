#include "signcmd/SendText.h"

#include "core/HexDigits.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/Frames.h"

#include <QDeadlineTimer>
#include <chrono>
#include <thread>

namespace signcmd {

namespace {

constexpr int kBreathMs = 15; // short enough that the window paints smoothly

} // namespace

std::optional<QByteArray> displayData(const QByteArray& text, DataForm form, QString* badPair) {
    if (form == DataForm::Text)
        return text;
    QByteArray data;
    data.reserve(text.size() / 2 + 1);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const QByteArray pair = text.mid(i, 2);
        int value = 0;
        for (char c : pair) {
            const int d = hexDigitValue(QChar(quint8(c)));
            if (d < 0) {
                if (badPair)
                    *badPair = QString::fromLatin1(pair);
                return std::nullopt;
            }
            value = value * 16 + d;
        }
        data.append(char(value & 0xFF));
    }
    return data;
}

void displayPause(Exchange& ex, int ms) {
    const QDeadlineTimer deadline(qMax(0, ms));
    while (!deadline.hasExpired()) {
        ex.seam().breathe();
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(qMin<qint64>(left, kBreathMs)));
    }
}

SendResult SendTextToDisplay(Exchange& ex, int classNumber, quint8 code, DataForm form,
                             const QByteArray& text, const DisplayTiming& timing) {
    const QDateTime when = ex.now();
    QString badPair;
    const std::optional<QByteArray> data = displayData(text, form, &badPair);
    if (!data) {
        ex.seam().error(msg::notInteger(QStringLiteral("0x") + badPair));
        ex.setTransferError(true);
        return SendResult::NotHex;
    }
    const quint8 classByte = quint8((33 + classNumber) & 0xFF);
    const QByteArray frame = wire::displayFrame(ex.sequence(), classByte, code, when, *data);
    if (frame.size() > kDisplayBufferSize) {
        ex.seam().message(msg::signcmd::textTooLong(frame.size(), kDisplayBufferSize));
        ex.setTransferError(true);
        return SendResult::TooLong;
    }
    const bool sent = ex.SendToDisplay(frame);
    // The display controller needs the pause to take the text in, answered or not.
    displayPause(ex, timing.pauseMs);
    return sent ? SendResult::Sent : SendResult::Failed;
}

SendResult SendTextToDisplay(Exchange& ex, int classNumber, quint8 code, DataForm form,
                             const QString& text, const DisplayTiming& timing) {
    return SendTextToDisplay(ex, classNumber, code, form, text.toLatin1(), timing);
}

} // namespace signcmd
