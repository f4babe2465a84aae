#pragma once

#include "core/Messages.h"
#include "settings/Differences.h"

#include <QDialog>

class QTableWidget;

// The settings in which the sign and the window (or a backup) differ: one row each, the
// setting, the sign's value and the other one's, under otherCaption.
class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    CompareDialog(const settings::Differences& signToWindow, QWidget* parent = nullptr);
    // The same table under another caption, the window's column named for what it holds
    // (Verify: the file's settings).
    CompareDialog(const settings::Differences& signToWindow, const QString& caption,
                  const QString& windowColumn, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }

  private:
    QTableWidget* table_;
};
