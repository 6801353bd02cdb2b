#pragma once
// A window that hosts controls rather than drawing: for now an empty
// captioned top-level window. It forwards close requests; it has no drawing
// surface.

#include <QPointer>
#include <QWidget>

#include "runtime/WindowBackend.h"

namespace vb {

class QtPlainWindow final : public WindowBackend {
public:
    QtPlainWindow(const WindowSpec& spec, WindowEvents& events);
    ~QtPlainWindow() override;
    QtPlainWindow(const QtPlainWindow&) = delete;
    QtPlainWindow& operator=(const QtPlainWindow&) = delete;

    void Show() override;
    void SendToBack() override;
    void BringToFront() override;
    PixelRect Geometry() const override;
    void SetGeometry(const PixelRect& outer) override;
    // Raises error 438: a window of controls cannot be drawn on.
    Canvas& Surface() override;

    QWidget* Widget() const { return mWidget; }

private:
    QPointer<QWidget> mWidget;
};

}  // namespace vb
