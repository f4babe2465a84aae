#pragma once

#include "image/ParamImage.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What differs between two images, said as the window shows it: the settings whose shown value
// differs, then the runs of differing bytes that no such setting accounts for.
namespace settings {

struct SettingDifference {
    QString path;    // "capcodes.3.capcode"
    QString caption; // "Capcode #3"
    QString from, to;
    QJsonValue fromJson, toJson;
};

struct ByteRun {
    int first = 0, last = 0;
    QString from, to; // the bytes in hex, blank-separated
};

struct Differences {
    QList<SettingDifference> settings;
    QList<ByteRun> bytes;
    // The checksum slot (bytes 4094-4095) when it differs: every Write seals the image anew,
    // so it makes no difference of its own and is only noted.
    std::optional<ByteRun> checksum;
    bool same = true; // nothing differs but the checksum slot

    // One line each: "Capcode #3: 1234562 -> 1987654", then "Bytes 4094-4095: ...".
    QStringList lines() const;
    // {"same", "settings": [{path, caption, from, to}], "bytes": [{first, last, from, to}]}
    QJsonObject json() const;
};

class EditSession;
// What each session shows, compared.
Differences compareSessions(const EditSession& from, const EditSession& to);
// Each image taken as File > Open takes it in a window just started, then compared.
Differences compareImages(const ParamImage& from, const ParamImage& to);
// The lines of compareImages for two images as they travel (the sign's, the window's).
QStringList differenceLines(const QByteArray& from, const QByteArray& to);

} // namespace settings
