#include "protocol/LineDoctor.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Banks.h"
#include "protocol/Firmware.h"
#include "protocol/Frames.h"
#include "protocol/Link.h"
#include "protocol/NetworkChecks.h"
#include "protocol/OperationEnd.h"
#include "protocol/PortChecks.h"
#include "protocol/SettledRead.h"
#include "serial/NetworkPort.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <climits>
#include <optional>

namespace d = msg::doctor;

namespace {

QString verdictWord(Verdict v) {
    switch (v) {
    case Verdict::Passed:
        return d::verdictPassed;
    case Verdict::Failed:
        return d::verdictFailed;
    case Verdict::NotJudged:
        break;
    }
    return d::verdictNotJudged;
}

} // namespace

void DoctorReport::add(const QString& id, const QString& name, Verdict verdict, const QString& text,
                       const QString& fix) {
    checks.append({id, name, verdict, text, verdict == Verdict::Failed ? fix : QString()});
    if (onCheck)
        onCheck(checks.last());
}

bool DoctorReport::passed() const {
    for (const DoctorCheck& c : checks)
        if (!c.passed())
            return false;
    return true;
}

QString DoctorCheck::line() const {
    return d::line(verdictWord(verdict), name, text, fix);
}

QString DoctorReport::text() const {
    QString out;
    for (const DoctorCheck& c : checks)
        out += c.line() + QLatin1Char('\n');
    return out;
}

QByteArray DoctorReport::json() const {
    QJsonArray list;
    for (const DoctorCheck& c : checks) {
        // Neither true nor false when the check could not be judged.
        const QJsonValue passed =
            c.verdict == Verdict::NotJudged ? QJsonValue(QJsonValue::Null) : QJsonValue(c.passed());
        QJsonObject o{{QStringLiteral("check"), c.id},
                      {QStringLiteral("passed"), passed},
                      {QStringLiteral("verdict"), verdictWord(c.verdict)},
                      {QStringLiteral("text"), c.text}};
        if (!c.fix.isEmpty())
            o.insert(QStringLiteral("fix"), c.fix);
        list.append(o);
    }
    const QJsonObject root{{QStringLiteral("port"), port},
                           {QStringLiteral("passed"), passed()},
                           {QStringLiteral("checks"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

// The checks' own seam: the findings go into the report, never into message boxes.
class QuietSeam : public UserSeam {
  public:
    explicit QuietSeam(std::function<void()> breathe) : breathe_(std::move(breathe)) {}
    void message(const QString& text) override { last = text; }
    void warning(const QString& text) override { last = text; }
    void fileError(const QString& text) override { last = text; }
    void error(const QString& text) override { last = text; }
    bool askYesNo(const QString&) override { return false; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Cancel; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void setStatus(const QString&) override {}
    void setProgressMax(int) override {}
    void setProgress(int) override {}
    void advanceProgress(int) override {}
    void breathe() override {
        if (breathe_)
            breathe_();
    }

    QString last;

  private:
    std::function<void()> breathe_;
};

// How many byte positions differ between two reads of the same memory.
int differingBytes(const QByteArray& a, const QByteArray& b) {
    int n = int(qAbs(a.size() - b.size()));
    for (qsizetype i = 0; i < qMin(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

// Repeated reads of one block of the sign's memory, each taken as Read takes it: the data from
// byte 14 of the unstuffed reply, nothing else of the reply examined.
struct Readings {
    QString of; // what was read, for the report: "bank 0"
    int count = 0;
    QList<std::optional<BlockReading>> reads; // nothing for a read that got no whole answer

    int answered() const {
        int n = 0;
        for (const auto& r : reads)
            n += r.has_value();
        return n;
    }
    // The data most reads agree on byte for byte, when at least two do.
    std::optional<QByteArray> agreed() const {
        std::optional<QByteArray> best;
        int most = 1;
        for (const auto& r : reads) {
            if (!r)
                continue;
            int n = 0;
            for (const auto& other : reads)
                n += other && other->data == r->data;
            if (n > most) {
                most = n;
                best = r->data;
            }
        }
        return best;
    }
};

// One read on a line cleared of whatever an earlier answer left (the exchange counts it).
std::optional<BlockReading> readOnce(Exchange& ex, quint32 address, int count) {
    ex.purge();
    ex.setTransferError(false);
    return ReadBlockOnce(ex, address, count);
}

// Stray bytes ahead of a reply push its data back, and two replies pushed back alike would
// agree on data the sign does not hold. The data are the block that the most replies hold at
// byte 14 or a few bytes further in; a tie goes to the block that passes whole, then to the
// fewest stray bytes (a reply's header may be the same every time, so a block that starts in
// it is held as often as the data). Each reply that holds the block further in had that many
// stray bytes before it, and its read is taken from there. Returns the stray bytes found.
int alignReads(Readings& r, const std::function<bool(const QByteArray&)>& whole) {
    constexpr int kMaxStrayBytes = 16;
    struct Holders {
        QHash<int, int> shiftOf; // read -> stray bytes ahead of its data
        int shifts = 0;
    };
    QHash<QByteArray, Holders> blocks;
    for (int i = 0; i < r.reads.size(); ++i) {
        if (!r.reads[i])
            continue;
        const QByteArray& reply = r.reads[i]->reply;
        for (int k = 0; k <= kMaxStrayBytes; ++k) {
            const qsizetype from = wire::kReplyDataOffset + k;
            if (from + r.count > reply.size())
                break;
            Holders& h = blocks[reply.mid(from, r.count)];
            if (!h.shiftOf.contains(i)) {
                h.shiftOf.insert(i, k);
                h.shifts += k;
            }
        }
    }
    auto best = blocks.cend();
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) {
        if (best == blocks.cend()) {
            best = it;
            continue;
        }
        const qsizetype holders = it->shiftOf.size(), bestHolders = best->shiftOf.size();
        const bool isWhole = whole(it.key()), bestWhole = whole(best.key());
        if (holders != bestHolders ? holders > bestHolders
            : isWhole != bestWhole ? isWhole
                                   : it->shifts < best->shifts)
            best = it;
    }
    if (best == blocks.cend() || (best->shiftOf.size() < 2 && !whole(best.key())))
        return 0;
    int stray = 0;
    for (auto it = best->shiftOf.cbegin(); it != best->shiftOf.cend(); ++it) {
        r.reads[it.key()]->data = best.key();
        stray += it.value();
    }
    return stray;
}

// Identification bytes as a sign holds them: a model starting with a character, then
// characters, zero bytes as padding only; or erased memory.
bool plausibleFirmware(const QByteArray& id) {
    if (id.count(char(0xFF)) == id.size())
        return true;
    const auto printable = [](char c) { return quint8(c) >= 0x20 && quint8(c) < 0x7F; };
    const qsizetype nul = id.indexOf('\0');
    const QByteArray text = nul < 0 ? id : id.left(nul);
    return !text.isEmpty() && text.front() != ' ' &&
           std::all_of(text.begin(), text.end(), printable) &&
           id.mid(text.size()).count('\0') == id.size() - text.size();
}

// Everything the line did wrong, in the report's words.
struct LineFindings {
    QStringList reads; // reads that disagreed
    int shiftedBy = 0; // stray bytes found ahead of replies

    // Each read against the copy the block is judged on; none when no copy could be.
    void compare(const Readings& r, const std::optional<QByteArray>& copy, bool countBytes) {
        if (!copy) {
            if (r.answered() >= 2)
                reads << d::noTwoAgreed(int(r.reads.size()), r.of);
            return;
        }
        int differing = 0, fewest = INT_MAX, most = 0;
        for (const auto& read : r.reads) {
            if (!read || read->data == *copy)
                continue;
            ++differing;
            const int n = differingBytes(read->data, *copy);
            fewest = qMin(fewest, n);
            most = qMax(most, n);
        }
        if (differing > 0)
            reads << d::readsDiffered(differing, int(r.reads.size()), r.of, fewest,
                                      countBytes ? most : 0);
    }
};

struct Judged {
    Verdict verdict = Verdict::NotJudged;
    std::optional<QByteArray> copy; // what the verdict rests on
};

// A bank is judged by its full test on the copy two reads agree on, or passed on a single read
// that passes the test (the line does not make a bank whole); otherwise it is not judged.
Judged judgeBank(const Readings& r) {
    if (const auto agreed = r.agreed())
        return {bankValid(*agreed) ? Verdict::Passed : Verdict::Failed, agreed};
    for (const auto& read : r.reads)
        if (read && bankValid(read->data))
            return {Verdict::Passed, read->data};
    return {};
}

QString notJudgedText(const Readings& r) {
    const int answered = r.answered();
    return answered == 0   ? d::notJudgedSilent
           : answered == 1 ? d::notJudgedOneAnswer(int(r.reads.size()))
                           : d::notJudgedNoisy;
}

// The sign's checks and the line's, once the port is known to be usable.
class SignChecks {
  public:
    SignChecks(Exchange& ex, DoctorReport& report, int bank0Reads)
        : ex_(ex), report_(report), bank0Reads_(bank0Reads) {}

    void run(LinkState& link, QuietSeam& seam) {
        if (!linkUp(link, seam))
            return;
        answersAtLink_ = ex_.tally().answers;
        checkFirmware();
        checkBanks();
        checkLine();
    }

  private:
    bool linkUp(LinkState& link, QuietSeam& seam);
    void checkFirmware();
    void checkBanks();
    void checkLine();
    QStringList lineSeen();

    Exchange& ex_;
    DoctorReport& report_;
    int bank0Reads_;
    // Notes whether a read got its answer: the reads at the end that did not tell a sign that
    // stopped answering from a noisy line.
    void note(bool answered) { unansweredAtEnd_ = answered ? 0 : unansweredAtEnd_ + 1; }

    int attempts_ = 0;
    int answersAtLink_ = 0;
    int unansweredAtEnd_ = 0;
    LineFindings line_;
};

// As the Connection dialog tries it: a few times while nothing answers, more while answers
// come garbled (the sign is there; the line spoils what it says).
bool SignChecks::linkUp(LinkState& link, QuietSeam& seam) {
    const QString id = QStringLiteral("link");
    int silent = 0;
    bool linked = false;
    while (!linked && silent < LineDoctor::kLinkAttempts &&
           attempts_ < LineDoctor::kMaxLinkAttempts) {
        ++attempts_;
        seam.last.clear();
        const int answersBefore = ex_.tally().answers;
        linked = LinkToSign(ex_, link);
        if (link.cancelled) {
            report_.add(
                id, d::linkName, false,
                d::linkOpenFailed(QString(seam.last).replace(QLatin1Char('\n'), QLatin1Char(' '))),
                d::fixOpen);
            return false;
        }
        if (!linked && ex_.tally().answers == answersBefore)
            ++silent;
    }
    if (linked) {
        report_.add(id, d::linkName, true, d::linkAnswered(attempts_, ex_.displayReachable()));
        return true;
    }
    if (silent == attempts_) {
        report_.add(id, d::linkName, false, d::linkSilent(attempts_), d::fixSilent);
        return false;
    }
    report_.add(id, d::linkName, Verdict::NotJudged, d::linkGarbled(attempts_));
    checkLine();
    return false;
}

void SignChecks::checkFirmware() {
    const QString id = QStringLiteral("firmware");
    Readings r{d::ofFirmware, wire::kFirmwareLength, {}};
    for (int i = 0; i < LineDoctor::kFirmwareReads; ++i) {
        r.reads << readOnce(ex_, wire::kFirmwareAddress, wire::kFirmwareLength);
        note(r.reads.back().has_value());
    }
    line_.shiftedBy += alignReads(r, plausibleFirmware);
    const auto agreed = r.agreed();
    line_.compare(r, agreed, false);
    if (!agreed) {
        if (r.answered() == 0)
            report_.add(id, d::firmwareName, false, d::firmwareSilent, d::fixSilent);
        else
            report_.add(id, d::firmwareName, Verdict::NotJudged, notJudgedText(r));
        return;
    }
    const QString text = firmwareIdText(*agreed);
    if (isGarbledFirmware(text))
        report_.add(id, d::firmwareName, false, d::firmwareGarbled, d::fixSilent);
    else if (isFlexFirmware(text))
        report_.add(id, d::firmwareName, false, d::firmwareRefused(text), d::fixFirmware);
    else
        report_.add(id, d::firmwareName, true, d::firmwareWritten(text));
}

void SignChecks::checkBanks() {
    Judged judged[2];
    QString unjudged[2];
    for (int b = 0; b < 2; ++b) {
        Readings r{d::ofBank(b), layout::kBankSize, {}};
        const int reads = b == 0 ? bank0Reads_ : LineDoctor::kBank1Reads;
        for (int i = 0; i < reads; ++i) {
            r.reads << readOnce(ex_, wire::bankBase(b), layout::kBankSize);
            note(r.reads.back().has_value());
        }
        line_.shiftedBy += alignReads(r, bankValid);
        judged[b] = judgeBank(r);
        line_.compare(r, judged[b].copy, true);
        const QString bankId = QStringLiteral("bank%1").arg(b);
        switch (judged[b].verdict) {
        case Verdict::Passed:
            report_.add(bankId, d::bankName(b), true, d::bankValid);
            break;
        case Verdict::Failed:
            report_.add(bankId, d::bankName(b), false, d::bankInvalid, d::fixBank);
            break;
        case Verdict::NotJudged:
            unjudged[b] = notJudgedText(r);
            report_.add(bankId, d::bankName(b), Verdict::NotJudged, unjudged[b]);
            break;
        }
    }
    const QString id = QStringLiteral("banks");
    if (!judged[0].copy || !judged[1].copy) {
        report_.add(id, d::banksName, Verdict::NotJudged,
                    unjudged[0].isEmpty() ? unjudged[1] : unjudged[0]);
        return;
    }
    const bool equal = *judged[0].copy == *judged[1].copy;
    const int running = judged[0].verdict == Verdict::Passed   ? 0
                        : judged[1].verdict == Verdict::Passed ? 1
                                                               : -1;
    report_.add(id, d::banksName, equal && running == 0, d::banksState(equal, running), d::fixBank);
}

QStringList SignChecks::lineSeen() {
    const LineTally& t = ex_.tally();
    QStringList seen;
    if (attempts_ > 1)
        seen << d::linkAttempts(attempts_);
    if (t.negative > 0)
        seen << d::negativeAnswers(t.negative);
    if (t.timeOuts > 0)
        seen << d::timeOuts(t.timeOuts);
    if (t.brokenReplies > 0)
        seen << d::brokenReplies(t.brokenReplies);
    seen << line_.reads;
    if (const int stray = t.strayBytes + line_.shiftedBy; stray > 0)
        seen << d::strayBytes(stray);
    return seen;
}

void SignChecks::checkLine() {
    const QString id = QStringLiteral("quality");
    const LineTally& t = ex_.tally();
    // A sign that stopped answering is no noisy line.
    if (t.answers == answersAtLink_ && t.timeOuts > 0) {
        report_.add(id, d::qualityName, false, d::silentSinceLink(t.timeOuts), d::fixSilent);
        return;
    }
    if (unansweredAtEnd_ >= 2) {
        report_.add(id, d::qualityName, false, d::stoppedAnswering(unansweredAtEnd_), d::fixSilent);
        return;
    }
    const QStringList seen = lineSeen();
    if (seen.isEmpty())
        report_.add(id, d::qualityName, true, d::readsAgreed(bank0Reads_, LineDoctor::kBank1Reads));
    else
        report_.add(id, d::qualityName, false, seen.join(QStringLiteral("; ")), d::fixLine);
}

} // namespace

LineDoctor::LineDoctor(Exchange& exchange) : outer_(exchange) {}

DoctorReport LineDoctor::run(const QString& portName) {
    DoctorReport report;
    report.port = portName.trimmed();
    report.onCheck = onCheck_;
    // A network port has no device here: its own checks come in place of the local ones.
    const bool network = NetworkPort::named(report.port);
    if (!network && !checkLocalPort(report, devicePath(report.port)))
        return report;

    QuietSeam seam(breathe_);
    Exchange ex(outer_.port(), seam);
    ex.timing() = outer_.timing();
    ex.setTrace(outer_.trace());
    LinkState link;
    link.portName = report.port;
    struct CloseAtEnd {
        Exchange& ex;
        ~CloseAtEnd() { ClosePortQuietly(ex); }
    } closeAtEnd{ex};
    if (network && !RunNetworkChecks(ex, report.port, report))
        return report;
    SignChecks(ex, report, reads_).run(link, seam);
    return report;
}
