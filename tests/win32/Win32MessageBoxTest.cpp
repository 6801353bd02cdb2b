// The box that holds nothing: up when ShowMessage returns, its keys, presses
// and moves reaching the program on this thread, closed with its handle.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/win32/Win32Api.h"

#include "runtime/win32/Win32MessageBox.h"
#include "tests/support/MessageInputLog.h"

namespace {

// Runs this thread's messages until the condition holds, for at most 5 s.
template <typename Condition>
bool PumpUntil(Condition condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
    return condition();
}

// The visible message box captioned with the program's name that a thread
// other than this one runs.
BOOL CALLBACK IsTheBox(HWND hwnd, LPARAM found) {
    wchar_t title[32] = {}, kind[16] = {};
    GetWindowTextW(hwnd, title, 32);
    GetClassNameW(hwnd, kind, 16);
    if (std::wstring(title) != L"Gyrobloom" || std::wstring(kind) != L"#32770" || !IsWindowVisible(hwnd) ||
        GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId() || !GetDlgItem(hwnd, IDOK))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

HWND FindBox() {
    HWND found = nullptr;
    EnumWindows(IsTheBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(Win32MessageWindow, HoldsNothingAndHandsItsInputToTheProgram) {
    MessageInputLog input;
    auto shown = vb::ShowWin32MessageWindow("Couldn't get waveout meter", input);
    // On a thread of its own: this thread's windows keep their input.
    ASSERT_TRUE(PumpUntil([] { return FindBox() != nullptr; })) << "the box comes up";
    HWND box = FindBox();
    EXPECT_FALSE(shown->Closed());

    // What the user does on the box, posted as the system would.
    HWND ok = GetDlgItem(box, IDOK);
    PostMessageW(ok, WM_KEYDOWN, 'A', 0);
    PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 7));
    ASSERT_TRUE(PumpUntil([&] { return input.keys == 2 && input.clicks == 1 && !input.moves.empty(); }))
        << "keys " << input.keys << ", clicks " << input.clicks << ", moves " << input.moves.size();
    EXPECT_FALSE(shown->Closed()) << "neither Return nor a press on OK answered the box";
    EXPECT_TRUE(IsWindow(box));

    shown.reset();
    EXPECT_FALSE(IsWindow(box)) << "the box goes with its handle";
}

TEST(Win32MessageWindow, ClosedOnceTheWindowSystemClosesIt) {
    MessageInputLog input;
    auto shown = vb::ShowWin32MessageWindow("Couldn't open the mixer.", input);
    ASSERT_TRUE(PumpUntil([] { return FindBox() != nullptr; }));
    PostMessageW(FindBox(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return shown->Closed(); }));
    EXPECT_EQ(input.keys + input.clicks, 0);
}

}  // namespace
