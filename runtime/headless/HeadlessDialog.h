#pragma once
// The headless backend of a dialog window: the controls of its layout with
// nothing drawn, and a test's hands on them.
//
// Implemented: what a user sees (captions, scroll bar positions, check box
// and option values, enabled states, which page frame is in front, where a
// dragged thumb is) and what a user does (arrow and trough clicks, thumb
// drags, keys, clicks on check boxes, options, tabs and buttons, Enter, the
// close box). Every action goes through the portable control, as a real
// backend's would. Acting on a disabled control does nothing, as on a
// screen; acting on a control of a page that is not in front is a mistake
// of the test and throws std::logic_error.
// Not implemented: focus and Tab order, mnemonics.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/controls/DialogControls.h"
#include "runtime/WindowBackend.h"
#include "runtime/headless/HeadlessDialogView.h"

namespace vb {

class HeadlessWindow;

class HeadlessDialog final : public WindowBackend {
public:
    enum class Side { Left, Right };

    // Registers its window in `windows` and itself in `dialogs` for as long
    // as it lives.
    HeadlessDialog(const WindowSpec& spec, WindowEvents& events, const ScreenMetrics& screen,
                   DialogControls& controls, std::vector<HeadlessWindow*>& windows,
                   std::vector<HeadlessDialog*>& dialogs);
    ~HeadlessDialog() override;

    void Show() override;
    void SendToBack() override;
    void BringToFront() override;
    PixelRect Geometry() const override;
    void SetGeometry(const PixelRect& outer) override;
    Canvas& Surface() override;

    HeadlessWindow& Window() { return *mWindow; }
    const WindowSpec& Spec() const;

    // What the user sees.
    std::string Caption(const std::string& name, Integer index = -1) const;
    // Scroll bar position, check box value, 1 for a selected option, the
    // selected tab.
    Integer Value(const std::string& name, Integer index = -1) const;
    bool Enabled(const std::string& name, Integer index = -1) const;
    // The frame placed directly on the dialog that is in front: the page
    // the user sees.
    std::string FrontPage() const;
    // Where a scroll bar's thumb is drawn: under the pointer during a drag.
    Integer ThumbPosition(const std::string& bar) const;
    // The options of an array that show as selected.
    std::vector<Integer> SelectedOptions(const std::string& name) const;

    // What the user does.
    void ClickArrow(const std::string& bar, Side side);
    void ClickTrough(const std::string& bar, Side side);
    // Presses the thumb and moves it to the position, keeping the button down.
    void DragThumb(const std::string& bar, Integer position);
    // Lets the dragged thumb go where it is.
    void ReleaseThumb(const std::string& bar);
    // A key pressed while the control has the focus (a key code as the
    // Form_KeyDown handler gets it: 37 Left, 33 Page Up, 32 Space, ...).
    void PressKey(const std::string& name, Integer keyCode, Integer index = -1);
    // A check box, an option button or a command button.
    void Click(const std::string& name, Integer index = -1);
    void ClickTab(const std::string& tabStrip, Integer tab);
    // Enter anywhere in the dialog: the default button.
    void PressEnter();
    void ClickCloseBox();

private:
    struct Entry {
        Control* control = nullptr;
        HeadlessDialogView* view = nullptr;  // owned by the control
    };
    const Entry& At(const std::string& name, Integer index) const;
    // The entry of a control the user can reach: it must be on the page in
    // front. Returns nothing for a disabled control.
    template <typename T>
    T* Reach(const std::string& name, Integer index);
    bool OnFrontPage(const ControlLayout& layout) const;

    WindowEvents& mEvents;
    DialogControls& mControls;
    std::unique_ptr<HeadlessWindow> mWindow;
    std::vector<HeadlessWindow*>& mWindows;
    std::vector<HeadlessDialog*>& mDialogs;
    HeadlessStacking mStacking;
    std::map<std::string, Entry> mEntries;  // by ControlKey
};

}  // namespace vb
