#pragma once

#include "protocol/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// One finding of the line check: passed, or failed with what to do about it.
struct DoctorCheck {
    QString id;   // for scripts: "port", "access", "holders", "modemmanager", "link", ...
    QString name; // as shown: "Port", "Access", ...
    bool passed = false;
    QString text;
    QString fix; // failed only
};

struct DoctorReport {
    QString port;
    QList<DoctorCheck> checks;

    bool passed() const;
    // One line per check: "passed  Port: ..." / "failed  Link: ... -> what to do".
    QString text() const;
    QByteArray json() const;
};

// Tells why a sign does not answer on a port, without erasing or writing anything: the
// device node, this user's access to it, other programs holding it, ModemManager, the link,
// the firmware, both banks and the line's quality. The command line and the Connection
// dialog's "Test" run the same checks.
class LineDoctor {
  public:
    static constexpr int kDefaultReads = 3;
    static constexpr int kLinkAttempts = 3;

    // Talks over the given exchange's port with its timing and trace; its user seam is kept
    // out of it (the findings are the report).
    explicit LineDoctor(Exchange& exchange);

    void setReads(int reads) { reads_ = qMax(1, reads); }
    // Called while the line waits (the window repaints).
    void setBreathe(std::function<void()> breathe) { breathe_ = std::move(breathe); }
    // Called with each check as soon as it is decided (the window shows them one by one).
    void setOnCheck(std::function<void(const DoctorCheck&)> onCheck) {
        onCheck_ = std::move(onCheck);
    }

    // Leaves the port closed.
    DoctorReport run(const QString& portName);

  private:
    Exchange& outer_;
    int reads_ = kDefaultReads;
    std::function<void()> breathe_;
    std::function<void(const DoctorCheck&)> onCheck_;
};
