#pragma once

#include "serial/NetworkPort.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <memory>

class QTcpSocket;

// The line settings a network line asks its server for.
struct LineSettings {
    quint32 baud = 19200;
    int dataBits = 8;
    char parity = 'N';
    int stopBits = 1;
};

// A sign's line through a network serial server: one TCP connection, with RFC 2217's Telnet
// Com Port Control on it for rfc2217:// ports (the settings, DTR and RTS, 0xFF doubled in the
// data, purges through the server) and nothing on it for socket:// ports. Failures raise
// ECommError with the serial port's codes and the system's words in its reason; a connection
// that failed is closed.
class NetworkLine {
  public:
    // answerWaitMs: how long the server has to connect and to answer a setting.
    NetworkLine(NetworkPort where, int answerWaitMs);
    ~NetworkLine();
    NetworkLine(const NetworkLine&) = delete;
    NetworkLine& operator=(const NetworkLine&) = delete;

    // Connects; on an rfc2217:// port negotiates the option and sets the line. Raises code 8
    // when the connection cannot be made, code 15 when the server will not set the line.
    void open(const LineSettings& settings);
    void close();
    bool connected() const;

    // Raises code 1 when the server does not take the rate (the connection stays).
    void setBaudRate(quint32 baud);
    // Hands every byte to the system; raises code 9 when the connection is lost or the
    // server takes nothing for stallMs.
    void write(const char* data, qint64 length, int stallMs);
    // Received data bytes waiting; raises code 18 when none wait and the connection is lost.
    qint64 waiting();
    // One waiting byte; raises code 10 when none waits.
    quint8 take();
    // Drops what waits here and, on an rfc2217:// port, what the server holds.
    void purge();
    // Up to timeoutMs for data; false after the time-out or when the connection is lost.
    bool waitForData(int timeoutMs);

    // How long the last TCP connection took to open; -1 when it did not.
    qint64 connectMs() const { return connectMs_; }
    // Why the connection was lost, in the system's words; empty while it stands.
    QString lossReason() const { return lossReason_; }
    const NetworkPort& where() const { return where_; }

  private:
    enum class Answer : quint8 { Pending, Yes, No };
    enum class Parse : quint8 { Data, Iac, Option, Sub, SubIac };

    // Moves what the system holds into the parser, waiting up to timeoutMs when nothing
    // does; notices a closed connection.
    void pump(int timeoutMs);
    void parse(const QByteArray& bytes);
    void onOption(quint8 verb, quint8 option);
    void onSub();
    void sendOption(quint8 verb, quint8 option);
    void sendSub(quint8 command, const QByteArray& value);
    void sendRaw(const QByteArray& bytes);
    // Pumps until done() or the answer wait ends; false then.
    template <typename Done> bool awaitServer(Done done);
    void noteLost();
    [[noreturn]] void raise(quint8 code);
    void attempt(const LineSettings& settings);
    void settle(const LineSettings& settings);

    NetworkPort where_;
    int answerWaitMs_;
    std::unique_ptr<QTcpSocket> socket_;
    QByteArray rx_;
    qsizetype rxPos_ = 0;
    Parse state_ = Parse::Data;
    quint8 verb_ = 0;
    QByteArray sub_;
    QSet<quint16> said_; // the option replies already sent: each is said once
    Answer comPort_ = Answer::Pending;
    quint32 answeredMask_ = 0; // the settings the server confirmed, by command
    quint32 baudAnswer_ = 0;
    QByteArray settingAnswers_; // value of each confirmed one-byte setting, by command
    int purgesPending_ = 0;
    QElapsedTimer purgeSent_;
    bool suspended_ = false; // the server asked us to hold our data
    bool lost_ = false;
    bool closedEarly_ = false; // the server closed the connection before the line was set
    qint64 connectMs_ = -1;
    quint32 lostErrno_ = 0;
    QString lossReason_;
};
