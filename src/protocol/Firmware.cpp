#include "protocol/Firmware.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Banks.h"
#include "protocol/Exchange.h"

namespace {

constexpr int kModelChars = 6;
constexpr int kVersionFrom = 8; // characters 9..12
constexpr int kVersionChars = 4;
constexpr int kModelInText = 8; // "Model : " comes first
const QString kFlexModel = QStringLiteral("FLEX  ");

} // namespace

QString ReadFirmwareId(Exchange& ex) {
    UserSeam& seam = ex.seam();
    seam.setProgressMax(progress::kShortRead);
    seam.setProgress(0);

    QByteArray reply;
    const bool got = ex.SendRequest(wire::kFirmwareAddress, wire::kFirmwareLength, wire::Read) &&
                     ex.ReadReply(reply, kShortReplyCapacity);
    if (ex.transferError() || !got)
        return {};

    return firmwareIdText(wire::unstuff(reply).mid(wire::kReplyDataOffset, wire::kFirmwareLength));
}

QString firmwareIdText(const QByteArray& identification) {
    // Erased memory is recognised on the unstuffed data: the header bytes are the sign's own,
    // and one that needs escaping pushes the data further into the reply as received.
    QByteArray id = identification;
    if (id.size() == wire::kFirmwareLength && id.count(char(0xFF)) == wire::kFirmwareLength)
        return msg::firmwareOld;

    const qsizetype nul = id.indexOf('\0');
    if (nul >= 0)
        id.truncate(nul);
    const QString text = QString::fromLatin1(id);
    return msg::firmwareId(text.left(kModelChars), text.mid(kVersionFrom, kVersionChars));
}

bool isFlexFirmware(const QString& idText) {
    return idText.mid(kModelInText, kModelChars) == kFlexModel;
}

bool isGarbledFirmware(const QString& idText) {
    for (QChar ch : idText)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
            return true;
    return false;
}
