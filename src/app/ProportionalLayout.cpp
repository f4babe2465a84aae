#include "app/ProportionalLayout.h"

#include <algorithm>

void ProportionalLayout::record(QSize designSize, QWidget* root) {
    designSize_ = designSize;
    items_.clear();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        // Only the window's own controls: a list's pop-up is a window of its own, and the
        // inner parts of composite widgets are unnamed; their owners place them.
        if (w->window() != root->window() || w->objectName().isEmpty() ||
            w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        items_.append({w, w->geometry(), std::max(0, w->font().pointSize())});
    }
}

const ProportionalLayout::Item* ProportionalLayout::find(const QWidget* widget) const {
    for (const Item& i : items_)
        if (i.widget == widget)
            return &i;
    return nullptr;
}

void ProportionalLayout::apply(QSize current) {
    if (!recorded())
        return;
    const double sx = double(current.width()) / designSize_.width();
    const double sy = double(current.height()) / designSize_.height();
    const double sf = std::min(sx, sy);
    for (const Item& i : items_) {
        if (!i.widget)
            continue;
        const QRect& g = i.geometry;
        i.widget->setGeometry(int(g.left() * sx), int(g.top() * sy), int(g.width() * sx),
                              int(g.height() * sy));
        // A font cannot shrink to nothing; such a control keeps the font it has.
        const int size = int(i.pointSize * sf);
        if (i.pointSize <= 0 || size <= 0)
            continue;
        // Setting a font a control already has is not free: a list builds its pop-up for it.
        QFont f = i.widget->font();
        if (f.pointSize() == size)
            continue;
        f.setPointSize(size);
        i.widget->setFont(f);
    }
}
