#pragma once
// The settings dialog built as the program builds it, at a given DPI, for the
// tests that look at its native windows.

#include "runtime/win32/Win32Api.h"

#include <memory>
#include <string>

#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32DialogBuilder.h"
#include "runtime/win32/Win32Text.h"
#include "windows/SettingsLayout.h"

struct SettingsDialogEvents final : vb::WindowEvents {
    vb::DialogControls controls{SettingsLayout::Layout()};
    vb::DialogControls* Controls() override { return &controls; }
    void OnKeyDown(vb::Integer, vb::Integer) override {}
    void OnMouseMove(vb::Integer, vb::Integer, double, double) override {}
    void OnCloseRequested() override {}
};

// The dialog, captioned so that it can be found; `dialog` is null when it
// was not made.
struct SettingsDialogWindow {
    SettingsDialogWindow(const std::string& caption, int dpi) {
        vb::ScreenMetrics screen;
        screen.twipsPerPixel = vb::kTwipsPerInch / dpi;
        vb::WindowSpec spec;
        spec.caption = caption;
        spec.dialog = true;
        window = vb::CreateWin32DialogWindow(spec, events, vb::UnitScale(screen));
        dialog = FindWindowW(nullptr, vb::Widen(caption).c_str());
    }

    SettingsDialogEvents events;
    std::unique_ptr<vb::WindowBackend> window;
    HWND dialog = nullptr;
};
