#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>
#include <memory>
#include <utility>

class NetworkLine;
class QSerialPort;

// A failure of the serial interface: what failed, and the system's error number. A network
// port adds the reason in the words of the system or the server where no error number says
// it (a name that does not resolve, a server that refuses the serial settings).
class ECommError : public std::exception {
  public:
    enum Code : quint8 {
        BaudRefused = 1,
        NameWhileOpen = 6,
        NotOpen = 7,
        OpenFailed = 8,
        WriteFailed = 9,
        ReadFailed = 10,
        CloseFailed = 11,
        PurgeFailed = 12,
        GetSettingsFailed = 14,
        SetSettingsFailed = 15,
        BufferSizesRefused = 16,
        StatusFailed = 18,
    };
    ECommError(quint8 code, quint32 systemError) : code(code), systemError(systemError) {}
    ECommError(quint8 code, quint32 systemError, QString reason)
        : code(code), systemError(systemError), reason(std::move(reason)) {}
    const char* what() const noexcept override { return "serial port error"; }

    quint8 code;
    quint32 systemError;
    QString reason;
};

class TCommPort;

// Hears of the port being opened and closed (the wire trace).
class PortObserver {
  public:
    virtual ~PortObserver() = default;
    virtual void portOpened(const TCommPort& port) = 0;
    virtual void portClosed(const TCommPort& port) = 0;
};

// The one serial port through which every byte to and from the sign passes. Synchronous,
// used from the user-interface thread only. A name of a network serial server
// ("rfc2217://HOST:PORT", "socket://HOST:PORT") opens a connection to it instead of a local
// device; the same calls, codes and states serve both.
class TCommPort {
  public:
    TCommPort();
    ~TCommPort();
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    void Open();
    void Close();
    void SetBaudRate(quint32 baud);
    void SetPortName(const QString& name);
    // Framing mode 0: 7E2, 1: 8N1, anything else 8N2. Closes, sets rate and name, opens.
    void OpenAt(quint32 baud, const QString& name, int mode);

    void Write(const char* data, qint64 length);
    quint8 ReadByte();
    quint32 BytesWaiting();
    void Purge();

    // Waits up to timeoutMs for received bytes and returns as soon as any are waiting
    // (true), without spinning. False after the time-out, when the port is closed or when
    // the device has gone (the next I/O call then raises its error).
    bool WaitForData(int timeoutMs);

    bool isOpen() const { return open_; }
    QString portName() const { return name_; }
    quint32 baudRate() const { return baud_; }
    int dataBits() const { return dataBits_; }
    char parity() const { return parity_; }
    int stopBits() const { return stopBits_; }

    // How long Write waits for the driver to take a block without any progress before it
    // gives up with code 9 (a line that never drains must not hang the program).
    void setWriteStallMs(int ms) { writeStallMs_ = ms; }
    void setObserver(PortObserver* observer) { observer_ = observer; }
    // How long a network serial server has to accept the connection and to answer a setting.
    void setNetworkWaitMs(int ms) { networkWaitMs_ = ms; }
    int networkWaitMs() const { return networkWaitMs_; }
    // Why the network connection was lost, in the system's words; empty for a local port
    // and until the connection fails. An open starts it afresh.
    QString connectionLoss() const { return connectionLoss_; }
    // How long the last network open took to make its TCP connection; -1 when it made none.
    qint64 networkConnectMs() const { return networkConnectMs_; }

  private:
    void applyFraming();
    // Moves whatever the driver holds into the port's buffer; notices a vanished device.
    void pump(int timeoutMs);
    // The device reported a read or resource failure: close, then raise code.
    [[noreturn]] void raiseLost(quint8 code);
    void noteLost(int err);
    void openNetwork();
    // Runs a call of the network line; a connection that failed in it closes the port.
    template <typename Call> auto onNetwork(Call call) -> decltype(call());

    bool open_ = false;
    QString name_ = QStringLiteral("COM1");
    quint32 baud_ = 9600;
    int dataBits_ = 8;
    char parity_ = 'N';
    int stopBits_ = 1;
    int writeStallMs_ = 5000;
    bool lost_ = false;
    int lostErrno_ = 0;
    std::unique_ptr<QSerialPort> port_;
    std::unique_ptr<NetworkLine> net_; // while a network port is open
    int networkWaitMs_ = 5050;
    QString connectionLoss_;
    qint64 networkConnectMs_ = -1;
    PortObserver* observer_ = nullptr;
};
