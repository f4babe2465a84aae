#pragma once

#include <QList>

class QWidget;

// Keyboard and screen-reader access for forms laid out by position: Tab walks the controls
// in reading order (rows top to bottom, left to right in a row, a group box as one block),
// and each edit or list is named by the caption beside it.

// The controls under root that take the focus by Tab, in reading order.
QList<QWidget*> readingOrder(QWidget* root);
// Chains them with setTabOrder.
void setReadingOrder(QWidget* root);
// Chains the controls in the order given.
void setTabChain(const QList<QWidget*>& order);
// Gives every edit and list without an accessible name the text of the label on its left
// (or, failing one, above it), without "&" and a closing ":".
void nameFromCaptions(QWidget* root);
// Does both when root is first shown, once its layout has placed the controls.
void setReadingOrderWhenShown(QWidget* root);
