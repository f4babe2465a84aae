#pragma once

#include "settings/Differences.h"

#include <QDialog>

class QTableWidget;

// The settings in which the sign and the window differ: one row each, the setting, the
// sign's value and the window's.
class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    CompareDialog(const settings::Differences& signToWindow, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }

  private:
    QTableWidget* table_;
};
