// The settings dialog's pages share one background with the tab control, as
// a native themed dialog's do: built with common controls 6 (as the program
// asks for in its manifest), every page, and the labels, check boxes and
// option buttons on it, shows the tab control's own body where it has
// nothing else to draw.
// Needs a display.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/win32/Win32Api.h"

#include <commctrl.h>

#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32Dialog.h"
#include "runtime/win32/Win32DialogBuilder.h"
#include "tests/win32/SettingsDialogWindow.h"
#include "runtime/win32/Win32Text.h"
#include "windows/SettingsLayout.h"

namespace {

// Common controls 6 for the windows made while it lives, as the program's
// manifest gives them to the whole program.
class CommonControls6 {
public:
    CommonControls6() {
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        mPath = std::wstring(folder) + L"gyrobloom-common-controls-6.manifest";
        if (FILE* file = _wfopen(mPath.c_str(), L"wb")) {
            std::fputs(
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"><dependency>"
                "<dependentAssembly><assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
                "version=\"6.0.0.0\" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
                "</dependentAssembly></dependency></assembly>\n",
                file);
            std::fclose(file);
        }
        ACTCTXW context{};
        context.cbSize = sizeof(context);
        context.lpSource = mPath.c_str();
        mContext = CreateActCtxW(&context);
        if (mContext != INVALID_HANDLE_VALUE) ActivateActCtx(mContext, &mCookie);
    }
    ~CommonControls6() {
        if (mContext == INVALID_HANDLE_VALUE) return;
        DeactivateActCtx(0, mCookie);
        ReleaseActCtx(mContext);
        DeleteFileW(mPath.c_str());
    }
    bool Active() const { return mContext != INVALID_HANDLE_VALUE; }

private:
    std::wstring mPath;
    HANDLE mContext = INVALID_HANDLE_VALUE;
    ULONG_PTR mCookie = 0;
};

// A window's client area as it paints it into a bitmap (WM_PRINTCLIENT).
class Picture {
public:
    explicit Picture(HWND hwnd) {
        RECT client{};
        GetClientRect(hwnd, &client);
        HDC screen = GetDC(hwnd);
        mDc = CreateCompatibleDC(screen);
        mBitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(hwnd, screen);
        mOld = SelectObject(mDc, mBitmap);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mDc), PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~Picture() {
        SelectObject(mDc, mOld);
        DeleteObject(mBitmap);
        DeleteDC(mDc);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    COLORREF At(POINT p) const { return GetPixel(mDc, p.x, p.y); }

private:
    HDC mDc;
    HBITMAP mBitmap;
    HGDIOBJ mOld;
};

std::string Hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

struct Collect {
    std::vector<HWND> windows;
};

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM data) {
    reinterpret_cast<Collect*>(data)->windows.push_back(hwnd);
    return TRUE;
}

std::string ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return vb::Narrow(name, int(wcslen(name)));
}

std::string TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    return vb::Narrow(text, GetWindowTextW(hwnd, text, 256));
}

TEST(Win32DialogPages, ThePagesAndTheControlsOnThemShowTheTabControlsBody) {
    CommonControls6 v6;
    ASSERT_TRUE(v6.Active()) << "common controls 6 could be asked for";
    const SettingsDialogWindow built("Pages on the tab body", 96);
    HWND dialog = built.dialog;
    ASSERT_NE(dialog, nullptr);
    HWND tabs = FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr);
    ASSERT_NE(tabs, nullptr);
    const Picture body(tabs);

    Collect all;
    EnumChildWindows(dialog, AddWindow, reinterpret_cast<LPARAM>(&all));
    const std::string frameClass = vb::Narrow(vb::FrameWindowClass());
    int pages = 0, labels = 0, checkBoxes = 0, options = 0;
    for (HWND hwnd : all.windows) {
        const std::string cls = ClassOf(hwnd);
        const bool page = cls == frameClass && GetParent(hwnd) == dialog;
        const bool label = _stricmp(cls.c_str(), "Static") == 0;
        const bool button = _stricmp(cls.c_str(), "Button") == 0;
        const auto type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
        const bool checkBox = button && type == BS_CHECKBOX;
        const bool option = button && type == BS_RADIOBUTTON;
        if (!page && !label && !checkBox && !option) continue;
        pages += page;
        labels += label;
        checkBoxes += checkBox;
        options += option;
        // A point the window leaves to its background: a page's middle (its
        // own painting has no children), a label's or button's right end
        // with its caption taken away for the picture.
        RECT client{};
        GetClientRect(hwnd, &client);
        POINT inside = page ? POINT{client.right / 2, client.bottom / 2} : POINT{client.right - 2, client.bottom / 2};
        POINT onTabs = inside;
        MapWindowPoints(hwnd, tabs, &onTabs, 1);
        const std::string caption = TextOf(hwnd);
        if (!page) SetWindowTextW(hwnd, L"");
        const Picture picture(hwnd);
        if (!page) SetWindowTextW(hwnd, vb::Widen(caption).c_str());
        EXPECT_EQ(Hex(picture.At(inside)), Hex(body.At(onTabs)))
            << cls << " \"" << caption << "\" at " << inside.x << "," << inside.y;
    }
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(labels, 9);
    EXPECT_EQ(checkBoxes, 4);
    EXPECT_EQ(options, 4);
}

}  // namespace
