#include "editor/SerialOutputRules.h"

#include "core/HexDigits.h"
#include "core/Messages.h"
#include "editor/EditorError.h"
#include "editor/Flags.h"
#include "editor/NumberText.h"
#include "editor/ShownValues.h"

using namespace layout;

namespace serialrules {

namespace {
void collectRecord(ParamImage& image, Record record, int c, int f, const QString& text) {
    const QStringList pieces = recordPieces(text, kRecordChars, true);
    for (int k = 0; k < pieces.size(); ++k)
        image.set(recordChar(record, c, f, k), hexByte(pieces[k]));
    image.set(recordLen(record, c, f), quint8(pieces.size()));
}
} // namespace

void setSerialOption(ParamImage& image, int tag, bool on) {
    if (tag == kSerialOutputOnTag)
        flags::setOn(image, flags::serialOutputOn, on);
    else if (tag >= 0 && tag < kSerialCtlCount)
        flags::setOn(image, flags::serialCtl(tag), on);
}

void setUartSpeed(ParamImage& image, int item) {
    if (auto code = shown::coded::uartSpeed().codeOf(item))
        image.set(kUartBaudCode, quint8(*code));
}

void setUartParity(ParamImage& image, int item) {
    if (auto letter = shown::coded::parity().codeOf(item))
        image.set(kUartParity, quint8(*letter));
}

void setUartBits(ParamImage& image, int tag, int value) {
    if (tag == kStopBitsTag)
        image.set(kUartStopBits, quint8(value));
    else if (tag == kDataBitsTag)
        image.set(kUartDataBits, quint8(value));
}

QStringList recordPieces(const QString& text, int maxPieces, bool stopAtBlank) {
    QStringList pieces;
    for (const QString& raw : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (pieces.size() == maxPieces)
            break;
        const QString piece = raw.trimmed();
        if (stopAtBlank && piece.isEmpty())
            break;
        pieces << piece;
    }
    return pieces;
}

quint8 hexByte(const QString& piece) {
    bool ok = false;
    const uint value = piece.toUInt(&ok, 16);
    // The sign keeps one byte per pair; a longer number keeps its low byte.
    if (!ok || piece.startsWith(QLatin1Char('+')))
        throw ConversionError(msg::notInteger(piece));
    return quint8(value & 0xFF);
}

void collectCapcodeRecord(ParamImage& image, int c, const CapcodeRecordTexts& texts) {
    for (int f = 0; f < kFunctionBits; ++f) {
        const FunctionBitTexts& t = texts[f];
        collectRecord(image, Record::Header, c, f, t.header);
        collectRecord(image, Record::Trailer, c, f, t.trailer);
        collectRecord(image, Record::Timeout, c, f, t.timeout);
        image.set(intFunCmd(c, f), t.intFunCmd ? 1 : 0);
        // Every FC code has four bytes: a blank or missing pair counts as 00.
        const QStringList pieces = recordPieces(t.funCmd, kFunCmdCodeLen, false);
        for (int l = 0; l < kFunCmdCodeLen; ++l) {
            const QString piece = l < pieces.size() ? pieces[l] : QString();
            image.set(funCmdCode(c, f, l), piece.isEmpty() ? 0 : hexByte(piece));
        }
    }
}

EditOutcome finishWithSerialFeatures(ParamImage& image, const PendingRecord& pending,
                                     EditOutcome before) {
    if (pending.capcode >= 0 && pending.capcode < kCapcodeCount) {
        try {
            collectCapcodeRecord(image, pending.capcode, pending.texts);
        } catch (const ConversionError& e) {
            before.collectError = RuleOutcome::error(e.text());
            return before;
        }
    }
    before.showSerialFeatures = true;
    return before;
}

EditOutcome msgTimeoutDelayExit(ParamImage& image, const QString& text,
                                const PendingRecord& pending) {
    if (text.isEmpty())
        return finishWithSerialFeatures(image, pending);
    const std::optional<qint64> n = numbertext::wholeNumber(text);
    if (!n || *n == -1)
        return finishWithSerialFeatures(image, pending, {RuleOutcome::plain(msg::insertNumeric)});
    if (*n < 0 || *n > kMaxMsgTimeoutDelay)
        return finishWithSerialFeatures(image, pending, {RuleOutcome::warning(msg::delayRange)});
    image.set(kMsgDelayOn, *n != 0 ? 1 : 0);
    image.set(kMsgTimeoutDelay, quint8(*n & 0xFF));
    image.set(kMsgTimeoutDelay + 1, quint8(*n >> 8));
    return {};
}

EditOutcome endCodeExit(ParamImage& image, const QString& text) {
    EditOutcome o;
    if (text.isEmpty()) {
        o.text = shown::hex(image.at(kEndCode), 2);
        return o;
    }
    for (QChar ch : text) {
        if (!isHexDigit(ch)) {
            o.outcome = RuleOutcome::plain(msg::inputHex);
            return o;
        }
    }
    // The edit holds two digits; a longer text (a script's) must not lose its high digits.
    const uint value = text.toUInt(nullptr, 16);
    if (text.size() > 8 || value > 0xFF) {
        o.outcome = RuleOutcome::warning(msg::editout::endCodeRange);
        return o;
    }
    image.set(kEndCode, quint8(value));
    return o;
}

SerialLedEffect applySerialLed(ParamImage& image, bool on) {
    flags::setOn(image, flags::serialLed, on);
    SerialLedEffect e;
    e.uartPanelVisible = !on;
    if (on) {
        setUartSpeed(image, kUart19200Item);
        e.uartSpeedItem = kUart19200Item;
    }
    return e;
}

SerialPageEnables serialPageEnables(bool serialOutputOn, bool funCmdEnable, bool serialLed) {
    return {serialOutputOn, funCmdControlsEnabled(serialOutputOn, funCmdEnable), !serialLed};
}

SerialPageEnables serialPageEnables(const ParamImage& image) {
    return serialPageEnables(image.at(kSerialOutputOn) != 0, image.at(serialCtl(1)) != 0,
                             image.at(kSerialLedFlag) == 0);
}

} // namespace serialrules
