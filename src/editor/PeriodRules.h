#pragma once

#include "editor/EditOutcome.h"
#include "editor/SerialOutputRules.h"
#include "image/ParamImage.h"

#include <QString>

// The pre-scaler list and the nine output period edits of "Output Features". `periodScale`
// is the program's unit in tenths of a second (1 at start), kept beside the image.
namespace periodrules {

// The longest period of a unit, in seconds: 25.5 x unit (255 steps).
double maximumSeconds(double periodScale);

// cboScalerClick: `item` (-1 for no selection) sets periodScale, then the periods are
// rescaled from the stored unit to it (outputrules::applyPrescaler) and the page refreshed.
// The window then sets lblScaler to outputrules::prescalerMaximum(periodScale). The image
// refresh runs this with PendingRecord::none() (it does not collect).
EditOutcome prescalerPick(ParamImage& image, double& periodScale, int item,
                          const serialrules::PendingRecord& pending);

// edtPlsPer0Exit for output 0..8: seconds, a fraction allowed, 0 .. maximumSeconds. Stored
// as truncate(seconds x 10 / periodScale) steps. A text that is no number gives the
// conversion error (the text stays, no refresh); every other exit ends in
// ShowSerialFeatures, which shows each period in seconds.
EditOutcome periodExit(ParamImage& image, double periodScale, int output, const QString& text,
                       const serialrules::PendingRecord& pending);

} // namespace periodrules
