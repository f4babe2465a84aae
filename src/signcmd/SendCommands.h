#pragma once

#include "signcmd/CommandFile.h"
#include "signcmd/SendText.h"

class Exchange;
struct LinkState;

namespace signcmd {

inline constexpr int kSendProgressMax = 30;

// The texts a Send transmits after "MKLEDDEFAULT": the default message always, then each
// other command whose value differs from its built-in default, in control order.
QStringList changedCommandTexts(const CommandValues& values);

// Send: links, sends "MKLEDDEFAULT", the default message and the changed commands (the walk
// stops at the first failed frame) and shows "Send Success!" or "Send Error!". The port stays
// open. Refuses (false, nothing shown) while another exchange holds the line.
bool sendCommands(Exchange& exchange, LinkState& link, const CommandValues& values,
                  const DisplayTiming& timing = {});

} // namespace signcmd
