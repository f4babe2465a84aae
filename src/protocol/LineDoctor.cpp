#include "protocol/LineDoctor.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Banks.h"
#include "protocol/Firmware.h"
#include "protocol/Frames.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace d = msg::doctor;

bool DoctorReport::passed() const {
    for (const DoctorCheck& c : checks)
        if (!c.passed)
            return false;
    return true;
}

QString DoctorReport::text() const {
    QString out;
    for (const DoctorCheck& c : checks)
        out += d::line(c.passed, c.name, c.text, c.fix) + QLatin1Char('\n');
    return out;
}

QByteArray DoctorReport::json() const {
    QJsonArray list;
    for (const DoctorCheck& c : checks) {
        QJsonObject o{{QStringLiteral("check"), c.id},
                      {QStringLiteral("passed"), c.passed},
                      {QStringLiteral("text"), c.text}};
        if (!c.passed && !c.fix.isEmpty())
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

struct Checks {
    DoctorReport& report;
    const std::function<void(const DoctorCheck&)>& onCheck;

    void add(const QString& id, const QString& name, bool passed, const QString& text,
             const QString& fix = {}) {
        report.checks.append({id, name, passed, text, passed ? QString() : fix});
        if (onCheck)
            onCheck(report.checks.last());
    }
};

#ifdef Q_OS_UNIX

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

// Character devices that are terminals but never a line to a sign, and the memory devices.
bool neverASignLine(const struct stat& st) {
    const unsigned maj = major(st.st_rdev);
    const unsigned min = minor(st.st_rdev);
    constexpr unsigned kMemMajor = 1, kTtyAuxMajor = 5, kVirtualConsoleMajor = 4;
    constexpr unsigned kFirstSerialMinor = 64; // /dev/ttyS0; below are the virtual consoles
    return maj == kMemMajor || (maj == kTtyAuxMajor && min <= 2) ||
           (maj == kVirtualConsoleMajor && min < kFirstSerialMinor);
}

bool checkNode(Checks& c, const QString& path, struct stat& st) {
    const QString id = QStringLiteral("port");
    if (::stat(local(path).constData(), &st) != 0) {
        c.add(id, d::portName, false, d::portMissing(path), d::fixPortMissing);
        return false;
    }
    QString wrong;
    if (S_ISDIR(st.st_mode))
        wrong = d::portFolder(path);
    else if (S_ISREG(st.st_mode))
        wrong = d::portPlainFile(path);
    else if (!S_ISCHR(st.st_mode) || neverASignLine(st))
        wrong = d::portNoSerialLine(path);
    if (wrong.isEmpty()) {
        const int fd = ::open(local(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            if (!::isatty(fd))
                wrong = d::portNoSerialLine(path);
            ::close(fd);
        }
    }
    if (!wrong.isEmpty()) {
        c.add(id, d::portName, false, wrong, d::fixPortWrong);
        return false;
    }
    c.add(id, d::portName, true, d::portSerial(path));
    return true;
}

QString modeText(mode_t m) {
    QString s(S_ISCHR(m) ? QLatin1Char('c') : QLatin1Char('-'));
    const char* rwx = "rwx";
    for (int i = 8; i >= 0; --i)
        s += (m & (1u << i)) ? QLatin1Char(rwx[(8 - i) % 3]) : QLatin1Char('-');
    return s;
}

bool checkAccess(Checks& c, const QString& path, const struct stat& st) {
    const QString id = QStringLiteral("access");
    const group* g = ::getgrgid(st.st_gid);
    const QString groupName = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
    const passwd* owner = ::getpwuid(st.st_uid);
    const QString ownerName =
        owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid);
    const QString mode =
        modeText(st.st_mode) + QLatin1Char(' ') + ownerName + QLatin1Char(':') + groupName;
    if (::access(local(path).constData(), R_OK | W_OK) == 0) {
        c.add(id, d::accessName, true, d::accessGranted(mode));
        return true;
    }
    // Listed in the group, but this login started before: the groups come at login.
    bool listed = false;
    const passwd* me = ::getpwuid(::getuid());
    if (g && me) {
        listed = me->pw_gid == st.st_gid;
        for (char** m = g->gr_mem; *m && !listed; ++m)
            listed = qstrcmp(*m, me->pw_name) == 0;
    }
    c.add(id, d::accessName, false, d::accessRefused(mode),
          listed ? d::fixLogInAgain(groupName) : d::fixJoinGroup(groupName));
    return false;
}

QString readSmall(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.read(4096)).trimmed();
}

QString linkTarget(const QString& path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(local(path).constData(), buf, sizeof buf - 1);
    return n > 0 ? QFile::decodeName(QByteArray(buf, int(n))) : QString();
}

QStringList processIds() {
    QStringList pids;
    for (const QString& e : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        e.toInt(&number);
        if (number)
            pids << e;
    }
    return pids;
}

// The pseudo-terminal's index when path is one (/dev/pts/N): its other end is no rival.
int ptyIndex(const QString& canonical) {
    const QString prefix = QStringLiteral("/dev/pts/");
    if (!canonical.startsWith(prefix))
        return -1;
    bool ok = false;
    const int n = canonical.mid(prefix.size()).toInt(&ok);
    return ok ? n : -1;
}

bool holdsPtyMaster(const QString& pid, int index) {
    const QString fdDir = QStringLiteral("/proc/") + pid + QStringLiteral("/fd/");
    for (const QString& fd : QDir(fdDir).entryList(QDir::System | QDir::NoDotAndDotDot)) {
        if (linkTarget(fdDir + fd) != QLatin1String("/dev/ptmx"))
            continue;
        const QString info =
            readSmall(QStringLiteral("/proc/") + pid + QStringLiteral("/fdinfo/") + fd);
        for (const QString& l : info.split(QLatin1Char('\n')))
            if (l.startsWith(QLatin1String("tty-index:")) && l.mid(10).trimmed().toInt() == index)
                return true;
    }
    return false;
}

void checkHolders(Checks& c, const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString self = QString::number(::getpid());
    const int pty = ptyIndex(canonical);
    QStringList holders;
    for (const QString& pid : processIds()) {
        if (pid == self)
            continue;
        const QString fdDir = QStringLiteral("/proc/") + pid + QStringLiteral("/fd/");
        const QStringList fds = QDir(fdDir).entryList(QDir::System | QDir::NoDotAndDotDot);
        bool holds = false;
        for (const QString& fd : fds)
            if (linkTarget(fdDir + fd) == canonical) {
                holds = true;
                break;
            }
        if (!holds || (pty >= 0 && holdsPtyMaster(pid, pty)))
            continue;
        holders << d::process(readSmall(QStringLiteral("/proc/") + pid + QStringLiteral("/comm")),
                              pid);
    }
    const QString id = QStringLiteral("holders");
    if (holders.isEmpty())
        c.add(id, d::holdersName, true, d::noHolder);
    else
        c.add(id, d::holdersName, false, d::heldBy(holders.join(QStringLiteral(", "))),
              d::fixHolder);
}

bool modemManagerRuns() {
    for (const QString& pid : processIds())
        if (readSmall(QStringLiteral("/proc/") + pid + QStringLiteral("/comm")) ==
            QLatin1String("ModemManager"))
            return true;
    return false;
}

// The adapter's USB identity, for a udev rule that names it.
QString usbIdentity(const struct stat& st) {
    QString dir =
        QFileInfo(
            QStringLiteral("/sys/dev/char/%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev)))
            .canonicalFilePath();
    for (int up = 0; up < 6 && dir.size() > 1; ++up) {
        const QString vendor = readSmall(dir + QStringLiteral("/idVendor"));
        const QString product = readSmall(dir + QStringLiteral("/idProduct"));
        if (!vendor.isEmpty() && !product.isEmpty())
            return d::udevMatch(vendor, product);
        dir = QFileInfo(dir).path();
    }
    return {};
}

void checkModemManager(Checks& c, const struct stat& st) {
    const QString id = QStringLiteral("modemmanager");
    if (!modemManagerRuns()) {
        c.add(id, d::modemManagerName, true, d::modemManagerAbsent);
        return;
    }
    const QString udev = readSmall(
        QStringLiteral("/run/udev/data/c%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev)));
    if (udev.contains(QLatin1String("E:ID_MM_DEVICE_IGNORE=1")))
        c.add(id, d::modemManagerName, true, d::modemManagerIgnores);
    else
        c.add(id, d::modemManagerName, false, d::modemManagerProbes,
              d::fixModemManager(usbIdentity(st)));
}

#endif // Q_OS_UNIX

// How many byte positions differ between two reads of the same memory.
int differingBytes(const QByteArray& a, const QByteArray& b) {
    int n = int(qAbs(a.size() - b.size()));
    for (qsizetype i = 0; i < qMin(a.size(), b.size()); ++i)
        n += a[i] != b[i];
    return n;
}

struct BankRead {
    bool answered = false;
    bool clean = false; // a whole reply of the bank, nothing before it, its sum right
    QByteArray data;
};

BankRead readBank(Exchange& ex, int bank) {
    // Each read is judged on its own: whatever an earlier answer left waiting goes first.
    ex.purge();
    ex.setTransferError(false);
    QByteArray whole;
    const auto data =
        ex.ReadMemory(wire::bankBase(bank), layout::kBankSize, kBulkReplyCapacity, &whole);
    if (!data || ex.transferError())
        return {};
    const auto reply = wire::parseReplyFrame(whole);
    const bool clean = reply && reply->sumOk && reply->address == wire::bankBase(bank) &&
                       reply->data.size() == layout::kBankSize;
    return {true, clean, *data};
}

// The clean copy most reads agree on, and how many do.
std::pair<QByteArray, int> mostAgreed(const QList<BankRead>& reads) {
    QByteArray best;
    int most = 0;
    for (const BankRead& r : reads) {
        if (!r.clean)
            continue;
        int n = 0;
        for (const BankRead& other : reads)
            n += other.clean && other.data == r.data;
        if (n > most) {
            most = n;
            best = r.data;
        }
    }
    return {best, most};
}

bool printable(const QString& text) {
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
            return false;
    return true;
}

} // namespace

LineDoctor::LineDoctor(Exchange& exchange) : outer_(exchange) {}

DoctorReport LineDoctor::run(const QString& portName) {
    DoctorReport report;
    report.port = portName.trimmed();
    Checks c{report, onCheck_};
    const QString path = devicePath(report.port);

#ifdef Q_OS_UNIX
    struct stat st {};
    if (!checkNode(c, path, st) || !checkAccess(c, path, st))
        return report;
    checkHolders(c, path);
    checkModemManager(c, st);
#endif

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

    // The link: as the Connection dialog tries it, a few times.
    int attempt = 0;
    bool linked = false;
    while (!linked && attempt < kLinkAttempts) {
        ++attempt;
        seam.last.clear();
        linked = LinkToSign(ex, link);
        if (link.cancelled) {
            c.add(
                QStringLiteral("link"), d::linkName, false,
                d::linkOpenFailed(QString(seam.last).replace(QLatin1Char('\n'), QLatin1Char(' '))),
                d::fixOpen);
            return report;
        }
    }
    if (!linked) {
        c.add(QStringLiteral("link"), d::linkName, false, d::linkSilent(kLinkAttempts),
              d::fixSilent);
        return report;
    }
    c.add(QStringLiteral("link"), d::linkName, true,
          d::linkAnswered(attempt, kLinkAttempts, ex.displayReachable()));

    ex.setTransferError(false);
    ex.purge();
    const QString id = ReadFirmwareId(ex);
    if (id.isEmpty())
        c.add(QStringLiteral("firmware"), d::firmwareName, false, d::firmwareSilent, d::fixSilent);
    else if (!printable(id))
        c.add(QStringLiteral("firmware"), d::firmwareName, false, d::firmwareGarbled, d::fixSilent);
    else if (isFlexFirmware(id))
        c.add(QStringLiteral("firmware"), d::firmwareName, false, d::firmwareRefused(id),
              d::fixFirmware);
    else
        c.add(QStringLiteral("firmware"), d::firmwareName, true, d::firmwareWritten(id));

    // Bank 0 is read several times: the copy most reads agree on is the one tested, and how
    // many agreed tells the line's quality. Bank 1 is read until one reply comes clean.
    QList<BankRead> zero;
    for (int i = 0; i < reads_; ++i)
        zero << readBank(ex, 0);
    const auto [bank0, agreed] = mostAgreed(zero);
    BankRead one;
    for (int i = 0; i < reads_ && !one.clean; ++i)
        one = readBank(ex, 1);
    const QByteArray* banks[2] = {agreed > 0 ? &bank0 : nullptr, one.clean ? &one.data : nullptr};
    bool valid[2] = {false, false};
    for (int b = 0; b < 2; ++b) {
        const QString bankId = QStringLiteral("bank%1").arg(b);
        valid[b] = banks[b] && bankValid(*banks[b]);
        if (!banks[b])
            c.add(bankId, d::bankName(b), false, d::bankUnread, d::fixSilent);
        else
            c.add(bankId, d::bankName(b), valid[b], valid[b] ? d::bankValid : d::bankInvalid,
                  d::fixBank);
    }
    if (banks[0] && banks[1]) {
        const bool equal = *banks[0] == *banks[1];
        const int running = valid[0] ? 0 : valid[1] ? 1 : -1;
        c.add(QStringLiteral("banks"), d::banksName, equal && running == 0,
              d::banksState(equal, running), d::fixBank);
    }

    int differing = 0;
    for (const BankRead& r : zero)
        differing = qMax(differing, agreed > 0 && r.answered ? differingBytes(r.data, bank0)
                                                             : int(layout::kBankSize));
    c.add(QStringLiteral("quality"), d::qualityName, agreed == reads_,
          agreed == reads_ ? d::readsAgreed(reads_) : d::readsDiffer(agreed, reads_, differing));
    return report;
}
