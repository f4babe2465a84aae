#pragma once

#include <QByteArray>
#include <QString>

// The sign's end of the serial cable: the master side of a pseudo-terminal. The device side
// (the path the programmer opens) is put in raw mode and held open here as well, so the
// programmer may open and close it as often as it likes without hanging up the master.
class PtyDevice {
  public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool open(QString* error);
    QString devicePath() const { return devicePath_; }
    int fd() const { return master_; }

    enum class ReadState { Data, Empty, NoPeer };
    // Appends what is waiting. NoPeer: the master reports EIO (nobody holds the device side);
    // the caller tries again later.
    ReadState readAvailable(QByteArray& into);
    // Writes what the pseudo-terminal takes now; returns the count, 0 when it is full, -1 on
    // NoPeer.
    qsizetype writeSome(const char* data, qsizetype size);

  private:
    int master_ = -1;
    int device_ = -1;
    QString devicePath_;
};
