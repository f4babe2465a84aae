#include "app/production/StationTile.h"

#include "core/Messages.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

using production::Stage;

namespace {

struct Look {
    QColor background;
    QColor text;
    QStyle::StandardPixmap icon;
};

// Colour is never alone: every stage also has its word and its icon.
Look lookOf(Stage stage) {
    switch (stage) {
    case Stage::Waiting:
        return {QColor(0xd6, 0xe9, 0xff), Qt::black, QStyle::SP_MessageBoxInformation};
    case Stage::Writing:
    case Stage::ReadingBack:
        return {QColor(0xff, 0xe0, 0x82), Qt::black, QStyle::SP_BrowserReload};
    case Stage::Pass:
        return {QColor(0x1b, 0x5e, 0x20), Qt::white, QStyle::SP_DialogApplyButton};
    case Stage::Fail:
        return {QColor(0xb7, 0x1c, 0x1c), Qt::white, QStyle::SP_MessageBoxCritical};
    case Stage::Unplug:
        return {QColor(0x0d, 0x47, 0xa1), Qt::white, QStyle::SP_MessageBoxWarning};
    case Stage::Idle:
    case Stage::Stopped:
        break;
    }
    return {QColor(0xe0, 0xe0, 0xe0), Qt::black, QStyle::SP_MediaStop};
}

// A plain bar: the styles draw theirs with rounded, shaded and striped paths, and a progress
// bar paints itself at once for each percent it gains, four stations at a time. The percent
// is in the tile's big words already.
class PlainBar : public QProgressBar {
  public:
    explicit PlainBar(QWidget* parent) : QProgressBar(parent) {
        setTextVisible(false);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedHeight(24);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect inside = rect().adjusted(2, 2, -2, -2);
        p.fillRect(rect(), palette().color(QPalette::WindowText));
        p.fillRect(inside, palette().color(QPalette::Base));
        const qint64 span = qMax(1, maximum() - minimum());
        const int filled = int(inside.width() * qint64(value() - minimum()) / span);
        p.fillRect(inside.adjusted(0, 0, filled - inside.width(), 0),
                   palette().color(QPalette::Highlight));
    }
};

void showText(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

} // namespace

StationTile::StationTile(const QString& port, const QString& jig, QWidget* parent)
    : QFrame(parent), port_(port) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(2);
    setAutoFillBackground(true);
    setMinimumSize(300, 220);

    name_ = new QLineEdit(jig, this);
    name_->setObjectName(QStringLiteral("jigName"));
    name_->setAccessibleName(msg::production::jigNameLabel);
    QFont nameFont = name_->font();
    nameFont.setPointSize(nameFont.pointSize() + 4);
    nameFont.setBold(true);
    name_->setFont(nameFont);
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        if (name_->text().trimmed().isEmpty())
            return;
        describe();
        emit jigRenamed(port_, name_->text().trimmed());
    });
    portLabel_ = new QLabel(port, this);
    portLabel_->setObjectName(QStringLiteral("port"));
    portLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    unit_ = new QLabel(this);
    unit_->setObjectName(QStringLiteral("unit"));
    QFont unitFont = unit_->font();
    unitFont.setPointSize(unitFont.pointSize() + 10);
    unitFont.setBold(true);
    unit_->setFont(unitFont);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("stateIcon"));
    words_ = new QLabel(this);
    words_->setObjectName(QStringLiteral("stateWords"));
    QFont big = words_->font();
    big.setPointSize(30);
    big.setBold(true);
    words_->setFont(big);
    words_->setWordWrap(true);
    reason_ = new QLabel(this);
    reason_->setObjectName(QStringLiteral("reason"));
    reason_->setWordWrap(true);
    QFont reasonFont = reason_->font();
    reasonFont.setPointSize(reasonFont.pointSize() + 3);
    reason_->setFont(reasonFont);
    bar_ = new PlainBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setRange(0, 100);

    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(icon_);
    stateRow->addWidget(words_, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(name_);
    column->addWidget(portLabel_);
    column->addWidget(unit_);
    column->addStretch(1);
    column->addLayout(stateRow);
    column->addWidget(reason_);
    column->addStretch(2);
    column->addWidget(bar_);
    setState({});
}

QString StationTile::jig() const {
    return name_->text().trimmed();
}

void StationTile::setRenamable(bool on) {
    name_->setReadOnly(!on);
}

void StationTile::setState(const production::TileState& state) {
    const bool firstTime = words_->text().isEmpty();
    const bool lookChanged = firstTime || state.stage != state_.stage;
    const bool stageChanged = lookChanged || state.unit != state_.unit || state.then != state_.then;
    state_ = state;
    // Most updates are a percent more: the palette, the icon and unchanged texts stay, as
    // each of them would lay out and paint the whole tile again.
    if (lookChanged) {
        const Look look = lookOf(state.stage);
        QPalette p = palette();
        p.setColor(QPalette::Window, look.background);
        p.setColor(QPalette::WindowText, look.text);
        setPalette(p);
        // Drawn once a tile: a standard icon is read from its files each time it is asked for.
        auto icon = icons_.find(int(look.icon));
        if (icon == icons_.end()) {
            const int size = 64;
            icon =
                icons_.insert(int(look.icon), style()->standardIcon(look.icon).pixmap(size, size));
        }
        icon_->setPixmap(*icon);
    }
    showText(words_, production::shownWords(state));
    showText(reason_, state.stage == Stage::Fail ? state.reason : QString());
    showText(unit_, msg::production::unitLabel(state.unit));
    const bool working = state.stage == Stage::Writing || state.stage == Stage::ReadingBack;
    bar_->setValue(working ? state.percent : state.stage == Stage::Pass ? 100 : 0);
    describe();
    // A screen reader hears the new state; a percent more is no news.
    if (stageChanged) {
        QAccessibleEvent named(words_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        if (state.stage == Stage::Pass || state.stage == Stage::Fail ||
            state.stage == Stage::Unplug) {
            QAccessibleEvent alert(this, QAccessible::Alert);
            QAccessible::updateAccessibility(&alert);
        }
    }
}

void StationTile::describe() {
    const QString spoken = production::spokenState(jig(), port_, state_);
    if (spoken == accessibleName())
        return;
    setAccessibleName(spoken);
    words_->setAccessibleName(spoken);
    icon_->setAccessibleName(production::stateWords(state_));
}
