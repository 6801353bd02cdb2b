#pragma once
// When DoEvents returns: once per display frame, never in a busy loop.
//
// Each call presents what the step drew (GDI draws straight onto the window,
// so presenting is flushing GDI's batch) and then waits for the next frame:
//  - with desktop composition on, DwmFlush blocks until the compositor's
//    next frame. Where it returns at once all the same (compatibility
//    layers, some remote sessions), it is not used again;
//  - otherwise, a high-resolution waitable timer waits for the next tick of
//    the display's refresh grid (FrameClock).
// While it waits, window messages keep being handled (the pump is called
// whenever one arrives), so input is never held up by a frame.

#include "runtime/win32/Win32Api.h"

#include <functional>

#include "runtime/FrameClock.h"

namespace vb {

class Win32FramePacer final {
public:
    // The pump runs the pending messages; it is called during the wait.
    Win32FramePacer(double refreshHz, std::function<void()> pump);
    ~Win32FramePacer();
    Win32FramePacer(const Win32FramePacer&) = delete;
    Win32FramePacer& operator=(const Win32FramePacer&) = delete;

    void EndOfStep();

    enum class Method { Compositor, Timer };
    Method CurrentMethod() const { return mUseDwm ? Method::Compositor : Method::Timer; }
    long FramesShown() const { return mFramesShown; }

private:
    bool WaitForCompositor();
    void WaitForTick();
    double NowMs() const;

    std::function<void()> mPump;
    FrameClock mClock;
    HANDLE mTimer = nullptr;
    bool mPeriodRaised = false;
    bool mUseDwm = false;
    int mQuickFlushes = 0;
    LARGE_INTEGER mFrequency{};
    LARGE_INTEGER mStart{};
    HMODULE mDwmApi = nullptr;
    HRESULT(WINAPI* mDwmFlush)() = nullptr;
    long mFramesShown = 0;
};

// The refresh rate of the display the program runs on, in Hz; 0 when the
// system does not say.
double DisplayRefreshHz();

}  // namespace vb
