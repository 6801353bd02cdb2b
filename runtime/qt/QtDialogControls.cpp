#include "runtime/qt/QtDialogControls.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QWheelEvent>

#include <cmath>
#include <map>
#include <vector>

#include "runtime/DialogControls.h"
#include "runtime/qt/QtDialogGuard.h"
#include "runtime/qt/QtInput.h"

namespace vb {
namespace {

constexpr int kWheelNotch = 120;  // angle delta of one wheel notch

// The size the layout's controls were made for (the classic dialog font).
// Fonts here run wider, so the dialog's font shrinks in steps until every
// caption fits its control, but no further than the floor.
constexpr qreal kDialogPointSize = 8;
constexpr qreal kSmallestPointSize = 6.5;
constexpr qreal kPointSizeStep = 0.5;

// True when every button, check box, option and label shows its whole text.
bool CaptionsFit(const QWidget& dialog) {
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        if (!qobject_cast<const QAbstractButton*>(child) && !qobject_cast<const QLabel*>(child)) continue;
        if (child->sizeHint().width() > child->width()) return false;
    }
    return true;
}

void FitFont(QWidget& dialog) {
    QFont font = dialog.font();
    for (qreal size = kDialogPointSize; size >= kSmallestPointSize; size -= kPointSizeStep) {
        font.setPointSizeF(size);
        dialog.setFont(font);
        if (CaptionsFit(dialog)) return;
    }
}

int Pixels(double twips, double twipsPerPixel) { return int(std::lround(twips / twipsPerPixel)); }

QRect PixelRectOf(const TwipsRect& r, double twipsPerPixel) {
    return QRect(Pixels(r.left, twipsPerPixel), Pixels(r.top, twipsPerPixel), Pixels(r.width, twipsPerPixel),
                 Pixels(r.height, twipsPerPixel));
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// --- Views: the portable state, shown in the widgets ------------------------

class WidgetView : public ControlView {
public:
    explicit WidgetView(QWidget* widget) : mWidget(widget) {}
    void ShowEnabled(bool enabled) override {
        if (mWidget) mWidget->setEnabled(enabled);
    }

protected:
    QPointer<QWidget> mWidget;  // null once the dialog's widgets are gone
};

class ButtonView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override {
        if (auto* button = qobject_cast<QAbstractButton*>(mWidget)) button->setText(Text(caption));
    }
    void ShowValue(Integer value) override {
        auto* button = qobject_cast<QAbstractButton*>(mWidget);
        if (!button || !button->isCheckable()) return;
        const QSignalBlocker quiet(button);
        button->setChecked(value != 0);
    }
};

class LabelView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override {
        if (auto* label = qobject_cast<QLabel*>(mWidget)) label->setText(Text(caption));
    }
};

class FrameView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override {
        if (auto* box = qobject_cast<QGroupBox*>(mWidget)) box->setTitle(Text(caption));
    }
    void ShowZOrder(Integer position) override {
        if (!mWidget) return;
        if (position == 1)
            mWidget->lower();
        else
            mWidget->raise();
    }
};

class ScrollBarView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowValue(Integer value) override {
        auto* bar = qobject_cast<QScrollBar*>(mWidget);
        if (!bar) return;
        const QSignalBlocker quiet(bar);
        bar->setValue(value);
    }
};

class TabStripView final : public WidgetView {
public:
    TabStripView(QTabBar* tabs, QWidget* pane) : WidgetView(tabs), mPane(pane) {}
    void ShowEnabled(bool enabled) override {
        WidgetView::ShowEnabled(enabled);
        if (mPane) mPane->setEnabled(enabled);
    }
    void ShowValue(Integer tab) override {
        auto* tabs = qobject_cast<QTabBar*>(mWidget);
        if (!tabs) return;
        const QSignalBlocker quiet(tabs);
        tabs->setCurrentIndex(tab - 1);
    }

private:
    QPointer<QWidget> mPane;
};

// --- Widgets the standard ones lack ---------------------------------------------

// The frame of a tab strip's display area, drawn as the style draws a tab
// widget's.
class TabPane final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionTabWidgetFrame option;
        option.initFrom(this);
        option.rect = rect();
        option.shape = QTabBar::RoundedNorth;
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
    }
};

// A left click in a scroll bar's trough pages towards the pointer on every
// platform, as the portable ScrollBar expects; some styles would jump there.
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

// --- Building ------------------------------------------------------------------

class Builder {
public:
    Builder(QWidget& dialog, double twipsPerPixel, std::shared_ptr<QtDialogGuard> guard, QObject& links)
        : mDialog(dialog), mTwipsPerPixel(twipsPerPixel), mGuard(std::move(guard)), mLinks(links) {
        mTroughStyle = new TroughPagesStyle(QStyleFactory::create(mDialog.style()->name()));
    }

    ~Builder() {
        // Parented last, so that the style outlives the scroll bars using it.
        mTroughStyle->setParent(&mDialog);
    }

    // Once every widget exists: the font, then what depends on it.
    void Finish() {
        FitFont(mDialog);
        for (const TabStripParts& strip : mTabStrips) Place(strip);
        if (!mTabStrips.empty()) BlendPages(*mTabStrips.front().pane);
    }

    void Build(Control& control) {
        const ControlLayout& layout = control.Layout();
        QWidget* parent = layout.container.empty() ? &mDialog : mContainers.at(layout.container);
        const QRect rect = PixelRectOf(layout.rect, mTwipsPerPixel);
        QWidget* widget = nullptr;
        switch (layout.kind) {
        case ControlKind::CommandButton: widget = CommandButtonWidget(static_cast<CommandButton&>(control), parent); break;
        case ControlKind::TabStrip: widget = TabStripWidget(static_cast<TabStrip&>(control), parent, rect); break;
        case ControlKind::Frame: widget = FrameWidget(control, parent); break;
        case ControlKind::Label:
            widget = new QLabel(parent);
            control.Attach(std::make_unique<LabelView>(widget));
            break;
        case ControlKind::HScrollBar: widget = ScrollBarWidget(static_cast<ScrollBar&>(control), parent); break;
        case ControlKind::CheckBox: widget = CheckBoxWidget(static_cast<CheckBox&>(control), parent); break;
        case ControlKind::OptionButton: widget = OptionWidget(static_cast<OptionButton&>(control), parent); break;
        }
        widget->setObjectName(Text(ControlKey(layout.name, layout.index)));
        if (layout.kind == ControlKind::CheckBox || layout.kind == ControlKind::OptionButton)
            widget->setGeometry(FitIndicator(rect, *widget, layout.kind));
        else if (layout.kind != ControlKind::TabStrip)
            widget->setGeometry(rect);
        if (layout.kind == ControlKind::Frame) mContainers[layout.name] = widget;
    }

private:
    template <typename Sender, typename Signal, typename Action>
    void Connect(Sender* sender, Signal signal, Action&& action) {
        QObject::connect(sender, signal, &mLinks, std::forward<Action>(action));
    }

    QWidget* CommandButtonWidget(CommandButton& control, QWidget* parent) {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(true);
        button->setDefault(control.Default());
        Connect(button, &QAbstractButton::clicked, [&control, guard = mGuard] { guard->Run([&] { control.UserClick(); }); });
        control.Attach(std::make_unique<ButtonView>(button));
        return button;
    }

    QWidget* TabStripWidget(TabStrip& control, QWidget* parent, const QRect& rect) {
        auto* pane = new TabPane(parent);
        auto* tabs = new QTabBar(parent);
        tabs->setDrawBase(false);
        tabs->setExpanding(false);
        tabs->setUsesScrollButtons(false);
        for (const std::string& tab : control.Tabs()) tabs->addTab(Text(tab));
        mTabStrips.push_back({tabs, pane, rect});
        Connect(tabs, &QTabBar::currentChanged, [tabs, &control, guard = mGuard](int index) {
            guard->Run([&] { control.UserSelect(Integer(index + 1)); });
            const QSignalBlocker quiet(tabs);
            tabs->setCurrentIndex(control.SelectedIndex() - 1);
        });
        control.Attach(std::make_unique<TabStripView>(tabs, pane));
        return tabs;
    }

    QWidget* FrameWidget(Control& control, QWidget* parent) {
        const ControlLayout& layout = control.Layout();
        const bool page = layout.container.empty();
        QWidget* widget = nullptr;
        if (layout.caption.empty() && page) {
            auto* frame = new QFrame(parent);
            frame->setFrameShape(QFrame::NoFrame);
            widget = frame;
        } else {
            widget = new QGroupBox(parent);
        }
        // A page hides the pages behind it.
        widget->setAutoFillBackground(page);
        if (page) mPages.push_back(widget);
        control.Attach(std::make_unique<FrameView>(widget));
        return widget;
    }

    QWidget* ScrollBarWidget(ScrollBar& control, QWidget* parent) {
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        bar->setRange(control.Min(), control.Max());
        bar->setSingleStep(control.SmallChange());
        bar->setPageStep(control.LargeChange());
        bar->setTracking(false);
        bar->setInvertedControls(false);
        bar->setFocusPolicy(Qt::StrongFocus);
        bar->setContextMenuPolicy(Qt::NoContextMenu);
        bar->setStyle(mTroughStyle);
        bar->installEventFilter(new ScrollBarInput(control, mGuard, mLinks));

        auto guard = mGuard;
        // Arrow and trough clicks (and their auto-repeat while held) arrive
        // as actions; Qt applies its own position when the signal returns,
        // so the portable value is put in its place.
        Connect(bar, &QAbstractSlider::actionTriggered, [bar, &control, guard](int action) {
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
        // With tracking off Qt reports a drag as moves of the slider
        // position and never changes the value during it.
        Connect(bar, &QAbstractSlider::sliderMoved, [&control, guard](int position) {
            guard->Run([&] { control.UserThumbDrag(Integer(position)); });
        });
        Connect(bar, &QAbstractSlider::sliderReleased, [bar, &control, guard] {
            guard->Run([&] { control.UserThumbRelease(Integer(bar->sliderPosition())); });
            const QSignalBlocker quiet(bar);
            bar->setValue(control.Value());
        });
        control.Attach(std::make_unique<ScrollBarView>(bar));
        return bar;
    }

    QWidget* CheckBoxWidget(CheckBox& control, QWidget* parent) {
        auto* box = new QCheckBox(parent);
        Connect(box, &QAbstractButton::clicked, [box, &control, guard = mGuard] {
            guard->Run([&] { control.UserClick(); });
            const QSignalBlocker quiet(box);
            box->setChecked(control.Value() == kChecked);
        });
        control.Attach(std::make_unique<ButtonView>(box));
        return box;
    }

    QWidget* OptionWidget(OptionButton& control, QWidget* parent) {
        auto* option = new QRadioButton(parent);
        // The portable group clears the other options.
        option->setAutoExclusive(false);
        Connect(option, &QAbstractButton::clicked, [option, &control, guard = mGuard] {
            guard->Run([&] { control.UserClick(); });
            const QSignalBlocker quiet(option);
            option->setChecked(control.Value());
        });
        control.Attach(std::make_unique<ButtonView>(option));
        return option;
    }

    // A check box or option lower than the style's indicator would cut the
    // indicator off; it grows to the indicator's height about its middle.
    static QRect FitIndicator(QRect rect, const QWidget& widget, ControlKind kind) {
        const QStyle::PixelMetric metric =
            kind == ControlKind::CheckBox ? QStyle::PM_IndicatorHeight : QStyle::PM_ExclusiveIndicatorHeight;
        const int indicator = widget.style()->pixelMetric(metric, nullptr, &widget);
        if (rect.height() >= indicator) return rect;
        const int grow = indicator - rect.height();
        return rect.adjusted(0, -grow / 2, 0, grow - grow / 2);
    }

    // The tab row takes the height its font needs; the display area's frame
    // fills the rest of the tab strip's rectangle.
    struct TabStripParts {
        QTabBar* tabs;
        QWidget* pane;
        QRect rect;
    };
    static void Place(const TabStripParts& strip) {
        const QRect& rect = strip.rect;
        const int tabHeight = strip.tabs->sizeHint().height();
        const int overlap = strip.tabs->style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, strip.tabs);
        strip.tabs->setGeometry(rect.left(), rect.top(), rect.width(), tabHeight);
        strip.pane->setGeometry(rect.left(), rect.top() + tabHeight - overlap, rect.width(),
                                rect.height() - tabHeight + overlap);
    }

    // The pages are opaque, so that the one in front hides the others; they
    // take the colour the style gives the tab strip's display area, so that
    // they blend into it.
    void BlendPages(QWidget& pane) {
        const QImage drawn = pane.grab().toImage();
        if (drawn.isNull()) return;
        const QColor area = drawn.pixelColor(drawn.width() / 2, drawn.height() / 2);
        for (QWidget* page : mPages) {
            QPalette palette = page->palette();
            palette.setColor(QPalette::Window, area);
            page->setPalette(palette);
        }
    }

    QWidget& mDialog;
    double mTwipsPerPixel;
    std::vector<TabStripParts> mTabStrips;
    std::vector<QWidget*> mPages;
    std::shared_ptr<QtDialogGuard> mGuard;
    QObject& mLinks;
    QStyle* mTroughStyle = nullptr;
    std::map<std::string, QWidget*> mContainers;
};

}  // namespace

void BuildQtDialogControls(QWidget& dialog, DialogControls& controls, double twipsPerPixel,
                           const std::shared_ptr<QtDialogGuard>& guard, QObject& links) {
    Builder builder(dialog, twipsPerPixel, guard, links);
    for (size_t i = 0; i < controls.Count(); ++i) builder.Build(controls.At(i));
    builder.Finish();
}

}  // namespace vb
