#pragma once

#include "editor/FrequencyRules.h"
#include "editor/RuleOutcome.h"
#include "image/ParamImage.h"

#include <QString>
#include <QStringList>

// One change of `ledsign set`, made on an image without its file (SetKeys.cpp); the fuzz
// target of every key drives the subcommand's own key table through it.
namespace cli {

// What a window holds while the changes are made: the image and the state beside it.
struct SetSession {
    ParamImage image;
    freqrules::Tuning tuning;
    double periodScale = 1; // the unit cboScaler shows
};

// Every key `ledsign set` takes, with its list positions written out ("capcodes.1.types.A").
QStringList setKeys();

enum class SetResult { Done, UnknownKey, NotAValue, Refused };
// KEY=VALUE read and made as the subcommand makes it; *outcome holds the rule's refusal.
SetResult applySetting(SetSession& session, const QString& key, const QString& value,
                       RuleOutcome* outcome);

} // namespace cli
