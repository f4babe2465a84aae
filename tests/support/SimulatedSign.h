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
    bool start(const QString& statePath, const QStringList& arguments = {});

    // Ends the sign (the end of its stdin), or waits for the power cut it was told to do.
    void stop();

    // What the sign printed after its device path (display frames it received).
    QString output();

    QString device() const { return device_; }

  private:
    std::unique_ptr<QProcess> proc_;
    QString device_;
};

// The sign's memory as it stands in its state file.
QByteArray signMemory(const QString& statePath);
QByteArray bankIn(const QByteArray& memory, int bank);
bool writeMemory(const QString& statePath, const QByteArray& memory);

// The main cases run on two simulated signs: the plain one, and one that answers as another
// firmware build may (--foreign), choosing its own bytes wherever the protocol leaves them to
// the sign. A case takes onBothSigns() as its _data() (or addSignColumn() and newSignRow() for
// rows of its own) and starts its sign with signOfRow(its own arguments).
void addSignColumn();
QTestData& newSignRow(bool foreign, const char* tag);
void onBothSigns();
// The simulator's arguments for the current row: the given ones, and --foreign with a seed of
// the case's own where the row asks for it.
QStringList signOfRow(const QStringList& arguments = {});

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
void useTestTiming(Exchange& ex);

// Link attempts against a silent line: each unanswered handshake gives up quickly. Only for
// lines where nobody answers: a loaded machine can take longer than this to answer.
void useQuickLinkTiming(Exchange& ex);

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
    bool start(const QStringList& arguments = {}, const QByteArray& memory = {});
    QByteArray memory() const { return signMemory(state); }
    QByteArray bank(int b) const { return bankIn(memory(), b); }
    // ledsign's options for this sign: its port, short waits, no progress output.
    QStringList lineArgs() const;
    // The device frames the sign took, as its log names them ("erase addr 0A8000", ...).
    QStringList traffic(const QString& command) const;
    // The stage byte of every clock frame the display controller took, in order.
    QList<int> clockStages() const;
};

// A sign memory as the simulator prepares it with arguments ("--init", "bank0-bad"), for a
// test to change by hand; empty when the sign did not start.
QByteArray preparedMemory(const QStringList& arguments);
