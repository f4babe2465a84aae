#include "app/PairMaskEdit.h"

#include "core/HexDigits.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Keeps every edit the line edit makes on its own (paste, drop, undo) in the mask's shape.
class PairShape : public QValidator {
  public:
    PairShape(int length, QObject* parent) : QValidator(parent), length_(length) {}
    State validate(QString& input, int&) const override {
        if (input.size() != length_)
            return Invalid;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (i % 3 == 2 ? c != u';' : !(c == u' ' || isHexDigit(c)))
                return Invalid;
        }
        return Acceptable;
    }

  private:
    int length_;
};

} // namespace

PairMaskEdit::PairMaskEdit(int pairs, const QFont& font, QWidget* parent)
    : QLineEdit(parent), pairs_(pairs) {
    setFont(font);
    setMaxLength(3 * pairs - 1);
    setValidator(new PairShape(3 * pairs - 1, this));
    setDragEnabled(false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    QLineEdit::setText(blankText());
}

QString PairMaskEdit::blankText() const {
    QString s(3 * pairs_ - 1, u' ');
    for (int i = 2; i < s.size(); i += 3)
        s[i] = u';';
    return s;
}

void PairMaskEdit::setMaskedText(const QString& text) {
    QString s = blankText();
    for (int i = 0; i < s.size() && i < text.size(); ++i)
        if (!isSeparator(i) && isHexDigit(text[i]))
            s[i] = text[i].toUpper();
    replaceText(s, 0);
}

void PairMaskEdit::replaceText(const QString& text, int cursor) {
    QLineEdit::setText(text);
    setCursorPosition(cursor);
}

void PairMaskEdit::putCharacter(QChar c) {
    int pos = cursorPosition();
    QString s = text();
    if (hasSelectedText()) {
        // Typing over a selection blanks it and starts at its beginning.
        pos = selectionStart();
        for (int i = pos; i < pos + selectedText().size() && i < s.size(); ++i)
            if (!isSeparator(i))
                s[i] = u' ';
    }
    if (pos < s.size() && isSeparator(pos))
        ++pos;
    if (pos >= s.size())
        return;
    s[pos] = c.toUpper();
    ++pos;
    if (pos < s.size() && isSeparator(pos))
        ++pos;
    replaceText(s, pos);
    emit textEdited(s);
}

void PairMaskEdit::blankRange(int from, int to) {
    QString s = text();
    for (int i = std::max(0, from); i < to && i < s.size(); ++i)
        if (!isSeparator(i))
            s[i] = u' ';
    replaceText(s, std::max(0, from));
    emit textEdited(s);
}

void PairMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int pos = cursorPosition();
    if (event->key() == Qt::Key_Backspace) {
        if (hasSelectedText()) {
            blankRange(selectionStart(), selectionStart() + selectedText().size());
        } else if (pos > 0) {
            int at = pos - 1;
            if (isSeparator(at))
                --at;
            blankRange(at, at + 1);
        }
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        if (hasSelectedText()) {
            const int start = selectionStart();
            blankRange(start, start + selectedText().size());
        } else {
            int at = pos;
            if (at < text().size() && isSeparator(at))
                ++at;
            blankRange(at, at + 1);
            setCursorPosition(pos);
        }
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        if (isHexDigit(typed[0]))
            putCharacter(typed[0]);
        return; // anything else is not a character of the mask
    }
    // Cursor keys, selection, copy; a paste or cut that would break the shape is refused by
    // the validator.
    QLineEdit::keyPressEvent(event);
}
