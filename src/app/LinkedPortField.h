#pragma once

#include <QLabel>

// The status bar's field for the line to the sign: the linked port and, once it was read, the
// sign's firmware version ("ttyUSB0 · 2.52"), or "not linked". A Link, every operation's own
// link and a line that went away move it.
class LinkedPortField : public QLabel {
    Q_OBJECT
  public:
    explicit LinkedPortField(QWidget* parent = nullptr);

    void linked(const QString& port);
    // The firmware identification text ("Model : POCSAG  Version = 2.52"); its version is
    // shown beside the port.
    void firmwareIdentified(const QString& idText);
    void lost();

    QString port() const { return port_; }

  private:
    void showLine();

    QString port_;
    QString version_;
};

// The version of a firmware identification text, or empty when it names none.
QString firmwareVersion(const QString& idText);
