#pragma once

#include "protocol/LineDoctor.h"

// The line check's first steps on a network port, in place of the local device's: the
// server's name resolves, the TCP connection opens (with its time), the server takes the
// serial settings (rfc2217:// ports), and a link frame's round trip. The checks are added to
// report; false when the sign's checks cannot follow. Leaves the port closed.
bool RunNetworkChecks(Exchange& exchange, const QString& portName, DoctorReport& report);
