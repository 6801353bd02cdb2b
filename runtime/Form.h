#pragma once
// A window of the program, as the form runtime offers it: loaded on its first
// Show (or first use of its geometry), with Form_Load, Form_Unload and the
// input handlers as virtual hooks, geometry in drawing units, and the drawing
// surface with its pen. The native window comes from the platform backend.

#include <memory>
#include <string>

#include "runtime/WindowBackend.h"

namespace vb {

class MonitorFanOut;

class Form : public WindowEvents {
public:
    explicit Form(WindowSpec spec);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const WindowSpec& Spec() const { return mSpec; }
    bool IsLoaded() const { return mWindow != nullptr; }

    // Modeless: loads the window first if needed (running Form_Load), then
    // displays it and returns.
    void Show();
    // Runs Form_Unload, then destroys the native window. Nothing happens for
    // a window that is not loaded.
    void Unload();
    // 1 sends the window behind all others; 0 brings it to the front.
    void ZOrder(Integer position = 0);

    // Outer geometry in drawing units.
    Single Left();
    void Left(Single value);
    Single Top();
    void Top(Single value);
    Single Width();
    void Width(Single value);
    Single Height();
    void Height(Single value);

    // The drawing surface. DrawWidth below 1 raises error 5 and keeps the old
    // width; DrawStyle outside 0..6 raises error 380.
    void Cls();
    void Line(Single x1, Single y1, Single x2, Single y2, Long color);
    Integer DrawWidth() const { return mDrawWidth; }
    void DrawWidth(Integer width);
    // DrawWidth without the raise: false (and nothing changed) where DrawWidth
    // raises error 5. For routines that skip a failing statement anyway and
    // would otherwise pay for an exception on every frame.
    bool TryDrawWidth(Integer width);
    Integer DrawStyle() const { return mDrawStyle; }
    void DrawStyle(Integer style);

    // WindowEvents: what the backend forwards.
    void OnKeyDown(Integer keyCode, Integer shift) override;
    void OnMouseMove(Integer button, Integer shift, double xPx, double yPx) override;
    // A click has no handler of its own; while a message stands over an
    // unattended window, a click on it asks to close it.
    void OnMouseDown(Integer button, Integer shift, double xPx, double yPx) override;
    void OnCloseRequested() override;
    // Runs Form_Resize; nothing for a window that is not loaded.
    void OnResized() override;
    // Moves a full-screen window to cover this monitor (desk pixels), with
    // the drawing unit that monitor's size asks for, and runs Form_Resize.
    void MoveToMonitor(const PixelRect& monitor);

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    virtual void Form_KeyDown(Integer /*KeyCode*/, Integer /*Shift*/) {}
    virtual void Form_MouseMove(Integer /*Button*/, Integer /*Shift*/, Single /*X*/, Single /*Y*/) {}
    virtual void Form_Resize() {}
    // What the close box does; by default it unloads the window.
    virtual void CloseRequested() { Unload(); }

    WindowBackend& Window();
    const UnitScale& Scale() const { return mScale; }

private:
    friend bool MsgBoxOverUnattendedWindow(const std::string& text);

    void Load();
    PixelRect Geometry();
    void SetGeometry(const PixelRect& rect);

    // What drawing statements draw on: the window, or every monitor's.
    Canvas& Drawing();

    WindowSpec mSpec;
    UnitScale mScale;
    std::unique_ptr<WindowBackend> mWindow;
    std::unique_ptr<MonitorFanOut> mFanOut;
    Integer mDrawWidth = 1;
    Integer mDrawStyle = 0;
    bool mLoading = false;
    bool mMessageStanding = false;
};

// MsgBox's box while an unattended window (WindowSpec::unattended) is
// loaded: shown without holding anything, the user's input on it forwarded
// to that window, closed by itself after kUnattendedMessageMs. False, and
// nothing shown, when no such window is loaded.
bool MsgBoxOverUnattendedWindow(const std::string& text);

// The screen's size in drawing units (the form runtime's Screen.Width and
// Screen.Height).
Single ScreenWidth();
Single ScreenHeight();

}  // namespace vb
