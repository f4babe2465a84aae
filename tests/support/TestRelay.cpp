// A TCP relay for the network suites and benchmarks: it stands between the tool and a network
// serial server, holds every chunk for a latency each way and can cut the connection after
// the tool has sent N bytes.
//
//   ledsign-test-relay --to HOST:PORT [--delay-ms MS] [--drop-after N]
//
// Listens on 127.0.0.1 on a free port, prints the port as its first line, then relays every
// connection until it is ended (SIGTERM) or its standard input, a pipe, closes.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QQueue>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One direction of one connection: chunks leave the far side delayMs after they came in,
// in order.
class DelayedPipe : public QObject {
  public:
    DelayedPipe(QTcpSocket* from, QTcpSocket* to, int delayMs, qint64 dropAfter,
                std::function<void()> cut)
        : from_(from), to_(to), delayMs_(delayMs), dropAfter_(dropAfter), cut_(std::move(cut)) {
        clock_.start();
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(from_, &QTcpSocket::readyRead, this, [this] { take(); });
        connect(&timer_, &QTimer::timeout, this, [this] { release(); });
        // The client may speak before the connection to the server stands.
        connect(to_, &QTcpSocket::connected, this, [this] { release(); });
    }

    void take() {
        QByteArray chunk = from_->readAll();
        if (chunk.isEmpty())
            return;
        if (dropAfter_ >= 0 && passed_ + chunk.size() >= dropAfter_) {
            chunk.truncate(dropAfter_ - passed_);
            dropping_ = true;
        }
        passed_ += chunk.size();
        queue_.enqueue({clock_.elapsed() + delayMs_, chunk});
        release();
    }

    void release() {
        if (to_->state() != QAbstractSocket::ConnectedState)
            return;
        while (!queue_.isEmpty() && queue_.head().first <= clock_.elapsed()) {
            to_->write(queue_.dequeue().second);
            to_->flush();
        }
        if (!queue_.isEmpty()) {
            timer_.start(int(queue_.head().first - clock_.elapsed()));
            return;
        }
        if (dropping_)
            cut_();
    }

  private:
    QTcpSocket* from_;
    QTcpSocket* to_;
    int delayMs_;
    qint64 dropAfter_;
    qint64 passed_ = 0;
    bool dropping_ = false;
    std::function<void()> cut_;
    QElapsedTimer clock_;
    QTimer timer_;
    QQueue<std::pair<qint64, QByteArray>> queue_;
};

class Relay : public QObject {
  public:
    Relay(QString host, quint16 port, int delayMs, qint64 dropAfter)
        : host_(std::move(host)), port_(port), delayMs_(delayMs), dropAfter_(dropAfter) {
        connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
    }
    bool listen() { return server_.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return server_.serverPort(); }

  private:
    void accept() {
        while (QTcpSocket* client = server_.nextPendingConnection()) {
            auto* server = new QTcpSocket(client);
            client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            server->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            auto cut = [client, server] {
                server->abort();
                client->abort();
                client->deleteLater();
            };
            // The tool's bytes count towards the cut; the server's never do. Both directions
            // end with the client's socket.
            (new DelayedPipe(client, server, delayMs_, dropAfter_, cut))->setParent(client);
            (new DelayedPipe(server, client, delayMs_, -1, cut))->setParent(client);
            connect(client, &QTcpSocket::disconnected, client, [server, client] {
                server->disconnectFromHost();
                client->deleteLater();
            });
            connect(server, &QTcpSocket::disconnected, client,
                    [client] { client->disconnectFromHost(); });
            server->connectToHost(host_, port_);
        }
    }

    QTcpServer server_;
    QString host_;
    quint16 port_;
    int delayMs_;
    qint64 dropAfter_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("The server."),
                                QStringLiteral("host:port"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"), QStringLiteral("Latency each way."),
                                   QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption drop(QStringLiteral("drop-after"),
                                  QStringLiteral("Cut a connection after the client sent n bytes."),
                                  QStringLiteral("n"), QStringLiteral("-1"));
    parser.addOptions({to, delay, drop});
    parser.process(app);
    const QString target = parser.value(to);
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        std::fprintf(stderr, "ledsign-test-relay: --to HOST:PORT is needed\n");
        return 2;
    }
    Relay relay(target.left(colon), quint16(target.mid(colon + 1).toUInt()),
                parser.value(delay).toInt(), parser.value(drop).toLongLong());
    if (!relay.listen()) {
        std::fprintf(stderr, "ledsign-test-relay: cannot listen\n");
        return 1;
    }
    std::printf("%u\n", unsigned(relay.port()));
    std::fflush(stdout);
    // The end of standard input from a pipe ends the relay, so a test that dies leaves none
    // behind; a script gives it no pipe and ends it with a signal.
    struct stat in {};
    std::unique_ptr<QSocketNotifier> input;
    if (::fstat(STDIN_FILENO, &in) == 0 && S_ISFIFO(in.st_mode)) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, &app, [&] {
            char buf[256];
            if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
                app.quit();
        });
    }
    return app.exec();
}
