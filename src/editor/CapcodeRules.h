#pragma once

#include "image/ParamImage.h"

// Rules of the "Capcode(Decimal Address)" group that write the image.
namespace capcoderules {

// The ON box of capcode c: its disable bit is 0 when on.
void setCapcodeOn(ParamImage& image, int c, bool on);
// "Test Mode": 0x00 when checked, 0xFF when not.
void setTestMode(ParamImage& image, bool on);

} // namespace capcoderules
