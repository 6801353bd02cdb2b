#pragma once
// A window the program draws on, as a WindowBackend: the full-screen saver
// window or the preview window. The native widget and its canvas live in
// QtSurfaceWidget.

#include <QPointer>

#include "runtime/WindowBackend.h"
#include "runtime/qt/QtSurfaceWidget.h"

class QScreen;

namespace vb {

class QtDrawingWindow final : public WindowBackend {
public:
    QtDrawingWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale, QScreen* screen,
                    const QtNativeSurfaceFactory& nativeSurfaces = {});
    ~QtDrawingWindow() override;
    QtDrawingWindow(const QtDrawingWindow&) = delete;
    QtDrawingWindow& operator=(const QtDrawingWindow&) = delete;

    // Displays the window; a full-screen window covers its screen, goes above
    // the others and takes the keyboard focus.
    void Show() override;
    void SendToBack() override;
    void BringToFront() override;
    // Outer geometry in logical pixels, frame included when a window manager
    // draws one.
    PixelRect Geometry() const override;
    void SetGeometry(const PixelRect& outer) override;
    Canvas& Surface() override;

    QtSurfaceWidget* Widget() const { return mWidget; }

private:
    QPointer<QtSurfaceWidget> mWidget;
};

}  // namespace vb
