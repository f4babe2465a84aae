#pragma once

#include <QLineEdit>

// An edit masked as byte pairs: "HH;HH;...;HH", two hexadecimal digits per byte and ";"
// between them, with blanks where nothing was typed. Its text always keeps that shape, so a
// pair is found by position (pair k is characters 3k and 3k+1). Typing overwrites; only
// hexadecimal digits are taken (in upper case); Backspace and Delete blank a character.
class PairMaskEdit : public QLineEdit {
    Q_OBJECT
  public:
    // The font (a fixed-pitch one keeps the pairs in columns) is set before the blank mask is
    // laid out, so that it is laid out once.
    PairMaskEdit(int pairs, const QFont& font, QWidget* parent = nullptr);

    int pairs() const { return pairs_; }
    // Sets the text from code as the mask reads it: character i goes to position i, the
    // separators stay ";" and anything that is not a hexadecimal digit becomes a blank.
    void setMaskedText(const QString& text);
    // The empty mask: every pair blank.
    QString blankText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool isSeparator(int position) const { return position % 3 == 2; }
    void putCharacter(QChar c);
    void blankRange(int from, int to);
    void replaceText(const QString& text, int cursor);

    int pairs_;
};
