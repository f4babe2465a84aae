#include "alpha/AlphaDialog.h"

#include "core/FixedFont.h"
#include "core/Messages.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

namespace {

template <class W> W* place(W* w, const QString& name, const QRect& r) {
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption, const QRect& r) {
    return place(new QLabel(caption, parent), name, r);
}

QComboBox* fixedList(QWidget* parent, const QString& name, const QStringList& items,
                     const QRect& r) {
    auto* c = place(new QComboBox(parent), name, r);
    c->setEditable(false);
    c->addItems(items);
    return c;
}

} // namespace

TfrmSpager::TfrmSpager(Exchange& exchange, LinkState& link, QWidget* parent)
    : QDialog(parent), send_(exchange, link) {
    setObjectName(QStringLiteral("frmSpager"));
    setWindowTitle(msg::label::alphaDataCaption);
    // The system menu and its close box only: no minimise, maximise or help buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    resize(kWidth, kHeight);
    build();
}

void TfrmSpager::build() {
    namespace a = msg::alpha;
    GroupBox1 = place(new QGroupBox(a::statusGroup, this), QStringLiteral("GroupBox1"),
                      QRect(8, 8, 686, 64));
    Label1 = label(GroupBox1, QStringLiteral("Label1"), a::id, QRect(12, 28, 48, 20));
    edtID = place(new QLineEdit(QStringLiteral("0"), GroupBox1), QStringLiteral("edtID"),
                  QRect(62, 26, 60, 22));
    Label3 = label(GroupBox1, QStringLiteral("Label3"), a::battery, QRect(136, 28, 48, 20));
    cboBatt =
        fixedList(GroupBox1, QStringLiteral("cboBatt"), a::batteryItems, QRect(186, 26, 64, 22));
    // An index past the eight items: nothing is selected until the user picks one.
    cboBatt->setCurrentIndex(-1);
    Label12 = label(GroupBox1, QStringLiteral("Label12"), a::volts, QRect(254, 28, 12, 20));
    Label4 = label(GroupBox1, QStringLiteral("Label4"), a::date, QRect(280, 28, 32, 20));
    edtDate = place(new QLineEdit(QStringLiteral("0"), GroupBox1), QStringLiteral("edtDate"),
                    QRect(314, 26, 80, 22));
    Label2 = label(GroupBox1, QStringLiteral("Label2"), a::format, QRect(408, 28, 44, 20));
    cboForm = fixedList(GroupBox1, QStringLiteral("cboForm"), {a::form7Bits, a::form8Bits},
                        QRect(454, 26, 112, 22));
    cboForm->setCurrentIndex(0);
    cboLang = fixedList(GroupBox1, QStringLiteral("cboLang"), {a::normal, a::russian},
                        QRect(578, 26, 96, 22));
    cboLang->setCurrentIndex(0);

    Button6 = place(new QPushButton(a::directSend, this), QStringLiteral("Button6"),
                    QRect(8, 80, 100, 28));
    Button6->setAutoDefault(false);

    mem1 = place(new QPlainTextEdit(this), QStringLiteral("mem1"), QRect(8, 116, 686, 273));
    mem1->setFont(fixedPitchFont());
    mem1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mem1->setPlainText(alpha::sampleText(alpha::Form::Text7));

    connect(cboForm, &QComboBox::activated, this, [this] { cboFormClick(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
}

alpha::Message TfrmSpager::message() const {
    alpha::Message m;
    m.id = edtID->text();
    m.russian = cboLang->currentIndex() == 1;
    m.form = cboForm->currentIndex() == 1 ? alpha::Form::Hex8 : alpha::Form::Text7;
    m.text = alpha::joinLines(mem1->toPlainText());
    return m;
}

void TfrmSpager::cboFormClick() {
    const auto form = cboForm->currentIndex() == 1 ? alpha::Form::Hex8 : alpha::Form::Text7;
    mem1->setPlainText(alpha::sampleText(form));
    mem1->show();
}

void TfrmSpager::Button6Click() {
    if (sending_)
        return;
    // The acknowledgement wait and the pause let the dialog take events; nothing on it may
    // change the message or start a second send meanwhile.
    sending_ = true;
    GroupBox1->setEnabled(false);
    Button6->setEnabled(false);
    mem1->setReadOnly(true);
    const auto unlock = qScopeGuard([this] {
        mem1->setReadOnly(false);
        Button6->setEnabled(true);
        GroupBox1->setEnabled(true);
        sending_ = false;
    });
    const alpha::Message m = message();
    const auto send = [this, m] { send_.run(m); };
    if (runExchange)
        runExchange(send);
    else
        send();
}

void TfrmSpager::reject() {
    // Esc or the close box while the sign is being talked to: the send ends first.
    if (!sending_)
        QDialog::reject();
}

void TfrmSpager::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}
