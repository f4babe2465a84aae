#include "app/WindowMemory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kOrganisation = QStringLiteral("ledsign-programmer");
const QString kApplication = QStringLiteral("ledsign-programmer");
const QString kRecent = QStringLiteral("recentFiles");
const QString kPort = QStringLiteral("link/lastPort");
const QString kNetworkPorts = QStringLiteral("link/networkPorts");
const QString kGeometry = QStringLiteral("window/geometry");
QString folderKey(const QString& dialog) {
    return QStringLiteral("folders/") + dialog;
}
} // namespace

WindowMemory::WindowMemory(const QString& file)
    : settings_(file.isEmpty() ? std::make_unique<QSettings>(kOrganisation, kApplication)
                               : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

WindowMemory::~WindowMemory() = default;

QStringList WindowMemory::recentFiles() {
    const QStringList stored = settings_->value(kRecent).toStringList();
    QStringList present;
    for (const QString& f : stored)
        if (QFileInfo(f).isFile() && !present.contains(f))
            present << f;
    if (present != stored)
        settings_->setValue(kRecent, present);
    return present;
}

void WindowMemory::addRecentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(full);
    files.prepend(full);
    while (files.size() > kRecentFiles)
        files.removeLast();
    settings_->setValue(kRecent, files);
}

QString WindowMemory::folder(const QString& dialog, const QString& fallback) const {
    const QString f = settings_->value(folderKey(dialog)).toString();
    return !f.isEmpty() && QFileInfo(f).isDir() ? f : fallback;
}

void WindowMemory::rememberFolderOf(const QString& dialog, const QString& chosenFile) {
    if (!chosenFile.isEmpty())
        settings_->setValue(folderKey(dialog), QFileInfo(chosenFile).absolutePath());
}

void WindowMemory::setFolder(const QString& dialog, const QString& folder) {
    settings_->setValue(folderKey(dialog), folder);
}

bool WindowMemory::flag(const QString& key, bool fallback) const {
    return settings_->value(key, fallback).toBool();
}
void WindowMemory::setFlag(const QString& key, bool on) {
    settings_->setValue(key, on);
}

QString WindowMemory::lastPort() const {
    return settings_->value(kPort).toString();
}

void WindowMemory::setLastPort(const QString& port) {
    settings_->setValue(kPort, port);
}

QStringList WindowMemory::networkPorts() const {
    return settings_->value(kNetworkPorts).toStringList();
}

void WindowMemory::addNetworkPort(const QString& name) {
    QStringList ports = networkPorts();
    if (!ports.contains(name))
        settings_->setValue(kNetworkPorts, ports << name);
}

QString WindowMemory::syncedFile() {
    settings_->sync();
    return settings_->fileName();
}

QByteArray WindowMemory::geometry() const {
    return settings_->value(kGeometry).toByteArray();
}

void WindowMemory::setGeometry(const QByteArray& geometry) {
    settings_->setValue(kGeometry, geometry);
}
