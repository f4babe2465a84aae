#pragma once

#include <QString>

struct DoctorReport;

// The line check's findings on this computer's side of the line: the device node, this user's
// access to it, other programs holding it and ModemManager. False when the port cannot be
// used at all; the checks of the sign are then left out.
bool checkLocalPort(DoctorReport& report, const QString& path);
