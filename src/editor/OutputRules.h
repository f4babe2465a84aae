#pragma once

#include "image/ParamImage.h"

#include <QString>
#include <optional>

// Rules of the "Output Features" and "Features" groups that write the image.
namespace outputrules {

// chkOutput0..chkOutput8: outputs 1..8 are bits 0..7 of powerUpOutputs, output 9 is bit 4 of
// powerUpOutputs2; the other bits stay.
void setPowerUpOutput(ParamImage& image, int output, bool on);

// The pre-scaler list: item 0..5 is a unit of 1, 10, 50, 100, 200, 250 tenths of a second.
std::optional<double> prescalerScale(int item);
// "Max.=25.5 sec" for a unit of one tenth.
QString prescalerMaximum(double scale);
// The pre-scaler rule: the unit becomes scale, and every period is rescaled from the old unit
// (periodPrescaler as it was) so its length in seconds stays as close as it can, capped at
// 255 steps. An old unit of 0 makes every period 0.
void applyPrescaler(ParamImage& image, double scale);

} // namespace outputrules
