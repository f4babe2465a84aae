// The design layout of the main window at 1024 x 768: every control with its name, caption,
// items, Tag and limits. Positions are relative to the control's parent; the proportional
// layout scales them with the window.
#include "app/MainWindow.h"
#include "app/PageTab.h"
#include "app/PairMaskEdit.h"
#include "core/FixedFont.h"
#include "core/Messages.h"
#include "editor/ShownValues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace layout;
namespace label = msg::label;

namespace {

int labelNumber = 0; // names the plain labels Label1, Label2, ... in creation order

template <class W> W* place(W* w, const QString& name, const QRect& g) {
    w->setObjectName(name);
    w->setGeometry(g);
    return w;
}

QLabel* text(QWidget* parent, const QString& caption, const QRect& g,
             const QString& name = QString()) {
    auto* l = new QLabel(caption, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return place(l, name.isEmpty() ? QStringLiteral("Label%1").arg(++labelNumber) : name, g);
}

QGroupBox* group(QWidget* parent, const QString& name, const QString& caption, const QRect& g) {
    return place(new QGroupBox(caption, parent), name, g);
}

QLineEdit* edit(QWidget* parent, const QString& name, int maxLength, const QRect& g) {
    auto* e = place(new QLineEdit(parent), name, g);
    e->setMaxLength(maxLength);
    return e;
}

QComboBox* list(QWidget* parent, const QString& name, const QStringList& items, const QRect& g) {
    auto* c = place(new QComboBox(parent), name, g);
    c->addItems(items);
    c->setCurrentIndex(0);
    return c;
}

QCheckBox* box(QWidget* parent, const QString& name, const QString& caption, const QRect& g) {
    return place(new QCheckBox(caption, parent), name, g);
}

QFrame* panel(QWidget* parent, const QString& name, const QRect& g, bool bevel = true) {
    auto* p = place(new QFrame(parent), name, g);
    p->setFrameStyle(bevel ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
    return p;
}

PairMaskEdit* pairEdit(QWidget* parent, const QString& name, int pairs, int tag, const QRect& g) {
    // Pairs line up in columns, and 30 of them fit the group.
    auto* e =
        place(new PairMaskEdit(pairs, fixedPitchFont(parent->font().pointSize()), parent), name, g);
    setTag(e, tag);
    return e;
}

constexpr int kRow = 22; // height of an edit or list

} // namespace

void TfrmAir::buildControls(QWidget* form) {
    labelNumber = 0;
    capcodeTab_ =
        place(new PageTab(label::pageCode, form), QStringLiteral("stcCode"), QRect(8, 4, 170, 20));
    featuresTab_ = place(new PageTab(label::pageFeatures, form), QStringLiteral("stcFeatures"),
                         QRect(180, 4, 170, 20));
    fileNameLabel_ = text(form, QString(), QRect(360, 6, 400, 16), QStringLiteral("lblFilename"));

    // The two pages share one rectangle; the serial output page is built first so that the
    // capcode page lies in front.
    serialPage_ =
        group(form, QStringLiteral("GroupBox1"), label::serialGroup, QRect(8, 26, 1008, 630));
    capcodePage_ = group(form, QStringLiteral("grpNormal"), QString(), QRect(8, 26, 1008, 630));
    // Opaque, so the page in front hides the other.
    serialPage_->setAutoFillBackground(true);
    capcodePage_->setAutoFillBackground(true);
    buildSerialPage(serialPage_);
    buildCapcodes(capcodePage_);
    buildFrequency(capcodePage_);
    buildFeatures(capcodePage_);
    buildOutputFeatures(capcodePage_);
    buildBottom(form);
}

void TfrmAir::buildFrequency(QWidget* page) {
    auto* frequencyGroup =
        group(page, QStringLiteral("GroupBox2"), label::frequencyGroup, QRect(618, 8, 382, 190));
    QWidget* g = frequencyGroup;
    text(g, label::rangeOfFreq, QRect(16, 33, 96, 16));
    list(g, QStringLiteral("cboDft"), shown::bandCaptions(), QRect(116, 30, 160, kRow));
    text(g, label::freq, QRect(16, 73, 96, 16));
    edit(g, QStringLiteral("edtFreq"), 7, QRect(116, 70, 80, kRow));
    text(g, label::freqUnit, QRect(200, 73, 40, 16));
    text(g, label::polarity, QRect(16, 113, 96, 16));
    list(g, QStringLiteral("cboPolarity"), shown::polarityCaptions(), QRect(116, 110, 100, kRow));
    text(g, label::baudRate, QRect(16, 153, 96, 16));
    list(g, QStringLiteral("cboBaud"), shown::pagingBaudCaptions(), QRect(116, 150, 100, kRow));
}

void TfrmAir::buildCapcodes(QWidget* page) {
    auto* capcodeGroup =
        group(page, QStringLiteral("GroupBox3"), label::capcodeGroup, QRect(8, 8, 602, 340));
    QWidget* g = capcodeGroup;
    constexpr int listLeft = 232, listStep = 92, listWidth = 86;
    text(g, label::funBit, QRect(174, 28, 54, 16));
    for (int f = 0; f < kFunctionBits; ++f) {
        QLabel* column =
            text(g, label::capcodeColumn(f), QRect(listLeft + f * listStep, 28, listWidth, 16));
        column->setAlignment(Qt::AlignCenter);
    }
    const QStringList rows = shown::capcodeSelectorCaptions(); // "Capcode #1" .. "#6"
    for (int c = 0; c < kCapcodeCount; ++c) {
        const int y = 56 + c * 46;
        text(g, rows[c], QRect(14, y + 3, 72, 16));
        auto* e = edit(g, QStringLiteral("Edit%1").arg(c + 1), 7, QRect(90, y, 76, kRow));
        setTag(e, c);
        auto* on = box(g, QStringLiteral("CheckBox%1").arg(c + 1), label::capcodeOn,
                       QRect(174, y + 1, 50, 20));
        setTag(on, c);
        for (int f = 0; f < kFunctionBits; ++f) {
            const int t = 4 * c + f;
            auto* types =
                list(g, QStringLiteral("cboFun%1").arg(t + 1), shown::messageTypeCaptions(),
                     QRect(listLeft + f * listStep, y, listWidth, kRow));
            setTag(types, t);
        }
    }
}

void TfrmAir::buildFeatures(QWidget* page) {
    auto* featuresGroup =
        group(page, QStringLiteral("grpSerial"), label::features, QRect(618, 206, 382, 142));
    QWidget* g = featuresGroup;
    text(g, label::sequentialLock, QRect(16, 36, 92, 16));
    auto* sequentialLockEdit = edit(g, QStringLiteral("edtSLC"), 3, QRect(110, 33, 44, kRow));
    setTag(sequentialLockEdit, 0);
    text(g, label::seconds, QRect(158, 36, 26, 16));
    text(g, label::language, QRect(16, 76, 92, 16));
    list(g, QStringLiteral("cboLng"), shown::languageCaptions(), QRect(110, 73, 120, kRow));

    // The sign's own settings beside them stay hidden; they still carry their values.
    QLabel* orc = text(g, label::outOfRangeTimeOut, QRect(190, 36, 122, 16));
    auto* outOfRangeEdit = edit(g, QStringLiteral("edtORC"), 3, QRect(314, 33, 36, kRow));
    setTag(outOfRangeEdit, 1);
    QLabel* minutes = text(g, label::minutes, QRect(354, 36, 24, 16));
    QLabel* air = text(g, label::airPassword, QRect(236, 76, 70, 16));
    auto* airPasswordEdit =
        edit(g, QStringLiteral("edtPassword"), kPasswordLen, QRect(298, 73, 78, kRow));
    setTag(airPasswordEdit, 0);
    QLabel* read = text(g, label::readPassword, QRect(16, 116, 92, 16));
    auto* readPasswordEdit =
        edit(g, QStringLiteral("edtReadPass"), kPasswordLen, QRect(110, 113, 90, kRow));
    setTag(readPasswordEdit, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{orc, outOfRangeEdit, minutes, air,
                                                      airPasswordEdit, read, readPasswordEdit})
        w->setVisible(false);
}

void TfrmAir::buildOutputFeatures(QWidget* page) {
    outputFeaturesGroup_ =
        group(page, QStringLiteral("GroupBox7"), label::outputFeatures, QRect(8, 356, 992, 264));
    QWidget* g = outputFeaturesGroup_;
    auto* checksum =
        box(g, QStringLiteral("chkCtl0"), label::funCmdChecksum, QRect(14, 24, 220, 20));
    setTag(checksum, 0);
    auto* enable = box(g, QStringLiteral("chkCtl1"), label::funCmdEnable, QRect(14, 50, 220, 20));
    setTag(enable, 1);
    text(g, label::funCmdPassword1, QRect(14, 82, 124, 16));
    edit(g, QStringLiteral("Edit9"), kPasswordLen, QRect(142, 79, 100, kRow));
    text(g, label::funCmdPassword2, QRect(14, 114, 124, 16));
    edit(g, QStringLiteral("Edit10"), kPasswordLen, QRect(142, 111, 100, kRow));
    text(g, label::preScaler, QRect(14, 146, 124, 16));
    list(g, QStringLiteral("cboScaler"), shown::prescalerCaptions(), QRect(142, 143, 100, kRow));
    text(g, label::prescalerMaximum(QStringLiteral("25.5")), QRect(142, 172, 120, 16),
         QStringLiteral("lblScaler"));

    // Outputs 1 to 5 on the left, 6 to 9 on the right.
    for (int i = 0; i < kOutputCount; ++i) {
        const int x = i < 5 ? 280 : 480;
        const int y = 24 + (i % 5) * 32;
        text(g, label::outputPeriod(i), QRect(x, y + 3, 96, 16));
        auto* e = edit(g, QStringLiteral("edtPlsPer%1").arg(i), 4, QRect(x + 98, y, 56, kRow));
        setTag(e, i);
        text(g, label::periodUnit, QRect(x + 158, y + 3, 14, 16));
    }

    QFrame* powerUp = panel(g, QStringLiteral("pnlPowerUp"), QRect(680, 20, 300, 96));
    box(powerUp, QStringLiteral("chkPower"), label::powerUpOutput, QRect(10, 6, 200, 20));
    for (int i = 0; i < kOutputCount; ++i) {
        auto* out = box(powerUp, QStringLiteral("chkOutput%1").arg(i), QString::number(i + 1),
                        QRect(12 + (i % 5) * 56, 36 + (i / 5) * 26, 48, 20));
        setTag(out, i);
    }
    box(g, QStringLiteral("chkROE"), label::roeEnable, QRect(680, 130, 300, 20))
        ->setToolTip(QStringLiteral(
            "If \"Power & Receiving Output\" is enabled then Output 7 will be unavailable"));
    box(g, QStringLiteral("chkORC"), label::orcEnable, QRect(680, 158, 300, 20))
        ->setToolTip(QStringLiteral(
            "If \"Out Of Range Output\" is enabled then Output 8 will be unavailable"));
}

void TfrmAir::buildSerialPage(QWidget* page) {
    auto* master =
        box(page, QStringLiteral("chkCtl5"), label::serialOutputOn, QRect(14, 22, 200, 20));
    setTag(master, 5);

    serialOutputGroup_ =
        group(page, QStringLiteral("grpPara"), label::parameters, QRect(8, 46, 300, 576));
    QWidget* g = serialOutputGroup_;
    text(g, label::msgTimeOutDelay, QRect(12, 33, 112, 16));
    edit(g, QStringLiteral("edtMDly"), 5, QRect(128, 30, 60, kRow));
    text(g, label::seconds, QRect(192, 33, 30, 16));
    text(g, label::selectCapcode, QRect(12, 71, 112, 16));
    capcodeSelector_ = list(g, QStringLiteral("ComboBox1"), shown::capcodeSelectorCaptions(),
                            QRect(128, 68, 110, kRow));
    text(g, label::endCode, QRect(12, 109, 112, 16));
    edit(g, QStringLiteral("Edit7"), 2, QRect(128, 106, 40, kRow));
    const struct {
        const char* name;
        const QString& caption;
        int tag;
    } boxes[] = {
        {"chkCtl2", label::funCmdFilterDisable, 2}, {"chkCtl3", label::insertCrBeforeLf, 3},
        {"chkCtl4", label::insertLfAfterCr, 4},     {"chkFunPass", label::fcAsPassword, -1},
        {"CheckBox8", label::serialLed, -1},        {"CheckBox9", label::rtsEnable, -1}};
    int y = 146;
    for (const auto& b : boxes) {
        auto* cb = box(g, QString::fromLatin1(b.name), b.caption, QRect(12, y, 276, 20));
        if (b.tag >= 0)
            setTag(cb, b.tag);
        y += 30;
    }

    uartPanel_ = panel(g, QStringLiteral("Panel2"), QRect(8, 336, 284, 160));
    QWidget* p = uartPanel_;
    text(p, label::uartBaud, QRect(12, 17, 90, 16));
    list(p, QStringLiteral("ComboBox5"), shown::uartSpeedCaptions(), QRect(110, 14, 90, kRow));
    text(p, label::dataBits, QRect(12, 53, 90, 16));
    auto* dataBitsList =
        list(p, QStringLiteral("ComboBox4"), shown::dataBitsCaptions(), QRect(110, 50, 90, kRow));
    setTag(dataBitsList, 2);
    text(p, label::parity, QRect(12, 89, 90, 16));
    list(p, QStringLiteral("ComboBox2"), shown::parityCaptions(), QRect(110, 86, 90, kRow));
    text(p, label::stopBits, QRect(12, 125, 90, 16));
    auto* stopBitsList =
        list(p, QStringLiteral("ComboBox3"), shown::stopBitsCaptions(), QRect(110, 122, 90, kRow));
    setTag(stopBitsList, 1);

    for (int f = 0; f < kFunctionBits; ++f)
        buildFunctionBit(page, f);
}

void TfrmAir::buildFunctionBit(QWidget* page, int f) {
    const QString letter = label::capcodeColumn(f);
    functionBitGroups_[f] = group(page, QStringLiteral("grpFun") + letter, label::functionBit(f),
                                  QRect(316, 46 + f * 145, 684, 139));
    QWidget* g = functionBitGroups_[f];
    constexpr int editLeft = 100, editWidth = 574;
    text(g, label::headerChars, QRect(12, 27, 86, 16));
    pairEdit(g, QStringLiteral("edtHeader%1").arg(f), kRecordChars, f,
             QRect(editLeft, 24, editWidth, kRow));
    text(g, label::trailerChars, QRect(12, 55, 86, 16));
    pairEdit(g, QStringLiteral("edtTrailer%1").arg(f), kRecordChars, f,
             QRect(editLeft, 52, editWidth, kRow));
    text(g, label::timeoutChars, QRect(12, 83, 86, 16));
    pairEdit(g, QStringLiteral("edtTimeout%1").arg(f), kRecordChars, f,
             QRect(editLeft, 80, editWidth, kRow));
    auto* internal = box(g, QStringLiteral("chkOpCmd%1").arg(f), label::intFunCmd,
                         QRect(editLeft, 109, 120, 20));
    setTag(internal, f);
    pairEdit(g, QStringLiteral("edtFC%1").arg(f), kFunCmdCodeLen, f,
             QRect(editLeft + 124, 108, 96, kRow));
}

void TfrmAir::buildBottom(QWidget* form) {
    auto* synthesizerPanel = panel(form, QStringLiteral("Panel3"), QRect(8, 664, 560, 36));
    QWidget* p = synthesizerPanel;
    text(p, label::pllR, QRect(12, 10, 40, 16));
    text(p, label::noValue, QRect(54, 10, 70, 16), QStringLiteral("lblPLLR"));
    text(p, label::pllN, QRect(136, 10, 40, 16));
    text(p, label::noValue, QRect(178, 10, 80, 16), QStringLiteral("lblPLLN"));
    text(p, label::mult, QRect(272, 10, 40, 16));
    text(p, label::noMultiplier, QRect(314, 10, 30, 16), QStringLiteral("lblMULT"));
    text(p, label::channel, QRect(360, 10, 64, 16));
    text(p, label::noValue, QRect(426, 10, 100, 16), QStringLiteral("lblCHANNEL"));

    linkButton_ = place(new QPushButton(label::linkButton, form), QStringLiteral("btnLink0E"),
                        QRect(580, 665, 110, 34));
    testModeBox_ =
        box(form, QStringLiteral("CheckBox7"), label::testMode, QRect(708, 672, 120, 20));

    // The focus sink: an edit that only takes the focus, covered by a borderless panel.
    focusSink_ = edit(form, QStringLiteral("edtNull"), 32767, QRect(1004, 670, 7, 20));
    auto* bottomPanel = panel(form, QStringLiteral("Panel1"), QRect(1000, 666, 16, 28), false);
    bottomPanel->setAutoFillBackground(true);
    bottomPanel->raise();
}
