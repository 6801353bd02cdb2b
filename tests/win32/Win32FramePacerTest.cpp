// The frame pacer: a frame's wait keeps handling window messages.

#include <gtest/gtest.h>

#include "runtime/win32/Win32FramePacer.h"
#include "runtime/win32/Win32Platform.h"

namespace {

int gDelivered = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++gDelivered;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Win32FramePacer, AMessageArrivingDuringTheWaitIsHandledWithinTheFrame) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GyrobloomPacerTest";
    RegisterClassW(&wc);
    HWND target = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(target, nullptr);

    int pumps = 0;
    vb::Win32FramePacer pacer(60, [&] {
        ++pumps;
        vb::Win32Platform::PumpMessages();
    });
    // A compositor whose DwmFlush does not block is given up after a few
    // frames. DwmFlush blocks without handling messages (they wait for the
    // next DoEvents); only the timer's wait handles them.
    constexpr int kSettle = 4;
    for (int i = 0; i < kSettle; ++i) pacer.EndOfStep();
    if (pacer.CurrentMethod() == vb::Win32FramePacer::Method::Compositor) GTEST_SKIP() << "paced by DwmFlush";
    gDelivered = 0;
    PostMessageW(target, WM_APP, 0, 0);
    pacer.EndOfStep();
    EXPECT_EQ(gDelivered, 1) << "the posted message ran inside the frame's wait";
    EXPECT_GE(pumps, 1);
    EXPECT_EQ(pacer.FramesShown(), kSettle + 1);
    DestroyWindow(target);
}

}  // namespace
