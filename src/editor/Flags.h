#pragma once

#include "image/ImageLayout.h"
#include "image/ParamImage.h"

// The on/off settings of the image that rules share, each with its polarity stated once (a
// box of its own states its flag in its row of settings/SettingTable.cpp). The sign keeps two
// kinds: a byte where 0 means on and 0xFF off, and a byte (or one bit) where 1 means on and 0
// off; the capcodes' ON boxes are disable bits, where 0 means on.
namespace flags {

enum class Polarity { ZeroIsOn, OneIsOn };

struct Flag {
    int offset;
    Polarity polarity;
    int bit = -1; // -1: the whole byte
};

// A byte flag reads "on" by the rule of its polarity: 0 is on (anything else off), or
// anything but 0 is on.
inline bool isOn(const ParamImage& image, const Flag& f) {
    const unsigned v = f.bit < 0 ? image.at(f.offset) : image.getBits(f.offset, f.bit, 1);
    return f.polarity == Polarity::ZeroIsOn ? v == 0 : v != 0;
}

constexpr quint8 zeroWhenOn(bool on) {
    return on ? 0x00 : 0xFF;
}

inline void setOn(ParamImage& image, const Flag& f, bool on) {
    const bool zero = (f.polarity == Polarity::ZeroIsOn) == on;
    if (f.bit >= 0)
        image.putBits(f.offset, f.bit, zero ? 0 : 1, 1);
    else
        image.set(f.offset, f.polarity == Polarity::ZeroIsOn ? zeroWhenOn(on) : quint8(on ? 1 : 0));
}

using enum Polarity;
inline constexpr Flag serialLed{layout::kSerialLedFlag, ZeroIsOn};
inline constexpr Flag serialOutputOn{layout::kSerialOutputOn, OneIsOn};
constexpr Flag serialCtl(int i) {
    return {layout::serialCtl(i), OneIsOn};
}
constexpr Flag intFunCmd(int c, int f) {
    return {layout::intFunCmd(c, f), OneIsOn};
}
// Capcode #1's disable bit is bit 0 of rxControl3; #2..#6 are bits 4..0 of rxControl2.
constexpr Flag capcodeOn(int c) {
    return c == 0 ? Flag{layout::kRxControl3, ZeroIsOn, 0}
                  : Flag{layout::kRxControl2, ZeroIsOn, 5 - c};
}
// Outputs 1..8 are bits 0..7 of powerUpOutputs, output 9 is bit 4 of powerUpOutputs2.
constexpr Flag powerUpOutput(int i) {
    return i < 8 ? Flag{layout::kPowerUpOutputs, OneIsOn, i}
                 : Flag{layout::kPowerUpOutputs2, OneIsOn, layout::kOutput9Bit};
}

} // namespace flags
