#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The sign's 1 MiB of flash, erased to 0xFF, optionally kept in a state file that is rewritten
// (atomically) after every change.
class SignMemory {
  public:
    static constexpr quint32 kSize = 0x100000;

    SignMemory();

    // Takes the memory from an existing state file; refuses a file of another size.
    bool load(const QString& path, QString* error);
    // Saves to the state file, if there is one.
    bool save(QString* error) const;
    void setStatePath(const QString& path) { statePath_ = path; }

    // Erases the 32 KiB sector that holds the address. False outside the memory.
    bool eraseSector(quint32 address);
    // Programs the bytes as flash does (bits only cleared). False (and nothing written) when
    // the bytes would run past the memory.
    bool write(quint32 address, const QByteArray& bytes);
    // A cell that keeps its value through every erase and write.
    void stickBit(quint32 address, int bit, bool value);
    // Bytes past the memory read as 0xFF, like unprogrammed flash.
    QByteArray read(quint32 address, qsizetype count) const;

  private:
    void applyStuckBits();

    struct Stuck {
        quint32 address;
        quint8 mask;
        bool value;
    };
    QList<Stuck> stuck_;
    QByteArray bytes_;
    QString statePath_;
};
