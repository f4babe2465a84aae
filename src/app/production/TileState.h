#pragma once

#include "batch/BatchEngine.h"

#include <QString>
#include <optional>

// What one station's tile on the production screen shows, apart from its widgets: the stage
// in the operator's words, the unit, how far its Write is, why it failed and what to do next.
namespace production {

enum class Stage { Idle, Waiting, Writing, ReadingBack, Pass, Fail, Unplug, Stopped };

struct TileState {
    Stage stage = Stage::Idle;
    QString unit;
    int percent = 0; // while Writing or ReadingBack
    QString reason;  // the plain words of a FAIL
    // After a PASS or FAIL: what the station does meanwhile (Unplug, Waiting), Idle for nothing.
    Stage then = Stage::Idle;
};

// The last unit a station finished, until its next Write begins.
struct LastResult {
    QString unit;
    bool passed = false;
    QString reason; // the log's message of a failure
};

// How far a unit's whole Write is. The station counts each of its steps (reading the sign for
// its backup, erasing, writing and reading back each bank) from 0 to 100; a Write has about
// as many steps as the last one of the run had.
class WriteProgress {
  public:
    // The station's state and step percent as they change; the whole Write's percent.
    int follow(batch::StationState state, int stepPercent);

  private:
    int expectedSteps_ = 7;
    int steps_ = 0; // begun in this Write
    int lastPercent_ = 0;
    int shown_ = 0;
    bool writing_ = false;
};

// The engine's station as its tile shows it. A result stays on the tile while the station
// waits for the sign to go or for the next one, so the operator sees what became of the sign
// in front of them.
TileState tileFor(const batch::Station& station, const QString& unitLabel,
                  const std::optional<LastResult>& last, bool stopping);

// "WAITING FOR SIGN", "WRITING 45 %", "READING BACK", "PASS", "FAIL", "UNPLUG THE SIGN".
QString stateWords(const TileState& state);
// The big words with what follows a result: "PASS" and "UNPLUG THE SIGN" on two lines.
QString shownWords(const TileState& state);
// What a screen reader says of the tile: jig, port, unit, state and reason in one sentence.
QString spokenState(const QString& jig, const QString& port, const TileState& state);
// A failed unit's log message as an operator reads it (the program's own texts are for
// technicians); texts it does not know are shown as they are.
QString plainReason(const QString& message);

} // namespace production
