#pragma once

#include "protocol/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// A check passes or fails; a check of the sign is not judged when the line gave too little to
// judge it by (no two reads agreed, or no answer came).
enum class Verdict { Passed, Failed, NotJudged };

// One finding of the line check, with what to do about it when it failed.
struct DoctorCheck {
    QString id;   // for scripts: "port", "access", "holders", "modemmanager", "link", ...
    QString name; // as shown: "Port", "Access", ...
    Verdict verdict = Verdict::Failed;
    QString text;
    QString fix; // failed only

    bool passed() const { return verdict == Verdict::Passed; }
};

struct DoctorReport {
    QString port;
    QList<DoctorCheck> checks;
    // Told of each check as it is added, so a report can be shown while the checks run.
    std::function<void(const DoctorCheck&)> onCheck;

    void add(const QString& id, const QString& name, Verdict verdict, const QString& text,
             const QString& fix = {});
    void add(const QString& id, const QString& name, bool passed, const QString& text,
             const QString& fix = {}) {
        add(id, name, passed ? Verdict::Passed : Verdict::Failed, text, fix);
    }

    // Every check passed: none failed and none was left unjudged.
    bool passed() const;
    // One line per check: "passed  Port: ..." / "failed  Link: ... -> what to do" /
    // "--      Bank 0: not judged: ...".
    QString text() const;
    QByteArray json() const;
};

// Tells why a sign does not answer on a port, without erasing or writing anything. First the
// checks of this computer's side (PortChecks.h: the device node, this user's access to it,
// other programs holding it, ModemManager), then those of the sign and the line: the link, the
// firmware, both banks and the line's quality. The sign is judged only on what the line
// brought twice alike; everything the line did wrong is the line's finding. The command line
// and the Connection dialog's "Test" run the same checks.
class LineDoctor {
  public:
    static constexpr int kDefaultReads = 3; // of bank 0
    static constexpr int kBank1Reads = 2;
    static constexpr int kMinReads = 2; // agreement needs two
    static constexpr int kFirmwareReads = 3;
    // Attempts at the link: a sign that stays silent gets this many...
    static constexpr int kLinkAttempts = 3;
    // ... one whose answers come garbled, more: it is there, the line is not.
    static constexpr int kMaxLinkAttempts = 8;

    // Talks over the given exchange's port with its timing and trace; its user seam is kept
    // out of it (the findings are the report).
    explicit LineDoctor(Exchange& exchange);

    void setReads(int reads) { reads_ = qMax(kMinReads, reads); }
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
