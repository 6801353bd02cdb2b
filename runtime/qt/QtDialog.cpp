#include "runtime/qt/QtDialog.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>

#include <cassert>
#include <cmath>

#include "runtime/controls/DialogControls.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/qt/QtDialogBuilder.h"
#include "runtime/qt/QtDialogGuard.h"

namespace vb {
namespace {

class DialogWidget final : public QDialog {
public:
    DialogWidget(WindowEvents& events, std::shared_ptr<QtDialogGuard> guard)
        : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint),
          mEvents(&events),
          mGuard(std::move(guard)) {}

    void DetachEvents() { mEvents = nullptr; }

protected:
    // The program decides what closing does; the dialog never closes itself.
    // Unloading only schedules the widget's deletion, so the program may
    // unload the dialog from here.
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (WindowEvents* events = mEvents) mGuard->Run([events] { events->OnCloseRequested(); });
    }

    // No button answers Esc. Enter goes to QDialog, which presses the
    // default button.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    WindowEvents* mEvents;
    std::shared_ptr<QtDialogGuard> mGuard;
};

class QtDialogWindow final : public WindowBackend {
public:
    QtDialogWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale, QtDialogEscape escape)
        : mGuard(std::make_shared<QtDialogGuard>(std::move(escape))),
          mLinks(std::make_unique<QObject>()),
          mWidget(new DialogWidget(events, mGuard)) {
        DialogControls* controls = events.Controls();
        assert(controls && "a dialog window needs the controls of its form");
        mWidget->setWindowTitle(QString::fromStdString(spec.caption));
        mWidget->setModal(false);
        mWidget->setSizeGripEnabled(false);
        const double twipsPerPixel = scale.TwipsPerPixel();
        BuildQtDialogControls(*mWidget, *controls, twipsPerPixel, mGuard, *mLinks);
        const DialogLayout& layout = controls->Layout();
        mWidget->setFixedSize(TwipsToPixels(layout.clientWidth, twipsPerPixel),
                              TwipsToPixels(layout.clientHeight, twipsPerPixel));
    }

    // The widget may be in the middle of one of its own events (the program
    // unloads the dialog from a button's click), so it is deleted later. The
    // links go now: no signal reaches the controls after this.
    ~QtDialogWindow() override {
        mLinks.reset();
        if (!mWidget) return;
        static_cast<DialogWidget*>(mWidget.data())->DetachEvents();
        mWidget->hide();
        mWidget->deleteLater();
    }

    void Show() override {
        mWidget->show();
        mWidget->raise();
        mWidget->activateWindow();
    }
    void SendToBack() override { mWidget->lower(); }
    void BringToFront() override {
        mWidget->raise();
        mWidget->activateWindow();
    }

    PixelRect Geometry() const override {
        const QRect outer = mWidget->frameGeometry();
        return {outer.x(), outer.y(), outer.width(), outer.height()};
    }

    // The dialog keeps its size; only its place changes.
    void SetGeometry(const PixelRect& outer) override { mWidget->move(outer.left, outer.top); }

    Canvas& Surface() override { return mNoCanvas; }

private:
    std::shared_ptr<QtDialogGuard> mGuard;
    // The context of every connection from the widgets to the controls, and
    // the owner of the scroll bars' input filters.
    std::unique_ptr<QObject> mLinks;
    QPointer<QDialog> mWidget;
    NoCanvas mNoCanvas;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateQtDialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                    const UnitScale& scale, QtDialogEscape escape) {
    return std::make_unique<QtDialogWindow>(spec, events, scale, std::move(escape));
}

}  // namespace vb
