#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// Contents that --init and --firmware put into the sign's memory before it answers.
enum class InitKind { Default, Erased, Bank0Bad, Bank1Bad, Pager, Foreign, ReadPassword };

struct InitChoice {
    InitKind kind = InitKind::Default;
    QByteArray readPassword; // ReadPassword only, 1..10 characters
};

std::optional<InitChoice> parseInitChoice(const QString& text, QString* error);

// The two 4100-byte banks (bank 0, bank 1) for a prepared image.
std::array<QByteArray, 2> preparedBanks(const InitChoice& choice);

// The 12 identification bytes: "erased" gives twelve 0xFF, any other text of up to 12
// characters is stored as it is and padded with zero bytes.
std::optional<QByteArray> parseFirmwareId(const QString& text, QString* error);
QByteArray defaultFirmwareId();

// What the pager image changes against the default image, so a merge can be seen.
inline constexpr quint32 kPagerCapcode1 = 1111111;
inline constexpr quint8 kPagerSequentialLock = 9;
inline constexpr char kPagerAirPassword[] = "1111111111";
inline constexpr char kForeignTag[] = "FOREIGN_1.00";

class SignMemory;
struct SimOptions;

// Brings the memory into the state the options ask for: an existing state file as it is, a
// new one with the default image in both banks and the default identification; then --init
// and --firmware on top. Saves when anything was prepared.
bool prepareMemory(SignMemory& memory, const SimOptions& options, QString* error);
