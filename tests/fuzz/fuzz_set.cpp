// Every `ledsign set` value: a run of changes made on a default image as the subcommand makes
// them on the file it opened, then the result shown as `ledsign show` and `show --json` do.
// Each change is a byte that picks a key (one past the last: the key's text follows as well),
// a length byte and the value's text in UTF-8, as a command line passes it.
#include "FuzzInput.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"
#include "settings/SettingsReport.h"

#include <QJsonDocument>
#include <cstddef>
#include <cstdint>

namespace {

QString text(FuzzInput& in) {
    return QString::fromUtf8(in.take(in.byte()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QStringList keys = settings::settableKeys();
    FuzzInput in(data, size);

    settings::EditSession s;

    for (int changes = 0; !in.empty() && changes < 64; ++changes) {
        const int pick = in.byte() % (keys.size() + 1);
        const QString key = pick < keys.size() ? keys[pick] : text(in);
        const QString value = text(in);
        const settings::Change c = settings::readChange(key, value);
        if (pick < keys.size() && !c.setting && !settings::findKey(key))
            qFatal("a key of the table is unknown: %s", qPrintable(key));
        if (!c.setting) {
            if (c.error.isEmpty())
                qFatal("a change not read without a reason: %s=%s", qPrintable(key),
                       qPrintable(value));
            continue;
        }
        const RuleOutcome outcome = settings::apply(s, *c.setting, c.input);
        if (outcome.refused() && outcome.text.isEmpty())
            qFatal("a change refused without a message: %s=%s", qPrintable(key), qPrintable(value));
    }

    const QByteArray json = QJsonDocument(settings::settingsJson(s)).toJson();
    if (settings::settingsText(s).isEmpty() || QJsonDocument::fromJson(json).isNull())
        qFatal("show printed nothing, or JSON that does not read back");
    return 0;
}
