#include "editor/OutputRules.h"

#include "core/Messages.h"
#include "editor/Flags.h"
#include "editor/ShownValues.h"

#include <cmath>

using namespace layout;

namespace outputrules {

void setPowerUpOutput(ParamImage& image, int output, bool on) {
    if (output >= 0 && output < kOutputCount)
        flags::setOn(image, flags::powerUpOutput(output), on);
}

std::optional<double> prescalerScale(int item) {
    if (auto code = shown::coded::prescaler().codeOf(item))
        return double(*code);
    return std::nullopt;
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
