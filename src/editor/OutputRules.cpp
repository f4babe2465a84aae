#include "editor/OutputRules.h"

#include "core/Messages.h"
#include "editor/ShownValues.h"

#include <cmath>

using namespace layout;

namespace outputrules {

namespace {
quint8 zeroWhenOn(bool on) {
    return on ? 0x00 : 0xFF;
}
} // namespace

void setPowerUpOutput(ParamImage& image, int output, bool on) {
    if (output >= 0 && output < 8)
        image.putBits(kPowerUpOutputs, output, on ? 1 : 0, 1);
    else if (output == 8)
        image.putBits(kPowerUpOutputs2, kOutput9Bit, on ? 1 : 0, 1);
}

void setPowerUpFlag(ParamImage& image, bool on) {
    image.set(kPowerUpFlag, zeroWhenOn(on));
}
void setRoe(ParamImage& image, bool on) {
    image.set(kRoeFlag, zeroWhenOn(on));
}
void setOrc(ParamImage& image, bool on) {
    image.set(kOrcFlag, zeroWhenOn(on));
}

std::optional<double> prescalerScale(int item) {
    static const double scales[] = {1, 10, 50, 100, 200, 250};
    if (item < 0 || item >= int(std::size(scales)))
        return std::nullopt;
    return scales[item];
}

QString prescalerMaximum(double scale) {
    return msg::label::prescalerMaximum(shown::real(scale * 25.5));
}

void applyPrescaler(ParamImage& image, double scale) {
    const double old = image.at(kPeriodPrescaler);
    image.set(kPeriodPrescaler, quint8(std::trunc(scale)));
    for (int i = 0; i < kOutputCount; ++i) {
        const double steps = std::trunc(image.at(outputPeriod(i)) * old / scale);
        image.set(outputPeriod(i), steps > 255 ? 255 : quint8(steps));
    }
}

} // namespace outputrules
