#include "protocol/WireTrace.h"

#include "core/Messages.h"
#include "image/ImageLayout.h"
#include "protocol/Frames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr char kToSign[] = "tool -> sign";
constexpr char kToTool[] = "sign -> tool";
constexpr char kPort[] = "port";

bool secretAt(quint32 address) {
    for (int bank = 0; bank < 2; ++bank) {
        const quint32 base = wire::bankBase(bank);
        if (address < base || address >= base + layout::kBankSize)
            continue;
        const int offset = int(address - base);
        for (const layout::Range& r : layout::kSecrets)
            if (offset >= r.from && offset < r.from + r.count)
                return true;
    }
    return false;
}

// Which bytes of an unstuffed frame are secret: its data start at dataStart and belong at
// address onwards.
struct Mask {
    qsizetype dataStart = -1;
    qsizetype dataCount = 0;
    quint32 address = 0;
    int shifts = 0; // the data may also start up to this many bytes later
    bool operator()(qsizetype at) const {
        for (int shift = 0; dataStart >= 0 && shift <= shifts; ++shift) {
            const qsizetype k = at - dataStart - shift;
            if (k >= 0 && k < dataCount && secretAt(address + quint32(k)))
                return true;
        }
        return false;
    }
};

// The raw bytes as they went over the line; each byte that carries (part of) a masked
// unstuffed byte shows as **.
QByteArray hexOf(const QByteArray& raw, const Mask& mask = {}) {
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(raw.size() * 3);
    qsizetype unstuffedAt = 0;
    auto put = [&](quint8 b, bool hidden) {
        if (!out.isEmpty())
            out.append(' ');
        if (hidden) {
            out.append("**");
        } else {
            out.append(digits[b >> 4]);
            out.append(digits[b & 15]);
        }
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const quint8 b = quint8(raw[i]);
        const bool hidden = mask(unstuffedAt);
        put(b, hidden);
        if (b == wire::kEscape && i + 1 < raw.size())
            put(quint8(raw[++i]), hidden);
        ++unstuffedAt;
    }
    return out;
}

QString printable(const QByteArray& bytes) {
    QString s;
    for (char c : bytes) {
        const quint8 b = quint8(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            s += QLatin1Char(c);
        else
            s += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return s;
}

QByteArray withoutEnd(const QByteArray& stuffed) {
    return stuffed.endsWith(char(wire::kEnd)) ? stuffed.chopped(1) : stuffed;
}

// Stray bytes before a reply push its data back; the header is the sign's own, so nothing in
// it says by how much. Up to this many bytes on, a secret is masked wherever it may sit.
constexpr int kMaxShift = 16;

// A reply's data from byte 14 at the address asked for, and as far on as stray bytes may
// have pushed them.
Mask replyMask(const QByteArray& unstuffed, quint32 address) {
    return {wire::kReplyDataOffset, unstuffed.size(), address, kMaxShift};
}

QString passThroughText(const QByteArray& stuffedDisplay) {
    if (stuffedDisplay == QByteArray(1, char(wire::kEnd)))
        return msg::trace::displayProbe;
    const auto d = wire::parseDisplayFrame(wire::unstuff(withoutEnd(stuffedDisplay)));
    if (!d)
        return msg::trace::displayUnreadable;
    if (d->code == wire::kClockCode && !d->data.isEmpty())
        return msg::trace::clock(quint8(d->data.back()));
    return msg::trace::displayText(printable(QByteArray(1, char(d->code))), printable(d->data));
}

} // namespace

WireTrace::WireTrace(const QString& path) : path_(path), file_(path) {
    clock_.start();
}

WireTrace::~WireTrace() {
    flush();
}

bool WireTrace::open(QString* error) {
    if (file_.isOpen())
        return true;
    tried_ = true;
    auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (beforeCreate_ && !beforeCreate_())
        return refuse(msg::trace::folderRefused);
        // Private to the user: a trace names the sign's addresses and settings.
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path_).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return refuse(errno == ELOOP ? msg::trace::symbolicLink
                                     : QString::fromLocal8Bit(std::strerror(errno)));
    // A file that was there keeps its mode through open(): it is made private here. Devices
    // (a terminal, /dev/null) are not the user's to change.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & 07777) != (S_IRUSR | S_IWUSR) && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return refuse(why);
    }
    if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(file_.errorString());
    }
    return true;
#else
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return refuse(file_.errorString());
    return true;
#endif
}

void WireTrace::lost(const QString& why) {
    if (failure_.isEmpty())
        failure_ = why.isEmpty() ? msg::trace::notWritten : why;
}

bool WireTrace::ensureOpen() {
    if (file_.isOpen())
        return true;
    if (tried_)
        return false; // one failure is enough: the line goes on without its trace
    QString why;
    if (open(&why))
        return true;
    lost(why);
    return false;
}

void WireTrace::line(const char* direction, const QString& what, const QByteArray& hex) {
    if (!ensureOpen())
        return;
    QByteArray l = QByteArray::number(clock_.elapsed()).rightJustified(8, ' ');
    l += " ms  ";
    l += QByteArray(direction).leftJustified(12, ' ');
    l += "  ";
    l += what.toUtf8();
    if (!hex.isEmpty()) {
        l += "  ";
        l += hex;
    }
    l += '\n';
    if (file_.write(l) != l.size())
        lost(file_.errorString());
}

void WireTrace::flush() {
    if (file_.isOpen() && !file_.flush())
        lost(file_.errorString());
}

void WireTrace::sent(const QByteArray& stuffedFrame) {
    const QByteArray raw = wire::unstuff(withoutEnd(stuffedFrame));
    const auto f = wire::parseDeviceFrame(raw);
    if (!f) {
        line(kToSign, msg::trace::unreadableFrame(int(stuffedFrame.size())), hexOf(stuffedFrame));
        return;
    }
    sequence_ = f->sequence;
    Mask mask;
    QString what;
    switch (f->command) {
    case wire::Link:
        what = msg::trace::link(f->sequence);
        break;
    case wire::Erase:
        what = msg::trace::erase(f->address, f->sequence);
        break;
    case wire::Write:
        what = msg::trace::write(f->address, f->dataLength, f->sequence);
        mask = {wire::kDeviceHeader, f->data.size(), f->address};
        break;
    case wire::Read:
        what = msg::trace::read(f->address, f->dataLength, f->sequence);
        readAddress_ = f->address;
        readCount_ = f->dataLength;
        break;
    case wire::PassThrough:
        what = msg::trace::passThrough(passThroughText(f->data), f->sequence);
        break;
    default:
        what = msg::trace::command(f->command, f->sequence);
        break;
    }
    line(kToSign, what, hexOf(stuffedFrame, mask));
}

void WireTrace::received(const QByteArray& bytes, Answer answer) {
    // Named as the exchange reads them, by the request they answer: an acknowledgement by its
    // second byte, a reply by its data from byte 14. The other bytes are the sign's own.
    if (answer == Answer::Acknowledgement) {
        const QString what = bytes.size() != wire::kAckLength
                                 ? msg::trace::unexpected(int(bytes.size()))
                             : quint8(bytes[1]) == wire::kAck ? msg::trace::ack(sequence_)
                                                              : msg::trace::nak(sequence_);
        line(kToTool, what, hexOf(bytes));
        return;
    }
    const QByteArray raw = wire::unstuff(withoutEnd(bytes));
    const QString what = raw.size() >= wire::kReplyDataOffset + readCount_
                             ? msg::trace::reply(readCount_, readAddress_, sequence_)
                             : msg::trace::unreadableReply(int(bytes.size()));
    line(kToTool, what, hexOf(bytes, replyMask(raw, readAddress_)));
}

void WireTrace::timedOut(int polls, const QByteArray& partial, Answer answer) {
    const bool reply = answer == Answer::Reply;
    const Mask mask = reply ? replyMask(wire::unstuff(partial), readAddress_) : Mask{};
    line(kToTool, msg::trace::timeOut(polls, reply, int(partial.size())), hexOf(partial, mask));
    flush();
}

void WireTrace::failed(const QString& portName, const QString& what, quint32 systemError) {
    QString reason;
    if (systemError != 0)
        reason = QString::fromLocal8Bit(std::strerror(int(systemError)));
    line(kPort,
         msg::trace::portError(portName, QString(what).replace(QLatin1Char('\n'), ' '), reason));
    flush();
}

void WireTrace::portOpened(const TCommPort& port) {
    line(kPort, msg::trace::opened(port.portName(), port.baudRate(), port.dataBits(), port.parity(),
                                   port.stopBits()));
}

void WireTrace::portClosed(const TCommPort& port) {
    line(kPort, msg::trace::closed(port.portName()));
    flush();
}

namespace sessiontrace {

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ledsign-programmer/traces");
}

QString newPath() {
    const QString stamp =
        QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return folder() + QStringLiteral("/trace-") + stamp + QLatin1Char('-') +
           QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".txt");
}

bool makeFolder() {
    const QString path = folder();
    // Checked before and after making it: setting the mode would follow a link.
    return !QFileInfo(path).isSymLink() && QDir().mkpath(path) && !QFileInfo(path).isSymLink() &&
           QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
}

bool prepareFolder(int keep) {
    if (!makeFolder())
        return false;
    const QFileInfoList traces =
        QDir(folder()).entryInfoList({QStringLiteral("trace-*.txt")}, QDir::Files, QDir::Time);
    for (qsizetype i = qMax(0, keep - 1); i < traces.size(); ++i)
        QFile::remove(traces[i].absoluteFilePath());
    return true;
}

} // namespace sessiontrace
