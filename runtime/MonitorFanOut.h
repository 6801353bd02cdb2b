#pragma once
// A window that covers every monitor (WindowSpec::everyMonitor): the form's
// own window stays on one monitor, and each other monitor gets a window of
// its own that shows the same drawing, centred on that monitor and scaled to
// its size. Every drawing statement goes to all of them: positions are
// mapped from the form's drawing area to each monitor's, the pen stays the
// same in pixels. What the user does on any of the windows reaches the form
// as if done on its own window, in one desk-wide coordinate (a monitor to the
// right of the form's reports positions past its right edge).
//
// Monitors that come and go are followed (Platform::NotifyMonitorsChanged):
// a window whose monitor went away closes, a new monitor gets one, and when
// the form's own monitor goes its window moves to the first monitor there is
// and the form is told it was resized.

#include <memory>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/WindowBackend.h"

namespace vb {

class Form;

class MonitorFanOut final : public Canvas, public MonitorObserver {
public:
    MonitorFanOut(Form& owner, WindowBackend& ownerWindow, const WindowSpec& spec, const UnitScale& scale);
    ~MonitorFanOut() override;
    MonitorFanOut(const MonitorFanOut&) = delete;
    MonitorFanOut& operator=(const MonitorFanOut&) = delete;

    // Makes the windows of the monitors the platform lists now.
    void Follow();
    // The other monitors' windows, for the tests.
    std::size_t Echoes() const { return mEchoes.size(); }

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;
    void Rescale(const UnitScale& scale) override;

    void MonitorsChanged() override { Follow(); }

private:
    struct Echo;

    Form& mOwner;
    WindowBackend& mOwnerWindow;
    WindowSpec mSpec;
    UnitScale mScale;
    Integer mDrawWidth = 1, mDrawStyle = 0;
    std::vector<std::unique_ptr<Echo>> mEchoes;
};

}  // namespace vb
