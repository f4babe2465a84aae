#include "settings/SettingsReport.h"

#include "core/Messages.h"

#include <QJsonArray>

using namespace layout;

namespace settings {

namespace {

// The multiplier a fresh window holds before any band was shown (a band index above 6 leaves
// it unchanged).
constexpr quint8 kStartMultiplier = 3;

QString item(const QStringList& captions, int index, int raw) {
    return index >= 0 && index < captions.size() ? captions.at(index) : msg::cli::unknownCode(raw);
}

QString item(const QStringList& captions, std::optional<int> index, int raw) {
    return item(captions, index.value_or(-1), raw);
}

bool zeroOn(const ParamImage& image, int offset) {
    return image.at(offset) == 0;
}
bool nonZero(const ParamImage& image, int offset) {
    return image.at(offset) != 0;
}

QString onOff(bool on) {
    return on ? msg::cli::on : msg::cli::off;
}
QString orNone(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(") + msg::cli::none + QLatin1Char(')') : text;
}

QString capcodeCaption(int c) {
    return shown::capcodeSelectorCaptions().at(c);
}
QChar bitLetter(int f) {
    return QChar(u'A' + f);
}

// "Label: value"; captions that end in ":" already carry their colon.
void line(QStringList& lines, const QString& label, const QString& value) {
    const QString l = label.trimmed();
    lines << QStringLiteral("  ") + l + (l.endsWith(QLatin1Char(':')) ? " " : ": ") + value;
}

} // namespace

Settings readSettings(const ParamImage& image) {
    Settings s;
    s.modelTag = image.text(kModelTag, kModelTagLen - 1);

    s.bandIndex = image.at(kBandIndex);
    s.band = item(shown::bandCaptions(), s.bandIndex, s.bandIndex);
    s.synth = shown::synthesizer(
        image, shown::bandMultiplierFor(s.bandIndex).value_or(kStartMultiplier));
    if (s.synth.frequency) {
        const quint32 f = *s.synth.frequency; // units of 100 Hz
        s.mhz = QStringLiteral("%1.%2").arg(f / 10000).arg(f % 10000, 4, 10, QLatin1Char('0'));
    }
    s.baudRate = shown::pagingBaudCaptions().at(shown::pagingBaudItem(image));
    s.polarity = shown::polarityCaptions().at(shown::polarityItem(image));

    for (int c = 0; c < kCapcodeCount; ++c) {
        CapcodeSettings& cc = s.capcodes[c];
        cc.number = shown::capcodeText(image, c);
        cc.on = shown::capcodeOn(image, c);
        for (int f = 0; f < kFunctionBits; ++f) {
            const quint8 code = image.at(functionType(c, f));
            cc.types[f] =
                item(shown::messageTypeCaptions(), shown::messageTypeItem(code), code);
        }
    }
    s.testMode = zeroOn(image, kTestModeFlag);

    s.serialOn = nonZero(image, kSerialOutputOn);
    const quint8 speed = image.at(kUartBaudCode);
    s.uartBaud = item(shown::uartSpeedCaptions(), shown::uartSpeedItem(speed), speed);
    const quint8 data = image.at(kUartDataBits);
    s.dataBits = item(shown::dataBitsCaptions(), shown::dataBitsItem(data), data);
    const quint8 parity = image.at(kUartParity);
    s.parity = item(shown::parityCaptions(), shown::parityItem(parity), parity);
    const quint8 stop = image.at(kUartStopBits);
    s.stopBits = item(shown::stopBitsCaptions(), shown::stopBitsItem(stop), stop);
    s.endCode = shown::hex(image.at(kEndCode), 2);
    s.msgTimeOutDelay = shown::msgTimeoutDelay(image);
    s.filterDisable = nonZero(image, serialCtl(2));
    s.crBeforeLf = nonZero(image, serialCtl(3));
    s.lfAfterCr = nonZero(image, serialCtl(4));
    s.fcAsPassword = zeroOn(image, kFcAsPasswordFlag);
    s.serialLed = zeroOn(image, kSerialLedFlag);
    s.rtsEnable = zeroOn(image, kRtsFlag);
    for (int c = 0; c < kCapcodeCount; ++c)
        for (int f = 0; f < kFunctionBits; ++f) {
            FunctionBitSettings b;
            b.capcode = c;
            b.bit = f;
            b.header = shown::recordPairs(image, Record::Header, c, f);
            b.trailer = shown::recordPairs(image, Record::Trailer, c, f);
            b.timeout = shown::recordPairs(image, Record::Timeout, c, f);
            b.intFunCmd = nonZero(image, intFunCmd(c, f));
            bool fcSet = false;
            for (int l = 0; l < kFunCmdCodeLen; ++l)
                fcSet = fcSet || image.at(funCmdCode(c, f, l)) != 0;
            if (fcSet)
                b.fc = shown::funCmdPairs(image, c, f);
            if (!b.header.isEmpty() || !b.trailer.isEmpty() || !b.timeout.isEmpty() ||
                !b.fc.isEmpty() || b.intFunCmd)
                s.functionBits << b;
            b.fc = shown::funCmdPairs(image, c, f);
            s.records[c][f] = b;
        }

    s.funCmdChecksum = nonZero(image, serialCtl(0));
    s.funCmdEnable = nonZero(image, serialCtl(1));
    s.funCmdPassword1 = shown::fcPassword(image, 1);
    s.funCmdPassword2 = shown::fcPassword(image, 2);
    const quint8 scaler = image.at(kPeriodPrescaler);
    s.preScaler = item(shown::prescalerCaptions(), shown::prescalerItem(scaler), scaler);
    for (int i = 0; i < kOutputCount; ++i)
        s.periods[i] = shown::periodSeconds(image, i);
    s.powerUpOutput = zeroOn(image, kPowerUpFlag);
    for (int i = 0; i < 8; ++i)
        if (image.getBits(kPowerUpOutputs, i, 1))
            s.powerUpOutputs << i + 1;
    if (image.getBits(kPowerUpOutputs2, kOutput9Bit, 1))
        s.powerUpOutputs << 9;
    s.roeEnable = zeroOn(image, kRoeFlag);
    s.orcEnable = zeroOn(image, kOrcFlag);

    s.sequentialLock = image.at(kSequentialLock);
    const quint8 lang = image.at(kLanguageCode);
    s.language = shown::languageCaptions().at(shown::languageItem(lang));
    s.outOfRangeTimeOut = image.at(kOutOfRangeTimeout);
    s.airPassword = shown::airPassword(image);
    s.readPassword = shown::readPassword(image);
    return s;
}

QString settingsText(const Settings& s) {
    namespace L = msg::label;
    QStringList out;
    out << msg::cli::modelTag + QStringLiteral(": ") + s.modelTag << QString();

    out << L::frequencyGroup;
    line(out, L::rangeOfFreq, s.band);
    line(out, L::freq,
         s.synth.frequency ? QString::number(*s.synth.frequency) + QStringLiteral(" (") + s.mhz +
                                 QStringLiteral(" MHz)")
                           : orNone({}));
    line(out, L::pllR, s.synth.pllR);
    line(out, L::pllN, s.synth.pllN);
    line(out, L::mult, s.synth.mult);
    line(out, L::channel, orNone(s.synth.channel));
    line(out, L::baudRate, s.baudRate);
    line(out, L::polarity, s.polarity);
    out << QString();

    out << L::capcodeGroup;
    for (int c = 0; c < kCapcodeCount; ++c) {
        const CapcodeSettings& cc = s.capcodes[c];
        QString v = cc.number + QLatin1Char(' ') + onOff(cc.on).leftJustified(3) +
                    QStringLiteral("  ") + L::funBit;
        for (int f = 0; f < kFunctionBits; ++f)
            v += QStringLiteral(" ") + bitLetter(f) + QStringLiteral(" ") + cc.types[f] +
                 (f < kFunctionBits - 1 ? QStringLiteral(",") : QString());
        line(out, capcodeCaption(c), v);
    }
    line(out, L::testMode, onOff(s.testMode));
    out << QString();

    out << L::serialGroup;
    line(out, L::serialOutputOn, onOff(s.serialOn));
    line(out, L::uartBaud, s.uartBaud);
    line(out, L::dataBits, s.dataBits);
    line(out, L::parity, s.parity);
    line(out, L::stopBits, s.stopBits);
    line(out, L::endCode, s.endCode);
    line(out, L::msgTimeOutDelay, QString::number(s.msgTimeOutDelay) + ' ' + L::seconds);
    line(out, L::funCmdFilterDisable, onOff(s.filterDisable));
    line(out, L::insertCrBeforeLf, onOff(s.crBeforeLf));
    line(out, L::insertLfAfterCr, onOff(s.lfAfterCr));
    line(out, L::fcAsPassword, onOff(s.fcAsPassword));
    line(out, L::serialLed, onOff(s.serialLed));
    line(out, L::rtsEnable, onOff(s.rtsEnable));
    for (const FunctionBitSettings& b : s.functionBits) {
        QStringList parts;
        if (!b.header.isEmpty())
            parts << L::headerChars + ' ' + b.header;
        if (!b.trailer.isEmpty())
            parts << L::trailerChars + ' ' + b.trailer;
        if (!b.timeout.isEmpty())
            parts << L::timeoutChars + ' ' + b.timeout;
        if (!b.fc.isEmpty())
            parts << msg::cli::funCmdCode + ' ' + b.fc;
        if (b.intFunCmd)
            parts << L::intFunCmd + ' ' + msg::cli::on;
        line(out, capcodeCaption(b.capcode) + ' ' + L::functionBit(b.bit),
             parts.join(QStringLiteral("  ")));
    }
    out << QString();

    out << L::outputFeatures;
    line(out, L::funCmdChecksum, onOff(s.funCmdChecksum));
    line(out, L::funCmdEnable, onOff(s.funCmdEnable));
    line(out, L::funCmdPassword1, orNone(s.funCmdPassword1));
    line(out, L::funCmdPassword2, orNone(s.funCmdPassword2));
    line(out, L::preScaler, s.preScaler);
    for (int i = 0; i < kOutputCount; ++i)
        line(out, L::outputPeriod(i), s.periods[i] + ' ' + L::periodUnit);
    QStringList outputs;
    for (int o : s.powerUpOutputs)
        outputs << QString::number(o);
    line(out, L::powerUpOutput,
         onOff(s.powerUpOutput) + QStringLiteral(", outputs: ") +
             (outputs.isEmpty() ? msg::cli::none : outputs.join(' ')));
    line(out, L::roeEnable, onOff(s.roeEnable));
    line(out, L::orcEnable, onOff(s.orcEnable));
    out << QString();

    out << L::features;
    line(out, L::sequentialLock, QString::number(s.sequentialLock) + ' ' + L::seconds);
    line(out, L::language, s.language);
    line(out, L::outOfRangeTimeOut, QString::number(s.outOfRangeTimeOut) + ' ' + L::minutes);
    line(out, L::airPassword, orNone(s.airPassword));
    line(out, L::readPassword, orNone(s.readPassword));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject settingsJson(const Settings& s) {
    QJsonObject frequency{
        {"band", s.band},
        {"bandIndex", s.bandIndex},
        {"freq", s.synth.frequency ? QJsonValue(qint64(*s.synth.frequency)) : QJsonValue()},
        {"mhz", s.mhz.isEmpty() ? QJsonValue() : QJsonValue(s.mhz)},
        {"pllR", s.synth.pllR},
        {"pllN", s.synth.pllN},
        {"mult", s.synth.mult.toInt()},
        {"channel", s.synth.channel.isEmpty() ? QJsonValue() : QJsonValue(s.synth.channel)},
        {"channelStepHz", qint64(s.synth.channelStep)},
        {"baudRate", s.baudRate},
        {"polarity", s.polarity},
    };

    QJsonArray capcodes;
    for (const CapcodeSettings& cc : s.capcodes) {
        QJsonObject types;
        for (int f = 0; f < kFunctionBits; ++f)
            types.insert(QString(bitLetter(f)), cc.types[f]);
        capcodes.append(QJsonObject{{"capcode", cc.number}, {"on", cc.on}, {"types", types}});
    }

    QJsonArray bits;
    for (const FunctionBitSettings& b : s.functionBits)
        bits.append(QJsonObject{{"capcode", b.capcode + 1},
                                {"bit", QString(bitLetter(b.bit))},
                                {"header", b.header},
                                {"trailer", b.trailer},
                                {"timeout", b.timeout},
                                {"fc", b.fc},
                                {"intFunCmd", b.intFunCmd}});
    QJsonArray records;
    for (const auto& capcode : s.records) {
        QJsonObject byBit;
        for (const FunctionBitSettings& b : capcode)
            byBit.insert(QString(bitLetter(b.bit)), QJsonObject{{"header", b.header},
                                                                {"trailer", b.trailer},
                                                                {"timeout", b.timeout},
                                                                {"fc", b.fc},
                                                                {"intFunCmd", b.intFunCmd}});
        records.append(byBit);
    }
    QJsonObject serial{
        {"on", s.serialOn},
        {"uartBaud", s.uartBaud},
        {"dataBits", s.dataBits},
        {"parity", s.parity},
        {"stopBits", s.stopBits},
        {"endCode", s.endCode},
        {"msgTimeOutDelay", int(s.msgTimeOutDelay)},
        {"funCmdOutputFilterDisable", s.filterDisable},
        {"insertCrBeforeLf", s.crBeforeLf},
        {"insertLfAfterCr", s.lfAfterCr},
        {"fcAsPassword", s.fcAsPassword},
        {"serialLed", s.serialLed},
        {"rtsEnable", s.rtsEnable},
        {"functionBits", bits},
        {"records", records},
    };

    QJsonArray periods, outputs;
    for (const QString& p : s.periods)
        periods.append(p);
    for (int o : s.powerUpOutputs)
        outputs.append(o);
    QJsonObject outputFeatures{
        {"funCmdChecksum", s.funCmdChecksum},
        {"funCmdEnable", s.funCmdEnable},
        {"funCmdPassword1", s.funCmdPassword1},
        {"funCmdPassword2", s.funCmdPassword2},
        {"preScaler", s.preScaler},
        {"periodSeconds", periods},
        {"powerUpOutput", s.powerUpOutput},
        {"powerUpOutputs", outputs},
        {"powerReceivingOutputEnable", s.roeEnable},
        {"outOfRangeOutputEnable", s.orcEnable},
    };
    QJsonObject features{
        {"sequentialLock", s.sequentialLock},       {"language", s.language},
        {"outOfRangeTimeOut", s.outOfRangeTimeOut}, {"airPassword", s.airPassword},
        {"readPassword", s.readPassword},
    };

    return QJsonObject{
        {"modelTag", s.modelTag}, {"frequency", frequency}, {"capcodes", capcodes},
        {"testMode", s.testMode}, {"serialOutput", serial}, {"outputFeatures", outputFeatures},
        {"features", features},
    };
}

namespace {

QList<int> span(int first, int count) {
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << first + i;
    return out;
}

class EntryList {
  public:
    explicit EntryList(const Settings& s) : json_(settingsJson(s)) {}

    void add(const QString& path, const QString& caption, const QString& text,
             const QList<int>& offsets) {
        const QJsonValue v = jsonAt(json_, path);
        Q_ASSERT_X(!v.isUndefined(), "settingEntries", qPrintable(path));
        entries_ << SettingEntry{path, caption.trimmed(), text, v, offsets};
    }
    QList<SettingEntry> take() { return std::move(entries_); }

  private:
    QJsonObject json_;
    QList<SettingEntry> entries_;
};

} // namespace

QJsonValue jsonAt(const QJsonObject& root, const QString& path) {
    QJsonValue v = root;
    for (const QString& part : path.split(QLatin1Char('.'))) {
        if (v.isObject()) {
            v = v.toObject().value(part);
        } else if (v.isArray()) {
            bool ok = false;
            const int n = part.toInt(&ok);
            const QJsonArray a = v.toArray();
            if (!ok || n < 1 || n > a.size())
                return QJsonValue(QJsonValue::Undefined);
            v = a.at(n - 1);
        } else {
            return QJsonValue(QJsonValue::Undefined);
        }
    }
    return v;
}

QList<SettingEntry> settingEntries(const Settings& s) {
    namespace L = msg::label;
    EntryList e(s);
    e.add("modelTag", msg::cli::modelTag, s.modelTag, span(kModelTag, kModelTagLen));

    e.add("frequency.band", L::rangeOfFreq, s.band, {kBandIndex});
    e.add("frequency.freq", L::freq,
          s.synth.frequency ? QString::number(*s.synth.frequency) + QStringLiteral(" (") + s.mhz +
                                  QStringLiteral(" MHz)")
                            : orNone({}),
          QList<int>{kBandIndex} + span(kPllR, 3) + span(kPllN, 4));
    e.add("frequency.pllR", L::pllR, s.synth.pllR, span(kPllR, 3));
    e.add("frequency.pllN", L::pllN, s.synth.pllN, span(kPllN, 4));
    // The paging baud writes its timing bytes with the code.
    e.add("frequency.baudRate", L::baudRate, s.baudRate,
          {kRxControl2, kRxControl3, kRxControl4, kBaudIndexByte});
    e.add("frequency.polarity", L::polarity, s.polarity, {kRxControl1});

    for (int c = 0; c < kCapcodeCount; ++c) {
        const QString n = QString::number(c + 1);
        const QString caption = capcodeCaption(c);
        const CapcodeSettings& cc = s.capcodes[c];
        e.add("capcodes." + n + ".capcode", caption, cc.number, span(capcode(c), 3));
        e.add("capcodes." + n + ".on", caption + ' ' + L::capcodeOn, onOff(cc.on),
              {c == 0 ? kRxControl3 : kRxControl2});
        for (int f = 0; f < kFunctionBits; ++f)
            e.add("capcodes." + n + ".types." + bitLetter(f),
                  caption + ' ' + L::funBit + ' ' + bitLetter(f), cc.types[f],
                  {functionType(c, f)});
    }
    e.add("testMode", L::testMode, onOff(s.testMode), {kTestModeFlag});

    e.add("serialOutput.on", L::serialOutputOn, onOff(s.serialOn), {kSerialOutputOn});
    e.add("serialOutput.uartBaud", L::uartBaud, s.uartBaud, {kUartBaudCode});
    e.add("serialOutput.dataBits", L::dataBits, s.dataBits, {kUartDataBits});
    e.add("serialOutput.parity", L::parity, s.parity, {kUartParity});
    e.add("serialOutput.stopBits", L::stopBits, s.stopBits, {kUartStopBits});
    e.add("serialOutput.endCode", L::endCode, s.endCode, {kEndCode});
    e.add("serialOutput.msgTimeOutDelay", L::msgTimeOutDelay,
          QString::number(s.msgTimeOutDelay) + ' ' + L::seconds,
          {kMsgTimeoutDelay, kMsgTimeoutDelay + 1, kMsgDelayOn});
    e.add("serialOutput.funCmdOutputFilterDisable", L::funCmdFilterDisable, onOff(s.filterDisable),
          {serialCtl(2)});
    e.add("serialOutput.insertCrBeforeLf", L::insertCrBeforeLf, onOff(s.crBeforeLf),
          {serialCtl(3)});
    e.add("serialOutput.insertLfAfterCr", L::insertLfAfterCr, onOff(s.lfAfterCr), {serialCtl(4)});
    e.add("serialOutput.fcAsPassword", L::fcAsPassword, onOff(s.fcAsPassword), {kFcAsPasswordFlag});
    e.add("serialOutput.serialLed", L::serialLed, onOff(s.serialLed), {kSerialLedFlag});
    e.add("serialOutput.rtsEnable", L::rtsEnable, onOff(s.rtsEnable), {kRtsFlag});
    for (int c = 0; c < kCapcodeCount; ++c)
        for (int f = 0; f < kFunctionBits; ++f) {
            const FunctionBitSettings& b = s.records[c][f];
            const QString path =
                "serialOutput.records." + QString::number(c + 1) + '.' + bitLetter(f) + '.';
            const QString caption = capcodeCaption(c) + ' ' + L::functionBit(f) + ' ';
            const struct {
                Record record;
                const char* key;
                const QString& caption;
                const QString& value;
            } records[] = {{Record::Header, "header", L::headerChars, b.header},
                           {Record::Trailer, "trailer", L::trailerChars, b.trailer},
                           {Record::Timeout, "timeout", L::timeoutChars, b.timeout}};
            for (const auto& r : records)
                e.add(path + r.key, caption + r.caption, orNone(r.value),
                      QList<int>{recordLen(r.record, c, f)} +
                          span(recordChar(r.record, c, f, 0), kRecordChars));
            e.add(path + "fc", caption + msg::cli::funCmdCode, b.fc,
                  span(funCmdCode(c, f, 0), kFunCmdCodeLen));
            e.add(path + "intFunCmd", caption + L::intFunCmd, onOff(b.intFunCmd),
                  {intFunCmd(c, f)});
        }

    e.add("outputFeatures.funCmdChecksum", L::funCmdChecksum, onOff(s.funCmdChecksum),
          {serialCtl(0)});
    e.add("outputFeatures.funCmdEnable", L::funCmdEnable, onOff(s.funCmdEnable), {serialCtl(1)});
    e.add("outputFeatures.funCmdPassword1", L::funCmdPassword1, orNone(s.funCmdPassword1),
          span(kFcPassword1Len, 1 + kPasswordLen));
    e.add("outputFeatures.funCmdPassword2", L::funCmdPassword2, orNone(s.funCmdPassword2),
          span(kFcPassword2Len, 1 + kPasswordLen));
    e.add("outputFeatures.preScaler", L::preScaler, s.preScaler, {kPeriodPrescaler});
    for (int i = 0; i < kOutputCount; ++i)
        e.add("outputFeatures.periodSeconds." + QString::number(i + 1), L::outputPeriod(i),
              s.periods[i] + ' ' + L::periodUnit, {outputPeriod(i), kPeriodPrescaler});
    e.add("outputFeatures.powerUpOutput", L::powerUpOutput, onOff(s.powerUpOutput), {kPowerUpFlag});
    QStringList outputs;
    for (int o : s.powerUpOutputs)
        outputs << QString::number(o);
    e.add("outputFeatures.powerUpOutputs", L::powerUpOutput + msg::cli::outputsCaption,
          outputs.isEmpty() ? msg::cli::none : outputs.join(' '),
          {kPowerUpOutputs, kPowerUpOutputs2});
    e.add("outputFeatures.powerReceivingOutputEnable", L::roeEnable, onOff(s.roeEnable),
          {kRoeFlag});
    e.add("outputFeatures.outOfRangeOutputEnable", L::orcEnable, onOff(s.orcEnable), {kOrcFlag});

    e.add("features.sequentialLock", L::sequentialLock,
          QString::number(s.sequentialLock) + ' ' + L::seconds, {kSequentialLock});
    e.add("features.language", L::language, s.language, {kLanguageCode});
    e.add("features.outOfRangeTimeOut", L::outOfRangeTimeOut,
          QString::number(s.outOfRangeTimeOut) + ' ' + L::minutes, {kOutOfRangeTimeout});
    e.add("features.airPassword", L::airPassword, orNone(s.airPassword),
          span(kAirPassword, kPasswordLen));
    e.add("features.readPassword", L::readPassword, orNone(s.readPassword),
          span(kReadPassword, kPasswordLen));
    return e.take();
}

} // namespace settings
