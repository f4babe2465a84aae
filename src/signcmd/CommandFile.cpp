#include "signcmd/CommandFile.h"

#include "image/AtomicSave.h"
#include "signcmd/IniFile.h"

#include <QFile>

namespace signcmd {

namespace {
QString twoDigits(int a, int b, int c) {
    return QStringLiteral("%1%2%3")
        .arg(a, 2, 10, QLatin1Char('0'))
        .arg(b, 2, 10, QLatin1Char('0'))
        .arg(c, 2, 10, QLatin1Char('0'));
}
} // namespace

CommandValues startupValues(const QDateTime& now) {
    CommandValues v;
    for (int n : controlOrder()) {
        const Command& c = commands()[n];
        v[n] = decode(c, defaultValue(QLatin1String(c.keyword)), v[n]).value_or(ControlValue{});
    }
    refreshDateTime(v, now);
    return v;
}

void refreshDateTime(CommandValues& v, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    v[kDateCommand] = {twoDigits(d.year() - 2000, d.month(), d.day()), -1};
    v[kTimeCommand] = {twoDigits(t.hour(), t.minute(), t.second()), -1};
}

std::optional<CommandValues> loadCommands(const QByteArray& file, const CommandValues& before,
                                          QString* error) {
    const IniFile ini = IniFile::fromBytes(file);
    CommandValues v = before;
    for (int n : controlOrder()) {
        const Command& c = commands()[n];
        const QString stored = ini.value(kSection, QLatin1String(c.keyword));
        const auto decoded = decode(c, stored, v[n]);
        if (!decoded) {
            if (error)
                *error = conversionError(stored);
            return std::nullopt;
        }
        v[n] = *decoded;
    }
    return v;
}

QByteArray saveCommands(const QByteArray& existing, const CommandValues& values) {
    IniFile ini = IniFile::fromBytes(existing);
    for (int n : controlOrder()) {
        const Command& c = commands()[n];
        ini.setValue(kSection, QLatin1String(c.keyword), encode(c, values[n]));
    }
    return ini.toBytes();
}

bool loadCommandFile(const QString& path, CommandValues& values, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const auto loaded = loadCommands(f.readAll(), values, error);
    if (!loaded)
        return false;
    values = *loaded;
    return true;
}

bool saveCommandFile(const QString& path, const CommandValues& values, QString* reason) {
    QByteArray existing;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            if (reason)
                *reason = old.errorString();
            return false;
        }
        existing = old.readAll();
    }
    return saveAtomically(path, saveCommands(existing, values), reason);
}

} // namespace signcmd
