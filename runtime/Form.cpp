#include "runtime/Form.h"

#include <cmath>

#include "runtime/MonitorFanOut.h"
#include "runtime/Platform.h"
#include "runtime/base/Pen.h"
#include "runtime/base/RuntimeError.h"

namespace vb {
namespace {

// The loaded window nobody may attend, if any.
Form* gUnattended = nullptr;

// The user's input on a message box, passed to the window under it.
class ForwardToWindow final : public MessageInput {
public:
    explicit ForwardToWindow(Form& owner) : mOwner(owner) {}
    void OnMessageKey() override { mOwner.OnKeyDown(0, 0); }
    void OnMessageClick() override { mOwner.OnCloseRequested(); }
    void OnMessageMouseMove(double xPx, double yPx) override {
        mOwner.OnMouseMove(0, 0, xPx - mOrigin.left, yPx - mOrigin.top);
    }
    void Origin(const PixelRect& geometry) { mOrigin = geometry; }

private:
    Form& mOwner;
    PixelRect mOrigin;
};

}  // namespace

Form::Form(WindowSpec spec) : mSpec(std::move(spec)) {}

Form::~Form() {
    if (gUnattended == this) gUnattended = nullptr;
    mFanOut.reset();
}

Canvas& Form::Drawing() {
    WindowBackend& window = Window();  // loads the form first
    if (mFanOut) return *mFanOut;
    return window.Surface();
}

void Form::Load() {
    if (mWindow || mLoading) return;
    // The unit is fixed when the window is created: the screen it starts on
    // decides it, and it never changes while the window lives.
    mScale = UnitScale(App().Screen());
    mLoading = true;
    mWindow = App().CreateWindow(mSpec, *this, mScale);
    if (mSpec.everyMonitor) mFanOut = std::make_unique<MonitorFanOut>(*this, *mWindow, mSpec, mScale);
    mLoading = false;
    if (mSpec.unattended) gUnattended = this;
    mDrawWidth = 1;
    mDrawStyle = 0;
    Form_Load();
}

WindowBackend& Form::Window() {
    Load();
    return *mWindow;
}

void Form::Show() {
    Load();
    if (!mWindow) return;
    mWindow->Show();
    if (mFanOut) mFanOut->Follow();
}

void Form::Unload() {
    if (!mWindow) return;
    Form_Unload();
    if (gUnattended == this) gUnattended = nullptr;
    mFanOut.reset();
    mWindow.reset();
}

void Form::ZOrder(Integer position) {
    if (position == 1)
        Window().SendToBack();
    else
        Window().BringToFront();
}

PixelRect Form::Geometry() { return Window().Geometry(); }

void Form::SetGeometry(const PixelRect& rect) { Window().SetGeometry(rect); }

Single Form::Left() { return Single(mScale.PixelsToUnits(Geometry().left)); }
Single Form::Top() { return Single(mScale.PixelsToUnits(Geometry().top)); }
Single Form::Width() { return Single(mScale.PixelsToUnits(Geometry().width)); }
Single Form::Height() { return Single(mScale.PixelsToUnits(Geometry().height)); }

void Form::Left(Single value) {
    PixelRect r = Geometry();
    r.left = mScale.UnitsToWholePixels(value);
    SetGeometry(r);
}
void Form::Top(Single value) {
    PixelRect r = Geometry();
    r.top = mScale.UnitsToWholePixels(value);
    SetGeometry(r);
}
void Form::Width(Single value) {
    PixelRect r = Geometry();
    r.width = mScale.UnitsToWholePixels(value);
    SetGeometry(r);
}
void Form::Height(Single value) {
    PixelRect r = Geometry();
    r.height = mScale.UnitsToWholePixels(value);
    SetGeometry(r);
}

void Form::Cls() { Drawing().Cls(); }

void Form::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    Drawing().Line(x1, y1, x2, y2, color);
}

void Form::DrawWidth(Integer width) {
    if (!TryDrawWidth(width)) Raise(kErrInvalidCall);
}

bool Form::TryDrawWidth(Integer width) {
    if (width < 1) return false;
    Drawing().DrawWidth(width);
    mDrawWidth = width;
    return true;
}

void Form::DrawStyle(Integer style) {
    if (style < kMinDrawStyle || style > kMaxDrawStyle) Raise(kErrInvalidProperty);
    Drawing().DrawStyle(style);
    mDrawStyle = style;
}

void Form::OnKeyDown(Integer keyCode, Integer shift) { Form_KeyDown(keyCode, shift); }

void Form::OnMouseMove(Integer button, Integer shift, double xPx, double yPx) {
    // Whole units, as twips are at one twip a unit: a coarser unit (or a
    // fractional scale factor) would otherwise give a pointer that stands
    // still a fractional position that never equals the one stored before.
    Form_MouseMove(button, shift, Single(std::round(mScale.PixelsToUnits(xPx))),
                   Single(std::round(mScale.PixelsToUnits(yPx))));
}

void Form::OnMouseDown(Integer, Integer, double, double) {
    if (mMessageStanding) CloseRequested();
}

void Form::OnCloseRequested() { CloseRequested(); }

bool MsgBoxOverUnattendedWindow(const std::string& text) {
    Form* owner = gUnattended;
    if (!owner || App().MessagesGoToStandardError()) return false;
    ForwardToWindow input(*owner);
    input.Origin(owner->Geometry());
    const auto box = App().ShowMessage(text, input);
    const double until = App().NowMs() + kUnattendedMessageMs;
    owner->mMessageStanding = true;
    // The window's handlers run in here and may end the run.
    while (!box->Closed() && App().NowMs() < until && gUnattended == owner) App().DoEvents();
    if (gUnattended == owner) owner->mMessageStanding = false;
    return true;
}

void Form::MoveToMonitor(const PixelRect& monitor) {
    ScreenMetrics metrics = App().Screen();
    metrics.widthPx = monitor.width;
    metrics.heightPx = monitor.height;
    mScale = UnitScale(metrics);
    Drawing().Rescale(mScale);
    Window().SetGeometry(monitor);
    OnResized();
}

void Form::OnResized() {
    if (IsLoaded()) Form_Resize();
}

Single ScreenWidth() {
    ScreenMetrics screen = App().Screen();
    return Single(UnitScale(screen).PixelsToUnits(screen.widthPx));
}

Single ScreenHeight() {
    ScreenMetrics screen = App().Screen();
    return Single(UnitScale(screen).PixelsToUnits(screen.heightPx));
}

}  // namespace vb
