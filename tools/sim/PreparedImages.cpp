#include "PreparedImages.h"

#include "SignBank.h"
#include "SignMemory.h"
#include "SimOptions.h"
#include "image/ParamImage.h"

#include <QFileInfo>

using namespace signbank;

namespace {

const QString kReadPasswordPrefix = QStringLiteral("read-password=");

// A damaged bank: one reserved byte changed after sealing (the sum no longer matches) and the
// first check word broken (the tail no longer agrees with itself).
QByteArray damaged(QByteArray bank) {
    const int reserved = kModelTag + kModelTagLength + 3;
    bank[reserved] = char(~quint8(bank[reserved]));
    bank[kSumAt + 2] = char(quint8(bank[kSumAt + 2]) ^ 0x01);
    return bank;
}

void putText(QByteArray& image, int offset, const QByteArray& text) {
    image.replace(offset, text.size() + 1, text + '\0');
}

// Capcode #1 in bits 23..3 of its three bytes; bits 2..0 stay as they are.
void putCapcode1(QByteArray& image, quint32 capcode) {
    image[kCapcode1] = char(capcode >> 13);
    image[kCapcode1 + 1] = char((capcode >> 5) & 0xFF);
    image[kCapcode1 + 2] = char((quint8(image[kCapcode1 + 2]) & 0x07) | ((capcode << 3) & 0xFF));
}

} // namespace

std::optional<InitChoice> parseInitChoice(const QString& text, QString* error) {
    InitChoice choice;
    if (text == QLatin1String("default"))
        choice.kind = InitKind::Default;
    else if (text == QLatin1String("erased"))
        choice.kind = InitKind::Erased;
    else if (text == QLatin1String("bank0-bad"))
        choice.kind = InitKind::Bank0Bad;
    else if (text == QLatin1String("bank1-bad"))
        choice.kind = InitKind::Bank1Bad;
    else if (text == QLatin1String("pager"))
        choice.kind = InitKind::Pager;
    else if (text == QLatin1String("foreign"))
        choice.kind = InitKind::Foreign;
    else if (text.startsWith(kReadPasswordPrefix)) {
        choice.kind = InitKind::ReadPassword;
        const QString password = text.mid(kReadPasswordPrefix.size());
        bool plain = !password.isEmpty() && password.size() <= kPasswordLength;
        for (QChar ch : password)
            plain = plain && ch.unicode() > 0x20 && ch.unicode() < 0x7F;
        if (!plain) {
            *error = QStringLiteral("--init read-password= needs 1 to %1 printable ASCII "
                                    "characters without blanks")
                         .arg(kPasswordLength);
            return std::nullopt;
        }
        choice.readPassword = password.toLatin1();
    } else {
        *error = QStringLiteral("unknown --init value '%1'").arg(text);
        return std::nullopt;
    }
    return choice;
}

std::array<QByteArray, 2> preparedBanks(const InitChoice& choice) {
    // The programmer's default content, nothing more: the sign seals its banks itself.
    QByteArray image = ParamImage().toByteArray();
    switch (choice.kind) {
    case InitKind::Erased: {
        const QByteArray erased(kBankSize, char(0xFF));
        return {erased, erased};
    }
    case InitKind::Pager:
        putCapcode1(image, kPagerCapcode1);
        image[kSequentialLock] = char(kPagerSequentialLock);
        putText(image, kAirPassword, QByteArray(kPagerAirPassword));
        putText(image, kModelTag, QByteArray("POCSAG"));
        break;
    case InitKind::Foreign:
        putText(image, kModelTag, QByteArray(kForeignTag));
        break;
    case InitKind::ReadPassword:
        putText(image, kReadPassword, choice.readPassword);
        break;
    default:
        break;
    }
    const QByteArray good = seal(image);
    if (choice.kind == InitKind::Bank0Bad)
        return {damaged(good), good};
    if (choice.kind == InitKind::Bank1Bad)
        return {good, damaged(good)};
    return {good, good};
}

std::optional<QByteArray> parseFirmwareId(const QString& text, QString* error) {
    if (text == QLatin1String("erased"))
        return QByteArray(kFirmwareLength, char(0xFF));
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > kFirmwareLength || QString::fromLatin1(bytes) != text) {
        *error = QStringLiteral("--firmware takes at most %1 Latin-1 characters, or 'erased'")
                     .arg(kFirmwareLength);
        return std::nullopt;
    }
    QByteArray id = bytes;
    id.resize(kFirmwareLength, '\0');
    return id;
}

QByteArray defaultFirmwareId() {
    return QByteArrayLiteral("POCSAG  2.52");
}

bool prepareMemory(SignMemory& memory, const SimOptions& options, QString* error) {
    const bool fresh = options.statePath.isEmpty() || !QFileInfo::exists(options.statePath);
    if (!fresh && !memory.load(options.statePath, error))
        return false;
    memory.setStatePath(options.statePath);
    std::optional<InitChoice> init = options.init;
    std::optional<QByteArray> firmware = options.firmware;
    if (fresh) {
        if (!init)
            init = InitChoice{};
        if (!firmware)
            firmware = defaultFirmwareId();
    }
    if (init) {
        const auto banks = preparedBanks(*init);
        for (int b = 0; b < 2; ++b) {
            memory.eraseSector(bankBase(b));
            memory.write(bankBase(b), banks[b]);
        }
    }
    if (firmware)
        memory.write(kFirmwareAddress, *firmware);
    return (!init && !firmware) || memory.save(error);
}
