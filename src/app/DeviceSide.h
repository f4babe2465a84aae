#pragma once

#include "app/ExchangeLock.h"
#include "backup/Backups.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/PagerOperations.h"
#include "protocol/WireTrace.h"
#include "serial/TCommPort.h"

#include <QPointer>
#include <functional>

class OperationHost;
class ParamImage;
class QWidget;
class TfrmConn;
class UserSeam;

// The window's line to the sign for the whole run: the one serial port, the exchange state
// (sequence number and flags), the port chosen in the Connection dialog, the operations of
// the "Pager" menu and "Check Firmware", and the lock that lets one exchange run at a time.
// Everything reports through the window's own user seam, the one its message boxes and status
// bar hang on.
class DeviceSide {
  public:
    struct Hooks {
        // Runs a handler so that an error escaping it is shown and the window goes on.
        std::function<void(const std::function<void()>&)> guard;
        // Closes the window (asked for while an exchange ran).
        std::function<void()> close;
    };
    DeviceSide(UserSeam& seam, ParamImage& image, OperationHost& host, Hooks hooks);
    ~DeviceSide();
    DeviceSide(const DeviceSide&) = delete;
    DeviceSide& operator=(const DeviceSide&) = delete;

    TCommPort& port() { return port_; }
    Exchange& exchange() { return exchange_; }
    const Exchange& exchange() const { return exchange_; }
    LinkState& link() { return link_; }
    PagerOperations& operations() { return operations_; }

    // What an exchange switches off; the window and each side tool add their controls.
    ExchangeLock& lock() { return lock_; }
    // True while a read, write, verify, firmware check or the Connection dialog holds the
    // line; everything that could start another exchange or change the image is then off.
    bool running() const { return lock_.engaged() || exchange_.busy(); }
    // Runs one exchange under the lock; nothing happens while another one runs. A close asked
    // for meanwhile is carried out right after.
    void run(const std::function<void()>& exchange);
    // The window was asked to close: true when it must wait for the exchange under way, after
    // which it closes.
    bool closeMustWait();

    // The Connection dialog, made once as a child of parent; "Link(F6)" opens it.
    TfrmConn* connectionDialog(QWidget* parent);
    TfrmConn* connectionDialog() const;

    // Closes the serial port if it is open; a port that refuses to close is given up.
    void closePort();

  private:
    WireTrace trace_; // the session's trace; first, so it hears the port close
    backup::Store backups_;
    TCommPort port_;
    Exchange exchange_;
    LinkState link_;
    PagerOperations operations_;
    OperationHost& host_;
    Hooks hooks_;
    ExchangeLock lock_;
    QPointer<TfrmConn> connection_;
    bool closeAsked_ = false; // the window was asked to close while an exchange ran
};
