#include "app/ControlTables.h"

#include "app/PairMaskEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QVariant>
#include <stdexcept>

void setTag(QObject* control, int tag) {
    control->setProperty("Tag", tag);
}
int tagOf(const QObject* control) {
    return control->property("Tag").toInt();
}

namespace {

[[noreturn]] void broken(const QString& what) {
    throw std::logic_error(("main window layout: " + what).toStdString());
}

// Files every widget whose name begins with stem into table by its Tag.
template <class Control, std::size_t N>
void fill(std::array<Control*, N>& table, const QList<QWidget*>& widgets, const QString& stem) {
    for (QWidget* w : widgets) {
        if (!w->objectName().startsWith(stem))
            continue;
        auto* control = qobject_cast<Control*>(w);
        if (!control)
            broken(w->objectName() + QStringLiteral(" is not of its table's kind"));
        if (!w->property("Tag").isValid())
            broken(w->objectName() + QStringLiteral(" has no Tag"));
        const int tag = tagOf(w);
        if (tag < 0 || tag >= int(N))
            broken(w->objectName() + QStringLiteral(" has Tag ") + QString::number(tag));
        if (table[tag])
            broken(w->objectName() + QStringLiteral(" repeats Tag ") + QString::number(tag));
        table[tag] = control;
    }
    for (std::size_t i = 0; i < N; ++i)
        if (!table[i])
            broken(stem + QStringLiteral(" has no control with Tag ") + QString::number(i));
}

// Edit1..Edit6 and CheckBox1..CheckBox6 are named one by one (Edit7 and CheckBox7 are others).
template <class Control, std::size_t N>
void fillNumbered(std::array<Control*, N>& table, QWidget* form, const QString& stem) {
    for (std::size_t i = 0; i < N; ++i) {
        table[i] = form->findChild<Control*>(stem + QString::number(i + 1));
        if (!table[i])
            broken(stem + QString::number(i + 1) + QStringLiteral(" is missing"));
    }
}

} // namespace

ControlTables buildControlTables(QWidget* form) {
    const QList<QWidget*> widgets = form->findChildren<QWidget*>();
    ControlTables t;
    fillNumbered(t.capcodeEdits, form, QStringLiteral("Edit"));
    fillNumbered(t.capcodeBoxes, form, QStringLiteral("CheckBox"));
    fill(t.messageTypeLists, widgets, QStringLiteral("cboFun"));
    fill(t.intFunCmdBoxes, widgets, QStringLiteral("chkOpCmd"));
    fill(t.serialOptionBoxes, widgets, QStringLiteral("chkCtl"));
    fill(t.powerUpOutputBoxes, widgets, QStringLiteral("chkOutput"));
    fill(t.headerEdits, widgets, QStringLiteral("edtHeader"));
    fill(t.trailerEdits, widgets, QStringLiteral("edtTrailer"));
    fill(t.timeoutEdits, widgets, QStringLiteral("edtTimeout"));
    fill(t.fcEdits, widgets, QStringLiteral("edtFC"));
    fill(t.periodEdits, widgets, QStringLiteral("edtPlsPer"));
    return t;
}

serialrules::CapcodeRecordTexts screenRecord(const ControlTables& tables) {
    serialrules::CapcodeRecordTexts texts;
    for (int f = 0; f < layout::kFunctionBits; ++f) {
        texts[f].header = tables.headerEdits[f]->displayText();
        texts[f].trailer = tables.trailerEdits[f]->displayText();
        texts[f].timeout = tables.timeoutEdits[f]->displayText();
        texts[f].funCmd = tables.fcEdits[f]->displayText();
        texts[f].intFunCmd = tables.intFunCmdBoxes[f]->isChecked();
    }
    return texts;
}
