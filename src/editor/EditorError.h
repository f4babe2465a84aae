#pragma once

#include <QString>
#include <stdexcept>

// A text that does not read as the number a rule needs. It ends the handler that met it; the
// window shows it in the standard error box and goes on.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};
