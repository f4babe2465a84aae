// The keys of `ledsign set`: one row per setting, each running the window's own rule.
#include "cli/SetKeys.h"

#include "core/Messages.h"
#include "editor/CapcodeRules.h"
#include "editor/ShownValues.h"
#include "editor/EditorError.h"
#include "editor/FeatureRules.h"
#include "editor/FrequencyRules.h"
#include "editor/OutputRules.h"
#include "editor/PagingRules.h"
#include "editor/PasswordRules.h"
#include "editor/PeriodRules.h"
#include "editor/SerialOutputRules.h"

#include <QRegularExpression>
#include <array>
#include <vector>

namespace cli {

namespace {

// The command line has no edits of a capcode's record pending: a rule that would refresh the
// page collects nothing.
RuleOutcome edited(const EditOutcome& o) {
    return o.refused() ? o.outcome : o.collectError;
}

// One field of a capcode's serial output record, changed as the window does it: the record as
// its edits show it, the field typed over, then collected back.
enum class RecordField { Header, Trailer, Timeout, Fc, IntFunCmd };
RuleOutcome setRecordField(SetSession& s, const SetValue& v, RecordField field) {
    using layout::Record;
    const int c = v.at[0];
    serialrules::CapcodeRecordTexts texts;
    for (int f = 0; f < layout::kFunctionBits; ++f) {
        texts[f].header = shown::recordPairs(s.image, Record::Header, c, f);
        texts[f].trailer = shown::recordPairs(s.image, Record::Trailer, c, f);
        texts[f].timeout = shown::recordPairs(s.image, Record::Timeout, c, f);
        texts[f].funCmd = shown::funCmdPairs(s.image, c, f);
        texts[f].intFunCmd = s.image.at(layout::intFunCmd(c, f)) != 0;
    }
    serialrules::FunctionBitTexts& t = texts[v.at[1]];
    switch (field) {
    case RecordField::Header:
        t.header = v.text;
        break;
    case RecordField::Trailer:
        t.trailer = v.text;
        break;
    case RecordField::Timeout:
        t.timeout = v.text;
        break;
    case RecordField::Fc:
        t.funCmd = v.text;
        break;
    case RecordField::IntFunCmd:
        t.intFunCmd = v.checked;
        break;
    }
    // Checked first, so a refused value changes nothing.
    ParamImage changed = s.image;
    try {
        serialrules::collectCapcodeRecord(changed, c, texts);
    } catch (const ConversionError& e) {
        return RuleOutcome::error(e.text());
    }
    s.image = changed;
    return RuleOutcome::ok();
}

// "1,3,9" (or blanks between): the outputs switched on at power-up, every other one off.
RuleOutcome setPowerUpOutputs(SetSession& s, const SetValue& v) {
    std::array<bool, layout::kOutputCount> on{};
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString& piece : v.text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = piece.toInt(&ok);
        if (!ok || n < 1 || n > layout::kOutputCount)
            return RuleOutcome::error(msg::cli::notOutputList(v.text));
        on[n - 1] = true;
    }
    for (int i = 0; i < layout::kOutputCount; ++i)
        outputrules::setPowerUpOutput(s.image, i, on[i]);
    return RuleOutcome::ok();
}

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

const std::vector<SetKey>& setKeyTable() {
    static const std::vector<SetKey> keys = {
        {"frequency.band", Kind::Item, shown::bandCaptions,
         [](SetSession& s, const SetValue& v) {
             return freqrules::chooseBand(s.image, s.tuning, v.item);
         },
         "Range Of Freq.; commits the band's default frequency"},
        {"frequency.freq", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return freqrules::commitFrequency(s.image, s.tuning, v.text);
         },
         "Freq., in units of 100 Hz (1590125)"},
        {"frequency.baudRate", Kind::Item, shown::pagingBaudCaptions,
         [](SetSession& s, const SetValue& v) {
             pagingrules::chooseBaud(s.image, v.item);
             return RuleOutcome::ok();
         },
         "Baud Rate"},
        {"frequency.polarity", Kind::Item, shown::polarityCaptions,
         [](SetSession& s, const SetValue& v) {
             pagingrules::choosePolarity(s.image, v.item);
             return RuleOutcome::ok();
         },
         "Polarity"},
        {"capcodes.<capcode>.capcode", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return capcoderules::typeCapcode(s.image, v.at[0], v.text);
         },
         "the capcode, 0..2097151"},
        {"capcodes.<capcode>.on", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             capcoderules::setCapcodeOn(s.image, v.at[0], v.checked);
             return RuleOutcome::ok();
         },
         "the capcode's ON box"},
        {"capcodes.<capcode>.types.<bit>", Kind::Item, shown::messageTypeCaptions,
         [](SetSession& s, const SetValue& v) {
             capcoderules::setMessageType(s.image, v.at[0] * layout::kFunctionBits + v.at[1],
                                          v.item);
             return RuleOutcome::ok();
         },
         "the message type of a function bit"},
        {"testMode", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             capcoderules::setTestMode(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "Test Mode"},

        // Serial output
        {"serialOutput.on", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, serialrules::kSerialOutputOnTag, v.checked);
             return RuleOutcome::ok();
         },
         "Serial Output ON"},
        {"serialOutput.uartBaud", Kind::Item, shown::uartSpeedCaptions,
         [](SetSession& s, const SetValue& v) {
             serialrules::setUartSpeed(s.image, v.item);
             return RuleOutcome::ok();
         },
         "UART speed"},
        {"serialOutput.dataBits", Kind::Item, shown::dataBitsCaptions,
         [](SetSession& s, const SetValue& v) {
             serialrules::setUartBits(s.image, serialrules::kDataBitsTag,
                                      shown::dataBitsCaptions().at(v.item).toInt());
             return RuleOutcome::ok();
         },
         "UART data bits"},
        {"serialOutput.parity", Kind::Item, shown::parityCaptions,
         [](SetSession& s, const SetValue& v) {
             serialrules::setUartParity(s.image, v.item);
             return RuleOutcome::ok();
         },
         "UART parity"},
        {"serialOutput.stopBits", Kind::Item, shown::stopBitsCaptions,
         [](SetSession& s, const SetValue& v) {
             serialrules::setUartBits(s.image, serialrules::kStopBitsTag,
                                      shown::stopBitsCaptions().at(v.item).toInt());
             return RuleOutcome::ok();
         },
         "UART stop bits"},
        {"serialOutput.endCode", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(serialrules::endCodeExit(s.image, v.text));
         },
         "End Code, two hexadecimal digits (0D)"},
        {"serialOutput.msgTimeOutDelay", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(serialrules::msgTimeoutDelayExit(s.image, v.text,
                                                            serialrules::PendingRecord::none()));
         },
         "Msg Time Out Delay, seconds 0..65000"},
        {"serialOutput.funCmdOutputFilterDisable", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, 2, v.checked);
             return RuleOutcome::ok();
         },
         "Fun. Cmd. Output Filter Disable"},
        {"serialOutput.insertCrBeforeLf", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, 3, v.checked);
             return RuleOutcome::ok();
         },
         "Insert CR before LF"},
        {"serialOutput.insertLfAfterCr", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, 4, v.checked);
             return RuleOutcome::ok();
         },
         "Insert LF after CR"},
        {"serialOutput.fcAsPassword", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setFcAsPassword(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "FC as password"},
        {"serialOutput.serialLed", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::applySerialLed(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "the sign's LED format (the UART then runs at 19200)"},
        {"serialOutput.rtsEnable", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setRts(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "RTS enable"},
        {"serialOutput.records.<capcode>.<bit>.header", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) { return setRecordField(s, v, RecordField::Header); },
         "header characters as pairs (0D;0A;)"},
        {"serialOutput.records.<capcode>.<bit>.trailer", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return setRecordField(s, v, RecordField::Trailer);
         },
         "trailer characters as pairs"},
        {"serialOutput.records.<capcode>.<bit>.timeout", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return setRecordField(s, v, RecordField::Timeout);
         },
         "time-out characters as pairs"},
        {"serialOutput.records.<capcode>.<bit>.fc", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) { return setRecordField(s, v, RecordField::Fc); },
         "function command code as pairs"},
        {"serialOutput.records.<capcode>.<bit>.intFunCmd", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             return setRecordField(s, v, RecordField::IntFunCmd);
         },
         "Int. Fun. Cmd."},

        // Output features
        {"outputFeatures.funCmdChecksum", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, 0, v.checked);
             return RuleOutcome::ok();
         },
         "Fun. Cmd. Checksum"},
        {"outputFeatures.funCmdEnable", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             serialrules::setSerialOption(s.image, 1, v.checked);
             return RuleOutcome::ok();
         },
         "Fun. Cmd. Enable"},
        {"outputFeatures.funCmdPassword1", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(passwordrules::fcPasswordExit(s.image, 1, v.text));
         },
         "function command password 1, up to 10 characters"},
        {"outputFeatures.funCmdPassword2", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(passwordrules::fcPasswordExit(s.image, 2, v.text));
         },
         "function command password 2, up to 10 characters"},
        {"outputFeatures.preScaler", Kind::Item, shown::prescalerCaptions,
         [](SetSession& s, const SetValue& v) {
             return edited(periodrules::prescalerPick(s.image, s.periodScale, v.item,
                                                      serialrules::PendingRecord::none()));
         },
         "the periods' unit; the periods keep their length"},
        {"outputFeatures.periodSeconds.<output>", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(periodrules::periodExit(s.image, s.periodScale, v.at[0], v.text,
                                                   serialrules::PendingRecord::none()));
         },
         "an output's period in seconds (2.5)"},
        {"outputFeatures.powerUpOutput", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             outputrules::setPowerUpFlag(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "Power Up Output"},
        {"outputFeatures.powerUpOutputs", Kind::Text, nullptr, setPowerUpOutputs,
         "the outputs on at power-up (1,3,9)"},
        {"outputFeatures.powerReceivingOutputEnable", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             outputrules::setRoe(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "Power receiving output enable"},
        {"outputFeatures.outOfRangeOutputEnable", Kind::Check, nullptr,
         [](SetSession& s, const SetValue& v) {
             outputrules::setOrc(s.image, v.checked);
             return RuleOutcome::ok();
         },
         "Out of range output enable"},

        // Features
        {"features.sequentialLock", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(featurerules::byteSettingExit(s.image, featurerules::kSequentialLockTag,
                                                         v.text,
                                                         serialrules::PendingRecord::none()));
         },
         "Sequential Lock, seconds 0..255"},
        {"features.language", Kind::Item, shown::languageCaptions,
         [](SetSession& s, const SetValue& v) {
             featurerules::setLanguage(s.image, v.item);
             return RuleOutcome::ok();
         },
         "Language"},
        {"features.outOfRangeTimeOut", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(
                 featurerules::byteSettingExit(s.image, featurerules::kOutOfRangeTimeoutTag, v.text,
                                               serialrules::PendingRecord::none()));
         },
         "Out Of Range Time Out, minutes 0..255"},
        {"features.airPassword", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(passwordrules::accessPasswordExit(
                 s.image, passwordrules::kAirPasswordTag, v.text));
         },
         "Air Prm. PW, up to 10 characters"},
        {"features.readPassword", Kind::Text, nullptr,
         [](SetSession& s, const SetValue& v) {
             return edited(passwordrules::accessPasswordExit(
                 s.image, passwordrules::kReadPasswordTag, v.text));
         },
         "Read Password, up to 10 characters"},
    };
    return keys;
}

const std::vector<Slot>& keySlots() {
    static const std::vector<Slot> s = {
        {"<capcode>", {"1", "2", "3", "4", "5", "6"}, "1..6"},
        {"<bit>", {"A", "B", "C", "D"}, "A..D"},
        {"<output>", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "1..9"},
    };
    return s;
}

const SetKey* findKey(const QString& key, std::vector<int>& at) {
    const QStringList typed = key.split(QLatin1Char('.'));
    for (const SetKey& k : setKeyTable()) {
        const QStringList pattern = QString::fromLatin1(k.path).split(QLatin1Char('.'));
        if (pattern.size() != typed.size())
            continue;
        at.clear();
        bool match = true;
        for (qsizetype i = 0; i < pattern.size() && match; ++i) {
            const Slot* slot = nullptr;
            for (const Slot& s : keySlots())
                if (pattern[i] == QLatin1String(s.name))
                    slot = &s;
            if (!slot) {
                match = pattern[i] == typed[i];
                continue;
            }
            const qsizetype pos = slot->values.indexOf(typed[i]);
            match = pos >= 0;
            at.push_back(int(pos));
        }
        if (match)
            return &k;
    }
    return nullptr;
}

bool readValue(const SetKey& key, const QString& value, SetValue& v) {
    switch (key.kind) {
    case Kind::Item:
        v.item = findItem(key.items(), value);
        return v.item >= 0;
    case Kind::Text:
        v.text = value;
        return true;
    case Kind::Check:
        v.checked = value == QLatin1String("true");
        return v.checked || value == QLatin1String("false");
    }
    return false;
}

QStringList keyPatterns() {
    QStringList out;
    for (const SetKey& k : setKeyTable())
        out << QString::fromLatin1(k.path);
    return out;
}

QStringList setKeys() {
    QStringList keys;
    for (const SetKey& k : setKeyTable()) {
        QStringList expanded{QString()};
        for (const QString& part : QString::fromLatin1(k.path).split(QLatin1Char('.'))) {
            QStringList values{part};
            for (const Slot& s : keySlots())
                if (part == QLatin1String(s.name))
                    values = s.values;
            QStringList next;
            for (const QString& head : expanded)
                for (const QString& v : values)
                    next << (head.isEmpty() ? v : head + QLatin1Char('.') + v);
            expanded = next;
        }
        keys << expanded;
    }
    return keys;
}

SetResult applySetting(SetSession& session, const QString& key, const QString& value,
                       RuleOutcome* outcome) {
    SetValue v;
    const SetKey* k = findKey(key, v.at);
    if (!k)
        return SetResult::UnknownKey;
    if (!readValue(*k, value, v))
        return SetResult::NotAValue;
    *outcome = k->rule(session, v);
    return outcome->refused() ? SetResult::Refused : SetResult::Done;
}

} // namespace cli
