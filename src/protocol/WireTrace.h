#pragma once

#include "serial/TCommPort.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <functional>

// A record of what crossed the line, one line per event, for a person to follow and for grep:
//
//     1523 ms  tool -> sign  write 0x88000 2054 bytes seq 131  02 83 10 08 ...
//     1788 ms  sign -> tool  acknowledgement seq 131  02 06 83 00
//
// Passwords inside frames (the image's air, read and function-code passwords) show as **
// in the hex and never in the text, so a trace can be handed to someone else. Lines collect
// in the file's buffer and reach the disk when the port closes, after a time-out and at the
// end: tracing takes nothing from the line's timing.
class WireTrace : public PortObserver {
  public:
    // What the exchange waited for.
    enum class Answer { Acknowledgement, Reply };

    // The file is created (private to the user) at the first event, so a session that never
    // talks to a sign leaves none.
    explicit WireTrace(const QString& path);
    ~WireTrace() override;
    WireTrace(const WireTrace&) = delete;
    WireTrace& operator=(const WireTrace&) = delete;

    // Creates the file now, private to the user even when it was there before, and never
    // through a symbolic link; false with the reason.
    bool open(QString* error = nullptr);
    QString path() const { return path_; }
    // Run once, just before the file is created; false keeps the file from being created.
    void setBeforeCreate(std::function<bool()> hook) { beforeCreate_ = std::move(hook); }
    // Whether every line so far reached the file (a full disk loses them); why not.
    bool complete() const { return failure_.isEmpty(); }
    QString failure() const { return failure_; }

    // A device frame as written, stuffed, end byte included.
    void sent(const QByteArray& stuffedFrame);
    // An acknowledgement, or a reply up to and including its end byte.
    void received(const QByteArray& bytes, Answer answer);
    void timedOut(int polls, const QByteArray& partial, Answer answer);
    // A failure of the port: what the tool says about it and the system's error number.
    void failed(const QString& portName, const QString& what, quint32 systemError);
    void flush();

    void portOpened(const TCommPort& port) override;
    void portClosed(const TCommPort& port) override;

  private:
    bool ensureOpen();
    void line(const char* direction, const QString& what, const QByteArray& hex = {});
    void lost(const QString& why);

    QString path_;
    QFile file_; // opened by its descriptor: it knows no name
    QElapsedTimer clock_;
    std::function<bool()> beforeCreate_;
    QString failure_;
    bool tried_ = false;
    // The last request's sequence number, and the last read's address and count: the
    // answers are named by them.
    int sequence_ = 0;
    quint32 readAddress_ = 0;
    int readCount_ = 0;
};

// The window's traces: one file per session in the user's data folder, the newest kept.
namespace sessiontrace {
inline constexpr int kKeep = 20;
QString folder();
// A new file name in folder() for a session starting now.
QString newPath();
// Makes the folder, private to the user; false when it cannot, or when it is a symbolic link
// (a trace is never written through one).
bool makeFolder();
// Makes the folder (private to the user) and removes all but the newest keep - 1 traces,
// leaving room for the one about to be written. False when the folder cannot be used.
bool prepareFolder(int keep = kKeep);
} // namespace sessiontrace
