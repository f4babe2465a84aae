#pragma once

#include "image/ParamImage.h"

// Rules of the paging receiver's line in the "Frequency" group: baud rate and polarity.
namespace pagingrules {

// cboBaudClick, item 0..2 (" 512 bps", "1200 bps", "2400 bps"): the item goes to
// baudIndexBits, the baud code to rxControl2 and the fixed timing bytes to rxControl3 and
// rxControl4. Bit 0 of rxControl3 is the disable bit of capcode #1 and stays as it was, so
// choosing a baud rate never switches capcode #1 on behind its ON box. An item outside the
// list changes nothing.
void chooseBaud(ParamImage& image, int item);

// cboPolarityClick, item 0 ("Normal") or 1 ("Invert"); any other item changes nothing.
void choosePolarity(ParamImage& image, int item);

} // namespace pagingrules
