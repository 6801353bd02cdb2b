#include "runtime/qt/QtDialogBuilder.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>

#include <cassert>
#include <map>
#include <vector>

#include "runtime/base/Units.h"
#include "runtime/controls/CaptionFit.h"
#include "runtime/controls/DialogControls.h"
#include "runtime/qt/QtButtonBinding.h"
#include "runtime/qt/QtControlViews.h"
#include "runtime/qt/QtScrollBarBinding.h"
#include "runtime/qt/QtTabStripBinding.h"

namespace vb {
namespace {

// The dialog's font shrinks from 8 points until every caption fits its
// control (FitCaptionPoints); a widget's size hint is what its caption takes
// in the style, indicator, margins or title inset included.
double CaptionPixels(QWidget& dialog, const ControlLayout& control, double points) {
    if (dialog.font().pointSizeF() != points) {
        QFont font = dialog.font();
        font.setPointSizeF(points);
        dialog.setFont(font);
    }
    const auto* widget = dialog.findChild<QWidget*>(QtText(ControlKey(control.name, control.index)));
    assert(widget && "every captioned control of the layout has its widget");
    if (qobject_cast<const QGroupBox*>(widget)) return widget->minimumSizeHint().width();
    return widget->sizeHint().width();
}

void FitFont(QWidget& dialog, const DialogLayout& layout, double twipsPerPixel) {
    const double points = FitCaptionPoints(layout, twipsPerPixel, [&dialog](const ControlLayout& control, double size) {
        return CaptionPixels(dialog, control, size);
    });
    QFont font = dialog.font();
    font.setPointSizeF(points);
    dialog.setFont(font);
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
    void Finish(const DialogLayout& layout) {
        FitFont(mDialog, layout, mTwipsPerPixel);
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
    builder.Finish(controls.Layout());
}

}  // namespace vb
