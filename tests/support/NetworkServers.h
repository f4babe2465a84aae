#pragma once

// The network serial server (Debian's ser2net) and the test relay, started by a suite in
// front of a simulated sign's pseudo-terminal, on 127.0.0.1 and free ports.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class Ser2Net {
  public:
    ~Ser2Net() { stop(); }

    // The program, or empty when it is not installed.
    static QString program();
    static constexpr const char* kMissing =
        "ser2net is not installed (apt-get install ser2net; make test installs it)";

    // Bridges device (19200 8N1) to three accepters: telnet(rfc2217), raw tcp and telnet
    // without the serial option. False when the server did not come up.
    bool start(const QString& device);
    void stop();

    QString rfc2217() const; // rfc2217://127.0.0.1:PORT
    QString raw() const;     // socket://127.0.0.1:PORT
    quint16 rfc2217Port() const { return rfc2217Port_; }
    quint16 rawPort() const { return rawPort_; }
    quint16 telnetPort() const { return telnetPort_; }

  private:
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> proc_;
    quint16 rfc2217Port_ = 0;
    quint16 rawPort_ = 0;
    quint16 telnetPort_ = 0;
};

// ledsign-test-relay in front of a server: latency each way, a cut after n bytes.
class TestRelay {
  public:
    ~TestRelay() { stop(); }
    bool start(quint16 serverPort, int delayMs, qint64 dropAfter = -1);
    void stop();
    quint16 port() const { return port_; }

  private:
    std::unique_ptr<QProcess> proc_;
    quint16 port_ = 0;
};

// A free port on 127.0.0.1 at the time of the call.
quint16 freeLocalPort();
