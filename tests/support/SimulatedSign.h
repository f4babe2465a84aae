#pragma once

// The simulated sign (ledsign-sim) on its pseudo-terminal, started by a test, and a rig that
// wires port, exchange, image and operations to it the way the main window does.

#include "ScriptedSeam.h"
#include "TestFiles.h"
#include "image/ParamImage.h"
#include "protocol/Exchange.h"
#include "protocol/Frames.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
#include "protocol/PagerOperations.h"
#include "serial/TCommPort.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class SimulatedSign {
  public:
    ~SimulatedSign() { stop(); }

    // Starts ledsign-sim on statePath (fast line unless the arguments say otherwise) and
    // waits for the device path on its first line.
    bool start(const QString& statePath, const QStringList& arguments = {}) {
        stop();
        proc_ = std::make_unique<QProcess>();
        QStringList args{QStringLiteral("--state"), statePath};
        if (!arguments.contains(QStringLiteral("--pace")))
            args << QStringLiteral("--pace") << QStringLiteral("0");
        args << arguments;
        proc_->setProcessChannelMode(QProcess::SeparateChannels);
        proc_->start(QStringLiteral(LEDSIGN_SIM_PATH), args);
        if (!proc_->waitForStarted(5000))
            return false;
        while (!proc_->canReadLine()) {
            if (!proc_->waitForReadyRead(5000))
                return false;
        }
        device_ = QString::fromLocal8Bit(proc_->readLine()).trimmed();
        return !device_.isEmpty();
    }

    // Ends the sign (the end of its stdin), or waits for the power cut it was told to do.
    void stop() {
        if (!proc_)
            return;
        if (proc_->state() != QProcess::NotRunning) {
            proc_->closeWriteChannel();
            if (!proc_->waitForFinished(3000)) {
                proc_->terminate();
                proc_->waitForFinished(3000);
            }
        }
        proc_.reset();
    }

    // What the sign printed after its device path (display frames it received).
    QString output() {
        if (!proc_)
            return {};
        proc_->waitForReadyRead(50);
        return QString::fromLocal8Bit(proc_->readAllStandardOutput());
    }

    QString device() const { return device_; }

  private:
    std::unique_ptr<QProcess> proc_;
    QString device_;
};

// The sign's memory as it stands in its state file.
inline QByteArray signMemory(const QString& statePath) {
    return fileBytes(statePath);
}
inline QByteArray bankIn(const QByteArray& memory, int bank) {
    return memory.mid(wire::bankBase(bank), layout::kBankSize);
}
inline bool writeMemory(const QString& statePath, const QByteArray& memory) {
    return writeFileBytes(statePath, memory);
}

// What the main window does for an operation, recorded.
class RecordingHost : public OperationHost {
  public:
    explicit RecordingHost(ParamImage& image) : image_(image) {}
    int collects = 0;
    int refreshes = 0;
    QList<bool> writeEnabled; // every change of the Write item
    bool pager = false;

    void collectPendingRecord() override { ++collects; }
    void refreshFromImage() override {
        ++refreshes;
        image_.writeModelTag();
    }
    void setWriteEnabled(bool on) override { writeEnabled << on; }
    void enablePager() override { pager = true; }

  private:
    ParamImage& image_;
};

// Short waits: the simulated sign answers at once.
inline void useTestTiming(Exchange& ex) {
    ExchangeTiming& t = ex.timing();
    t.pollMs = 5;
    t.quietPollMs = 2;
    t.passPollUs = 1000;
    t.passPolls = 200;
    t.connectWaitMs = 10;
}

// Link attempts against a silent line: each unanswered handshake gives up quickly. Only for
// lines where nobody answers: a loaded machine can take longer than this to answer.
inline void useQuickLinkTiming(Exchange& ex) {
    useTestTiming(ex);
    ex.timing().quietPollMs = 1;
    ex.timing().polls = 30;
}

// Port, exchange, image and operations against one simulated sign.
struct SignRig {
    QTemporaryDir dir;
    QString state = dir.filePath(QStringLiteral("sign.bin"));
    QString log = dir.filePath(QStringLiteral("wire.log"));
    SimulatedSign sim;
    TCommPort port;
    ScriptedSeam seam;
    Exchange ex{port, seam};
    ParamImage image;
    LinkState link;
    RecordingHost host{image};
    PagerOperations ops{ex, image, link, host};

    SignRig() { useTestTiming(ex); }

    // Starts the sign; a memory given here is its state file at start.
    bool start(const QStringList& arguments = {}, const QByteArray& memory = {}) {
        if (!memory.isEmpty() && !writeMemory(state, memory))
            return false;
        if (!sim.start(state, QStringList{QStringLiteral("--log"), log} + arguments))
            return false;
        link.portName = sim.device();
        return true;
    }
    QByteArray memory() const { return signMemory(state); }
    QByteArray bank(int b) const { return bankIn(memory(), b); }
    // The device frames the sign took, as its log names them ("erase addr 0A8000", ...).
    QStringList traffic(const QString& command) const {
        QFile f(log);
        QStringList out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QString l = QString::fromLatin1(line);
            const qsizetype at = l.indexOf(QLatin1Char(' ') + command + QLatin1Char(' '));
            if (l.startsWith(QLatin1String("in ")) && at >= 0)
                out << l.mid(at + 1);
        }
        return out;
    }
    // The stage byte of every clock frame the display controller took, in order.
    QList<int> clockStages() const {
        QFile f(log);
        QList<int> out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (!line.startsWith("display ") || !line.contains("code 0x62"))
                continue;
            out << line.split(' ').last().toInt(nullptr, 16);
        }
        return out;
    }
};

// A sign memory as the simulator prepares it with arguments ("--init", "bank0-bad"), for a
// test to change by hand; empty when the sign did not start.
inline QByteArray preparedMemory(const QStringList& arguments) {
    SignRig rig;
    if (!rig.start(arguments))
        return {};
    rig.sim.stop();
    return rig.memory();
}
