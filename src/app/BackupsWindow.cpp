#include "app/BackupsWindow.h"

#include "backup/Backups.h"
#include "core/Messages.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// Each cell sorts by this role: times as times, capcodes as numbers.
constexpr int kSortRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
} // namespace

BackupsWindow::BackupsWindow(QString folder, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)), model_(new QStandardItemModel(this)),
      proxy_(new QSortFilterProxyModel(this)), table_(new QTableView(this)),
      filter_(new QLineEdit(this)), note_(new QLabel(this)),
      open_(new QPushButton(msg::label::backupsOpen, this)),
      compare_(new QPushButton(msg::label::backupsCompare, this)),
      show_(new QPushButton(msg::label::backupsShowInFolder, this)) {
    setObjectName(QStringLiteral("frmBackups"));
    setWindowTitle(msg::label::backupsCaption);
    showInFolder = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).path()));
    };

    model_->setHorizontalHeaderLabels({msg::label::backupsTime, msg::label::backupsPort,
                                       msg::label::backupsOperation, msg::label::backupsCapcode1,
                                       msg::label::backupsFirmware});
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(kSortRole);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    table_->setObjectName(QStringLiteral("grdBackups"));
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(Time, Qt::DescendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table_->horizontalHeader()->setStretchLastSection(true);

    filter_->setObjectName(QStringLiteral("edtFilter"));
    filter_->setPlaceholderText(msg::label::backupsFilter);
    filter_->setClearButtonEnabled(true);
    note_->setObjectName(QStringLiteral("lblBackupsNote"));
    note_->setWordWrap(true);
    open_->setObjectName(QStringLiteral("btnOpenBackup"));
    compare_->setObjectName(QStringLiteral("btnCompareBackup"));
    show_->setObjectName(QStringLiteral("btnShowInFolder"));
    auto* close = new QPushButton(msg::label::backupsClose, this);
    close->setObjectName(QStringLiteral("btnCloseBackups"));

    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->setFilterFixedString(text);
        updateButtons();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &BackupsWindow::updateButtons);
    connect(table_, &QTableView::doubleClicked, open_, &QPushButton::click);
    connect(open_, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty())
            emit openRequested(path);
    });
    connect(compare_, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty())
            emit compareRequested(path);
    });
    connect(show_, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty())
            showInFolder(path);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open_);
    buttons->addWidget(compare_);
    buttons->addWidget(show_);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(msg::label::backupsFolder(folder_), this));
    box->addWidget(filter_);
    box->addWidget(table_);
    box->addWidget(note_);
    box->addLayout(buttons);
    resize(820, 440);
    reload();
}

void BackupsWindow::reload() {
    const QString selected = selectedPath();
    const backup::Listing listing = backup::Store(folder_).listing();
    model_->removeRows(0, model_->rowCount());
    const QLocale c = QLocale::c();
    for (const backup::Entry& e : listing.backups) {
        QList<QStandardItem*> row;
        auto add = [&row, &e](const QString& text, const QVariant& sortKey) {
            auto* item = new QStandardItem(text);
            item->setData(sortKey, kSortRole);
            item->setData(e.path, kPathRole);
            item->setToolTip(e.file);
            row << item;
        };
        add(c.toString(e.time.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.time);
        add(e.port, e.port);
        const QString operation = backup::shownOperation(e.operation);
        add(operation, operation);
        add(QString::number(e.capcode1).rightJustified(7, QLatin1Char('0')), qint64(e.capcode1));
        add(e.firmware, e.firmware);
        model_->appendRow(row);
    }
    table_->resizeColumnsToContents();
    note_->setText(listing.unreadableLines.isEmpty()
                       ? QString()
                       : msg::label::backupsUnreadable(int(listing.unreadableLines.size())));
    note_->setVisible(!listing.unreadableLines.isEmpty());
    // The same backup stays selected across a reload; at first, the top row is.
    int row = selected.isEmpty() ? 0 : -1;
    for (int r = 0; r < proxy_->rowCount() && row < 0; ++r)
        if (proxy_->index(r, 0).data(kPathRole).toString() == selected)
            row = r;
    if (row >= 0 && row < proxy_->rowCount())
        table_->selectRow(row);
    updateButtons();
}

QString BackupsWindow::selectedPath() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.first().data(kPathRole).toString();
}

void BackupsWindow::updateButtons() {
    const bool any = !selectedPath().isEmpty();
    open_->setEnabled(any);
    show_->setEnabled(any);
    compare_->setEnabled(any && canCompare && canCompare());
}

bool BackupsWindow::event(QEvent* event) {
    // A Read or Write in the main window may have kept a backup meanwhile.
    if (event->type() == QEvent::WindowActivate)
        reload();
    return QDialog::event(event);
}
