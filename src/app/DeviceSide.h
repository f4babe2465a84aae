#pragma once

#include "backup/Backups.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/PagerOperations.h"
#include "protocol/WireTrace.h"
#include "serial/TCommPort.h"

class OperationHost;
class ParamImage;
class UserSeam;

// The window's line to the sign for the whole run: the one serial port, the exchange state
// (sequence number and flags), the port chosen in the Connection dialog and the operations of
// the "Pager" menu and "Check Firmware". Everything reports through the window's own user
// seam, the one its message boxes and status bar hang on.
class DeviceSide {
  public:
    DeviceSide(UserSeam& seam, ParamImage& image, OperationHost& host);

    TCommPort& port() { return port_; }
    Exchange& exchange() { return exchange_; }
    const Exchange& exchange() const { return exchange_; }
    LinkState& link() { return link_; }
    PagerOperations& operations() { return operations_; }

    // Closes the serial port if it is open; a port that refuses to close is given up.
    void closePort();

  private:
    WireTrace trace_; // the session's trace; first, so it hears the port close
    backup::Store backups_;
    TCommPort port_;
    Exchange exchange_;
    LinkState link_;
    PagerOperations operations_;
};
