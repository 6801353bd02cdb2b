#include "runtime/qt/QtMessageBox.h"

#include <QMessageBox>

#include "runtime/Platform.h"

namespace vb {

void ShowQtMessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    // Above the saver's full-screen window, which stays on top.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace vb
