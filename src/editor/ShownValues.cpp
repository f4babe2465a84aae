#include "editor/ShownValues.h"

#include "editor/Flags.h"

#include <QLocale>
#include <cmath>

using namespace layout;

namespace shown {

namespace {
QStringList list(std::initializer_list<const char*> items) {
    QStringList out;
    for (const char* i : items)
        out << QString::fromLatin1(i);
    return out;
}
} // namespace

#define LEDSIGN_CAPTIONS(fn, ...)                                                                  \
    const QStringList& fn() {                                                                      \
        static const QStringList items = list({__VA_ARGS__});                                      \
        return items;                                                                              \
    }

LEDSIGN_CAPTIONS(bandCaptions, "130-180MHz(5K)", "130-180MHz(6.25K)", "130-180MHz(Auto)",
                 "278-290MHz(12.5K)", "400-499MHz(Auto)", "929-932MHz(12.5k)", "080-090MHz(5K)")
LEDSIGN_CAPTIONS(pagingBaudCaptions, " 512 bps", "1200 bps", "2400 bps")
LEDSIGN_CAPTIONS(polarityCaptions, "Normal", "Invert")

LEDSIGN_CAPTIONS(capcodeSelectorCaptions, "Capcode #1", "Capcode #2", "Capcode #3", "Capcode #4",
                 "Capcode #5", "Capcode #6")

#undef LEDSIGN_CAPTIONS

QString real(double value) {
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    // 15 significant digits hide binary noise (0.30000000000000004 -> 0.3); the C locale
    // keeps the point a point.
    QString s = QLocale::c().toString(value, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        s = QLocale::c().toString(value, 'f', 15);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
    }
    return s;
}

QString dec7(quint32 value) {
    return QStringLiteral("%1").arg(value, 7, 10, QLatin1Char('0'));
}

QString hex(quint32 value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString pairs(const quint8* bytes, int count) {
    QString s;
    for (int i = 0; i < count; ++i)
        s += hex(bytes[i], 2) + QLatin1Char(';');
    return s;
}

std::optional<quint8> bandMultiplierFor(int bandIndex) {
    static const quint8 multipliers[kBandCount] = {2, 2, 2, 3, 3, 5, 1};
    if (bandIndex < 0 || bandIndex >= kBandCount)
        return std::nullopt;
    return multipliers[bandIndex];
}

Synthesizer synthesizer(const ParamImage& image, quint8 bandMultiplier) {
    Synthesizer s;
    const quint32 r = image.readBE(kPllR, 3);
    const quint32 w = image.readBE(kPllN, 4);
    s.pllR = hex(r, 6);
    s.pllN = hex(w, 8);
    s.mult = QString::number(bandMultiplier);
    // An image that was never valid for the sign may hold pllR 0 (or one so large that the
    // step truncates to 0): it has no channel step, and the frequency cannot be derived.
    s.channelStep = r == 0 ? 0 : quint32(bandMultiplier) * kReferenceConstant / (r * 4u);
    if (s.channelStep != 0) {
        s.channel = real(s.channelStep * 0.001) + QStringLiteral("KHz");
        s.frequency = ((w >> 7) * s.channelStep + kFrequencyOffsetHz) / 100u;
    }
    return s;
}

QStringList CodedList::captions() const {
    QStringList out;
    for (const Item& i : items)
        out << QString::fromLatin1(i.caption);
    return out;
}
std::optional<int> CodedList::itemOf(int code) const {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].code == code)
            return int(i);
    for (const auto& [also, item] : alsoRead)
        if (also == code)
            return item;
    return std::nullopt;
}
std::optional<int> CodedList::codeOf(int item) const {
    if (item < 0 || item >= int(items.size()))
        return std::nullopt;
    return items[size_t(item)].code;
}

namespace coded {
const CodedList& uartSpeed() {
    static const CodedList l{
        {{"2400", 208}, {"4800", 104}, {"9600", 52}, {"19200", 25}, {"38400", 12}}};
    return l;
}
const CodedList& parity() {
    static const CodedList l{{{"none", 'N'}, {"odd", 'O'}, {"even", 'E'}}};
    return l;
}
const CodedList& prescaler() {
    static const CodedList l{{{"0.1 sec", 1},
                              {"1 sec", 10},
                              {"5 sec", 50},
                              {"10 sec", 100},
                              {"20 sec", 200},
                              {"25 sec", 250}}};
    return l;
}
const CodedList& language() {
    static const CodedList l{{{"English", 0xFF},
                              {"Russian", 0},
                              {"Danish/Norwegian", 1},
                              {"French", 2},
                              {"German", 3},
                              {"Italian", 4},
                              {"Portuguese", 5},
                              {"Spanish", 6},
                              {"Swedish/Finnish", 7},
                              {"Swiss", 8},
                              {"United Kingdom", 9}}};
    return l;
}
const CodedList& messageType() {
    // Code 4 stands for no type of its own; the list shows it as "Disable" too.
    static const CodedList l{
        {{"STD Num", 0}, {"PRC Num", 1}, {"Alpha", 2}, {"Binary", 3}, {"Disable", kTypeDisable}},
        {{4, 4}}};
    return l;
}
const CodedList& dataBits() {
    static const CodedList l{{{"7", 7}, {"8", 8}}};
    return l;
}
const CodedList& stopBits() {
    static const CodedList l{{{"1", 1}, {"2", 2}}};
    return l;
}
} // namespace coded

#define LEDSIGN_CODED_CAPTIONS(fn, list)                                                           \
    const QStringList& fn() {                                                                      \
        static const QStringList items = coded::list().captions();                                 \
        return items;                                                                              \
    }
LEDSIGN_CODED_CAPTIONS(messageTypeCaptions, messageType)
LEDSIGN_CODED_CAPTIONS(uartSpeedCaptions, uartSpeed)
LEDSIGN_CODED_CAPTIONS(parityCaptions, parity)
LEDSIGN_CODED_CAPTIONS(languageCaptions, language)
LEDSIGN_CODED_CAPTIONS(prescalerCaptions, prescaler)
LEDSIGN_CODED_CAPTIONS(dataBitsCaptions, dataBits)
LEDSIGN_CODED_CAPTIONS(stopBitsCaptions, stopBits)

int pagingBaudItem(const ParamImage& image) {
    switch (image.getBits(kRxControl2, kBaudCodeShift, kBaudCodeWidth)) {
    case 1:
        return 0;
    case 2:
        return 1;
    default:
        return 2;
    }
}

int polarityItem(const ParamImage& image) {
    return image.getBits(kRxControl1, kPolarityShift, 1);
}

int messageTypeItem(quint8 code) {
    return coded::messageType().itemOf(code).value_or(-1);
}

std::optional<int> uartSpeedItem(quint8 code) {
    return coded::uartSpeed().itemOf(code);
}

std::optional<int> parityItem(quint8 letter) {
    return coded::parity().itemOf(letter);
}

int stopBitsItem(quint8 value) {
    return coded::stopBits().itemOf(value).value_or(-1);
}
int dataBitsItem(quint8 value) {
    return coded::dataBits().itemOf(value).value_or(-1);
}
// Every code without a language of its own reads as English.
int languageItem(quint8 code) {
    return coded::language().itemOf(code).value_or(0);
}

std::optional<int> prescalerItem(quint8 value) {
    return coded::prescaler().itemOf(value);
}

QString capcodeText(const ParamImage& image, int c) {
    return dec7(image.capcode(c));
}

bool capcodeOn(const ParamImage& image, int c) {
    return flags::isOn(image, flags::capcodeOn(c));
}

QString recordPairs(const ParamImage& image, Record record, int c, int f) {
    const int n = std::min<int>(image.at(recordLen(record, c, f)), kRecordChars);
    return pairs(image.data() + recordChar(record, c, f, 0), n);
}

QString funCmdPairs(const ParamImage& image, int c, int f) {
    return pairs(image.data() + funCmdCode(c, f, 0), kFunCmdCodeLen);
}

QString fcPassword(const ParamImage& image, int which) {
    const int lenAt = which == 1 ? kFcPassword1Len : kFcPassword2Len;
    const int textAt = which == 1 ? kFcPassword1 : kFcPassword2;
    const int n = std::min<int>(image.at(lenAt), kPasswordLen);
    return QString::fromLatin1(reinterpret_cast<const char*>(image.data() + textAt), n);
}

QString airPassword(const ParamImage& image) {
    return image.text(kAirPassword, kPasswordLen);
}
QString readPassword(const ParamImage& image) {
    return image.text(kReadPassword, kPasswordLen);
}

quint16 msgTimeoutDelay(const ParamImage& image) {
    return quint16(image.at(kMsgTimeoutDelay) | (image.at(kMsgTimeoutDelay + 1) << 8));
}

QString periodSeconds(const ParamImage& image, int output) {
    return real(image.at(outputPeriod(output)) * double(image.at(kPeriodPrescaler)) * 0.1);
}

} // namespace shown
