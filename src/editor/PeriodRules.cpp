#include "editor/PeriodRules.h"

#include "core/Messages.h"
#include "editor/NumberText.h"
#include "editor/OutputRules.h"
#include "editor/ShownValues.h"

#include <cmath>

using namespace layout;

namespace periodrules {

double maximumSeconds(double periodScale) {
    return periodScale * 25.5;
}

EditOutcome prescalerPick(ParamImage& image, double& periodScale, int item,
                          const serialrules::PendingRecord& pending) {
    if (auto scale = outputrules::prescalerScale(item))
        periodScale = *scale;
    outputrules::applyPrescaler(image, periodScale);
    return serialrules::finishWithSerialFeatures(image, pending);
}

EditOutcome periodExit(ParamImage& image, double periodScale, int output, const QString& text,
                       const serialrules::PendingRecord& pending) {
    if (output < 0 || output >= kOutputCount)
        return {};
    if (text.isEmpty())
        return serialrules::finishWithSerialFeatures(image, pending);
    const std::optional<double> seconds = numbertext::realNumber(text);
    if (!seconds) {
        EditOutcome o;
        o.outcome = RuleOutcome::error(msg::notFloat(text));
        return o;
    }
    const double maximum = maximumSeconds(periodScale);
    // A negative period would wrap into a long one.
    if (*seconds > maximum || *seconds < 0)
        return serialrules::finishWithSerialFeatures(
            image, pending, {RuleOutcome::warning(msg::periodRange(shown::real(maximum)))});
    // 2.3 x 10 is 22.999999999999996 in binary: a hair above it keeps 23 steps, far below
    // the next step, so no typed tenth is lost.
    const double steps = std::trunc(*seconds * 10 / periodScale + 1e-9);
    image.set(outputPeriod(output), quint8(std::min(steps, 255.0)));
    return serialrules::finishWithSerialFeatures(image, pending);
}

} // namespace periodrules
