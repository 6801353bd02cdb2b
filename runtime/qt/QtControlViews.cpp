#include "runtime/qt/QtControlViews.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>

namespace vb {

void WidgetView::ShowEnabled(bool enabled) {
    if (mWidget) mWidget->setEnabled(enabled);
}

void ButtonView::ShowCaption(const std::string& caption) {
    if (auto* button = qobject_cast<QAbstractButton*>(mWidget)) button->setText(QtText(caption));
}

void ButtonView::ShowValue(Integer value) {
    auto* button = qobject_cast<QAbstractButton*>(mWidget);
    if (!button || !button->isCheckable()) return;
    const QSignalBlocker quiet(button);
    button->setChecked(value != 0);
}

void LabelView::ShowCaption(const std::string& caption) {
    if (auto* label = qobject_cast<QLabel*>(mWidget)) label->setText(QtText(caption));
}

void FrameView::ShowCaption(const std::string& caption) {
    if (auto* box = qobject_cast<QGroupBox*>(mWidget)) box->setTitle(QtText(caption));
}

void FrameView::ShowZOrder(Integer position) {
    if (!mWidget) return;
    if (position == 1)
        mWidget->lower();
    else
        mWidget->raise();
}

void ScrollBarView::ShowValue(Integer value) {
    auto* bar = qobject_cast<QScrollBar*>(mWidget);
    if (!bar) return;
    const QSignalBlocker quiet(bar);
    bar->setValue(value);
}

void TabStripView::ShowEnabled(bool enabled) {
    WidgetView::ShowEnabled(enabled);
    if (mPane) mPane->setEnabled(enabled);
}

void TabStripView::ShowValue(Integer tab) {
    auto* tabs = qobject_cast<QTabBar*>(mWidget);
    if (!tabs) return;
    const QSignalBlocker quiet(tabs);
    tabs->setCurrentIndex(tab - 1);
}

}  // namespace vb
