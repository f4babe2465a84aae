#include "app/PageTab.h"

#include <QMouseEvent>

PageTab::PageTab(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    setLineWidth(2);
    QFont f = font();
    f.setBold(true);
    // The caption has to fit the tab's 170 pixels.
    f.setStretch(QFont::SemiCondensed);
    setFont(f);
    setSelectedLook(false);
}

void PageTab::setSelectedLook(bool selected) {
    selected_ = selected;
    setFrameStyle(QFrame::Panel | (selected ? QFrame::Sunken : QFrame::Raised));
    QPalette p = palette();
    const QColor ground = selected ? QColor(128, 128, 128) : p.color(QPalette::Button);
    const QColor text = selected ? QColor(Qt::white) : QColor(Qt::black);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, ground);
        p.setColor(group, QPalette::WindowText, text);
    }
    setPalette(p);
}

void PageTab::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
