#include "app/ReadingOrder.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace {

bool takesTab(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) != 0;
}

bool holdsControls(const QWidget* w) {
    for (const QWidget* c : w->findChildren<QWidget*>())
        if (takesTab(c))
            return true;
    return false;
}

// The direct children of parent that are controls or hold some, in reading order: a row is
// what overlaps the vertical middle of the row's first (topmost) member.
QList<QWidget*> orderedChildren(QWidget* parent) {
    QList<QWidget*> items;
    for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!c->isWindow() && (takesTab(c) || holdsControls(c)))
            items << c;
    std::stable_sort(items.begin(), items.end(), [](QWidget* a, QWidget* b) {
        return a->geometry().top() < b->geometry().top();
    });
    QList<QWidget*> ordered;
    while (!items.isEmpty()) {
        const QRect first = items.first()->geometry();
        QList<QWidget*> row;
        for (auto it = items.begin(); it != items.end();) {
            const int middle = (*it)->geometry().center().y();
            if (middle >= first.top() && middle <= first.bottom()) {
                row << *it;
                it = items.erase(it);
            } else {
                ++it;
            }
        }
        std::stable_sort(row.begin(), row.end(), [](QWidget* a, QWidget* b) {
            return a->geometry().left() < b->geometry().left();
        });
        ordered << row;
    }
    return ordered;
}

void collect(QWidget* parent, QList<QWidget*>& out) {
    for (QWidget* c : orderedChildren(parent)) {
        // A control that holds others (a list's own edit) is one stop.
        if (takesTab(c))
            out << c;
        else
            collect(c, out);
    }
}

QString captionText(QString text) {
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('=')))
        text.chop(1);
    return text.trimmed();
}

bool wantsName(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

// The caption label of control: the nearest label on its left in the same row, else the nearest
// one above that overlaps it sideways; in the control's own parent.
const QLabel* captionLabelOf(QWidget* control) {
    QWidget* parent = control->parentWidget();
    if (!parent)
        return nullptr;
    const QRect r = control->geometry();
    const QLabel* left = nullptr;
    const QLabel* above = nullptr;
    for (const QLabel* l : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (captionText(l->text()).isEmpty())
            continue;
        const QRect g = l->geometry();
        const int middle = g.center().y();
        if (middle >= r.top() && middle <= r.bottom() && g.right() <= r.left() + 2) {
            if (!left || g.right() > left->geometry().right())
                left = l;
        } else if (g.bottom() <= r.top() + 2 && g.left() < r.right() && g.right() > r.left()) {
            if (!above || g.bottom() > above->geometry().bottom())
                above = l;
        }
    }
    return left ? left : above;
}

class OnFirstShow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* root = static_cast<QWidget*>(watched);
            setReadingOrder(root);
            nameFromCaptions(root);
            root->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

QList<QWidget*> readingOrder(QWidget* root) {
    QList<QWidget*> out;
    collect(root, out);
    return out;
}

void setReadingOrder(QWidget* root) {
    setTabChain(readingOrder(root));
}

void setTabChain(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void nameFromCaptions(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>())
        if (wantsName(w) && takesTab(w) && w->accessibleName().isEmpty()) {
            const QLabel* label = captionLabelOf(w);
            auto* group = qobject_cast<QGroupBox*>(w->parentWidget());
            const QString caption = label   ? captionText(label->text())
                                    : group ? captionText(group->title())
                                            : QString();
            if (!caption.isEmpty())
                w->setAccessibleName(caption);
            // A caption that explains itself in a tooltip (the command keywords) says so.
            if (label && !label->toolTip().isEmpty() && w->accessibleDescription().isEmpty())
                w->setAccessibleDescription(label->toolTip());
        }
}

void setReadingOrderWhenShown(QWidget* root) {
    root->installEventFilter(new OnFirstShow(root));
}
