#pragma once

#include "support/ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Exchange;

// The support bundle: what someone helping a technician needs to see, in one zip. The
// window's Help > "Save Support Bundle..." and `ledsign report` make the same one. No
// password of any sign is in it: traces carry them masked, backed-up images are masked here,
// and remembered settings named like a secret lose their values.
namespace support {

inline constexpr int kNewestTraces = 5;
inline const QString kManifestName = QStringLiteral("MANIFEST.txt");

struct Options {
    // The port whose line check (checkLine) is included, when not empty.
    QString port;
    QString lineCheck;
    // The backed-up images themselves, beside their index.
    bool withImages = false;
    // Ports named on the command line or in LEDSIGN_PORTS, listed beside the system's.
    QStringList extraPorts;
    // Where things are; the user's own folders by default.
    QString windowMemoryFile;
    QString traceFolder;
    QString backupFolder;
    int traces = kNewestTraces;

    Options();
};

struct Item {
    QString name; // inside the zip
    QString what; // one line for the person: what it is
    QByteArray data;
};

struct Bundle {
    QList<Item> items;
    // What was masked or left out, one line each, for the manifest.
    QStringList notes;

    // MANIFEST.txt: every member with what it is, then what was masked and left out.
    QString manifest() const;
    // The zip's members: the manifest first, then the items.
    QList<ziparchive::Member> members() const;
};

Bundle collect(const Options& options);
// The doctor's report on the port, over the exchange's line (which must be free).
QString checkLine(Exchange& exchange, const QString& port);
// Writes the bundle as a zip to path. False with the reason.
bool save(const Bundle& bundle, const QString& path, QString* error);

// The file in which the window remembers its settings between runs.
QString defaultWindowMemoryFile();

// A copy of a table file's image with every password's characters replaced by '*'.
QByteArray maskedImage(QByteArray image);
// An INI text with the values of keys named like a secret (password, secret, token, access
// code) replaced by ***; masked receives the keys.
QByteArray maskedSettings(const QByteArray& ini, QStringList* masked);

} // namespace support
