#pragma once

#include "image/ParamImage.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

// What `ledsign show` prints: the session's settings as the window's controls show them, once
// as captioned text lines and once as a JSON object. Both are read from the setting table.
namespace settings {

class EditSession;

QString settingsText(const EditSession& session);
QJsonObject settingsJson(const EditSession& session);

// One setting, as `show` names it: its path in settingsJson (positions counted from 1, as
// the window numbers capcodes and outputs), its caption, its value as a text and as JSON,
// and the image bytes it is read from (or written with).
struct SettingEntry {
    QString path;    // "capcodes.3.capcode"
    QString caption; // "Capcode #3"
    QString text;    // "1234562"
    QJsonValue json; // the value at path in settingsJson
    QList<int> offsets;
};
QList<SettingEntry> settingEntries(const EditSession& session);
// The value at a dotted path ("capcodes.3.types.A"); undefined when there is none.
QJsonValue jsonAt(const QJsonObject& root, const QString& path);

} // namespace settings
