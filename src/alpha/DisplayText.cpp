#include "alpha/DisplayText.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/Frames.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <limits>

namespace alpha {

namespace {

bool isHexDigit(QChar ch) {
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
           (ch >= QLatin1Char('a') && ch <= QLatin1Char('f')) ||
           (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'));
}

int stuffedSize(quint8 b) {
    return b == wire::kEnd || b == wire::kEscape ? 2 : 1;
}

// The pause after a frame: the window goes on painting, but what it is asked to do waits
// for the exchange lock.
void pause(UserSeam& seam, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        seam.breathe();
        QThread::msleep(ulong(std::clamp<qint64>(deadline.remainingTime(), 0, 20)));
    }
}

} // namespace

std::optional<QByteArray> displayData(Form form, const QString& text, QString* error) {
    QByteArray data;
    if (form == Form::Text7) {
        data.reserve(text.size());
        for (QChar ch : text) {
            if (ch.unicode() > 0xFF) {
                *error = msg::alpha::noByteFor(ch);
                return std::nullopt;
            }
            data.append(char(ch.unicode()));
        }
        return data;
    }
    data.reserve(text.size() / 2 + 1);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const QString pair = text.mid(i, 2);
        for (QChar ch : pair) {
            if (!isHexDigit(ch)) {
                *error = msg::notInteger(QStringLiteral("0x") + pair);
                return std::nullopt;
            }
        }
        data.append(char(pair.toUInt(nullptr, 16)));
    }
    return data;
}

int worstFrameSize(int classNumber, const QByteArray& data) {
    const qsizetype m = data.size();
    // Start byte, sequence (128..254), code and the date and time bytes (all above 0x20)
    // are never stuffed.
    qint64 size = 7 + stuffedSize(classByte(classNumber));
    size += stuffedSize(quint8((m >> 8) & 0xFF)) + stuffedSize(quint8(m & 0xFF));
    for (char b : data)
        size += stuffedSize(quint8(b));
    size += 4 + 1; // the sum, both bytes stuffed at worst; the end byte
    return int(qMin<qint64>(size, std::numeric_limits<int>::max()));
}

SendOutcome sendTextToDisplay(Exchange& ex, int classNumber, quint8 code, Form form,
                              const QString& text, int pauseMs) {
    SendOutcome outcome;
    QString error;
    const std::optional<QByteArray> data = displayData(form, text, &error);
    if (!data) {
        outcome.error = error;
        return outcome;
    }
    // The length field has 16 bits and the sign's buffer holds 3000 bytes.
    const int size = worstFrameSize(classNumber, *data);
    if (size > kFrameBuffer) {
        outcome.error = msg::alpha::tooLong(size, kFrameBuffer);
        return outcome;
    }
    ex.SendToDisplay(
        wire::displayFrame(ex.sequence(), classByte(classNumber), code, ex.now(), *data));
    outcome.sent = true;
    pause(ex.seam(), pauseMs);
    return outcome;
}

} // namespace alpha
