#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// The Backups window (File > "Backups..."): every backup of the folder in a table (time, port,
// operation, capcode #1, firmware) sorted by any column, a filter over all of them, and what
// can be done with the selected one: open it as an untitled copy, compare it with the linked
// sign, show it in its folder. The window reads the folder again each time it is activated.
class BackupsWindow : public QDialog {
    Q_OBJECT
  public:
    enum Column { Time, Port, Operation, Capcode1, Firmware, ColumnCount };

    explicit BackupsWindow(QString folder, QWidget* parent = nullptr);

    void reload();
    // The selected backup's file; empty when no row is selected.
    QString selectedPath() const;
    // Whether a sign is linked and free for a comparison; asked whenever the buttons are set.
    std::function<bool()> canCompare;
    // Shows the file in the file manager; tests replace it.
    std::function<void(const QString& path)> showInFolder;

    QTableView* table() const { return table_; }
    QLineEdit* filter() const { return filter_; }
    // The buttons are set again (after a link, or the end of an exchange).
    void updateButtons();

  signals:
    void openRequested(const QString& path);
    void compareRequested(const QString& path);

  protected:
    bool event(QEvent* event) override;

  private:
    QString folder_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* proxy_;
    QTableView* table_;
    QLineEdit* filter_;
    QLabel* note_;
    QPushButton* open_;
    QPushButton* compare_;
    QPushButton* show_;
};
