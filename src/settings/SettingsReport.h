#pragma once

#include "editor/ShownValues.h"
#include "image/ParamImage.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>

// What `ledsign show` prints: the image's settings as the window's controls show them, once as
// captioned text lines and once as a JSON object.
namespace settings {

struct FunctionBitSettings {
    int capcode = 0;                      // 0..5
    int bit = 0;                          // 0..3 (A..D)
    QString header, trailer, timeout, fc; // pairs, "" when empty
    bool intFunCmd = false;
};

struct CapcodeSettings {
    QString number; // 7 digits
    bool on = false;
    std::array<QString, layout::kFunctionBits> types;
};

struct Settings {
    QString modelTag;
    // Frequency
    int bandIndex = 0;
    QString band;
    shown::Synthesizer synth;
    QString mhz; // "462.0000", empty without a channel step
    QString baudRate, polarity;
    // Capcodes
    std::array<CapcodeSettings, layout::kCapcodeCount> capcodes;
    bool testMode = false;
    // Serial output
    bool serialOn = false;
    QString uartBaud, dataBits, parity, stopBits, endCode;
    quint16 msgTimeOutDelay = 0;
    bool filterDisable = false, crBeforeLf = false, lfAfterCr = false;
    bool fcAsPassword = false, serialLed = false, rtsEnable = false;
    QList<FunctionBitSettings> functionBits; // only those with something set
    // Every capcode's record, FC always as its four pairs.
    std::array<std::array<FunctionBitSettings, layout::kFunctionBits>, layout::kCapcodeCount>
        records;
    // Output features
    bool funCmdChecksum = false, funCmdEnable = false;
    QString funCmdPassword1, funCmdPassword2;
    QString preScaler;
    std::array<QString, layout::kOutputCount> periods; // seconds
    bool powerUpOutput = false;
    QList<int> powerUpOutputs; // 1..9
    bool roeEnable = false, orcEnable = false;
    // Features
    int sequentialLock = 0;
    QString language;
    int outOfRangeTimeOut = 0;
    QString airPassword, readPassword;
};

Settings readSettings(const ParamImage& image);
QString settingsText(const Settings& settings);
QJsonObject settingsJson(const Settings& settings);

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
QList<SettingEntry> settingEntries(const Settings& settings);
// The value at a dotted path ("capcodes.3.types.A"); undefined when there is none.
QJsonValue jsonAt(const QJsonObject& root, const QString& path);

} // namespace settings
