#pragma once

#include "editor/EditOutcome.h"
#include "image/ParamImage.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

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
    bool operator==(const FunctionBitTexts&) const = default;
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

// The record of the selected capcode as it stands on the screen, not yet collected. Rules
// that end in ShowSerialFeatures take it so that what was typed is kept (ShowSerialFeatures
// shows capcode #1 from the image). The image refresh and the command line have nothing
// pending: they pass none().
struct PendingRecord {
    int capcode = -1; // -1: nothing pending
    CapcodeRecordTexts texts;
    static PendingRecord none() { return {}; }
};

// Ends a rule that asks for ShowSerialFeatures: collects the pending record, then asks for
// the refresh. A piece that is not hexadecimal gives collectError instead, and no refresh.
// `before` is the rule's own message and the edit text it wants shown.
EditOutcome finishWithSerialFeatures(ParamImage& image, const PendingRecord& pending,
                                     EditOutcome before = {});

// edtMDlyExit: seconds 0..65000, little-endian at 2788, and msgDelayOn. An empty text stores
// nothing; every exit but a stored value ends in ShowSerialFeatures.
inline constexpr int kMaxMsgTimeoutDelay = 65000;
EditOutcome msgTimeoutDelayExit(ParamImage& image, const QString& text,
                                const PendingRecord& pending);
// Edit7Exit: one byte typed as up to two hexadecimal digits. Empty: the stored code is shown
// again. Not hexadecimal: "Please Input Heximal!", the text stays, the focus goes back.
EditOutcome endCodeExit(ParamImage& image, const QString& text);

// CheckBox8Click: with the sign's own LED format on, the UART runs at 19200 (item 3 of
// ComboBox5, written to the image here) and its panel is hidden.
struct SerialLedEffect {
    std::optional<int> uartSpeedItem; // select this item in ComboBox5
    bool uartPanelVisible = true;     // Panel2
};
SerialLedEffect applySerialLed(ParamImage& image, bool on);

// Which controls of the serial output page take input, given the state of its check boxes.
inline constexpr unsigned kGreyCaption = 0x808080; // group captions while the page is off
struct SerialPageEnables {
    bool page = false;           // grpPara, grpFunA..D and every control of grpPara/Panel2
    bool funCmdControls = false; // chkOpCmd0..3 and edtFC0..3
    bool uartPanelVisible = true;
};
SerialPageEnables serialPageEnables(bool serialOutputOn, bool funCmdEnable, bool serialLed);
// The same from the image, as the page stands after a refresh.
SerialPageEnables serialPageEnables(const ParamImage& image);

} // namespace serialrules
