#include "PreparedImages.h"

#include "SignMemory.h"
#include "SimOptions.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Frames.h"

#include <QFileInfo>

using namespace layout;

namespace {

const QString kReadPasswordPrefix = QStringLiteral("read-password=");

// A damaged bank: one reserved byte changed after sealing (the sum no longer matches) and the
// first check word broken (the tail no longer agrees with itself).
QByteArray damaged(QByteArray bank) {
    const int reserved = kModelTag + kModelTagLen + 3;
    bank[reserved] = char(~quint8(bank[reserved]));
    bank[kCheckWord1] = char(quint8(bank[kCheckWord1]) ^ 0x01);
    return bank;
}

void putText(ParamImage& image, int offset, const QByteArray& text) {
    for (int i = 0; i < text.size(); ++i)
        image.set(offset + i, quint8(text[i]));
    image.set(offset + int(text.size()), 0);
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
        bool plain = !password.isEmpty() && password.size() <= kPasswordLen;
        for (QChar ch : password)
            plain = plain && ch.unicode() > 0x20 && ch.unicode() < 0x7F;
        if (!plain) {
            *error = QStringLiteral("--init read-password= needs 1 to %1 printable ASCII "
                                    "characters without blanks")
                         .arg(kPasswordLen);
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
    ParamImage image;
    switch (choice.kind) {
    case InitKind::Erased: {
        const QByteArray erased(kBankSize, char(0xFF));
        return {erased, erased};
    }
    case InitKind::Pager:
        image.setCapcode(0, kPagerCapcode1);
        image.set(kSequentialLock, kPagerSequentialLock);
        putText(image, kAirPassword, QByteArray(kPagerAirPassword));
        putText(image, kModelTag, QByteArray(kPagerImageTag));
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
    const QByteArray good = image.sealForSending();
    if (choice.kind == InitKind::Bank0Bad)
        return {damaged(good), good};
    if (choice.kind == InitKind::Bank1Bad)
        return {good, damaged(good)};
    return {good, good};
}

std::optional<QByteArray> parseFirmwareId(const QString& text, QString* error) {
    if (text == QLatin1String("erased"))
        return QByteArray(wire::kFirmwareLength, char(0xFF));
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > wire::kFirmwareLength || QString::fromLatin1(bytes) != text) {
        *error = QStringLiteral("--firmware takes at most %1 Latin-1 characters, or 'erased'")
                     .arg(wire::kFirmwareLength);
        return std::nullopt;
    }
    QByteArray id = bytes;
    id.resize(wire::kFirmwareLength, '\0');
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
            memory.eraseSector(wire::bankBase(b));
            memory.write(wire::bankBase(b), banks[b]);
        }
    }
    if (firmware)
        memory.write(wire::kFirmwareAddress, *firmware);
    return (!init && !firmware) || memory.save(error);
}
