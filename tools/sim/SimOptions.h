#pragma once

#include "PreparedImages.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// How this run of the simulated sign is prepared and how it misbehaves.
struct SimOptions {
    QString statePath;                  // empty: memory lives only as long as the process
    std::optional<InitChoice> init;     // prepared image for both banks
    std::optional<QByteArray> firmware; // 12 identification bytes
    bool display = true;                // the display controller answers pass-through frames
    QSet<quint64> nakFrames;            // device frames (from 1) answered negatively
    quint64 dieAfter = 0;               // 0: never
    bool strayEtx = false;
    QSet<quint64> strayBefore; // device frames (from 1) whose answer gets a stray byte first
    // Faults of the flash and the line, by device frame number (from 1): a write or erase
    // acknowledged but not (or, for a write, only half) carried out; a reply whose data carry
    // one flipped bit, or whose data are all scrambled (the frame's own sum still right).
    QSet<quint64> writeIgnored, writeHalf, eraseIgnored, flipReply, garbleReply;
    struct StuckBit {
        quint32 address = 0;
        int bit = 0;
        bool value = false;
    };
    QList<StuckBit> stuckBits; // flash cells that keep their value whatever is written
    // Line noise on about noiseRate answers in a hundred: stray bytes before them, or one bit
    // flipped inside a reply frame, or either.
    bool noise = false;
    int noiseRate = 25;
    enum class NoiseKind { Strays, Flips, Both } noiseKind = NoiseKind::Strays;
    // Answers as another firmware build may: what the programmer never looks at (the
    // acknowledgement's first, third and fourth bytes, a negative one's second byte, a
    // reply's header and what follows its data) is drawn at random per answer.
    bool foreign = false;
    quint32 seed = 1;
    int pace = 19200; // line speed in baud; 0 = as fast as the pseudo-terminal goes
    QString logPath;
    bool watchStdin = true;
    bool show = false; // each display text on stdout
    // A line of signs: once both banks have been written, the next link request finds the
    // sign unplugged for swapMs, then a fresh sign (state file STATE.2, STATE.3 ...).
    int line = 0; // 0: one sign
    int swapMs = 2500;
};

// Parses the command line. On an error returns nothing and puts the reason in *error; --help
// and --version print and exit inside.
std::optional<SimOptions> parseSimOptions(const QStringList& arguments, QString* error);
