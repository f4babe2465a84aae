#pragma once

#include <QString>

class Exchange;

// Reads the 12-byte identification at the sign's firmware address and turns it into the text
// the user sees: empty when the read failed, "This is old version !" for erased memory,
// otherwise "Model : " + model + "  Version = " + version. The port must be linked.
QString ReadFirmwareId(Exchange& exchange);
// The text of 12 identification bytes as read.
QString firmwareIdText(const QByteArray& identification);

// True when the identification text names the FLEX firmware, which this tool must not
// program.
bool isFlexFirmware(const QString& idText);

// True when the identification text holds characters no identification has: it came
// garbled. The line check fails such a sign and Write refuses it.
bool isGarbledFirmware(const QString& idText);
