#pragma once

#include "editor/KeyVerdict.h"
#include "editor/RuleOutcome.h"
#include "image/ParamImage.h"

#include <QString>

// Rules of the "Capcode(Decimal Address)" group that write the image.
namespace capcoderules {

inline constexpr quint32 kMaxCapcode = 2097151; // 21 bits

// Edit1KeyUp: the text of capcode edit c (0..5) after a key was released. Every text that
// reads is stored at once, so typing stores each prefix in turn. Empty stores nothing. Not a
// decimal whole number (or -1): "Please insert a numeric!"; outside 0..2097151: the range
// message; both in the plain box, and nothing is stored.
RuleOutcome typeCapcode(ParamImage& image, int c, const QString& text);

// edtAddrKeyPress: Enter ends the edit; every other character reaches it.
KeyVerdict capcodeKey(QChar key);

// The ON box of capcode c: its disable bit is 0 when on.
void setCapcodeOn(ParamImage& image, int c, bool on);
// cboFunClick, type box t (4c + f): item 0..3 store their index, item 4 ("Disable") stores 5.
// Any other item changes nothing.
void setMessageType(ParamImage& image, int t, int item);

} // namespace capcoderules
