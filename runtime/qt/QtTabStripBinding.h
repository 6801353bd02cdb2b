#pragma once
// How a Qt tab row reaches the portable TabStrip: a click on a tab asks the
// control to select it, and the row shows whichever tab the control then
// holds. The tab row and the frame of its display area are two widgets; the
// pages (frames of the layout) lie in front of the display area.

#include <QRect>

#include <memory>
#include <vector>

class QObject;
class QTabBar;
class QWidget;

namespace vb {

class QtDialogGuard;
class TabStrip;

class QtTabStripBinding final {
public:
    // The tab row and its display area in `parent`, bound to `control`
    // through `guard`; the connections live as long as `links`. `rect` is
    // the whole tab strip's rectangle in pixels.
    QtTabStripBinding(TabStrip& control, QWidget* parent, const QRect& rect,
                      const std::shared_ptr<QtDialogGuard>& guard, QObject& links);

    QTabBar* Tabs() const { return mTabs; }

    // Once the dialog's font is final: the tab row takes the height its font
    // needs, the display area's frame the rest of the rectangle.
    void Place();
    // The pages are opaque, so that the one in front hides the others; they
    // take the colour the style gives the display area, to blend into it.
    void BlendPages(const std::vector<QWidget*>& pages) const;

private:
    QTabBar* mTabs;
    QWidget* mPane;
    QRect mRect;
};

}  // namespace vb
