#include "runtime/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>

namespace vb {
namespace {

std::unique_ptr<QMessageBox> NewBox(const std::string& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle),
                                             QString::fromStdString(text), QMessageBox::Ok);
    // Above the saver's full-screen window, which stays on top.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

class QtMessageWindow final : public QObject, public MessageWindow {
public:
    QtMessageWindow(const std::string& text, MessageInput& input) : mBox(NewBox(text)), mInput(input) {
        mBox->setWindowModality(Qt::NonModal);
        QObject::connect(mBox.get(), &QDialog::finished, this, [this] { mClosed = true; });
        mBox->setMouseTracking(true);
        for (QWidget* child : mBox->findChildren<QWidget*>()) child->setMouseTracking(true);
        qApp->installEventFilter(this);
        mBox->show();
        mBox->raise();
        mBox->activateWindow();
    }
    ~QtMessageWindow() override {
        qApp->removeEventFilter(this);
        mBox->hide();
    }

    bool Closed() const override { return mClosed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != mBox.get()) return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            ForwardToProgram([&] { mInput.OnMessageKey(); });
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            ForwardToProgram([&] { mInput.OnMessageClick(); });
            return true;
        case QEvent::MouseMove: {
            // A move the child under the pointer does not take reaches its
            // parents too: the same position, which the program's rule counts
            // once.
            const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
            ForwardToProgram([&] { mInput.OnMessageMouseMove(at.x(), at.y()); });
            return false;
        }
        default: return false;
        }
    }

private:
    std::unique_ptr<QMessageBox> mBox;
    MessageInput& mInput;
    bool mClosed = false;
};

}  // namespace

void ShowQtMessageBox(const std::string& text) {
    auto box = NewBox(text);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
}

std::unique_ptr<MessageWindow> ShowQtMessageWindow(const std::string& text, MessageInput& input) {
    return std::make_unique<QtMessageWindow>(text, input);
}

}  // namespace vb
