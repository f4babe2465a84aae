#pragma once

#include "image/ParamImage.h"

#include <QString>
#include <QStringList>
#include <array>

// Rules of the "Serial Output Settings" page that write the image, and the reading of the
// per-capcode header, trailer, time-out and function command edits.
namespace serialrules {

inline constexpr int kSerialOutputOnTag = 5; // chkCtl5; Tags 0..4 are the serialCtl flags

// chkCtl0..chkCtl5: Tag 0..4 write serialCtl[Tag], Tag 5 the master switch (1 on, 0 off).
void setSerialOption(ParamImage& image, int tag, bool on);
// The "Int. Fun. Cmd." boxes and FC edits take input only while the serial output is on and
// the sign does not handle function commands itself ("Fun. Cmd. Enable" unchecked).
constexpr bool funCmdControlsEnabled(bool serialOutputOn, bool funCmdEnable) {
    return serialOutputOn && !funCmdEnable;
}

void setSerialLed(ParamImage& image, bool on);    // 0 checked, 0xFF not
void setRts(ParamImage& image, bool on);          // 0 checked, 0xFF not
void setFcAsPassword(ParamImage& image, bool on); // 0 checked, 0xFF not

// UART format lists; an item outside the list (no selection) writes nothing.
inline constexpr int kUart19200Item = 3;
void setUartSpeed(ParamImage& image, int item);  // ComboBox5
void setUartParity(ParamImage& image, int item); // ComboBox2
// ComboBox3 (Tag 1, stop bits) and ComboBox4 (Tag 2, data bits) write their item's text as a
// number.
inline constexpr int kStopBitsTag = 1;
inline constexpr int kDataBitsTag = 2;
void setUartBits(ParamImage& image, int tag, int value);

// What the four function-bit groups of one capcode hold on the screen. The texts are the
// masked edits as displayed: two characters per byte and ";" between, blanks included.
struct FunctionBitTexts {
    QString header;
    QString trailer;
    QString timeout;
    QString funCmd;
    bool intFunCmd = false;
};
using CapcodeRecordTexts = std::array<FunctionBitTexts, layout::kFunctionBits>;

// The pieces of a masked text: split at ";" (nothing between two adjacent ";" is no piece),
// each trimmed of blanks, at most maxPieces. With stopAtBlank the first blank piece ends the
// list, so a record reads up to its first empty pair.
QStringList recordPieces(const QString& text, int maxPieces, bool stopAtBlank);
// One piece as a byte; throws ConversionError when it is not hexadecimal.
quint8 hexByte(const QString& piece);

// Copies the screen's record of capcode c into the image, function bit by function bit.
// A piece that is not hexadecimal stops the copy with a ConversionError; what was stored
// before it stays stored. Bytes beyond a new length keep their old values.
void collectCapcodeRecord(ParamImage& image, int c, const CapcodeRecordTexts& texts);

} // namespace serialrules
