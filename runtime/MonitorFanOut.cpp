#include "runtime/MonitorFanOut.h"

#include <algorithm>

#include "runtime/Form.h"

namespace vb {
namespace {

bool SameRect(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

bool Contains(const std::vector<PixelRect>& monitors, const PixelRect& rect) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const PixelRect& m) { return SameRect(m, rect); });
}

}  // namespace

// One other monitor's window: it draws what the form draws, mapped, and
// hands what the user does on it to the form.
struct MonitorFanOut::Echo final : WindowEvents {
    Echo(MonitorFanOut& fanOut, const PixelRect& area) : fan(fanOut), monitor(area) {
        WindowSpec spec = fan.mSpec;
        spec.everyMonitor = false;
        spec.monitor = monitor;
        window = App().CreateWindow(spec, *this, fan.mScale);
        window->Show();
        // A monitor of a root window shows whatever was there before.
        window->Surface().Cls();
        window->Surface().DrawWidth(fan.mDrawWidth);
        window->Surface().DrawStyle(fan.mDrawStyle);
    }

    // From the form's drawing area to this monitor's, in drawing units.
    Single MapX(Single x, double fromPx) const {
        return Single(fan.mScale.PixelsToUnits(fan.mScale.UnitsToPixels(x) * monitor.width / fromPx));
    }
    Single MapY(Single y, double fromPx) const {
        return Single(fan.mScale.PixelsToUnits(fan.mScale.UnitsToPixels(y) * monitor.height / fromPx));
    }

    // Positions on this window, as the form's window would see them.
    double DeskX(double xPx) const { return xPx + monitor.left - fan.mOwnerWindow.Geometry().left; }
    double DeskY(double yPx) const { return yPx + monitor.top - fan.mOwnerWindow.Geometry().top; }

    void OnKeyDown(Integer keyCode, Integer shift) override { fan.mOwner.OnKeyDown(keyCode, shift); }
    void OnMouseMove(Integer button, Integer shift, double xPx, double yPx) override {
        fan.mOwner.OnMouseMove(button, shift, DeskX(xPx), DeskY(yPx));
    }
    void OnMouseDown(Integer button, Integer shift, double xPx, double yPx) override {
        fan.mOwner.OnMouseDown(button, shift, DeskX(xPx), DeskY(yPx));
    }
    void OnCloseRequested() override { fan.mOwner.OnCloseRequested(); }

    MonitorFanOut& fan;
    PixelRect monitor;
    std::unique_ptr<WindowBackend> window;
};

MonitorFanOut::MonitorFanOut(Form& owner, WindowBackend& ownerWindow, const WindowSpec& spec,
                             const UnitScale& scale)
    : mOwner(owner), mOwnerWindow(ownerWindow), mSpec(spec), mScale(scale) {
    App().Observe(this);
}

MonitorFanOut::~MonitorFanOut() { App().Forget(this); }

void MonitorFanOut::Follow() {
    const std::vector<PixelRect> monitors = App().Monitors();
    if (monitors.empty()) return;
    // The form's window stays on its monitor while that monitor is there;
    // otherwise it takes the first one, and its picture starts again there.
    PixelRect own = mOwnerWindow.Geometry();
    if (!Contains(monitors, own)) {
        own = monitors.front();
        mOwner.MoveToMonitor(own);
    }
    std::erase_if(mEchoes, [&](const auto& echo) {
        return !Contains(monitors, echo->monitor) || SameRect(echo->monitor, own);
    });
    for (const PixelRect& monitor : monitors) {
        if (SameRect(monitor, own)) continue;
        const bool covered = std::any_of(mEchoes.begin(), mEchoes.end(),
                                         [&](const auto& echo) { return SameRect(echo->monitor, monitor); });
        if (!covered) mEchoes.push_back(std::make_unique<Echo>(*this, monitor));
    }
}

void MonitorFanOut::Cls() {
    mOwnerWindow.Surface().Cls();
    for (auto& echo : mEchoes) echo->window->Surface().Cls();
}

void MonitorFanOut::DrawWidth(Integer width) {
    mOwnerWindow.Surface().DrawWidth(width);
    mDrawWidth = width;
    for (auto& echo : mEchoes) echo->window->Surface().DrawWidth(width);
}

void MonitorFanOut::DrawStyle(Integer style) {
    mOwnerWindow.Surface().DrawStyle(style);
    mDrawStyle = style;
    for (auto& echo : mEchoes) echo->window->Surface().DrawStyle(style);
}

void MonitorFanOut::Rescale(const UnitScale& scale) {
    mScale = scale;
    mOwnerWindow.Surface().Rescale(scale);
    for (auto& echo : mEchoes) echo->window->Surface().Rescale(scale);
}

void MonitorFanOut::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    mOwnerWindow.Surface().Line(x1, y1, x2, y2, color);
    if (mEchoes.empty()) return;
    const PixelRect own = mOwnerWindow.Geometry();
    const double widthPx = std::max(own.width, 1), heightPx = std::max(own.height, 1);
    for (auto& echo : mEchoes)
        echo->window->Surface().Line(echo->MapX(x1, widthPx), echo->MapY(y1, heightPx), echo->MapX(x2, widthPx),
                                     echo->MapY(y2, heightPx), color);
}

}  // namespace vb
