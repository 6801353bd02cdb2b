#include "runtime/qt/QtPlainWindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QTimer>
#include <QWindow>

#include "runtime/RuntimeError.h"
#include "runtime/qt/QtEventGuard.h"

namespace vb {
namespace {

class PlainWidget final : public QWidget {
public:
    explicit PlainWidget(WindowEvents& events) : QWidget(nullptr, Qt::Window), mEvents(&events) {}

    void DetachEvents() { mEvents = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        // Told after Qt is done with the event: the program may unload the
        // window, which deletes this widget.
        QTimer::singleShot(0, this, [this] {
            if (WindowEvents* events = mEvents) ForwardToProgram([events] { events->OnCloseRequested(); });
        });
    }

private:
    WindowEvents* mEvents;
};

}  // namespace

QtPlainWindow::QtPlainWindow(const WindowSpec& spec, WindowEvents& events) : mWidget(new PlainWidget(events)) {
    mWidget->setWindowTitle(QString::fromStdString(spec.caption));
}

QtPlainWindow::~QtPlainWindow() {
    if (!mWidget) return;
    static_cast<PlainWidget*>(mWidget.data())->DetachEvents();
    mWidget->hide();
    mWidget->deleteLater();
}

void QtPlainWindow::Show() { mWidget->show(); }
void QtPlainWindow::SendToBack() { mWidget->lower(); }
void QtPlainWindow::BringToFront() { mWidget->raise(); }

PixelRect QtPlainWindow::Geometry() const {
    const QRect outer = mWidget->frameGeometry();
    return {outer.x(), outer.y(), outer.width(), outer.height()};
}

void QtPlainWindow::SetGeometry(const PixelRect& outer) {
    mWidget->winId();
    const QMargins frame = mWidget->windowHandle() ? mWidget->windowHandle()->frameMargins() : QMargins();
    mWidget->move(outer.left, outer.top);
    mWidget->resize(std::max(1, outer.width - frame.left() - frame.right()),
                    std::max(1, outer.height - frame.top() - frame.bottom()));
}

Canvas& QtPlainWindow::Surface() { Raise(kErrNoSuchMember); }

}  // namespace vb
