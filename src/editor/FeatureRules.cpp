#include "editor/FeatureRules.h"

#include "core/Messages.h"
#include "editor/NumberText.h"
#include "editor/ShownValues.h"

using namespace layout;

namespace featurerules {

EditOutcome byteSettingExit(ParamImage& image, int tag, const QString& text,
                            const serialrules::PendingRecord& pending) {
    if (tag != kSequentialLockTag && tag != kOutOfRangeTimeoutTag)
        return {};
    if (text.isEmpty())
        return serialrules::finishWithSerialFeatures(image, pending);
    const std::optional<qint64> n = numbertext::wholeNumber(text);
    if (!n || *n == -1)
        return serialrules::finishWithSerialFeatures(image, pending,
                                                     {RuleOutcome::plain(msg::insertNumeric)});
    if (*n < 0 || *n > 255)
        return serialrules::finishWithSerialFeatures(image, pending,
                                                     {RuleOutcome::warning(msg::byteRange)});
    image.set(tag == kSequentialLockTag ? kSequentialLock : kOutOfRangeTimeout, quint8(*n));
    return {};
}

void setLanguage(ParamImage& image, int item) {
    if (auto code = shown::coded::language().codeOf(item))
        image.set(kLanguageCode, quint8(*code));
}

} // namespace featurerules
