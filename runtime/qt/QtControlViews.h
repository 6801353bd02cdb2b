#pragma once
// How a portable control's state shows in its Qt widget: one view per kind of
// widget. A view only displays; it never reports back, so it blocks the
// widget's signals while it sets a value.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>

#include "runtime/controls/ControlView.h"

namespace vb {

inline QString QtText(const std::string& text) { return QString::fromStdString(text); }

// Enabled state, for every widget. The widget may be gone before the
// control (the dialog's widgets are destroyed first); the view then shows
// nothing.
class WidgetView : public ControlView {
public:
    explicit WidgetView(QWidget* widget) : mWidget(widget) {}
    void ShowEnabled(bool enabled) override;

protected:
    QPointer<QWidget> mWidget;
};

// Command buttons, check boxes and option buttons: caption and, for the
// checkable ones, the check.
class ButtonView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override;
    void ShowValue(Integer value) override;
};

class LabelView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override;
};

// Frames: the group box's title, and the stacking of the pages.
class FrameView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowCaption(const std::string& caption) override;
    void ShowZOrder(Integer position) override;
};

class ScrollBarView final : public WidgetView {
public:
    using WidgetView::WidgetView;
    void ShowValue(Integer value) override;
};

// The tab row and its display area are enabled together.
class TabStripView final : public WidgetView {
public:
    TabStripView(QWidget* tabs, QWidget* pane) : WidgetView(tabs), mPane(pane) {}
    void ShowEnabled(bool enabled) override;
    void ShowValue(Integer tab) override;

private:
    QPointer<QWidget> mPane;
};

}  // namespace vb
