#pragma once

#include <QLabel>

// A static text that acts as the tab of one of the window's two pages: a click brings its
// page to the front. Selected it looks pressed (lowered bevels, grey ground, white text),
// otherwise raised on the button colour with black text.
class PageTab : public QLabel {
    Q_OBJECT
  public:
    explicit PageTab(const QString& caption, QWidget* parent = nullptr);
    void setSelectedLook(bool selected);
    bool selectedLook() const { return selected_; }

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool selected_ = false;
};
