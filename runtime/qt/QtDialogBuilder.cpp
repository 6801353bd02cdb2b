#include "runtime/qt/QtDialogBuilder.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>

#include <map>
#include <vector>

#include "runtime/base/Units.h"
#include "runtime/controls/DialogControls.h"
#include "runtime/qt/QtButtonBinding.h"
#include "runtime/qt/QtControlViews.h"
#include "runtime/qt/QtScrollBarBinding.h"
#include "runtime/qt/QtTabStripBinding.h"

namespace vb {
namespace {

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

QRect PixelRectOf(const TwipsRect& r, double twipsPerPixel) {
    return QRect(TwipsToPixels(r.left, twipsPerPixel), TwipsToPixels(r.top, twipsPerPixel),
                 TwipsToPixels(r.width, twipsPerPixel), TwipsToPixels(r.height, twipsPerPixel));
}

// A check box or option lower than the style's indicator would cut the
// indicator off; it grows to the indicator's height about its middle.
QRect FitIndicator(QRect rect, const QWidget& widget, ControlKind kind) {
    const QStyle::PixelMetric metric =
        kind == ControlKind::CheckBox ? QStyle::PM_IndicatorHeight : QStyle::PM_ExclusiveIndicatorHeight;
    const int indicator = widget.style()->pixelMetric(metric, nullptr, &widget);
    if (rect.height() >= indicator) return rect;
    const int grow = indicator - rect.height();
    return rect.adjusted(0, -grow / 2, 0, grow - grow / 2);
}

class Builder {
public:
    Builder(QWidget& dialog, double twipsPerPixel, std::shared_ptr<QtDialogGuard> guard, QObject& links)
        : mDialog(dialog), mTwipsPerPixel(twipsPerPixel), mGuard(std::move(guard)), mLinks(links) {
        mTroughStyle = CreateTroughPagesStyle(mDialog.style()->name());
    }

    ~Builder() {
        // Parented last, so that the style outlives the scroll bars using it.
        mTroughStyle->setParent(&mDialog);
    }

    // Once every widget exists: the font, then what depends on it.
    void Finish() {
        FitFont(mDialog);
        for (QtTabStripBinding& strip : mTabStrips) strip.Place();
        if (!mTabStrips.empty()) mTabStrips.front().BlendPages(mPages);
    }

    void Build(Control& control) {
        const ControlLayout& layout = control.Layout();
        QWidget* parent = layout.container.empty() ? &mDialog : mContainers.at(layout.container);
        const QRect rect = PixelRectOf(layout.rect, mTwipsPerPixel);
        QWidget* widget = nullptr;
        switch (layout.kind) {
        case ControlKind::CommandButton:
            widget = BindQtCommandButton(static_cast<CommandButton&>(control), parent, mGuard, mLinks);
            break;
        case ControlKind::TabStrip:
            mTabStrips.emplace_back(static_cast<TabStrip&>(control), parent, rect, mGuard, mLinks);
            widget = mTabStrips.back().Tabs();
            break;
        case ControlKind::Frame: widget = FrameWidget(control, parent); break;
        case ControlKind::Label:
            widget = new QLabel(parent);
            control.Attach(std::make_unique<LabelView>(widget));
            break;
        case ControlKind::HScrollBar:
            widget = BindQtScrollBar(static_cast<ScrollBar&>(control), parent, mTroughStyle, mGuard, mLinks);
            break;
        case ControlKind::CheckBox:
            widget = BindQtCheckBox(static_cast<CheckBox&>(control), parent, mGuard, mLinks);
            break;
        case ControlKind::OptionButton:
            widget = BindQtOptionButton(static_cast<OptionButton&>(control), parent, mGuard, mLinks);
            break;
        }
        widget->setObjectName(QtText(ControlKey(layout.name, layout.index)));
        if (layout.kind == ControlKind::CheckBox || layout.kind == ControlKind::OptionButton)
            widget->setGeometry(FitIndicator(rect, *widget, layout.kind));
        else if (layout.kind != ControlKind::TabStrip)
            widget->setGeometry(rect);
        if (layout.kind == ControlKind::Frame) mContainers[layout.name] = widget;
    }

private:
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

    QWidget& mDialog;
    double mTwipsPerPixel;
    std::vector<QtTabStripBinding> mTabStrips;
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
