#pragma once

#include <QString>

// What the window's caption says about its settings: the table file they are measured
// against (the one Save writes to, once one was opened or saved), where they came from when
// that was not the file (a sign that was read), and the mark while they differ from the file.
class CaptionState {
  public:
    // The named file was opened or saved: the settings are its own again.
    void fileTaken(const QString& path);
    // The settings were replaced from elsewhere ("read from ttyUSB0"); the file stays named.
    void settingsFrom(const QString& origin) { origin_ = origin; }
    void setModified(bool modified) { modified_ = modified; }

    QString file() const { return file_; }
    QString origin() const { return origin_; }
    bool modified() const { return modified_; }

    // The window's caption: base, then " - [file]", then " - origin", then the mark.
    QString caption(const QString& base) const;

  private:
    QString file_;
    QString origin_;
    bool modified_ = false;
};

// How a port is named to the user: a device under /dev/ without the folder ("ttyUSB0",
// "pts/3"); anything else as it is.
QString shownPortName(const QString& port);
