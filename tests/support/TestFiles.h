#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A whole file as bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);

// Replaces the file with bytes; false when it cannot be written whole.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
