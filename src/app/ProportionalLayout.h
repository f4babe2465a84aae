#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

// Keeps the window's design layout and scales it to the window's size: every control's
// left and width by the ratio of the widths, top and height by the ratio of the heights, its
// font by the smaller of the two, each truncated toward zero.
class ProportionalLayout {
  public:
    struct Item {
        QPointer<QWidget> widget;
        QRect geometry; // relative to its parent, as designed
        int pointSize;  // 0 when the widget has no font size of its own to keep
    };

    // Records the design size and every control under root, once.
    void record(QSize designSize, QWidget* root);
    bool recorded() const { return !designSize_.isEmpty(); }
    QSize designSize() const { return designSize_; }
    const QList<Item>& items() const { return items_; }
    const Item* find(const QWidget* widget) const;

    void apply(QSize current);

  private:
    QSize designSize_;
    QList<Item> items_;
};
