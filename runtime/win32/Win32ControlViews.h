#pragma once
// How a portable control's state shows in its Win32 control window: one view
// per kind of window. A view only displays; the messages it sends set the
// window's state without notifying the dialog, so nothing reports back.

#include "runtime/win32/Win32Api.h"

#include <memory>
#include <string>
#include <vector>

#include "runtime/controls/ControlView.h"

namespace vb {

// Enabled state, for every window. The windows are destroyed before the
// controls; a view stops touching its window once *alive is false.
class WindowView : public ControlView {
public:
    WindowView(HWND hwnd, std::shared_ptr<bool> alive) : mHwnd(hwnd), mAlive(std::move(alive)) {}
    void ShowEnabled(bool enabled) override;

protected:
    bool Alive() const { return *mAlive; }
    HWND mHwnd;

private:
    std::shared_ptr<bool> mAlive;
};

// Command buttons, check boxes and option buttons: caption and, for the
// checkable ones, the check.
class ButtonView final : public WindowView {
public:
    ButtonView(HWND hwnd, std::shared_ptr<bool> alive, bool checkable)
        : WindowView(hwnd, std::move(alive)), mCheckable(checkable) {}
    void ShowCaption(const std::string& caption) override;
    void ShowValue(Integer value) override;

private:
    bool mCheckable;
};

class LabelView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowCaption(const std::string& caption) override;
};

// The frames that lie directly on the dialog are the tab strip's pages, one
// on top of the other: the one in front is shown, the others hidden, so that
// only the front page's controls take the focus.
class PageStack {
public:
    void Add(HWND page) { mPages.push_back(page); }
    void ToFront(HWND page) { Move(page, true); }
    void ToBack(HWND page) { Move(page, false); }
    // A later page lies above an earlier one until the program says
    // otherwise.
    void ShowFront();

private:
    void Move(HWND page, bool front);
    std::vector<HWND> mPages;  // back to front
};

// Frames: the group box's caption, and the stacking of the pages.
class FrameView final : public WindowView {
public:
    FrameView(HWND frame, std::shared_ptr<bool> alive, std::shared_ptr<PageStack> pages)
        : WindowView(frame, std::move(alive)), mPages(std::move(pages)) {}
    void ShowCaption(const std::string& caption) override;
    void ShowZOrder(Integer position) override;

private:
    std::shared_ptr<PageStack> mPages;  // null for a frame inside another
};

class ScrollBarView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowValue(Integer value) override;
};

class TabStripView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowValue(Integer tab) override;
};

}  // namespace vb
