#include "signcmd/CommandDialog.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "signcmd/SendCommands.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace signcmd {
namespace {

constexpr int kRows = 17;
constexpr int kRowHeight = 25;
constexpr int kLabelWidth = 112;
constexpr int kControlWidth = 250;
constexpr int kColumnWidth = kLabelWidth + kControlWidth + 16;

ControlValue readControl(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return {e->text(), -1};
    auto* c = qobject_cast<const QComboBox*>(w);
    const QString text = c->currentText();
    // Typed text names an item only when it is that item's text.
    int index = c->currentIndex();
    if (index < 0 || c->itemText(index) != text)
        index = c->findText(text, Qt::MatchExactly);
    return {text, index};
}

void writeControl(QWidget* w, const ControlValue& v) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(v.text);
        return;
    }
    auto* c = qobject_cast<QComboBox*>(w);
    c->setCurrentIndex(v.index);
    c->setEditText(v.index >= 0 ? c->itemText(v.index) : v.text);
}

} // namespace
} // namespace signcmd

using namespace signcmd;

TfrmCommand::TfrmCommand(Exchange& exchange, LinkState& link, QWidget* parent)
    : QDialog(parent), exchange_(exchange), link_(link) {
    setObjectName(QStringLiteral("frmCommand"));
    setWindowTitle(msg::label::ledSignCommandCaption);
    // The system menu and minimise only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    build();
}

void TfrmCommand::build() {
    GroupBox1 = new QGroupBox(msg::signcmd::commandGroup, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 2 * kColumnWidth + 8, kRows * kRowHeight + 32);
    for (const Command& c : commands()) {
        const int col = c.number / kRows;
        const int row = c.number % kRows;
        const int x = 10 + col * kColumnWidth;
        const int y = 24 + row * kRowHeight;
        auto* label = new QLabel(GroupBox1);
        label->setObjectName(QStringLiteral("lblCmd%1").arg(c.number));
        label->setProperty("Tag", c.number);
        label->setGeometry(x, y + 2, kLabelWidth, kRowHeight - 4);
        lblCmd[c.number] = label;
        QWidget* control;
        if (c.items.isEmpty()) {
            auto* e = new QLineEdit(GroupBox1);
            e->setMaxLength(c.limit);
            control = e;
        } else {
            auto* box = new QComboBox(GroupBox1);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->addItems(c.items);
            box->setCurrentIndex(-1);
            control = box;
        }
        control->setObjectName(QLatin1String(c.control));
        control->setProperty("Tag", c.number);
        control->setGeometry(x + kLabelWidth, y, kControlWidth, kRowHeight - 3);
        controls[c.number] = control;
    }
    const int buttonsY = GroupBox1->geometry().bottom() + 10;
    const auto button = [this, buttonsY](const char* name, const QString& caption, int x) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, buttonsY, 110, 28);
        b->setAutoDefault(false);
        return b;
    };
    Button2 = button("Button2", msg::signcmd::send, 8);
    Button1 = button("Button1", msg::signcmd::saveIniFile, 128);
    Button3 = button("Button3", msg::signcmd::openIniFile, 248);
    resize(GroupBox1->width() + 16, buttonsY + 38);

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TfrmCommand::initialise() {
    for (const Command& c : commands()) {
        lblCmd[c.number]->setText(QLatin1String(c.keyword) + QLatin1Char('='));
        lblCmd[c.number]->setToolTip(c.description);
    }
    setValues(startupValues(QDateTime::currentDateTime()));
}

void TfrmCommand::FormActivate() {
    CommandValues v = values();
    refreshDateTime(v, QDateTime::currentDateTime());
    writeControl(controls[kDateCommand], v[kDateCommand]);
    writeControl(controls[kTimeCommand], v[kTimeCommand]);
}

CommandValues TfrmCommand::values() const {
    CommandValues v;
    for (int n = 0; n < kCommandCount; ++n)
        v[n] = readControl(controls[n]);
    return v;
}

void TfrmCommand::setValues(const CommandValues& v) {
    for (int n : controlOrder())
        writeControl(controls[n], v[n]);
}

QString TfrmCommand::fileFolder() const {
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    return startDirectory.isEmpty() ? QDir::currentPath() : startDirectory;
}

void TfrmCommand::chosen(const QString& file) {
    lastFolder = QFileInfo(file).absolutePath();
    if (lastFolderChanged)
        lastFolderChanged(lastFolder);
}

void TfrmCommand::Button2Click() {
    if (sending_)
        return;
    // The acknowledgement wait and the pauses let the dialog take events; nothing on it may
    // change a value or start a second send meanwhile.
    sending_ = true;
    GroupBox1->setEnabled(false);
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    const auto unlock = qScopeGuard([this] {
        Button3->setEnabled(true);
        Button2->setEnabled(true);
        Button1->setEnabled(true);
        GroupBox1->setEnabled(true);
        sending_ = false;
    });
    const CommandValues v = values();
    const auto send = [this, v] { sendCommands(exchange_, link_, v); };
    if (runExchange)
        runExchange(send);
    else
        send();
}

void TfrmCommand::Button1Click() {
    const QString name =
        askSaveFileName ? askSaveFileName(fileFolder()) : defaultAskSaveFileName(fileFolder());
    if (name.isEmpty())
        return;
    chosen(name);
    QString reason;
    if (!saveCommandFile(name, values(), &reason))
        exchange_.seam().fileError(msg::saveError);
}

void TfrmCommand::Button3Click() {
    const QString name =
        askOpenFileName ? askOpenFileName(fileFolder()) : defaultAskOpenFileName(fileFolder());
    if (name.isEmpty())
        return;
    chosen(name);
    CommandValues v = values();
    QString error;
    if (!loadCommandFile(name, v, &error)) {
        exchange_.seam().message(error);
        return;
    }
    setValues(v);
}

QString TfrmCommand::defaultAskOpenFileName(const QString& folder) {
    QFileDialog dialog(this, QString(), folder, msg::signcmd::fileFilter);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(msg::signcmd::fileSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString TfrmCommand::defaultAskSaveFileName(const QString& folder) {
    QFileDialog dialog(this, QString(), folder, msg::signcmd::fileFilter);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(msg::signcmd::fileSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

bool TfrmCommand::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TfrmCommand::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Centred on the main window.
    if (QWidget* p = parentWidget()) {
        QRect r = frameGeometry();
        r.moveCenter(p->frameGeometry().center());
        move(r.topLeft());
    }
}

void TfrmCommand::reject() {
    // Esc or the close box while the sign is being talked to: the send ends first.
    if (!sending_)
        QDialog::reject();
}
