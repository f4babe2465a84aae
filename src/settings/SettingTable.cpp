// The rows of every setting, in the order `show` prints them. A row names its key, caption,
// control and what it is (a flag at an offset, a coded list over a byte); the builders of
// RowBuilders.cpp derive the rest. The few settings with rules of their own are written out
// first, with designated initialisers; their rules stay in editor/.
#include "settings/SettingTable.h"

#include "core/Messages.h"
#include "editor/CapcodeRules.h"
#include "editor/FeatureRules.h"
#include "editor/FrequencyRules.h"
#include "editor/PagingRules.h"
#include "editor/PasswordRules.h"
#include "editor/PeriodRules.h"
#include "settings/EditSession.h"
#include "settings/RowBuilders.h"

using namespace layout;

namespace settings {

namespace {

using namespace rows;
namespace L = msg::label;
using enum Kind;
using enum Layout;

// --- Values shown but never typed --------------------------------------------------------------

Value modelTag(const S& s) {
    return textValue(s.image().text(kModelTag, kModelTagLen - 1));
}
Value bandIndex(const S& s) {
    const int band = s.image().at(kBandIndex);
    return {QString::number(band), band};
}
Value frequencyMhz(const S& s) {
    const shown::Synthesizer y = synth(s);
    return y.frequency ? textValue(mhz(*y.frequency)) : Value{QString(), QJsonValue()};
}
Value pllR(const S& s) {
    return textValue(synth(s).pllR);
}
Value pllN(const S& s) {
    return textValue(synth(s).pllN);
}
Value mult(const S& s) {
    const QString m = synth(s).mult;
    return {m, m.toInt()};
}
Value channel(const S& s) {
    const QString c = synth(s).channel;
    return {orNone(c), c.isEmpty() ? QJsonValue() : QJsonValue(c)};
}
Value channelStep(const S& s) {
    const qint64 step = synth(s).channelStep;
    return {QString::number(step), step};
}
Value functionBits(const S& s) {
    return {QString(), functionBitsJson(s.image())};
}

// --- Settings with rules of their own -----------------------------------------------------------

Setting bandList() {
    return {
        .key = "frequency.band",
        .kind = List,
        .caption = L::rangeOfFreq,
        .control = "cboDft",
        .bytes = QList<int>{kBandIndex},
        // The band's default frequency is committed with it.
        .alsoWrites = span(kPllR, 3) + span(kPllN, 4),
        .read = [](const S& s, const I& i) { return itemValue(s, i, s.image().at(kBandIndex)); },
        .rule = pick([](S& s, int item) {
            const RuleOutcome o = freqrules::chooseBand(s.image(), s.tuning(), item);
            s.showSynthesizer();
            return o;
        }),
        // The channel step follows the band, as the window's synthesizer labels do.
        .show =
            [](S& s, const I& i) {
                s.tuning().channelStep = synth(s).channelStep;
                const quint8 band = s.image().at(kBandIndex);
                s.setItem(i.path, band < shown::kBandCount ? band : -1);
            },
        .items = shown::bandCaptions(),
        .help = "Range Of Freq.; commits the band's default frequency"};
}

Setting frequencyEdit() {
    return {.key = "frequency.freq",
            .kind = Number,
            .caption = L::freq,
            .control = "edtFreq",
            .bytes = QList<int>{kBandIndex} + span(kPllR, 3) + span(kPllN, 4),
            .read =
                [](const S& s, const I&) {
                    const shown::Synthesizer y = synth(s);
                    if (!y.frequency)
                        return Value{orNone({}), QJsonValue()};
                    return Value{QString::number(*y.frequency) + QStringLiteral(" (") +
                                     mhz(*y.frequency) + QStringLiteral(" MHz)"),
                                 qint64(*y.frequency)};
                },
            .rule =
                [](S& s, const I&, const Input& in) {
                    const RuleOutcome o =
                        freqrules::commitFrequency(s.image(), s.tuning(), in.text);
                    s.showSynthesizer();
                    return o;
                },
            .help = "Freq., in units of 100 Hz (1590125)"};
}

// The paging baud rate and polarity are bits of the receiver's control bytes.
Setting baudRateList() {
    return {.key = "frequency.baudRate",
            .kind = List,
            .caption = L::baudRate,
            .control = "cboBaud",
            .bytes = QList<int>{kRxControl2, kRxControl3, kRxControl4, kBaudIndexByte},
            .read = [](const S& s, const I& i) { return itemValue(s, i, 0); },
            .rule = pick([](S& s, int item) {
                pagingrules::chooseBaud(s.image(), item);
                return RuleOutcome::ok();
            }),
            .show = [](S& s, const I& i) { s.setItem(i.path, shown::pagingBaudItem(s.image())); },
            .items = shown::pagingBaudCaptions(),
            .help = "Baud Rate"};
}
Setting polarityList() {
    return {.key = "frequency.polarity",
            .kind = List,
            .caption = L::polarity,
            .control = "cboPolarity",
            .bytes = QList<int>{kRxControl1},
            .read = [](const S& s, const I& i) { return itemValue(s, i, 0); },
            .rule = pick([](S& s, int item) {
                pagingrules::choosePolarity(s.image(), item);
                return RuleOutcome::ok();
            }),
            .show = [](S& s, const I& i) { s.setItem(i.path, shown::polarityItem(s.image())); },
            .items = shown::polarityCaptions(),
            .help = "Polarity"};
}

Setting capcodeEdit() {
    return {.key = "capcodes.<capcode>.capcode",
            .kind = Number,
            .layout = CapcodeLine,
            .caption = [](At at) { return capcodeCaption(at.a); },
            .control = numberedAt("Edit", [](At at) { return at.a + 1; }),
            .bytes = [](At at) { return span(capcode(at.a), 3); },
            .read = [](const S& s,
                       const I& i) { return textValue(shown::capcodeText(s.image(), i.at.a)); },
            .rule =
                [](S& s, const I& i, const Input& in) {
                    return capcoderules::typeCapcode(s.image(), i.at.a, in.text);
                },
            .help = "the capcode, 0..2097151"};
}

Setting endCodeEdit() {
    return {.key = "serialOutput.endCode",
            .kind = Text,
            .caption = L::endCode,
            .control = "Edit7",
            .bytes = QList<int>{kEndCode},
            .read = [](const S& s,
                       const I&) { return textValue(shown::hex(s.image().at(kEndCode), 2)); },
            .edit = [](S& s, const I&,
                       const Input& in) { return serialrules::endCodeExit(s.image(), in.text); },
            .help = "End Code, two hexadecimal digits (0D)"};
}

Setting msgTimeoutDelayEdit() {
    return {
        .key = "serialOutput.msgTimeOutDelay",
        .kind = Number,
        .caption = L::msgTimeOutDelay,
        .control = "edtMDly",
        .bytes = QList<int>{kMsgTimeoutDelay, kMsgTimeoutDelay + 1, kMsgDelayOn},
        .read = [](const S& s,
                   const I&) { return numberValue(shown::msgTimeoutDelay(s.image()), L::seconds); },
        .edit =
            [](S& s, const I&, const Input& in) {
                return serialrules::msgTimeoutDelayExit(s.image(), in.text, s.pendingRecord());
            },
        .help = "Msg Time Out Delay, seconds 0..65000"};
}

// On, the sign's LED format runs the UART at 19200, and the UART list shows it.
Setting serialLedBox() {
    Setting led = flagBox("serialOutput.serialLed", L::serialLed, "CheckBox8", flags::serialLed,
                          "the sign's LED format (the UART then runs at 19200)");
    led.alsoWrites = QList<int>{kUartBaudCode};
    led.rule = [](S& s, const I&, const Input& in) {
        const serialrules::SerialLedEffect e = serialrules::applySerialLed(s.image(), in.checked);
        if (e.uartSpeedItem)
            s.setItem(QStringLiteral("serialOutput.uartBaud"), *e.uartSpeedItem);
        return RuleOutcome::ok();
    };
    return led;
}

Setting funCmdField() {
    return recordField(
        "serialOutput.records.<capcode>.<bit>.fc", RecordText, msg::cli::funCmdCode, "edtFC",
        [](At at) { return span(funCmdCode(at.a, at.b, 0), kFunCmdCodeLen); },
        [](const S& s, At at) { return textValue(shown::funCmdPairs(s.image(), at.a, at.b)); },
        [](serialrules::FunctionBitTexts& t, const Input& in) { t.funCmd = in.text; },
        "function command code as pairs");
}
Setting intFunCmdField() {
    return recordField(
        "serialOutput.records.<capcode>.<bit>.intFunCmd", RecordBox, L::intFunCmd, "chkOpCmd",
        [](At at) { return QList<int>{intFunCmd(at.a, at.b)}; },
        [](const S& s, At at) {
            return boxValue(flags::isOn(s.image(), flags::intFunCmd(at.a, at.b)));
        },
        [](serialrules::FunctionBitTexts& t, const Input& in) { t.intFunCmd = in.checked; },
        "Int. Fun. Cmd.");
}

// The refresh shows the unit and runs its rule itself (EditSession::refresh).
Setting preScalerList() {
    QList<int> periods;
    for (int o = 0; o < kOutputCount; ++o)
        periods << outputPeriod(o);
    return {.key = "outputFeatures.preScaler",
            .kind = List,
            .caption = L::preScaler,
            .control = "cboScaler",
            .bytes = QList<int>{kPeriodPrescaler},
            // The periods keep their length in the new unit.
            .alsoWrites = periods,
            .read = [](const S& s,
                       const I& i) { return itemValue(s, i, s.image().at(kPeriodPrescaler)); },
            .edit =
                [](S& s, const I&, const Input& in) {
                    return periodrules::prescalerPick(s.image(), s.periodScale(), in.item,
                                                      s.pendingRecord());
                },
            .items = shown::prescalerCaptions(),
            .help = "the periods' unit; the periods keep their length"};
}

Setting periodEdit() {
    return {.key = "outputFeatures.periodSeconds.<output>",
            .kind = Number,
            .caption = [](At at) { return L::outputPeriod(at.a); },
            .control = numberedAt("edtPlsPer", [](At at) { return at.a; }),
            .bytes =
                [](At at) {
                    return QList<int>{outputPeriod(at.a), kPeriodPrescaler};
                },
            .read =
                [](const S& s, const I& i) {
                    const QString p = shown::periodSeconds(s.image(), i.at.a);
                    return Value{p + QLatin1Char(' ') + L::periodUnit, p};
                },
            .edit =
                [](S& s, const I& i, const Input& in) {
                    return periodrules::periodExit(s.image(), s.periodScale(), i.at.a, in.text,
                                                   s.pendingRecord());
                },
            .help = "an output's period in seconds (2.5)"};
}

// The nine boxes chkOutput0..8 as one list of numbers.
Setting powerUpOutputs() {
    return {.key = "outputFeatures.powerUpOutputs",
            .kind = Text,
            .layout = InPowerUpLine,
            .caption = L::powerUpOutput + msg::cli::outputsCaption,
            .bytes = QList<int>{kPowerUpOutputs, kPowerUpOutputs2},
            .read =
                [](const S& s, const I& i) {
                    QStringList on;
                    QJsonArray json;
                    for (int o = 0; o < kOutputCount; ++o)
                        if (s.box(i.memberKey(o))) {
                            on << QString::number(o + 1);
                            json.append(o + 1);
                        }
                    return Value{on.isEmpty() ? msg::cli::none : on.join(QLatin1Char(' ')), json};
                },
            .rule = setPowerUpOutputs,
            .show =
                [](S& s, const I& i) {
                    for (int o = 0; o < kOutputCount; ++o)
                        s.setBox(i.memberKey(o), flags::isOn(s.image(), flags::powerUpOutput(o)));
                },
            .help = "the outputs on at power-up (1,3,9)",
            .familySize = kOutputCount,
            .familyControl = [](int o) { return numbered("chkOutput", o); },
            .familyRule = [](S& s, int o,
                             bool on) { flags::setOn(s.image(), flags::powerUpOutput(o), on); }};
}

// The positions of the capcode rows as their controls number them.
int capcodeNumber(At at) {
    return at.a + 1;
}
int typeListNumber(At at) {
    return at.a * kFunctionBits + at.b + 1;
}
flags::Flag capcodeOnFlag(At at) {
    return flags::capcodeOn(at.a);
}
int typeByte(At at) {
    return functionType(at.a, at.b);
}
QString capcodeOnCaption(At at) {
    return capcodeCaption(at.a) + QLatin1Char(' ') + L::capcodeOn;
}
QString typeCaption(At at) {
    return capcodeCaption(at.a) + QLatin1Char(' ') + L::funBit + QLatin1Char(' ') + bitLetter(at.b);
}

// Rows of a group of `show`, in order.
void section(std::vector<Setting>& out, Group group, std::initializer_list<Setting> rows) {
    for (Setting r : rows) {
        r.group = group;
        if (r.edit)
            r.rule = editRule;
        out.push_back(std::move(r));
    }
}

} // namespace

const std::vector<Setting>& settingTable() {
    using enum Group;
    using enum Unknown;
    namespace P = passwordrules;
    namespace F = featurerules;
    static const std::vector<Setting> table = [] {
        std::vector<Setting> t;
        section(
            t, Top,
            {
                shownValue("modelTag", msg::cli::modelTag, span(kModelTag, kModelTagLen), modelTag),
            });

        section(t, Frequency,
                {
                    bandList(),
                    shownValue("frequency.bandIndex", {}, {}, bandIndex, false),
                    frequencyEdit(),
                    shownValue("frequency.mhz", {}, {}, frequencyMhz, false),
                    shownValue("frequency.pllR", L::pllR, span(kPllR, 3), pllR),
                    shownValue("frequency.pllN", L::pllN, span(kPllN, 4), pllN),
                    shownValue("frequency.mult", L::mult, {}, mult, false),
                    shownValue("frequency.channel", L::channel, {}, channel, false),
                    shownValue("frequency.channelStepHz", {}, {}, channelStep, false),
                    baudRateList(),
                    polarityList(),
                });

        section(
            t, Capcodes,
            {
                capcodeEdit(),
                laidOut(InCapcodeLine, flagBox("capcodes.<capcode>.on", capcodeOnCaption,
                                               numberedAt("CheckBox", capcodeNumber), capcodeOnFlag,
                                               "the capcode's ON box")),
                laidOut(InCapcodeLine, codedList("capcodes.<capcode>.types.<bit>", typeCaption,
                                                 numberedAt("cboFun", typeListNumber), typeByte,
                                                 shown::coded::messageType(), NoItem,
                                                 "the message type of a function bit")),
                flagBox("testMode", L::testMode, "CheckBox7", zeroIsOn(kTestModeFlag), "Test Mode"),
            });

        section(t, SerialOutput,
                {
                    flagBox("serialOutput.on", L::serialOutputOn, "chkCtl5", flags::serialOutputOn,
                            "Serial Output ON"),
                    codedList("serialOutput.uartBaud", L::uartBaud, "ComboBox5", kUartBaudCode,
                              shown::coded::uartSpeed(), Kept, "UART speed"),
                    codedList("serialOutput.dataBits", L::dataBits, "ComboBox4", kUartDataBits,
                              shown::coded::dataBits(), NoItem, "UART data bits"),
                    codedList("serialOutput.parity", L::parity, "ComboBox2", kUartParity,
                              shown::coded::parity(), Kept, "UART parity"),
                    codedList("serialOutput.stopBits", L::stopBits, "ComboBox3", kUartStopBits,
                              shown::coded::stopBits(), NoItem, "UART stop bits"),
                    endCodeEdit(),
                    msgTimeoutDelayEdit(),
                    flagBox("serialOutput.funCmdOutputFilterDisable", L::funCmdFilterDisable,
                            "chkCtl2", flags::serialCtl(2), "Fun. Cmd. Output Filter Disable"),
                    flagBox("serialOutput.insertCrBeforeLf", L::insertCrBeforeLf, "chkCtl3",
                            flags::serialCtl(3), "Insert CR before LF"),
                    flagBox("serialOutput.insertLfAfterCr", L::insertLfAfterCr, "chkCtl4",
                            flags::serialCtl(4), "Insert LF after CR"),
                    flagBox("serialOutput.fcAsPassword", L::fcAsPassword, "chkFunPass",
                            zeroIsOn(kFcAsPasswordFlag), "FC as password"),
                    serialLedBox(),
                    flagBox("serialOutput.rtsEnable", L::rtsEnable, "CheckBox9", zeroIsOn(kRtsFlag),
                            "RTS enable"),
                    shownValue("serialOutput.functionBits", {}, {}, functionBits, false),
                    laidOut(RecordLine, recordPairs("serialOutput.records.<capcode>.<bit>.header",
                                                    Record::Header, L::headerChars, "edtHeader",
                                                    "header characters as pairs (0D;0A;)")),
                    recordPairs("serialOutput.records.<capcode>.<bit>.trailer", Record::Trailer,
                                L::trailerChars, "edtTrailer", "trailer characters as pairs"),
                    recordPairs("serialOutput.records.<capcode>.<bit>.timeout", Record::Timeout,
                                L::timeoutChars, "edtTimeout", "time-out characters as pairs"),
                    funCmdField(),
                    intFunCmdField(),
                });

        section(t, OutputFeatures,
                {
                    flagBox("outputFeatures.funCmdChecksum", L::funCmdChecksum, "chkCtl0",
                            flags::serialCtl(0), "Fun. Cmd. Checksum"),
                    flagBox("outputFeatures.funCmdEnable", L::funCmdEnable, "chkCtl1",
                            flags::serialCtl(1), "Fun. Cmd. Enable"),
                    fcPassword("outputFeatures.funCmdPassword1", L::funCmdPassword1, "Edit9", 1,
                               kFcPassword1Len, "function command password 1, up to 10 characters"),
                    fcPassword("outputFeatures.funCmdPassword2", L::funCmdPassword2, "Edit10", 2,
                               kFcPassword2Len, "function command password 2, up to 10 characters"),
                    preScalerList(),
                    periodEdit(),
                    laidOut(PowerUpLine,
                            flagBox("outputFeatures.powerUpOutput", L::powerUpOutput, "chkPower",
                                    zeroIsOn(kPowerUpFlag), "Power Up Output")),
                    powerUpOutputs(),
                    flagBox("outputFeatures.powerReceivingOutputEnable", L::roeEnable, "chkROE",
                            zeroIsOn(kRoeFlag), "Power receiving output enable"),
                    flagBox("outputFeatures.outOfRangeOutputEnable", L::orcEnable, "chkORC",
                            zeroIsOn(kOrcFlag), "Out of range output enable"),
                });

        section(
            t, Features,
            {
                byteNumber("features.sequentialLock", L::sequentialLock, "edtSLC", kSequentialLock,
                           F::kSequentialLockTag, L::seconds, "Sequential Lock, seconds 0..255"),
                codedList("features.language", L::language, "cboLng", kLanguageCode,
                          shown::coded::language(), FirstItem, "Language"),
                byteNumber("features.outOfRangeTimeOut", L::outOfRangeTimeOut, "edtORC",
                           kOutOfRangeTimeout, F::kOutOfRangeTimeoutTag, L::minutes,
                           "Out Of Range Time Out, minutes 0..255"),
                password("features.airPassword", L::airPassword, "edtPassword", kAirPassword,
                         P::kAirPasswordTag, shown::airPassword,
                         "Air Prm. PW, up to 10 characters"),
                password("features.readPassword", L::readPassword, "edtReadPass", kReadPassword,
                         P::kReadPasswordTag, shown::readPassword,
                         "Read Password, up to 10 characters"),
            });
        return t;
    }();
    return table;
}

} // namespace settings
