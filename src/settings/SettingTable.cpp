// The rows of every setting. A row names its key, caption, control and bytes, reads its value
// from the session and runs the window's own rule; the rules stay in editor/.
#include "settings/SettingTable.h"

#include "core/Messages.h"
#include "editor/CapcodeRules.h"
#include "editor/EditorError.h"
#include "editor/FeatureRules.h"
#include "editor/Flags.h"
#include "editor/FrequencyRules.h"
#include "editor/OutputRules.h"
#include "editor/PagingRules.h"
#include "editor/PasswordRules.h"
#include "editor/PeriodRules.h"
#include "editor/SerialOutputRules.h"
#include "editor/ShownValues.h"
#include "settings/EditSession.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <array>

using namespace layout;

namespace settings {

namespace {

namespace L = msg::label;
using S = EditSession;

// --- Reading values ---------------------------------------------------------------------------

QString onOff(bool on) {
    return on ? msg::cli::on : msg::cli::off;
}
QString orNone(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(") + msg::cli::none + QLatin1Char(')') : text;
}
Value boxValue(bool on) {
    return {onOff(on), on};
}
Value textValue(const QString& text) {
    return {text, text};
}
Value optionalText(const QString& text) {
    return {orNone(text), text};
}
Value numberValue(int n, const QString& unit) {
    return {QString::number(n) + QLatin1Char(' ') + unit, n};
}
// A list's item as its caption; a list without a selection names the code it could not show.
Value itemValue(const QStringList& captions, int item, int code) {
    const QString text =
        item >= 0 && item < captions.size() ? captions.at(item) : msg::cli::unknownCode(code);
    return textValue(text);
}
Value listValue(const S& s, const QString& control, const QStringList& captions, int code) {
    return itemValue(captions, s.item(control), code);
}

QString capcodeCaption(int c) {
    return shown::capcodeSelectorCaptions().at(c);
}
QChar bitLetter(int f) {
    return QChar(u'A' + f);
}
QList<int> span(int first, int count) {
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << first + i;
    return out;
}

shown::Synthesizer synth(const S& s) {
    return shown::synthesizer(s.image(), s.tuning().bandMultiplier);
}
QString mhz(quint32 f) { // units of 100 Hz
    return QStringLiteral("%1.%2").arg(f / 10000).arg(f % 10000, 4, 10, QLatin1Char('0'));
}

// --- Running rules ----------------------------------------------------------------------------

// The command line has no edits of a capcode's record pending: a rule that would refresh the
// page collects nothing, and the page's refresh runs as the window's does.
RuleOutcome edited(S& s, const EditOutcome& o) {
    if (o.refused())
        return o.outcome;
    if (o.collectError.refused())
        return o.collectError;
    if (o.showSerialFeatures)
        s.showSerialFeatures();
    return RuleOutcome::ok();
}

// One field of a capcode's serial output record, changed as the window does it: the record as
// its edits show it, the field typed over, then collected back.
RuleOutcome setRecordField(S& s, At at,
                           const std::function<void(serialrules::FunctionBitTexts&)>& change) {
    const int c = at.a;
    serialrules::CapcodeRecordTexts texts = s.shownRecord(c);
    change(texts[at.b]);
    // Checked first, so a refused value changes nothing.
    ParamImage changed = s.image();
    try {
        serialrules::collectCapcodeRecord(changed, c, texts);
    } catch (const ConversionError& e) {
        return RuleOutcome::error(e.text());
    }
    s.image() = changed;
    return RuleOutcome::ok();
}

// "1,3,9" (or blanks between): the outputs switched on at power-up, every other one off, each
// as its box is set.
RuleOutcome setPowerUpOutputs(S& s, At, const Input& in) {
    std::array<bool, kOutputCount> on{};
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString& piece : in.text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = piece.toInt(&ok);
        if (!ok || n < 1 || n > kOutputCount)
            return RuleOutcome::error(msg::cli::notOutputList(in.text));
        on[n - 1] = true;
    }
    for (int i = 0; i < kOutputCount; ++i)
        s.setBox(numbered("chkOutput", i), on[i]);
    return RuleOutcome::ok();
}

// The record fields share their shape.
template <Record R> Value recordRead(const S& s, At at) {
    return optionalText(shown::recordPairs(s.image(), R, at.a, at.b));
}
template <Record R> QList<int> recordBytes(At at) {
    return QList<int>{recordLen(R, at.a, at.b)} + span(recordChar(R, at.a, at.b, 0), kRecordChars);
}
QString recordCaption(At at, const QString& field) {
    return capcodeCaption(at.a) + QLatin1Char(' ') + L::functionBit(at.b) + QLatin1Char(' ') +
           field;
}

// The function bits that hold anything, as `show --json` lists them.
QJsonArray functionBitsJson(const ParamImage& image) {
    QJsonArray bits;
    for (int c = 0; c < kCapcodeCount; ++c)
        for (int f = 0; f < kFunctionBits; ++f) {
            const QString header = shown::recordPairs(image, Record::Header, c, f);
            const QString trailer = shown::recordPairs(image, Record::Trailer, c, f);
            const QString timeout = shown::recordPairs(image, Record::Timeout, c, f);
            const bool intFunCmd = flags::isOn(image, flags::intFunCmd(c, f));
            bool fcSet = false;
            for (int l = 0; l < kFunCmdCodeLen; ++l)
                fcSet = fcSet || image.at(funCmdCode(c, f, l)) != 0;
            const QString fc = fcSet ? shown::funCmdPairs(image, c, f) : QString();
            if (header.isEmpty() && trailer.isEmpty() && timeout.isEmpty() && fc.isEmpty() &&
                !intFunCmd)
                continue;
            bits.append(QJsonObject{{"capcode", c + 1},
                                    {"bit", QString(bitLetter(f))},
                                    {"header", header},
                                    {"trailer", trailer},
                                    {"timeout", timeout},
                                    {"fc", fc},
                                    {"intFunCmd", intFunCmd}});
        }
    return bits;
}

QStringList powerUpBoxes() {
    QStringList names;
    for (int i = 0; i < kOutputCount; ++i)
        names << numbered("chkOutput", i);
    return names;
}

QList<int> none(At) {
    return {};
}
const QStringList& noItems() {
    static const QStringList empty;
    return empty;
}

} // namespace

// clang-format off
QString numbered(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}

const std::vector<Setting>& settingTable() {
    using enum Kind;
    using enum Group;
    using enum Layout;
    static const std::vector<Setting> rows = {
        {"modelTag", Shown, Top, Line,
         [](At) { return msg::cli::modelTag; }, nullptr,
         [](At) { return span(kModelTag, kModelTagLen); },
         [](const S& s, At) { return textValue(s.image().text(kModelTag, kModelTagLen - 1)); },
         nullptr, noItems, ""},

        // Frequency
        {"frequency.band", List, Frequency, Line,
         [](At) { return L::rangeOfFreq; }, [](At) { return QStringLiteral("cboDft"); },
         [](At) { return QList<int>{kBandIndex}; },
         [](const S& s, At) {
             return listValue(s, "cboDft", shown::bandCaptions(), s.image().at(kBandIndex));
         },
         [](S& s, At, const Input& in) {
             const RuleOutcome o = freqrules::chooseBand(s.image(), s.tuning(), in.item);
             s.showSynthesizer();
             return o;
         },
         shown::bandCaptions, "Range Of Freq.; commits the band's default frequency"},
        {"frequency.bandIndex", Shown, Frequency, Hidden,
         [](At) { return QString(); }, nullptr, none,
         [](const S& s, At) {
             const int band = s.image().at(kBandIndex);
             return Value{QString::number(band), band};
         },
         nullptr, noItems, "", false},
        {"frequency.freq", Number, Frequency, Line,
         [](At) { return L::freq; }, [](At) { return QStringLiteral("edtFreq"); },
         [](At) { return QList<int>{kBandIndex} + span(kPllR, 3) + span(kPllN, 4); },
         [](const S& s, At) {
             const shown::Synthesizer y = synth(s);
             if (!y.frequency)
                 return Value{orNone({}), QJsonValue()};
             return Value{QString::number(*y.frequency) + QStringLiteral(" (") + mhz(*y.frequency) +
                              QStringLiteral(" MHz)"),
                          qint64(*y.frequency)};
         },
         [](S& s, At, const Input& in) {
             const RuleOutcome o = freqrules::commitFrequency(s.image(), s.tuning(), in.text);
             s.showSynthesizer();
             return o;
         },
         noItems, "Freq., in units of 100 Hz (1590125)"},
        {"frequency.mhz", Shown, Frequency, Hidden,
         [](At) { return QString(); }, nullptr, none,
         [](const S& s, At) {
             const shown::Synthesizer y = synth(s);
             return y.frequency ? textValue(mhz(*y.frequency)) : Value{QString(), QJsonValue()};
         },
         nullptr, noItems, "", false},
        {"frequency.pllR", Shown, Frequency, Line,
         [](At) { return L::pllR; }, nullptr, [](At) { return span(kPllR, 3); },
         [](const S& s, At) { return textValue(synth(s).pllR); }, nullptr, noItems, ""},
        {"frequency.pllN", Shown, Frequency, Line,
         [](At) { return L::pllN; }, nullptr, [](At) { return span(kPllN, 4); },
         [](const S& s, At) { return textValue(synth(s).pllN); }, nullptr, noItems, ""},
        {"frequency.mult", Shown, Frequency, Line,
         [](At) { return L::mult; }, nullptr, none,
         [](const S& s, At) {
             const QString m = synth(s).mult;
             return Value{m, m.toInt()};
         },
         nullptr, noItems, "", false},
        {"frequency.channel", Shown, Frequency, Line,
         [](At) { return L::channel; }, nullptr, none,
         [](const S& s, At) {
             const QString c = synth(s).channel;
             return Value{orNone(c), c.isEmpty() ? QJsonValue() : QJsonValue(c)};
         },
         nullptr, noItems, "", false},
        {"frequency.channelStepHz", Shown, Frequency, Hidden,
         [](At) { return QString(); }, nullptr, none,
         [](const S& s, At) {
             const qint64 step = synth(s).channelStep;
             return Value{QString::number(step), step};
         },
         nullptr, noItems, "", false},
        {"frequency.baudRate", List, Frequency, Line,
         [](At) { return L::baudRate; }, [](At) { return QStringLiteral("cboBaud"); },
         [](At) { return QList<int>{kRxControl2, kRxControl3, kRxControl4, kBaudIndexByte}; },
         [](const S& s, At) { return listValue(s, "cboBaud", shown::pagingBaudCaptions(), 0); },
         [](S& s, At, const Input& in) {
             pagingrules::chooseBaud(s.image(), in.item);
             return RuleOutcome::ok();
         },
         shown::pagingBaudCaptions, "Baud Rate"},
        {"frequency.polarity", List, Frequency, Line,
         [](At) { return L::polarity; }, [](At) { return QStringLiteral("cboPolarity"); },
         [](At) { return QList<int>{kRxControl1}; },
         [](const S& s, At) { return listValue(s, "cboPolarity", shown::polarityCaptions(), 0); },
         [](S& s, At, const Input& in) {
             pagingrules::choosePolarity(s.image(), in.item);
             return RuleOutcome::ok();
         },
         shown::polarityCaptions, "Polarity"},

        // Capcodes
        {"capcodes.<capcode>.capcode", Number, Capcodes, CapcodeLine,
         [](At at) { return capcodeCaption(at.a); },
         [](At at) { return numbered("Edit", at.a + 1); },
         [](At at) { return span(capcode(at.a), 3); },
         [](const S& s, At at) { return textValue(shown::capcodeText(s.image(), at.a)); },
         [](S& s, At at, const Input& in) {
             return capcoderules::typeCapcode(s.image(), at.a, in.text);
         },
         noItems, "the capcode, 0..2097151"},
        {"capcodes.<capcode>.on", Box, Capcodes, InCapcodeLine,
         [](At at) { return capcodeCaption(at.a) + QLatin1Char(' ') + L::capcodeOn; },
         [](At at) { return numbered("CheckBox", at.a + 1); },
         [](At at) { return QList<int>{flags::capcodeOn(at.a).offset}; },
         nullptr,
         [](S& s, At at, const Input& in) {
             capcoderules::setCapcodeOn(s.image(), at.a, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "the capcode's ON box"},
        {"capcodes.<capcode>.types.<bit>", List, Capcodes, InCapcodeLine,
         [](At at) {
             return capcodeCaption(at.a) + QLatin1Char(' ') + L::funBit + QLatin1Char(' ') +
                    bitLetter(at.b);
         },
         [](At at) { return numbered("cboFun", at.a * kFunctionBits + at.b + 1); },
         [](At at) { return QList<int>{functionType(at.a, at.b)}; },
         [](const S& s, At at) {
             return listValue(s, numbered("cboFun", at.a * kFunctionBits + at.b + 1),
                              shown::messageTypeCaptions(), s.image().at(functionType(at.a, at.b)));
         },
         [](S& s, At at, const Input& in) {
             capcoderules::setMessageType(s.image(), at.a * kFunctionBits + at.b, in.item);
             return RuleOutcome::ok();
         },
         shown::messageTypeCaptions, "the message type of a function bit"},
        {"testMode", Box, Capcodes, Line,
         [](At) { return L::testMode; }, [](At) { return QStringLiteral("CheckBox7"); },
         [](At) { return QList<int>{kTestModeFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             capcoderules::setTestMode(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Test Mode"},

        // Serial output
        {"serialOutput.on", Box, SerialOutput, Line,
         [](At) { return L::serialOutputOn; }, [](At) { return QStringLiteral("chkCtl5"); },
         [](At) { return QList<int>{kSerialOutputOn}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), serialrules::kSerialOutputOnTag, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Serial Output ON"},
        {"serialOutput.uartBaud", List, SerialOutput, Line,
         [](At) { return L::uartBaud; }, [](At) { return QStringLiteral("ComboBox5"); },
         [](At) { return QList<int>{kUartBaudCode}; },
         [](const S& s, At) {
             return listValue(s, "ComboBox5", shown::uartSpeedCaptions(), s.image().at(kUartBaudCode));
         },
         [](S& s, At, const Input& in) {
             serialrules::setUartSpeed(s.image(), in.item);
             return RuleOutcome::ok();
         },
         shown::uartSpeedCaptions, "UART speed"},
        {"serialOutput.dataBits", List, SerialOutput, Line,
         [](At) { return L::dataBits; }, [](At) { return QStringLiteral("ComboBox4"); },
         [](At) { return QList<int>{kUartDataBits}; },
         [](const S& s, At) {
             return listValue(s, "ComboBox4", shown::dataBitsCaptions(), s.image().at(kUartDataBits));
         },
         [](S& s, At, const Input& in) {
             serialrules::setUartBits(s.image(), serialrules::kDataBitsTag,
                                      shown::dataBitsCaptions().value(in.item).toInt());
             return RuleOutcome::ok();
         },
         shown::dataBitsCaptions, "UART data bits"},
        {"serialOutput.parity", List, SerialOutput, Line,
         [](At) { return L::parity; }, [](At) { return QStringLiteral("ComboBox2"); },
         [](At) { return QList<int>{kUartParity}; },
         [](const S& s, At) {
             return listValue(s, "ComboBox2", shown::parityCaptions(), s.image().at(kUartParity));
         },
         [](S& s, At, const Input& in) {
             serialrules::setUartParity(s.image(), in.item);
             return RuleOutcome::ok();
         },
         shown::parityCaptions, "UART parity"},
        {"serialOutput.stopBits", List, SerialOutput, Line,
         [](At) { return L::stopBits; }, [](At) { return QStringLiteral("ComboBox3"); },
         [](At) { return QList<int>{kUartStopBits}; },
         [](const S& s, At) {
             return listValue(s, "ComboBox3", shown::stopBitsCaptions(), s.image().at(kUartStopBits));
         },
         [](S& s, At, const Input& in) {
             serialrules::setUartBits(s.image(), serialrules::kStopBitsTag,
                                      shown::stopBitsCaptions().value(in.item).toInt());
             return RuleOutcome::ok();
         },
         shown::stopBitsCaptions, "UART stop bits"},
        {"serialOutput.endCode", Text, SerialOutput, Line,
         [](At) { return L::endCode; }, [](At) { return QStringLiteral("Edit7"); },
         [](At) { return QList<int>{kEndCode}; },
         [](const S& s, At) { return textValue(shown::hex(s.image().at(kEndCode), 2)); },
         [](S& s, At, const Input& in) {
             return edited(s, serialrules::endCodeExit(s.image(), in.text));
         },
         noItems, "End Code, two hexadecimal digits (0D)"},
        {"serialOutput.msgTimeOutDelay", Number, SerialOutput, Line,
         [](At) { return L::msgTimeOutDelay; }, [](At) { return QStringLiteral("edtMDly"); },
         [](At) { return QList<int>{kMsgTimeoutDelay, kMsgTimeoutDelay + 1, kMsgDelayOn}; },
         [](const S& s, At) { return numberValue(shown::msgTimeoutDelay(s.image()), L::seconds); },
         [](S& s, At, const Input& in) {
             return edited(s, serialrules::msgTimeoutDelayExit(s.image(), in.text,
                                                               serialrules::PendingRecord::none()));
         },
         noItems, "Msg Time Out Delay, seconds 0..65000"},
        {"serialOutput.funCmdOutputFilterDisable", Box, SerialOutput, Line,
         [](At) { return L::funCmdFilterDisable; }, [](At) { return QStringLiteral("chkCtl2"); },
         [](At) { return QList<int>{serialCtl(2)}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), 2, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Fun. Cmd. Output Filter Disable"},
        {"serialOutput.insertCrBeforeLf", Box, SerialOutput, Line,
         [](At) { return L::insertCrBeforeLf; }, [](At) { return QStringLiteral("chkCtl3"); },
         [](At) { return QList<int>{serialCtl(3)}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), 3, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Insert CR before LF"},
        {"serialOutput.insertLfAfterCr", Box, SerialOutput, Line,
         [](At) { return L::insertLfAfterCr; }, [](At) { return QStringLiteral("chkCtl4"); },
         [](At) { return QList<int>{serialCtl(4)}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), 4, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Insert LF after CR"},
        {"serialOutput.fcAsPassword", Box, SerialOutput, Line,
         [](At) { return L::fcAsPassword; }, [](At) { return QStringLiteral("chkFunPass"); },
         [](At) { return QList<int>{kFcAsPasswordFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setFcAsPassword(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "FC as password"},
        {"serialOutput.serialLed", Box, SerialOutput, Line,
         [](At) { return L::serialLed; }, [](At) { return QStringLiteral("CheckBox8"); },
         [](At) { return QList<int>{kSerialLedFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             const serialrules::SerialLedEffect e = serialrules::applySerialLed(s.image(), in.checked);
             if (e.uartSpeedItem)
                 s.setItem(QStringLiteral("ComboBox5"), *e.uartSpeedItem);
             return RuleOutcome::ok();
         },
         noItems, "the sign's LED format (the UART then runs at 19200)"},
        {"serialOutput.rtsEnable", Box, SerialOutput, Line,
         [](At) { return L::rtsEnable; }, [](At) { return QStringLiteral("CheckBox9"); },
         [](At) { return QList<int>{kRtsFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setRts(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "RTS enable"},
        {"serialOutput.functionBits", Shown, SerialOutput, Hidden,
         [](At) { return QString(); }, nullptr, none,
         [](const S& s, At) { return Value{QString(), functionBitsJson(s.image())}; },
         nullptr, noItems, "", false},
        {"serialOutput.records.<capcode>.<bit>.header", RecordText, SerialOutput, RecordLine,
         [](At at) { return recordCaption(at, L::headerChars); },
         [](At at) { return numbered("edtHeader", at.b); }, recordBytes<Record::Header>,
         recordRead<Record::Header>,
         [](S& s, At at, const Input& in) {
             return setRecordField(s, at, [&](auto& t) { t.header = in.text; });
         },
         noItems, "header characters as pairs (0D;0A;)"},
        {"serialOutput.records.<capcode>.<bit>.trailer", RecordText, SerialOutput, InRecordLine,
         [](At at) { return recordCaption(at, L::trailerChars); },
         [](At at) { return numbered("edtTrailer", at.b); }, recordBytes<Record::Trailer>,
         recordRead<Record::Trailer>,
         [](S& s, At at, const Input& in) {
             return setRecordField(s, at, [&](auto& t) { t.trailer = in.text; });
         },
         noItems, "trailer characters as pairs"},
        {"serialOutput.records.<capcode>.<bit>.timeout", RecordText, SerialOutput, InRecordLine,
         [](At at) { return recordCaption(at, L::timeoutChars); },
         [](At at) { return numbered("edtTimeout", at.b); }, recordBytes<Record::Timeout>,
         recordRead<Record::Timeout>,
         [](S& s, At at, const Input& in) {
             return setRecordField(s, at, [&](auto& t) { t.timeout = in.text; });
         },
         noItems, "time-out characters as pairs"},
        {"serialOutput.records.<capcode>.<bit>.fc", RecordText, SerialOutput, InRecordLine,
         [](At at) { return recordCaption(at, msg::cli::funCmdCode); },
         [](At at) { return numbered("edtFC", at.b); },
         [](At at) { return span(funCmdCode(at.a, at.b, 0), kFunCmdCodeLen); },
         [](const S& s, At at) { return textValue(shown::funCmdPairs(s.image(), at.a, at.b)); },
         [](S& s, At at, const Input& in) {
             return setRecordField(s, at, [&](auto& t) { t.funCmd = in.text; });
         },
         noItems, "function command code as pairs"},
        {"serialOutput.records.<capcode>.<bit>.intFunCmd", RecordBox, SerialOutput, InRecordLine,
         [](At at) { return recordCaption(at, L::intFunCmd); },
         [](At at) { return numbered("chkOpCmd", at.b); },
         [](At at) { return QList<int>{intFunCmd(at.a, at.b)}; },
         [](const S& s, At at) {
             return boxValue(flags::isOn(s.image(), flags::intFunCmd(at.a, at.b)));
         },
         [](S& s, At at, const Input& in) {
             return setRecordField(s, at, [&](auto& t) { t.intFunCmd = in.checked; });
         },
         noItems, "Int. Fun. Cmd."},

        // Output features
        {"outputFeatures.funCmdChecksum", Box, OutputFeatures, Line,
         [](At) { return L::funCmdChecksum; }, [](At) { return QStringLiteral("chkCtl0"); },
         [](At) { return QList<int>{serialCtl(0)}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), 0, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Fun. Cmd. Checksum"},
        {"outputFeatures.funCmdEnable", Box, OutputFeatures, Line,
         [](At) { return L::funCmdEnable; }, [](At) { return QStringLiteral("chkCtl1"); },
         [](At) { return QList<int>{serialCtl(1)}; }, nullptr,
         [](S& s, At, const Input& in) {
             serialrules::setSerialOption(s.image(), 1, in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Fun. Cmd. Enable"},
        {"outputFeatures.funCmdPassword1", Text, OutputFeatures, Line,
         [](At) { return L::funCmdPassword1; }, [](At) { return QStringLiteral("Edit9"); },
         [](At) { return span(kFcPassword1Len, 1 + kPasswordLen); },
         [](const S& s, At) { return optionalText(shown::fcPassword(s.image(), 1)); },
         [](S& s, At, const Input& in) {
             return edited(s, passwordrules::fcPasswordExit(s.image(), 1, in.text));
         },
         noItems, "function command password 1, up to 10 characters"},
        {"outputFeatures.funCmdPassword2", Text, OutputFeatures, Line,
         [](At) { return L::funCmdPassword2; }, [](At) { return QStringLiteral("Edit10"); },
         [](At) { return span(kFcPassword2Len, 1 + kPasswordLen); },
         [](const S& s, At) { return optionalText(shown::fcPassword(s.image(), 2)); },
         [](S& s, At, const Input& in) {
             return edited(s, passwordrules::fcPasswordExit(s.image(), 2, in.text));
         },
         noItems, "function command password 2, up to 10 characters"},
        {"outputFeatures.preScaler", List, OutputFeatures, Line,
         [](At) { return L::preScaler; }, [](At) { return QStringLiteral("cboScaler"); },
         [](At) { return QList<int>{kPeriodPrescaler}; },
         [](const S& s, At) {
             return listValue(s, "cboScaler", shown::prescalerCaptions(),
                              s.image().at(kPeriodPrescaler));
         },
         [](S& s, At, const Input& in) {
             return edited(s, periodrules::prescalerPick(s.image(), s.periodScale(), in.item,
                                                        serialrules::PendingRecord::none()));
         },
         shown::prescalerCaptions, "the periods' unit; the periods keep their length"},
        {"outputFeatures.periodSeconds.<output>", Number, OutputFeatures, Line,
         [](At at) { return L::outputPeriod(at.a); },
         [](At at) { return numbered("edtPlsPer", at.a); },
         [](At at) { return QList<int>{outputPeriod(at.a), kPeriodPrescaler}; },
         [](const S& s, At at) {
             const QString p = shown::periodSeconds(s.image(), at.a);
             return Value{p + QLatin1Char(' ') + L::periodUnit, p};
         },
         [](S& s, At at, const Input& in) {
             return edited(s, periodrules::periodExit(s.image(), s.periodScale(), at.a, in.text,
                                                     serialrules::PendingRecord::none()));
         },
         noItems, "an output's period in seconds (2.5)"},
        {"outputFeatures.powerUpOutput", Box, OutputFeatures, PowerUpLine,
         [](At) { return L::powerUpOutput; }, [](At) { return QStringLiteral("chkPower"); },
         [](At) { return QList<int>{kPowerUpFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             outputrules::setPowerUpFlag(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Power Up Output"},
        // The nine boxes chkOutput0..8 as one list of numbers.
        {"outputFeatures.powerUpOutputs", Text, OutputFeatures, InPowerUpLine,
         [](At) { return L::powerUpOutput + msg::cli::outputsCaption; }, nullptr,
         [](At) { return QList<int>{kPowerUpOutputs, kPowerUpOutputs2}; },
         [](const S& s, At) {
             QStringList on;
             QJsonArray json;
             for (int i = 0; i < kOutputCount; ++i)
                 if (s.box(numbered("chkOutput", i))) {
                     on << QString::number(i + 1);
                     json.append(i + 1);
                 }
             return Value{on.isEmpty() ? msg::cli::none : on.join(QLatin1Char(' ')), json};
         },
         setPowerUpOutputs, noItems, "the outputs on at power-up (1,3,9)", true, powerUpBoxes,
         [](S& s, int i, bool on) { outputrules::setPowerUpOutput(s.image(), i, on); }},
        {"outputFeatures.powerReceivingOutputEnable", Box, OutputFeatures, Line,
         [](At) { return L::roeEnable; }, [](At) { return QStringLiteral("chkROE"); },
         [](At) { return QList<int>{kRoeFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             outputrules::setRoe(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Power receiving output enable"},
        {"outputFeatures.outOfRangeOutputEnable", Box, OutputFeatures, Line,
         [](At) { return L::orcEnable; }, [](At) { return QStringLiteral("chkORC"); },
         [](At) { return QList<int>{kOrcFlag}; }, nullptr,
         [](S& s, At, const Input& in) {
             outputrules::setOrc(s.image(), in.checked);
             return RuleOutcome::ok();
         },
         noItems, "Out of range output enable"},

        // Features
        {"features.sequentialLock", Number, Features, Line,
         [](At) { return L::sequentialLock; }, [](At) { return QStringLiteral("edtSLC"); },
         [](At) { return QList<int>{kSequentialLock}; },
         [](const S& s, At) { return numberValue(s.image().at(kSequentialLock), L::seconds); },
         [](S& s, At, const Input& in) {
             return edited(s, featurerules::byteSettingExit(s.image(), featurerules::kSequentialLockTag,
                                                            in.text, serialrules::PendingRecord::none()));
         },
         noItems, "Sequential Lock, seconds 0..255"},
        {"features.language", List, Features, Line,
         [](At) { return L::language; }, [](At) { return QStringLiteral("cboLng"); },
         [](At) { return QList<int>{kLanguageCode}; },
         [](const S& s, At) {
             return listValue(s, "cboLng", shown::languageCaptions(), s.image().at(kLanguageCode));
         },
         [](S& s, At, const Input& in) {
             featurerules::setLanguage(s.image(), in.item);
             return RuleOutcome::ok();
         },
         shown::languageCaptions, "Language"},
        {"features.outOfRangeTimeOut", Number, Features, Line,
         [](At) { return L::outOfRangeTimeOut; }, [](At) { return QStringLiteral("edtORC"); },
         [](At) { return QList<int>{kOutOfRangeTimeout}; },
         [](const S& s, At) { return numberValue(s.image().at(kOutOfRangeTimeout), L::minutes); },
         [](S& s, At, const Input& in) {
             return edited(s, featurerules::byteSettingExit(s.image(), featurerules::kOutOfRangeTimeoutTag,
                                                            in.text, serialrules::PendingRecord::none()));
         },
         noItems, "Out Of Range Time Out, minutes 0..255"},
        {"features.airPassword", Text, Features, Line,
         [](At) { return L::airPassword; }, [](At) { return QStringLiteral("edtPassword"); },
         [](At) { return span(kAirPassword, kPasswordLen); },
         [](const S& s, At) { return optionalText(shown::airPassword(s.image())); },
         [](S& s, At, const Input& in) {
             return edited(s, passwordrules::accessPasswordExit(s.image(), passwordrules::kAirPasswordTag,
                                                                in.text));
         },
         noItems, "Air Prm. PW, up to 10 characters"},
        {"features.readPassword", Text, Features, Line,
         [](At) { return L::readPassword; }, [](At) { return QStringLiteral("edtReadPass"); },
         [](At) { return span(kReadPassword, kPasswordLen); },
         [](const S& s, At) { return optionalText(shown::readPassword(s.image())); },
         [](S& s, At, const Input& in) {
             return edited(s, passwordrules::accessPasswordExit(s.image(), passwordrules::kReadPasswordTag,
                                                                in.text));
         },
         noItems, "Read Password, up to 10 characters"},
    };
    return rows;
}
// clang-format on

namespace {

// The first placeholder of a key from `from` on: where it starts, and its slot.
struct Placeholder {
    qsizetype at = -1;
    const Slot* slot = nullptr;
};
Placeholder nextPlaceholder(const QString& key, qsizetype from) {
    Placeholder best;
    for (const Slot& s : keySlots()) {
        const qsizetype i = key.indexOf(QLatin1String(s.name), from);
        if (i >= 0 && (best.at < 0 || i < best.at))
            best = {i, &s};
    }
    return best;
}

// Rows [first, last) with `done` placeholders bound: runs of rows that share the next
// placeholder (and everything before it) are expanded together, position by position.
void expand(QList<Instance>& out, const std::vector<Setting>& rows, size_t first, size_t last,
            int done, At at, const QStringList& bound) {
    auto boundKey = [&](const Setting& r) {
        QString key = QString::fromLatin1(r.key);
        for (const QString& value : bound) {
            const Placeholder p = nextPlaceholder(key, 0);
            key.replace(p.at, qsizetype(strlen(p.slot->name)), value);
        }
        return key;
    };
    for (size_t i = first; i < last;) {
        const QString key = boundKey(rows[i]);
        const Placeholder p = nextPlaceholder(key, 0);
        if (p.at < 0) {
            out << Instance{&rows[i], at, key};
            ++i;
            continue;
        }
        const QString prefix = key.left(p.at + qsizetype(strlen(p.slot->name)));
        size_t j = i + 1;
        while (j < last && boundKey(rows[j]).startsWith(prefix))
            ++j;
        for (int v = 0; v < p.slot->values.size(); ++v) {
            At next = at;
            (done == 0 ? next.a : next.b) = v;
            expand(out, rows, i, j, done + 1, next, bound + QStringList{p.slot->values.at(v)});
        }
        i = j;
    }
}

} // namespace

Value Instance::read(const EditSession& s) const {
    // A box shows what its control holds.
    return row->read ? row->read(s, at) : boxValue(s.box(control()));
}

const QList<Instance>& instances() {
    static const QList<Instance> all = [] {
        QList<Instance> out;
        const std::vector<Setting>& rows = settingTable();
        expand(out, rows, 0, rows.size(), 0, At{}, {});
        return out;
    }();
    return all;
}

const Instance* findInstance(const QString& path) {
    static const QHash<QString, const Instance*> byPath = [] {
        QHash<QString, const Instance*> h;
        for (const Instance& i : instances())
            h.insert(i.path, &i);
        return h;
    }();
    return byPath.value(path, nullptr);
}

const Instance* findControl(const QString& objectName) {
    static const QHash<QString, const Instance*> byControl = [] {
        QHash<QString, const Instance*> h;
        for (const Instance& i : instances()) {
            if (i.row->control && !h.contains(i.control()))
                h.insert(i.control(), &i);
            if (i.row->family)
                for (const QString& name : i.row->family())
                    h.insert(name, &i);
        }
        return h;
    }();
    return byControl.value(objectName, nullptr);
}

void runBoxRule(EditSession& session, const QString& control, bool on) {
    const Instance* i = findControl(control);
    if (!i)
        return;
    if (i->row->family) {
        i->row->familyRule(session, int(i->row->family().indexOf(control)), on);
        return;
    }
    if (i->row->kind == Kind::Box && i->row->rule)
        i->row->rule(session, i->at, Input{-1, QString(), on});
}

RuleOutcome apply(EditSession& session, const Instance& setting, const Input& input) {
    const Setting& row = *setting.row;
    if (!row.rule)
        return RuleOutcome::ok();
    switch (row.kind) {
    case Kind::Box:
        session.setBox(setting.control(), input.checked);
        return RuleOutcome::ok();
    case Kind::List:
        // The window's lists run their rule on every pick, the item it had included.
        session.setItem(setting.control(), input.item);
        return row.rule(session, setting.at, input);
    default:
        return row.rule(session, setting.at, input);
    }
}

const std::vector<Slot>& keySlots() {
    static const std::vector<Slot> s = {
        {"<capcode>", {"1", "2", "3", "4", "5", "6"}, "1..6"},
        {"<bit>", {"A", "B", "C", "D"}, "A..D"},
        {"<output>", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "1..9"},
    };
    return s;
}

namespace {
// The list item a value names: its caption exactly, or else the one caption it matches
// without regard to case and surrounding blanks (" 512 bps" as "512 bps").
int findItem(const QStringList& items, const QString& value) {
    if (const qsizetype i = items.indexOf(value); i >= 0)
        return int(i);
    int found = -1;
    for (int i = 0; i < items.size(); ++i)
        if (items[i].trimmed().compare(value.trimmed(), Qt::CaseInsensitive) == 0) {
            if (found >= 0)
                return -1;
            found = i;
        }
    return found;
}
} // namespace

bool readInput(const Setting& row, const QString& value, Input& input) {
    switch (row.kind) {
    case Kind::List:
        input.item = findItem(row.items(), value);
        return input.item >= 0;
    case Kind::Box:
    case Kind::RecordBox:
        input.checked = value == QLatin1String("true");
        return input.checked || value == QLatin1String("false");
    default:
        input.text = value;
        return true;
    }
}

QString valuesTaken(const Setting& row) {
    switch (row.kind) {
    case Kind::List: {
        QStringList q;
        for (const QString& i : row.items())
            q << QLatin1Char('"') + i + QLatin1Char('"');
        return QStringLiteral("one of ") + q.join(QStringLiteral(", "));
    }
    case Kind::Box:
    case Kind::RecordBox:
        return QStringLiteral("true or false");
    default:
        return QStringLiteral("text");
    }
}

QStringList keyPatterns() {
    QStringList out;
    for (const Setting& row : settingTable())
        if (row.rule)
            out << QString::fromLatin1(row.key);
    return out;
}

QStringList settableKeys() {
    QStringList out;
    for (const Instance& i : instances())
        if (i.row->rule)
            out << i.path;
    return out;
}

const Instance* findKey(const QString& key) {
    const Instance* i = findInstance(key);
    return i && i->row->rule ? i : nullptr;
}

SetResult applySetting(EditSession& session, const QString& key, const QString& value,
                       RuleOutcome* outcome) {
    const Instance* i = findKey(key);
    if (!i)
        return SetResult::UnknownKey;
    Input input;
    if (!readInput(*i->row, value, input))
        return SetResult::NotAValue;
    *outcome = apply(session, *i, input);
    return outcome->refused() ? SetResult::Refused : SetResult::Done;
}

} // namespace settings
