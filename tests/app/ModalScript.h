#pragma once

// Acts on each modal dialog as it comes up, in order, as the user would.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Acts on each modal dialog as it comes up, in order, as the user would.
class ModalScript : public QObject {
  public:
    using Step = std::function<void(QDialog&)>;
    explicit ModalScript(QList<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    QStringList seen; // objectNames of the dialogs met

  private:
    void poll() {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || d == last_ || steps_.isEmpty())
            return;
        last_ = d;
        seen << d->objectName();
        const Step step = steps_.takeFirst();
        step(*d);
    }
    QTimer timer_;
    QList<Step> steps_;
    QPointer<QDialog> last_;
};

[[maybe_unused]] ModalScript::Step typeCode(const QString& code, bool ok = true) {
    return [code, ok](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("Password"));
        if (edit) {
            edit->selectAll();
            QTest::keyClicks(edit, code);
        }
        auto* button =
            d.findChild<QPushButton*>(ok ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn"));
        if (button)
            QTest::mouseClick(button, Qt::LeftButton);
    };
}

[[maybe_unused]] ModalScript::Step closeIt() {
    return [](QDialog& d) { d.reject(); };
}

} // namespace
