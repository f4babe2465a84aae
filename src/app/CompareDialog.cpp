#include "app/CompareDialog.h"

#include "core/Messages.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

CompareDialog::CompareDialog(const settings::Differences& d, QWidget* parent)
    : CompareDialog(d, msg::label::compareCaption, msg::label::compareWindow, parent) {
    setObjectName(QStringLiteral("CompareDialog1"));
}

CompareDialog::CompareDialog(const settings::Differences& d, const QString& caption,
                             const QString& windowColumn, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(int(d.settings.size()), 3, this)) {
    setWindowTitle(caption);
    table_->setObjectName(QStringLiteral("grdDifferences"));
    table_->setHorizontalHeaderLabels(
        {msg::label::compareSetting, msg::label::compareSign, windowColumn});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    for (int row = 0; row < d.settings.size(); ++row) {
        const settings::SettingDifference& s = d.settings.at(row);
        table_->setItem(row, 0, new QTableWidgetItem(s.caption));
        table_->setItem(row, 1, new QTableWidgetItem(s.from));
        table_->setItem(row, 2, new QTableWidgetItem(s.to));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* box = new QVBoxLayout(this);
    box->addWidget(table_);
    box->addWidget(buttons);
    resize(560, 320);
}
