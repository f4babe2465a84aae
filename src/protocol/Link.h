#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Exchange;
class ECommError;
class UserSeam;

// The port chosen in the Connection dialog and the dialog's cancel flag. Every later
// exchange relinks on that port.
struct LinkState {
    QString portName;       // empty until "OK" was pressed once
    bool cancelled = false; // set by the cancel button and by a port that cannot be opened
};

inline constexpr quint32 kLinkBaud = 19200;
inline constexpr int kLinkFraming = 1; // 8 data bits, no parity, 1 stop bit
// The shortest wait for a network serial server to connect and to answer a setting.
inline constexpr int kNetworkWaitFloorMs = 2000;

// Reopens the chosen port and repeats the link handshake (quiet), probes the display
// controller with a lone end byte and shakes hands once more. True when linked; the port
// then stays open. A failed second handshake still returns true but leaves the transfer
// error flag set.
bool LinkToSign(Exchange& exchange, LinkState& link);

// Opens the chosen port once (the Connection dialog does this before its attempts). Shows
// the open failure and returns false when it cannot be opened.
bool OpenChosenPort(Exchange& exchange, const LinkState& link);

// "Error opening comm port. Port already in use?" or "Error opening comm port.", followed
// on a second line by the likely cause: no permission (the dialout group), another program
// holding the port, or no such port; for a network port the server's address and why the
// connection failed, or that the server does not take serial settings.
QString openFailureText(const ECommError& error, const QString& portName);
// The device file of a port: names without a folder are device names, as the serial port
// takes them ("ttyUSB0" is /dev/ttyUSB0).
QString devicePath(const QString& portName);
void showOpenFailure(UserSeam& seam, const ECommError& error, const QString& portName);

struct SerialPortEntry {
    QString name;        // what the port is opened by
    QString description; // what the system says it is; may be empty
};

// The ports the user can choose: those named explicitly (extraPorts, from the program's
// --port options, then the colon-separated LEDSIGN_PORTS variable) first, since pseudo-
// terminals and unusual devices are not enumerated, then every serial port the system
// reports. Each name appears once.
QList<SerialPortEntry> ListSerialPorts(const QStringList& extraPorts = {});
