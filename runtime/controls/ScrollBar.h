#pragma once
// A horizontal scroll bar: a position between Min and Max that the user
// moves with the arrows (SmallChange), the trough (LargeChange), the keyboard
// or the thumb.
//
// Change runs after every completed change of the position and only then:
//  - an assignment by the program runs it when the new value differs;
//  - an arrow click, a trough click or a key runs it when the step moved the
//    position (at either end of the range a step does nothing);
//  - dragging the thumb runs nothing until the thumb is released, then runs
//    it once if the position differs from the one before the drag.

#include <functional>

#include "runtime/controls/Control.h"

namespace vb {

// What a click on the scroll bar or a key asks for.
enum class ScrollAction {
    LineLeft,   // left arrow: -SmallChange
    LineRight,  // right arrow: +SmallChange
    PageLeft,   // trough left of the thumb: -LargeChange
    PageRight,  // trough right of the thumb: +LargeChange
    ToMin,
    ToMax,
};

// Key codes (Windows virtual-key codes) a scroll bar with the focus takes.
constexpr Integer kKeyPageUp = 33;    // PageLeft
constexpr Integer kKeyPageDown = 34;  // PageRight
constexpr Integer kKeyEnd = 35;       // ToMax
constexpr Integer kKeyHome = 36;      // ToMin
constexpr Integer kKeyLeft = 37;      // LineLeft
constexpr Integer kKeyUp = 38;        // LineLeft
constexpr Integer kKeyRight = 39;     // LineRight
constexpr Integer kKeyDown = 40;      // LineRight

class ScrollBar final : public Control {
public:
    explicit ScrollBar(const ControlLayout& layout);

    Integer Min() const { return Layout().min; }
    Integer Max() const { return Layout().max; }
    Integer SmallChange() const { return Layout().smallChange; }
    Integer LargeChange() const { return Layout().largeChange; }

    Integer Value() const { return mValue; }
    // Raises error 380 (Invalid property value) outside Min..Max.
    void Value(Integer value);

    std::function<void()> Change;

    // What the user did, forwarded by a backend. Each is ignored while the
    // control is disabled.
    void UserScroll(ScrollAction action);
    // Returns false for a key a scroll bar does not take (the backend then
    // handles it as usual, for instance Tab moving the focus).
    bool UserKey(Integer keyCode);
    // The thumb was moved to this position with the button held.
    void UserThumbDrag(Integer position);
    // The thumb was let go here.
    void UserThumbRelease(Integer position);

    bool Dragging() const { return mDragging; }
    // Where the thumb is drawn: the dragged position during a drag, the
    // value otherwise.
    Integer ThumbPosition() const { return mDragging ? mThumb : mValue; }

protected:
    void Present(ControlView& view) const override;

private:
    Integer Clamped(int position) const;
    void MoveTo(Integer value);

    Integer mValue;
    bool mDragging = false;
    Integer mThumb = 0;
};

}  // namespace vb
