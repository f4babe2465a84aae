#include "editor/FrequencyRules.h"

#include "core/Messages.h"
#include "editor/NumberText.h"
#include "editor/ShownValues.h"

using namespace layout;

namespace freqrules {

namespace {

struct Band {
    quint32 channelStep; // set on selection; band 3 really steps 6.25 kHz whatever its caption
    bool automatic;      // the commit searches the step
    const char* defaultText;
};

constexpr Band kBands[shown::kBandCount] = {
    {5000, false, "1590000"}, {6250, false, "1590125"}, {5000, true, "1590000"},
    {6250, false, "2780125"}, {12500, true, "4620000"}, {12500, false, "9310125"},
    {5000, false, "859550"},
};

// Tried in this order by the Auto bands.
constexpr quint32 kCandidateSteps[] = {12500, 10000, 6250, 5000, 2500};

// N sits in bits 31..7 of pllN.
constexpr quint32 kPllNShift = 7;
constexpr quint32 kMaxChannels = 0xFFFFFFFFu >> kPllNShift;

void storePllR(ParamImage& image, quint8 multiplier, quint32 step) {
    const quint32 r = (quint32(multiplier) * shown::kReferenceConstant / step) / 4;
    image.writeBE(kPllR, 3, r & 0xFFFFFF);
}

} // namespace

void followBand(const ParamImage& image, Tuning& tuning) {
    if (auto m = shown::bandMultiplierFor(image.at(kBandIndex)))
        tuning.bandMultiplier = *m;
}

void retune(const ParamImage& image, Tuning& tuning) {
    tuning.channelStep = shown::synthesizer(image, tuning.bandMultiplier).channelStep;
}

QString defaultFrequency(int item) {
    if (item < 0 || item >= shown::kBandCount)
        return {};
    return QString::fromLatin1(kBands[item].defaultText);
}

RuleOutcome chooseBand(ParamImage& image, Tuning& tuning, int item) {
    // Only a pick by the user gets here, so an item outside the list means nothing was
    // chosen; the step of such a choice would be whatever was left, perhaps none at all.
    if (item < 0 || item >= shown::kBandCount)
        return RuleOutcome::ok();
    image.set(kBandIndex, quint8(item));
    tuning.bandMultiplier = *shown::bandMultiplierFor(item);
    tuning.channelStep = kBands[item].channelStep;
    storePllR(image, tuning.bandMultiplier, tuning.channelStep);
    return commitFrequency(image, tuning, defaultFrequency(item));
}

RuleOutcome commitFrequency(ParamImage& image, Tuning& tuning, const QString& text) {
    if (text.isEmpty()) {
        retune(image, tuning);
        return RuleOutcome::ok();
    }
    const std::optional<qint64> f = numbertext::wholeNumber(text);
    if (!f)
        return RuleOutcome::error(msg::notInteger(text));

    // The bounds are read from the band's caption ("130-180MHz(5K)": 130 and 180 MHz). With
    // no band shown there is no caption, and its empty bounds do not read as numbers either.
    const int band = image.at(kBandIndex);
    if (band >= shown::kBandCount)
        return RuleOutcome::error(msg::notInteger(QString()));
    const QString caption = shown::bandCaptions().at(band);
    const QString lo3 = caption.mid(0, 3), hi3 = caption.mid(4, 3);
    if (*f < lo3.toLongLong() * 10000 || *f > hi3.toLongLong() * 10000)
        return RuleOutcome::warning(msg::frequencyRange(lo3, hi3));

    // Within the band D is positive and well inside 32 bits.
    const quint32 d = quint32(*f * 100 - shown::kFrequencyOffsetHz);
    quint32 step = tuning.channelStep;
    if (kBands[band].automatic) {
        step = 0;
        for (quint32 candidate : kCandidateSteps)
            if (d % candidate == 0) {
                step = candidate;
                break;
            }
    }
    // A loaded pllR may give no step at all, or one so fine that N no longer fits its 25
    // bits: such a frequency is off any raster the sign can hold.
    if (step == 0 || d % step != 0 || d / step > kMaxChannels)
        return RuleOutcome::warning(msg::channelSpacingError);

    if (kBands[band].automatic) {
        tuning.channelStep = step;
        storePllR(image, tuning.bandMultiplier, step);
    }
    image.writeBE(kPllN, 4, (d / step) << kPllNShift);
    retune(image, tuning);
    return RuleOutcome::ok();
}

KeyVerdict frequencyKey(QChar key) {
    const char16_t c = key.unicode();
    if (c == kEnterChar)
        return KeyVerdict::toFocusSink();
    if (c == kBackspaceChar || c == u'.' || (c >= u'0' && c <= u'9'))
        return KeyVerdict::pass();
    return KeyVerdict::swallow(RuleOutcome::warning(msg::insertNumericSpaced));
}

} // namespace freqrules
