#include "editor/CapcodeRules.h"

using namespace layout;

namespace capcoderules {

void setCapcodeOn(ParamImage& image, int c, bool on) {
    const unsigned disabled = on ? 0 : 1;
    if (c == 0)
        image.putBits(kRxControl3, 0, disabled, 1);
    else
        image.putBits(kRxControl2, 5 - c, disabled, 1);
}

void setTestMode(ParamImage& image, bool on) {
    image.set(kTestModeFlag, on ? 0x00 : 0xFF);
}

} // namespace capcoderules
