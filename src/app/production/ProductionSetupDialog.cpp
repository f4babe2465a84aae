#include "app/production/ProductionSetupDialog.h"

#include "app/WindowMemory.h"
#include "core/Messages.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pm = msg::production;
using production::Setup;

namespace {

QWidget* fileRow(QLineEdit* edit, QPushButton* browse) {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(edit, 1);
    h->addWidget(browse);
    return row;
}

} // namespace

ProductionSetupDialog::ProductionSetupDialog(WindowMemory& memory, const QStringList& extraPorts,
                                             QWidget* parent)
    : QDialog(parent), memory_(memory) {
    setObjectName(QStringLiteral("dlgProductionSetup"));
    setWindowTitle(pm::setupCaption);
    listPorts = [extraPorts] { return production::portChoices(extraPorts); };
    auto folderOf = [](const QString& current) {
        return current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    };
    askTemplate = [this, folderOf](const QString& current) {
        return QFileDialog::getOpenFileName(this, pm::templateField, folderOf(current),
                                            pm::templateFilter);
    };
    askUnits = [this, folderOf](const QString& current) {
        return QFileDialog::getOpenFileName(this, pm::unitsField, folderOf(current),
                                            pm::unitsFilter);
    };
    // The log is appended to: choosing an existing one resumes its run, so no overwrite prompt.
    askLog = [this, folderOf](const QString& current) {
        return QFileDialog::getSaveFileName(this, pm::logField, folderOf(current), pm::logFilter,
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    };

    auto edit = [this](const char* name, const QString& label) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setAccessibleName(label);
        return e;
    };
    template_ = edit("edtTemplate", pm::templateField);
    units_ = edit("edtUnits", pm::unitsField);
    log_ = edit("edtLog", pm::logField);
    auto browse = [this](const char* name, QLineEdit* field,
                         std::function<QString(const QString&)>* ask) {
        auto* b = new QPushButton(pm::browse, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(pm::browse + QLatin1Char(' ') + field->accessibleName());
        connect(b, &QPushButton::clicked, this, [this, field, ask] {
            const QString chosen = (*ask)(field->text());
            if (chosen.isEmpty())
                return;
            field->setText(chosen);
            // A new units file gets its own log beside it, so a second run of it resumes.
            if (field == units_ && log_->text().isEmpty())
                log_->setText(production::defaultLogFor(chosen));
        });
        return b;
    };
    ports_ = new QListWidget(this);
    ports_->setObjectName(QStringLiteral("lstPorts"));
    ports_->setAccessibleName(pm::portsField);
    connect(ports_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const QString name = item->data(Qt::UserRole).toString();
        wanted_.removeAll(name);
        if (item->checkState() == Qt::Checked)
            wanted_ << name;
    });
    errors_ = new QPlainTextEdit(this);
    errors_->setObjectName(QStringLiteral("txtErrors"));
    errors_->setReadOnly(true);
    errors_->setAccessibleName(QStringLiteral("Problems"));
    errors_->hide();

    auto* form = new QFormLayout;
    form->addRow(pm::templateField,
                 fileRow(template_, browse("btnTemplate", template_, &askTemplate)));
    form->addRow(pm::unitsField, fileRow(units_, browse("btnUnits", units_, &askUnits)));
    form->addRow(pm::portsField, ports_);
    form->addRow(pm::logField, fileRow(log_, browse("btnLog", log_, &askLog)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(pm::openScreen);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOpenScreen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(errors_);
    column->addWidget(buttons);
    resize(640, 480);

    // Adapters come and go while the dialog is open.
    refresh_ = new QTimer(this);
    refresh_->setInterval(1000);
    connect(refresh_, &QTimer::timeout, this, &ProductionSetupDialog::refreshPorts);
    connect(this, &QDialog::finished, refresh_, &QTimer::stop);
    fill(Setup::remembered(memory_));
}

void ProductionSetupDialog::fill(const Setup& setup) {
    template_->setText(setup.templatePath);
    units_->setText(setup.unitsPath);
    log_->setText(setup.logPath);
    wanted_ = setup.ports;
    refreshPorts();
    refresh_->start();
}

void ProductionSetupDialog::refreshPorts() {
    const QList<production::PortChoice> found = listPorts();
    QStringList names;
    for (const auto& p : found)
        names << p.name;
    // A ticked port that is not plugged in stays on the list, so its tick is not lost.
    QList<production::PortChoice> shown = found;
    for (const QString& w : wanted_)
        if (!names.contains(w))
            shown.append({w, QString(), QString()});
    QStringList before;
    for (int i = 0; i < ports_->count(); ++i)
        before << ports_->item(i)->text();
    QStringList after;
    for (const auto& p : shown) {
        QString text = p.name;
        if (!p.device.isEmpty() && p.device != p.name)
            text += QStringLiteral("  (") + QFileInfo(p.device).fileName() + QLatin1Char(')');
        if (!p.description.isEmpty())
            text += QStringLiteral("  ") + p.description;
        after << text;
    }
    if (after == before)
        return;
    const QSignalBlocker quiet(ports_);
    ports_->clear();
    for (int i = 0; i < shown.size(); ++i) {
        auto* item = new QListWidgetItem(after[i], ports_);
        item->setData(Qt::UserRole, shown[i].name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(wanted_.contains(shown[i].name) ? Qt::Checked : Qt::Unchecked);
    }
}

Setup ProductionSetupDialog::setup() const {
    // The ticked ports in the order of the list, so tiles keep their places.
    QStringList ports;
    for (int i = 0; i < ports_->count(); ++i)
        if (ports_->item(i)->checkState() == Qt::Checked)
            ports << ports_->item(i)->data(Qt::UserRole).toString();
    return {template_->text().trimmed(), units_->text().trimmed(), ports, log_->text().trimmed()};
}

void ProductionSetupDialog::showErrors(const QStringList& errors) {
    errors_->setPlainText(errors.join(QLatin1Char('\n')));
    errors_->setVisible(!errors.isEmpty());
}

QStringList ProductionSetupDialog::errorsShown() const {
    return !errors_->isHidden() ? errors_->toPlainText().split(QLatin1Char('\n')) : QStringList();
}

void ProductionSetupDialog::accept() {
    const Setup s = setup();
    s.remember(memory_);
    checked_ = production::check(s);
    showErrors(checked_.errors);
    if (checked_.errors.isEmpty())
        QDialog::accept();
}
