#include "runtime/qt/QtTabStripBinding.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "runtime/controls/TabStrip.h"
#include "runtime/qt/QtControlViews.h"
#include "runtime/qt/QtDialogGuard.h"

namespace vb {
namespace {

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

}  // namespace

QtTabStripBinding::QtTabStripBinding(TabStrip& control, QWidget* parent, const QRect& rect,
                                     const std::shared_ptr<QtDialogGuard>& guard, QObject& links)
    : mTabs(nullptr), mPane(new TabPane(parent)), mRect(rect) {
    auto* tabs = new QTabBar(parent);
    mTabs = tabs;
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(false);
    for (const std::string& tab : control.Tabs()) tabs->addTab(QtText(tab));
    QObject::connect(tabs, &QTabBar::currentChanged, &links, [tabs, &control, guard](int index) {
        guard->Run([&] { control.UserSelect(Integer(index + 1)); });
        const QSignalBlocker quiet(tabs);
        tabs->setCurrentIndex(control.SelectedIndex() - 1);
    });
    control.Attach(std::make_unique<TabStripView>(tabs, mPane));
}

void QtTabStripBinding::Place() {
    const int tabHeight = mTabs->sizeHint().height();
    const int overlap = mTabs->style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, mTabs);
    mTabs->setGeometry(mRect.left(), mRect.top(), mRect.width(), tabHeight);
    mPane->setGeometry(mRect.left(), mRect.top() + tabHeight - overlap, mRect.width(),
                       mRect.height() - tabHeight + overlap);
}

void QtTabStripBinding::BlendPages(const std::vector<QWidget*>& pages) const {
    const QImage drawn = mPane->grab().toImage();
    if (drawn.isNull()) return;
    const QColor area = drawn.pixelColor(drawn.width() / 2, drawn.height() / 2);
    for (QWidget* page : pages) {
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, area);
        page->setPalette(palette);
    }
}

}  // namespace vb
