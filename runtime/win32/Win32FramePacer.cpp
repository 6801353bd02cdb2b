#include "runtime/win32/Win32FramePacer.h"

#include <mmsystem.h>

#include <cmath>

namespace vb {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// A DwmFlush that returns sooner than this fraction of a frame did not wait
// for one; a few of those in a row and the timer takes over.
constexpr double kBlockingFraction = 0.25;
constexpr int kQuickFlushesAllowed = 3;
constexpr DWORD kHundredNsPerMs = 10000;

}  // namespace

double DisplayRefreshHz() {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    // 0 and 1 stand for "the hardware's default".
    return mode.dmDisplayFrequency > 1 ? double(mode.dmDisplayFrequency) : 0;
}

Win32FramePacer::Win32FramePacer(double refreshHz, std::function<void()> pump)
    : mPump(std::move(pump)), mClock(refreshHz) {
    QueryPerformanceFrequency(&mFrequency);
    QueryPerformanceCounter(&mStart);

    // High-resolution timers exist from Windows 10 1803; before that the
    // system timer's period is raised to 1 ms while the program runs.
    mTimer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!mTimer) {
        mTimer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        mPeriodRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
    }

    mDwmApi = LoadLibraryW(L"dwmapi.dll");
    if (mDwmApi) {
        auto isEnabled = reinterpret_cast<HRESULT(WINAPI*)(BOOL*)>(
            reinterpret_cast<void*>(GetProcAddress(mDwmApi, "DwmIsCompositionEnabled")));
        mDwmFlush = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(mDwmApi, "DwmFlush")));
        BOOL enabled = FALSE;
        mUseDwm = isEnabled && mDwmFlush && SUCCEEDED(isEnabled(&enabled)) && enabled;
    }
}

Win32FramePacer::~Win32FramePacer() {
    if (mTimer) CloseHandle(mTimer);
    if (mPeriodRaised) timeEndPeriod(1);
    if (mDwmApi) FreeLibrary(mDwmApi);
}

double Win32FramePacer::NowMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - mStart.QuadPart) * 1000.0 / double(mFrequency.QuadPart);
}

void Win32FramePacer::EndOfStep() {
    GdiFlush();
    ++mFramesShown;
    if (mUseDwm && WaitForCompositor()) return;
    WaitForTick();
}

bool Win32FramePacer::WaitForCompositor() {
    const double before = NowMs();
    if (FAILED(mDwmFlush())) {
        // Composition went off (a remote session, a basic theme).
        mUseDwm = false;
        return false;
    }
    if (NowMs() - before >= kBlockingFraction * mClock.IntervalMs()) {
        mQuickFlushes = 0;
        return true;
    }
    if (++mQuickFlushes >= kQuickFlushesAllowed) mUseDwm = false;
    return false;
}

void Win32FramePacer::WaitForTick() {
    const double tick = mClock.ClaimNextTick(NowMs());
    for (;;) {
        const double remaining = tick - NowMs();
        if (remaining <= 0) return;
        LARGE_INTEGER due;
        // Negative: relative, in 100 ns units.
        due.QuadPart = -LONGLONG(std::ceil(remaining * kHundredNsPerMs));
        if (!mTimer || !SetWaitableTimer(mTimer, &due, 0, nullptr, nullptr, FALSE)) {
            Sleep(DWORD(std::ceil(remaining)));
            return;
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &mTimer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke == WAIT_OBJECT_0 + 1) {
            // A message: handle it, then wait out the rest of the frame.
            CancelWaitableTimer(mTimer);
            mPump();
            continue;
        }
        return;  // the wait failed; never spin on it
    }
}

}  // namespace vb
