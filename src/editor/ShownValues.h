#pragma once

#include "image/ImageLayout.h"
#include "image/ParamImage.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// How image values read on the window: list items, captions and text formats. Shared by the
// main window and the command line, so both show a setting the same way.
namespace shown {

// List items, in order.
const QStringList& bandCaptions();            // cboDft: "130-180MHz(5K)" .. "080-090MHz(5K)"
const QStringList& pagingBaudCaptions();      // cboBaud: " 512 bps", "1200 bps", "2400 bps"
const QStringList& polarityCaptions();        // cboPolarity: "Normal", "Invert"
const QStringList& messageTypeCaptions();     // cboFun*: "STD Num" .. "Disable"
const QStringList& uartSpeedCaptions();       // ComboBox5: "2400" .. "38400"
const QStringList& dataBitsCaptions();        // ComboBox4: "7", "8"
const QStringList& parityCaptions();          // ComboBox2: "none", "odd", "even"
const QStringList& stopBitsCaptions();        // ComboBox3: "1", "2"
const QStringList& languageCaptions();        // cboLng: "English", "Russian" .. "United Kingdom"
const QStringList& prescalerCaptions();       // cboScaler: "0.1 sec" .. "25 sec"
const QStringList& capcodeSelectorCaptions(); // ComboBox1: "Capcode #1" .. "Capcode #6"

// A list whose items stand for codes in the image: one table of (caption, code) pairs, read
// in both directions, by the rule that writes a code and by the refresh that shows it.
struct CodedList {
    struct Item {
        const char* caption;
        int code;
    };
    std::vector<Item> items;
    // Codes without an item of their own that read as an item's: (code, item).
    std::vector<std::pair<int, int>> alsoRead = {};

    QStringList captions() const;
    std::optional<int> itemOf(int code) const; // none: no item stands for the code
    std::optional<int> codeOf(int item) const; // none: no such item
};
namespace coded {
const CodedList& uartSpeed();   // ComboBox5: the UART's baud code
const CodedList& parity();      // ComboBox2: the parity letter
const CodedList& prescaler();   // cboScaler: the unit in tenths of a second
const CodedList& language();    // cboLng: the language code, 0xFF for English
const CodedList& messageType(); // cboFun*: "Disable" is 5, and 4 reads as it
const CodedList& dataBits();    // ComboBox4: the number of data bits, 7 or 8
const CodedList& stopBits();    // ComboBox3: the number of stop bits, 1 or 2
} // namespace coded

// Text formats.
QString real(double value);                    // 12.5, 8.333, 0 (up to 15 significant digits)
QString dec7(quint32 value);                   // "%07lu"
QString hex(quint32 value, int digits);        // upper case, zero-padded
QString pairs(const quint8* bytes, int count); // "0D;0A;"

// Band and synthesizer.
inline constexpr int kBandCount = 7;
std::optional<quint8> bandMultiplierFor(int bandIndex); // none for an index above 6
inline constexpr quint32 kReferenceConstant = 12800000;
inline constexpr quint32 kFrequencyOffsetHz = 21400000;
struct Synthesizer {
    QString pllR;                     // lblPLLR, hex6
    QString pllN;                     // lblPLLN, hex8
    QString mult;                     // lblMULT
    quint32 channelStep;              // Hz; 0 when pllR gives no step
    QString channel;                  // lblCHANNEL, e.g. "12.5KHz"; empty when there is no step
    std::optional<quint32> frequency; // edtFreq in units of 100 Hz; none without a step
};
Synthesizer synthesizer(const ParamImage& image, quint8 bandMultiplier);

// List items for image values; std::nullopt means "leave the list as it is" and -1 means
// "no selection".
int pagingBaudItem(const ParamImage& image);
int polarityItem(const ParamImage& image);
int messageTypeItem(quint8 code); // 5 and 4 -> Disable; above 5 -> -1
std::optional<int> uartSpeedItem(quint8 code);
std::optional<int> parityItem(quint8 letter);
int stopBitsItem(quint8 value); // -1 outside 1..2
int dataBitsItem(quint8 value); // -1 outside 7..8
int languageItem(quint8 code);
std::optional<int> prescalerItem(quint8 value);

// Values as the window shows them.
QString capcodeText(const ParamImage& image, int c);
bool capcodeOn(const ParamImage& image, int c);
QString recordPairs(const ParamImage& image, layout::Record record, int c, int f);
QString funCmdPairs(const ParamImage& image, int c, int f);
QString fcPassword(const ParamImage& image, int which); // which 1 or 2; length above 10 counts 10
QString airPassword(const ParamImage& image);
QString readPassword(const ParamImage& image);
quint16 msgTimeoutDelay(const ParamImage& image);
QString periodSeconds(const ParamImage& image, int output); // steps x prescaler x 0.1

} // namespace shown
