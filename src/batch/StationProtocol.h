#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

// How a batch and its stations talk. Each station is a child process of its own (so a slow or
// dead port never holds up the others), started as the `ledsign` program with
// stationArguments(). The child waits for a sign (after the last one is unplugged) and says
// Ready; only then does the parent hand it a unit as an Image event on its standard input, so
// a station without a sign holds no unit. A Stop event, before or after the image, stops the
// child (a closed standard input counts as Stop: a parent that died must not leave a bank half
// written). The child tells how it goes with one event a line on its standard output and ends
// with one of the exit codes below.
//
// Every line is formatted and parsed here and nowhere else.
namespace batch {

enum class StationPhase {
    Waiting,     // for a sign to answer on the port
    Writing,     // the Write runs: reading the sign for its backup, erasing, writing a bank
    ReadingBack, // a written bank is read back and compared
    Unplug,      // the last sign is still on the port: waiting until it stops answering
};

struct StationEvent {
    enum class Kind {
        // child -> parent
        Phase,    // phase
        Percent,  // number: of the current step, 0-100
        Firmware, // text: the sign's identification
        Backup,   // text: the backup file this station wrote for the sign
        Message,  // text: what the Write said last (the reason of a failure)
        Ready,    // a sign answers: the child waits for its Image
        // parent -> child
        Image, // bytes: the unit's 4096 image bytes
        Stop,  // no new sign; a Write under way ends at its next safe point
    };
    Kind kind = Kind::Message;
    StationPhase phase = StationPhase::Waiting;
    int number = 0;
    QString text;
    QByteArray bytes;

    static StationEvent ofPhase(StationPhase p) { return {Kind::Phase, p, 0, {}, {}}; }
    static StationEvent ofPercent(int n) { return {Kind::Percent, {}, n, {}, {}}; }
    static StationEvent ofText(Kind k, const QString& t) { return {k, {}, 0, t, {}}; }
    static StationEvent ofImage(const QByteArray& b) { return {Kind::Image, {}, 0, {}, b}; }
    static StationEvent stop() { return {Kind::Stop, {}, 0, {}, {}}; }
};

// One line, ending in '\n'; texts lose their line breaks.
QByteArray formatEvent(const StationEvent& event);
// One line without its '\n'; nothing for a line that is no event.
std::optional<StationEvent> parseEvent(QByteArrayView line);

// The child's exit codes.
inline constexpr int kStationWritten = 0;
inline constexpr int kStationFailed = 1;     // the Write failed; the sign may have been changed
inline constexpr int kStationPortFailed = 3; // the port itself failed: this station is done
inline constexpr int kStationStopped = 4;    // stopped before anything on the sign was erased

struct StationJob {
    QString port;
    bool afterSign = false; // a written sign hangs on the port: wait until it is unplugged
    bool waitForSign = true;
    int absenceMs = 2000; // this long without an answer is an unplugged sign
    int pollMs = 0;       // 0: the default time-outs
};

// The arguments of the station program for job, and their names for its parser.
QStringList stationArguments(const StationJob& job);
namespace stationOption {
inline const QString port = QStringLiteral("port");
inline const QString absenceMs = QStringLiteral("absence-ms");
inline const QString pollMs = QStringLiteral("poll-ms");
inline const QString station = QStringLiteral("station");
inline const QString afterSign = QStringLiteral("station-after-sign");
} // namespace stationOption

// `ledsign`: this program when it is ledsign, else the one beside it (the window's).
QString defaultStationProgram();

} // namespace batch
