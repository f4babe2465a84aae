#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of the simulated sign, talked to with plain POSIX I/O on its device side.
class SimSign {
  public:
    // --pace 0 is added unless the arguments name a pace.
    explicit SimSign(QStringList arguments);
    ~SimSign();

    // Starts the sign, reads the device path from its first line and opens it.
    bool start(QProcess::InputChannelMode stdinMode = QProcess::ManagedInputChannel,
               bool nullStdin = false);
    QString devicePath() const { return path_; }
    QProcess& process() { return process_; }
    bool reopen();

    // A device frame with the next sequence number.
    QByteArray request(quint8 command, quint32 address, quint16 dataLength = 0,
                       const QByteArray& data = {});
    quint8 sequence() const { return sequence_; }

    void send(const QByteArray& bytes);
    // Reads until `count` bytes arrived or the time is up.
    QByteArray receive(qsizetype count, int timeoutMs = 3000);
    // Reads up to an end byte that is at least 15 bytes in (a reply frame).
    QByteArray receiveReply(int timeoutMs = 3000);
    // Reads until the bytes end with `tail`.
    QByteArray receiveEndingWith(const QByteArray& tail, int timeoutMs = 3000);
    // Everything that arrives within the time.
    QByteArray listen(int ms);

    // Request and 4-byte acknowledgement in one.
    QByteArray ask(quint8 command, quint32 address, quint16 length = 0,
                   const QByteArray& data = {});
    // Reads memory through a read request; empty when no proper reply came.
    QByteArray read(quint32 address, quint16 count);

    bool stop(); // SIGTERM; true when it exited with code 0

  private:
    QStringList arguments_;
    QProcess process_;
    QString path_;
    int fd_ = -1;
    quint8 sequence_ = 128;
};
