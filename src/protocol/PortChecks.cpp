#include "protocol/PortChecks.h"

#include "core/Messages.h"
#include "protocol/LineDoctor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

#ifdef Q_OS_UNIX

namespace {

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

bool checkNode(DoctorReport& c, const QString& path, struct stat& st) {
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

bool checkAccess(DoctorReport& c, const QString& path, const struct stat& st) {
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

void checkHolders(DoctorReport& c, const QString& path) {
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

void checkModemManager(DoctorReport& c, const struct stat& st) {
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

} // namespace

bool checkLocalPort(DoctorReport& report, const QString& path) {
    struct stat st {};
    if (!checkNode(report, path, st) || !checkAccess(report, path, st))
        return false;
    checkHolders(report, path);
    checkModemManager(report, st);
    return true;
}

#else

bool checkLocalPort(DoctorReport&, const QString&) {
    return true;
}

#endif // Q_OS_UNIX
