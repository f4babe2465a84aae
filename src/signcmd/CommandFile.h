#pragma once

#include "signcmd/CommandTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

// The values of the 34 command controls, by command number, and their command file (.ini,
// section "LED Sign", one key per keyword).
namespace signcmd {

using CommandValues = std::array<ControlValue, kCommandCount>;

inline const QString kSection = QStringLiteral("LED Sign");

// Every control from the built-in default table, then the date and time fields from now.
CommandValues startupValues(const QDateTime& now);
// The date (yymmdd) and time (hhmmss) fields from the clock, as each activation does.
void refreshDateTime(CommandValues& values, const QDateTime& now);

// The file's values decoded into the controls, or nothing with the conversion error in
// *error: a file with a value a coded list cannot take loads nothing, so a dialog is never
// left half loaded. A missing key reads as empty.
std::optional<CommandValues> loadCommands(const QByteArray& file, const CommandValues& before,
                                          QString* error);
// The file with every key written in control order, edited in place.
QByteArray saveCommands(const QByteArray& existing, const CommandValues& values);

// Reads a file from disk; false with the reason (unreadable, or the conversion error).
bool loadCommandFile(const QString& path, CommandValues& values, QString* error);
// Writes through a temporary file in the same folder renamed over the target, so the file
// that was there is never damaged; false with the reason.
bool saveCommandFile(const QString& path, const CommandValues& values, QString* reason);

} // namespace signcmd
