// Proportional resizing: every control keeps its place and size relative to the window, and
// its font follows the smaller of the two ratios.
#include "WindowFixture.h"
#include "app/QtSeam.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>

class TestWindowLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fx_;
    TfrmAir* w_ = nullptr;

    void resizeTo(int width, int height) {
        w_->resize(width, height);
        QTRY_COMPARE(w_->size(), QSize(width, height));
    }

    // What the design says the control becomes at sx, sy.
    static QRect scaled(const QRect& g, double sx, double sy) {
        return QRect(int(g.left() * sx), int(g.top() * sy), int(g.width() * sx),
                     int(g.height() * sy));
    }

    void expectScaled(double sx, double sy) {
        int checkedControls = 0;
        for (const auto& item : w_->designLayout().items()) {
            QVERIFY(item.widget);
            QCOMPARE(item.widget->geometry(), scaled(item.geometry, sx, sy));
            const int size = int(item.pointSize * std::min(sx, sy));
            if (size > 0)
                QCOMPARE(item.widget->font().pointSize(), size);
            ++checkedControls;
        }
        QVERIFY(checkedControls > 150);
    }

  private slots:
    void init() {
        fx_ = std::make_unique<WindowFixture>();
        w_ = &fx_->start();
    }
    void cleanup() { fx_.reset(); }

    void designIsRecordedOnceForEveryControl() {
        const ProportionalLayout& d = w_->designLayout();
        QCOMPARE(d.designSize(), QSize(1024, 768));
        for (const char* name : {"grpNormal", "GroupBox1", "Edit1", "cboFun24", "edtHeader3", "PB1",
                                 "Panel3", "lblCHANNEL", "stcCode", "edtNull"}) {
            QWidget* c = w_->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(c, name);
            if (QString::fromLatin1(name) == QLatin1String("PB1"))
                QVERIFY(!d.find(c)); // the status bar places it
            else
                QVERIFY2(d.find(c), name);
        }
        // Every named control of the window, and nothing else: a list's pop-up belongs to the
        // list, not to the layout.
        int named = 0;
        for (QWidget* c : w_->centralWidget()->findChildren<QWidget*>()) {
            if (c->window() != w_)
                continue;
            QVERIFY2(!c->objectName().isEmpty(), c->metaObject()->className());
            ++named;
        }
        QCOMPARE(d.items().size(), named);
        QCOMPARE(d.find(w_->control("Edit1"))->pointSize, 8);
    }

    void growingScalesPositionsSizesAndFonts() {
        resizeTo(2048, 1536);
        expectScaled(2.0, 2.0);
        QCOMPARE(w_->control("edtHeader0")->font().pointSize(), 16);
        QCOMPARE(w_->control("stcCode")->size(), QSize(340, 40));
    }

    void unevenRatiosTakeTheSmallerForFonts() {
        resizeTo(1536, 960); // sx 1.5, sy 1.25
        expectScaled(1.5, 1.25);
        QCOMPARE(w_->control("Edit1")->font().pointSize(), 10); // 8 x 1.25
        QCOMPARE(w_->control("grpNormal")->geometry(), QRect(12, 32, 1512, 787));
    }

    void shrinkingTruncatesTowardZero() {
        resizeTo(700, 500); // sx 0.68359375, sy 0.65104166...
        expectScaled(700.0 / 1024, 500.0 / 768);
        QCOMPARE(w_->control("Edit1")->font().pointSize(), 5); // 8 x 0.651 = 5.2
        // Back to the design size: the design again, exactly.
        resizeTo(1024, 768);
        expectScaled(1.0, 1.0);
    }

    void pagesKeepTheirOrderThroughAResize() {
        w_->stcFeaturesClick();
        resizeTo(1200, 900);
        const QList<QObject*> order = w_->centralWidget()->children();
        QVERIFY(order.indexOf(w_->control("GroupBox1")) > order.indexOf(w_->control("grpNormal")));
        QVERIFY(w_->control("grpNormal")->isVisible());
        QVERIFY(w_->control("GroupBox1")->isVisible());
        QVERIFY(w_->control("GroupBox7")->isHidden());
    }

    void qtSeamDrivesTheStatusBar() {
        QtSeam seam(*w_);
        seam.setStatus(QStringLiteral(" Write ......"));
        seam.setProgressMax(4100);
        seam.setProgress(100);
        seam.advanceProgress(50);
        seam.breathe();
        QCOMPARE(w_->statusText(), QStringLiteral(" Write ......"));
        QCOMPARE(w_->progressBar()->maximum(), 4100);
        QCOMPARE(w_->progressBar()->value(), 150);
    }

    void anErrorInAHandlerIsShownAndTheWindowGoesOn() {
        w_->guard([] { throw std::runtime_error("disk on fire"); });
        w_->guard([] { throw 42; });
        QCOMPARE(fx_->seam.shown, QStringList({"error: disk on fire", "error: "}));
        QVERIFY(w_->isVisible());
    }

    void theMouseOnTheBareSurfaceEndsTheEdit() {
        auto* freq = w_->control<QLineEdit>("edtFreq");
        w_->activateWindow();
        freq->setFocus();
        QTRY_VERIFY(freq->hasFocus());
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 700), QPointF(5, 700), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w_->centralWidget(), &move);
        QVERIFY(w_->control("edtNull")->hasFocus());
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
