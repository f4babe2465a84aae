#pragma once

#include "editor/KeyVerdict.h"
#include "editor/RuleOutcome.h"
#include "image/ParamImage.h"

#include <QString>

// Rules of the "Frequency" group: the band list, the frequency edit and the synthesizer words
// they give (pllR, pllN).
namespace freqrules {

// What the program keeps beside the image for the synthesizer, never saved: the band's
// multiplier (MULT) and the channel step in Hz.
struct Tuning {
    quint8 bandMultiplier = 3; // a fresh window's value before any band was shown
    quint32 channelStep = 0;   // recomputed before its first use
};

// What showing an image does to the tuning: the multiplier follows bandIndex (an index above
// 6 leaves it), and the channel step is recomputed from pllR (0 when pllR gives none).
void followBand(const ParamImage& image, Tuning& tuning);
void retune(const ParamImage& image, Tuning& tuning);

// cboDftClick: band item 0..6 is chosen. Writes bandIndex, takes the band's multiplier and
// step, derives pllR, and commits the band's default frequency as leaving the edit would.
// Any other item (no selection) changes nothing.
RuleOutcome chooseBand(ParamImage& image, Tuning& tuning, int item);

// edtFreqExit: the text of the frequency edit (units of 100 Hz) is committed. Empty stores
// nothing. Refused with the range message or "Channel Spacing Error!" (warnings), or as not a
// whole number (error box); a refused text leaves the image and the tuning as they were.
RuleOutcome commitFrequency(ParamImage& image, Tuning& tuning, const QString& text);

// The default frequency text of band item 0..6 ("1590000" for band 0).
QString defaultFrequency(int item);

// edtFreqKeyPress: digits, "." and Backspace pass, Enter ends the edit, anything else is
// swallowed with "Please insert a numeric !".
KeyVerdict frequencyKey(QChar key);

} // namespace freqrules
