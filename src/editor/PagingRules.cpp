#include "editor/PagingRules.h"

using namespace layout;

namespace pagingrules {

namespace {

struct Baud {
    quint8 code;       // rxControl2 bits 7..5
    quint8 rxControl3; // bit 0 excepted
    quint8 rxControl4;
};
constexpr Baud kBauds[] = {{1, 0x24, 0x1F}, {2, 0x44, 0x47}, {7, 0x74, 0x7F}};
constexpr int kBaudCount = int(std::size(kBauds));

constexpr quint8 kCapcode1Disable = 0x01;

} // namespace

void chooseBaud(ParamImage& image, int item) {
    if (item < 0 || item >= kBaudCount)
        return;
    image.putBits(kBaudIndexByte, kBaudIndexShift, unsigned(item), kBaudIndexWidth);
    const Baud& b = kBauds[item];
    image.putBits(kRxControl2, kBaudCodeShift, b.code, kBaudCodeWidth);
    image.set(kRxControl3, quint8((b.rxControl3 & ~kCapcode1Disable) |
                                  (image.at(kRxControl3) & kCapcode1Disable)));
    image.set(kRxControl4, b.rxControl4);
}

void choosePolarity(ParamImage& image, int item) {
    if (item == 0 || item == 1)
        image.putBits(kRxControl1, kPolarityShift, unsigned(item), 1);
}

} // namespace pagingrules
