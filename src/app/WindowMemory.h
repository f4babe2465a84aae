#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

// What the window remembers between runs for the person at this computer: recent table
// files, the folder each file dialog was last in, the last port linked to, the window's
// place. It lives in the user's configuration folder and never in a table or command file.
class WindowMemory {
  public:
    static constexpr int kRecentFiles = 8;

    // The user's own settings (~/.config/ledsign-programmer/) when file is empty.
    explicit WindowMemory(const QString& file = QString());
    ~WindowMemory();

    // Newest first; files that no longer exist are left out (and forgotten).
    QStringList recentFiles();
    void addRecentFile(const QString& path);

    // The folder a dialog (by its key) was last in, when it still exists; else fallback.
    QString folder(const QString& dialog, const QString& fallback) const;
    void rememberFolderOf(const QString& dialog, const QString& chosenFile);
    void setFolder(const QString& dialog, const QString& folder);

    // An on/off choice of the window's menus (the backup before a Write).
    bool flag(const QString& key, bool fallback) const;
    void setFlag(const QString& key, bool on);

    QString lastPort() const;
    void setLastPort(const QString& port);
    // The network serial servers added in the Connection dialog, oldest first.
    QStringList networkPorts() const;
    void addNetworkPort(const QString& name);

    // The file it is kept in, brought up to date first (the support bundle copies it).
    QString syncedFile();

    QByteArray geometry() const;
    void setGeometry(const QByteArray& geometry);

  private:
    std::unique_ptr<QSettings> settings_;
};
