#pragma once

#include "app/production/TileState.h"

#include <QFrame>
#include <QHash>
#include <QPixmap>

class QLabel;
class QLineEdit;
class QProgressBar;

// One station of the production screen: the jig's name (the operator may rename it), its
// port, the unit on it, the state in large letters with colour, word and icon together, the
// failure's reason and the Write's progress. Every change of state is announced to screen
// readers.
class StationTile : public QFrame {
    Q_OBJECT

  public:
    StationTile(const QString& port, const QString& jig, QWidget* parent = nullptr);

    void setState(const production::TileState& state);
    const production::TileState& state() const { return state_; }
    QString port() const { return port_; }
    QString jig() const;
    // Renaming is for the time between runs.
    void setRenamable(bool on);

  signals:
    void jigRenamed(const QString& port, const QString& name);

  private:
    void describe();

    QString port_;
    production::TileState state_;
    QLineEdit* name_ = nullptr;
    QLabel* portLabel_ = nullptr;
    QLabel* unit_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* words_ = nullptr;
    QLabel* reason_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QHash<int, QPixmap> icons_; // by QStyle::StandardPixmap
};
