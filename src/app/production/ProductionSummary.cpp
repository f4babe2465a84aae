#include "app/production/ProductionSummary.h"

#include "app/production/TileState.h"
#include "core/Messages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

void showProductionSummary(QWidget* parent, const production::Tally& tally, qint64 elapsedMs,
                           const QList<batch::LogRecord>& records) {
    namespace pm = msg::production;
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgProductionSummary"));
    dialog.setWindowTitle(pm::summaryCaption);
    auto* text = new QLabel(pm::summaryText(tally.done, tally.failed, tally.left,
                                            tally.perHourText(elapsedMs), tally.yieldText(),
                                            production::elapsedText(elapsedMs)),
                            &dialog);
    QFont f = text->font();
    f.setPointSize(f.pointSize() + 4);
    text->setFont(f);
    auto* table = new QTableWidget(int(records.size()), 5, &dialog);
    table->setObjectName(QStringLiteral("tblAttempts"));
    table->setHorizontalHeaderLabels(pm::summaryColumns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int i = 0; i < records.size(); ++i) {
        const batch::LogRecord& r = records[i];
        const QStringList cells{
            r.unit, r.port, r.result, QLocale::c().toString(r.seconds, 'f', 1),
            r.result == batch::kResultFailed ? production::plainReason(r.message) : QString()};
        for (int c = 0; c < cells.size(); ++c)
            table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(text);
    column->addWidget(table, 1);
    column->addWidget(buttons);
    dialog.resize(720, 480);
    dialog.exec();
}
