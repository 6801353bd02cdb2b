#include "runtime/qt/QtScrollBarBinding.h"

#include <QKeyEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QWheelEvent>

#include <cstdlib>

#include "runtime/controls/ScrollBar.h"
#include "runtime/qt/QtControlViews.h"
#include "runtime/qt/QtDialogGuard.h"
#include "runtime/qt/QtInput.h"

namespace vb {
namespace {

constexpr int kWheelNotch = 120;  // angle delta of one wheel notch

class TroughPagesStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Keys and wheel notches of a scroll bar go to the portable control, which
// maps them; Qt's own mapping never runs.
class ScrollBarInput final : public QObject {
public:
    ScrollBarInput(ScrollBar& control, std::shared_ptr<QtDialogGuard> guard, QObject& parent)
        : QObject(&parent), mControl(control), mGuard(std::move(guard)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            bool taken = false;
            mGuard->Run([&] { taken = mControl.UserKey(VirtualKeyFor(key)); });
            return taken;
        }
        if (event->type() == QEvent::Wheel) {
            const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
            mWheel += delta.y() != 0 ? delta.y() : delta.x();
            // Turning the wheel away from the user moves towards Min.
            while (std::abs(mWheel) >= kWheelNotch) {
                const bool towardsMin = mWheel > 0;
                mWheel += towardsMin ? -kWheelNotch : kWheelNotch;
                mGuard->Run([&] {
                    mControl.UserScroll(towardsMin ? ScrollAction::LineLeft : ScrollAction::LineRight);
                });
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ScrollBar& mControl;
    std::shared_ptr<QtDialogGuard> mGuard;
    int mWheel = 0;
};

}  // namespace

QStyle* CreateTroughPagesStyle(const QString& styleName) {
    return new TroughPagesStyle(QStyleFactory::create(styleName));
}

QScrollBar* BindQtScrollBar(ScrollBar& control, QWidget* parent, QStyle* troughStyle,
                            const std::shared_ptr<QtDialogGuard>& guard, QObject& links) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(control.Min(), control.Max());
    bar->setSingleStep(control.SmallChange());
    bar->setPageStep(control.LargeChange());
    bar->setTracking(false);
    bar->setInvertedControls(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setContextMenuPolicy(Qt::NoContextMenu);
    bar->setStyle(troughStyle);
    bar->installEventFilter(new ScrollBarInput(control, guard, links));

    // Arrow and trough clicks (and their auto-repeat while held) arrive as
    // actions; Qt applies its own position when the signal returns, so the
    // portable value is put in its place.
    QObject::connect(bar, &QAbstractSlider::actionTriggered, &links, [bar, &control, guard](int action) {
        if (action == QAbstractSlider::SliderMove && bar->isSliderDown()) return;
        guard->Run([&] {
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: control.UserScroll(ScrollAction::LineRight); break;
            case QAbstractSlider::SliderSingleStepSub: control.UserScroll(ScrollAction::LineLeft); break;
            case QAbstractSlider::SliderPageStepAdd: control.UserScroll(ScrollAction::PageRight); break;
            case QAbstractSlider::SliderPageStepSub: control.UserScroll(ScrollAction::PageLeft); break;
            case QAbstractSlider::SliderToMinimum: control.UserScroll(ScrollAction::ToMin); break;
            case QAbstractSlider::SliderToMaximum: control.UserScroll(ScrollAction::ToMax); break;
            case QAbstractSlider::SliderMove: control.UserThumbRelease(Integer(bar->sliderPosition())); break;
            default: break;
            }
        });
        if (!control.Dragging()) bar->setSliderPosition(control.Value());
    });
    // With tracking off Qt reports a drag as moves of the slider position
    // and never changes the value during it.
    QObject::connect(bar, &QAbstractSlider::sliderMoved, &links, [&control, guard](int position) {
        guard->Run([&] { control.UserThumbDrag(Integer(position)); });
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, &links, [bar, &control, guard] {
        guard->Run([&] { control.UserThumbRelease(Integer(bar->sliderPosition())); });
        const QSignalBlocker quiet(bar);
        bar->setValue(control.Value());
    });
    control.Attach(std::make_unique<ScrollBarView>(bar));
    return bar;
}

}  // namespace vb
