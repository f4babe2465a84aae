#include "app/LinkedPortField.h"

#include "app/CaptionState.h"
#include "core/Messages.h"

LinkedPortField::LinkedPortField(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("lblLinkedPort"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("ttyUSB0 \u00b7 2.52")) + 12);
    showLine();
}

void LinkedPortField::linked(const QString& port) {
    // Another port is another sign: its firmware is not known yet.
    if (port != port_)
        version_.clear();
    port_ = port;
    showLine();
}

void LinkedPortField::firmwareIdentified(const QString& idText) {
    if (port_.isEmpty())
        return;
    version_ = firmwareVersion(idText);
    showLine();
}

void LinkedPortField::lost() {
    port_.clear();
    version_.clear();
    showLine();
}

void LinkedPortField::showLine() {
    setText(port_.isEmpty() ? msg::window::notLinked
                            : msg::window::linkedPort(shownPortName(port_), version_));
}

QString firmwareVersion(const QString& idText) {
    const QString marker = QStringLiteral("Version = ");
    const qsizetype at = idText.indexOf(marker);
    if (at < 0)
        return {};
    QString v = idText.mid(at + marker.size()).trimmed();
    // The sign's bytes, not ours: only what a person can read is shown.
    for (QChar ch : v)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
            return {};
    return v;
}
