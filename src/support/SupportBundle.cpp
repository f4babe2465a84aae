#include "support/SupportBundle.h"

#include "backup/BackupIndex.h"
#include "backup/Backups.h"
#include "image/ImageLayout.h"
#include "protocol/LineDoctor.h"
#include "protocol/Link.h"
#include "protocol/WireTrace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>
#include <QSettings>
#include <QSysInfo>
#include <QTextStream>

namespace support {

namespace {

const QString kIndexFile = QStringLiteral("index.jsonl");

QByteArray readAll(const QString& path, bool* ok = nullptr) {
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? f.readAll() : QByteArray();
}

QByteArray versionsText() {
    QString s;
    QTextStream t(&s);
    t << "ledsign-programmer " << LEDSIGN_VERSION << '\n'
      << "Qt " << qVersion() << " (built with " << QT_VERSION_STR << ")\n"
      << "System: " << QSysInfo::prettyProductName() << '\n'
      << "Kernel: " << QSysInfo::kernelType() << ' ' << QSysInfo::kernelVersion() << '\n'
      << "CPU: " << QSysInfo::currentCpuArchitecture() << '\n';
    t.flush();
    return s.toUtf8();
}

QString hex4(quint16 id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

// The ports as the system reports them, with the USB identity of adapters (what a udev rule
// or a driver search needs), then the ports named by the user.
QByteArray portsText(const QStringList& extraPorts) {
    QString s;
    QTextStream t(&s);
    const auto ports = QSerialPortInfo::availablePorts();
    t << "Serial ports the system reports: " << ports.size() << '\n';
    for (const QSerialPortInfo& p : ports) {
        t << p.systemLocation();
        if (!p.description().isEmpty())
            t << "  description=\"" << p.description() << '"';
        if (!p.manufacturer().isEmpty())
            t << "  manufacturer=\"" << p.manufacturer() << '"';
        if (p.hasVendorIdentifier() && p.hasProductIdentifier())
            t << "  usb=" << hex4(p.vendorIdentifier()) << ':' << hex4(p.productIdentifier());
        if (!p.serialNumber().isEmpty())
            t << "  serial=\"" << p.serialNumber() << '"';
        t << '\n';
    }
    t << "\nPorts the tool offers (named ones first):\n";
    for (const SerialPortEntry& e : ListSerialPorts(extraPorts))
        t << e.name << (e.description.isEmpty() ? QString() : QStringLiteral("  ") + e.description)
          << '\n';
    t.flush();
    return s.toUtf8();
}

QFileInfoList newestTraces(const QString& folder, int count) {
    QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("trace-*.txt")}, QDir::Files, QDir::Time);
    return files.mid(0, count);
}

} // namespace

Options::Options()
    : windowMemoryFile(defaultWindowMemoryFile()), traceFolder(sessiontrace::folder()),
      backupFolder(backup::defaultFolder()) {}

QString defaultWindowMemoryFile() {
    // The window's memory (WindowMemory) lives under these names.
    return QSettings(QStringLiteral("ledsign-programmer"), QStringLiteral("ledsign-programmer"))
        .fileName();
}

QByteArray maskedImage(QByteArray image) {
    for (const layout::Range& r : layout::kSecrets)
        for (int i = r.from; i < r.from + r.count && i < image.size(); ++i)
            if (image[i] != '\0')
                image[i] = '*';
    return image;
}

QByteArray maskedSettings(const QByteArray& ini, QStringList* masked) {
    static const QRegularExpression secret(
        QStringLiteral("pass|secret|token|credential|access.?code|\\bpw\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QByteArrayList lines = ini.split('\n');
    QString section;
    for (QByteArray& line : lines) {
        if (line.startsWith('[') && line.trimmed().endsWith(']')) {
            section = QString::fromUtf8(line.trimmed().mid(1).chopped(1));
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || line.startsWith(';') || line.startsWith('#'))
            continue;
        const QString key = QString::fromUtf8(line.left(eq)).trimmed();
        if (!secret.match(key).hasMatch())
            continue;
        line = line.left(eq + 1) + "***";
        if (masked)
            *masked << (section.isEmpty() || section == QLatin1String("General")
                            ? key
                            : section + QLatin1Char('/') + key);
    }
    return lines.join('\n');
}

Bundle collect(const Options& o) {
    Bundle b;
    b.items.append({QStringLiteral("versions.txt"),
                    QStringLiteral("the program's, Qt's and the system's versions"),
                    versionsText()});
    b.items.append({QStringLiteral("ports.txt"),
                    QStringLiteral("the serial ports with their USB identifiers"),
                    portsText(o.extraPorts)});

    if (!o.port.isEmpty()) {
        b.items.append({QStringLiteral("doctor.txt"), QStringLiteral("the line check of ") + o.port,
                        o.lineCheck.toUtf8()});
    } else {
        b.notes << QStringLiteral("No line check: no port was given.");
    }

    const QFileInfoList traces = newestTraces(o.traceFolder, o.traces);
    for (const QFileInfo& f : traces)
        b.items.append({QStringLiteral("traces/") + f.fileName(),
                        QStringLiteral("a trace of what crossed the line (") +
                            f.lastModified().toUTC().toString(Qt::ISODate) + QLatin1Char(')'),
                        readAll(f.absoluteFilePath())});
    if (traces.isEmpty())
        b.notes << QStringLiteral("No traces: none in ") + o.traceFolder + QLatin1Char('.');
    else
        b.notes << QStringLiteral("Traces: passwords inside frames were masked (**) when the "
                                  "trace was written.");

    bool haveSettings = false;
    const QByteArray settings = readAll(o.windowMemoryFile, &haveSettings);
    if (haveSettings) {
        QStringList maskedKeys;
        b.items.append({QStringLiteral("settings/") + QFileInfo(o.windowMemoryFile).fileName(),
                        QStringLiteral("what the window remembers between runs"),
                        maskedSettings(settings, &maskedKeys)});
        if (!maskedKeys.isEmpty())
            b.notes << QStringLiteral("Settings: the values of ") +
                           maskedKeys.join(QStringLiteral(", ")) +
                           QStringLiteral(" were replaced by ***.");
    } else {
        b.notes << QStringLiteral("No remembered settings: ") + o.windowMemoryFile +
                       QStringLiteral(" does not exist.");
    }

    const QDir backups(o.backupFolder);
    bool haveIndex = false;
    const QByteArray index = readAll(backups.filePath(kIndexFile), &haveIndex);
    if (haveIndex)
        b.items.append({QStringLiteral("backups/") + kIndexFile,
                        QStringLiteral("the index of the backups of signs' settings"), index});
    else
        b.notes << QStringLiteral("No backup index in ") + o.backupFolder + QLatin1Char('.');
    if (o.withImages && haveIndex) {
        int images = 0;
        // A sign read twice unchanged has two index lines naming one file: it goes in once.
        // The index is data, not a list of paths: its entries name plain files in the folder,
        // and one that is a link could lead anywhere, so it stays out.
        QSet<QString> added;
        for (const backup::Entry& e : backup::readIndexFile(backups.filePath(kIndexFile)).entries) {
            const QFileInfo info(e.path);
            if (added.contains(e.file) || info.isSymLink() || !info.isFile())
                continue;
            QFile f(e.path);
            if (!f.open(QIODevice::ReadOnly))
                continue;
            // Whatever else may have been written to the file, a reader takes one image.
            b.items.append({QStringLiteral("backups/") + e.file,
                            QStringLiteral("a backed-up image, its passwords masked"),
                            maskedImage(f.read(layout::kImageSize))});
            added.insert(e.file);
            ++images;
        }
        b.notes << QStringLiteral("Backup images: %1 included; every password's characters "
                                  "replaced by *, so their checksums no longer match.")
                       .arg(images);
    } else {
        b.notes << QStringLiteral("Backup images: left out (ledsign report --with-images, or the "
                                  "box in the window, includes them with their passwords "
                                  "masked).");
    }
    return b;
}

QString checkLine(Exchange& exchange, const QString& port) {
    LineDoctor doctor(exchange);
    return doctor.run(port).text();
}

QString Bundle::manifest() const {
    QString s;
    QTextStream t(&s);
    t << "LED Sign Programmer support bundle\n"
      << "Made " << QDateTime::currentDateTimeUtc().toString(Qt::ISODate) << " by version "
      << LEDSIGN_VERSION << ".\n\n"
      << "Included:\n";
    for (const Item& i : items)
        t << "  " << i.name << "  - " << i.what << " (" << i.data.size() << " bytes)\n";
    t << "\nMasked and left out:\n";
    for (const QString& n : notes)
        t << "  " << n << '\n';
    t << "  No password of any sign is in this bundle.\n";
    t.flush();
    return s;
}

QList<ziparchive::Member> Bundle::members() const {
    QList<ziparchive::Member> m{{kManifestName, manifest().toUtf8()}};
    for (const Item& i : items)
        m.append({i.name, i.data});
    return m;
}

bool save(const Bundle& bundle, const QString& path, QString* error) {
    return ziparchive::write(path, bundle.members(), error);
}

} // namespace support
