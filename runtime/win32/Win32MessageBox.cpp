#include "runtime/win32/Win32MessageBox.h"

#include "runtime/win32/Win32Api.h"

#include <atomic>
#include <thread>

#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr UINT kBoxFlags = MB_OK | MB_TOPMOST | MB_SETFOREGROUND;

// What the box's thread tells the user-interface thread.
constexpr UINT kBoxKey = WM_APP + 1;
constexpr UINT kBoxClick = WM_APP + 2;
constexpr UINT kBoxMove = WM_APP + 3;  // wParam x, lParam y: desk pixels

void Announce(const std::wstring& text) {
    // A debugger (or Wine's debug log) shows what the user was told.
    OutputDebugStringW((L"Gyrobloom message: " + text + L"\n").c_str());
}

class Win32MessageWindow final : public MessageWindow {
public:
    Win32MessageWindow(const std::string& text, MessageInput& input) : mInput(input) {
        const std::wstring wide = Widen(text);
        Announce(wide);
        mReceiver = CreateWindowExW(0, ReceiverClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), this);
        mThread = std::thread([this, wide] { RunBox(wide); });
    }

    ~Win32MessageWindow() override {
        // The box closes as its OK would close it.
        while (!mClosed) {
            if (HWND box = mBox.load()) PostMessageW(box, WM_CLOSE, 0, 0);
            Sleep(1);
        }
        mThread.join();
        DestroyWindow(mReceiver);
    }

    bool Closed() const override { return mClosed; }

private:
    static const wchar_t* ReceiverClass() {
        static const ATOM atom = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = ReceiverProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"GyrobloomMessageInput";
            return RegisterClassW(&windowClass);
        }();
        return reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(atom));
    }

    static LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        switch (message) {
        case kBoxKey: ForwardToProgram([&] { self->mInput.OnMessageKey(); }); return 0;
        case kBoxClick: ForwardToProgram([&] { self->mInput.OnMessageClick(); }); return 0;
        case kBoxMove:
            ForwardToProgram([&] { self->mInput.OnMessageMouseMove(double(LONG(wParam)), double(LONG(lParam))); });
            return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }

    // The box's thread: one box at a time, so one hook each of a kind.
    static thread_local Win32MessageWindow* tCurrent;

    void RunBox(const std::wstring& text) {
        tCurrent = this;
        const DWORD thread = GetCurrentThreadId();
        HHOOK cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, thread);
        HHOOK filter = SetWindowsHookExW(WH_MSGFILTER, FilterHook, nullptr, thread);
        MessageBoxW(nullptr, text.c_str(), Widen(kAppTitle).c_str(), kBoxFlags);
        if (filter) UnhookWindowsHookEx(filter);
        if (cbt) UnhookWindowsHookEx(cbt);
        tCurrent = nullptr;
        mClosed = true;
    }

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && tCurrent && !tCurrent->mBox) tCurrent->mBox = reinterpret_cast<HWND>(wParam);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // Messages of the box's modal loop. Keys and presses go to the program
    // and not to the box: they answer the saver, not the box.
    static LRESULT CALLBACK FilterHook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (code >= 0 && tCurrent && message) {
            HWND to = tCurrent->mReceiver;
            switch (message->message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: PostMessageW(to, kBoxKey, 0, 0); return TRUE;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_NCLBUTTONDOWN:
            case WM_NCRBUTTONDOWN:
            case WM_NCMBUTTONDOWN: PostMessageW(to, kBoxClick, 0, 0); return TRUE;
            case WM_MOUSEMOVE:
            case WM_NCMOUSEMOVE:
                PostMessageW(to, kBoxMove, WPARAM(LONG(message->pt.x)), LPARAM(LONG(message->pt.y)));
                break;
            default: break;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    MessageInput& mInput;
    HWND mReceiver = nullptr;
    std::atomic<HWND> mBox{nullptr};
    std::atomic<bool> mClosed{false};
    std::thread mThread;
};

thread_local Win32MessageWindow* Win32MessageWindow::tCurrent = nullptr;

}  // namespace

void ShowWin32MessageBox(const std::string& text) {
    const std::wstring wide = Widen(text);
    Announce(wide);
    HWND owner = GetActiveWindow();
    if (!owner) owner = AppOwnerWindow();
    MessageBoxW(owner, wide.c_str(), Widen(kAppTitle).c_str(), kBoxFlags);
}

std::unique_ptr<MessageWindow> ShowWin32MessageWindow(const std::string& text, MessageInput& input) {
    return std::make_unique<Win32MessageWindow>(text, input);
}

}  // namespace vb
