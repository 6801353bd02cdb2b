// The portable control rules every backend shares: when handlers run, what
// the user's actions do, and what a backend's view is shown.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "runtime/DialogControls.h"
#include "runtime/RuntimeError.h"

using namespace vb;

namespace {

// What a backend's view of a control has been told, in order.
struct ViewLog {
    std::vector<std::string> calls;
    std::string caption;
    bool enabled = true;
    Integer value = -999;
};

class RecordingView final : public ControlView {
public:
    explicit RecordingView(ViewLog& log) : mLog(log) {}
    void ShowCaption(const std::string& text) override {
        mLog.caption = text;
        mLog.calls.push_back("caption " + text);
    }
    void ShowEnabled(bool value) override {
        mLog.enabled = value;
        mLog.calls.push_back(value ? "enabled" : "disabled");
    }
    void ShowValue(Integer value) override {
        mLog.value = value;
        mLog.calls.push_back("value " + std::to_string(value));
    }
    void ShowZOrder(Integer position) override { mLog.calls.push_back("zorder " + std::to_string(position)); }

private:
    ViewLog& mLog;
};

ControlLayout Bar(const char* name, Integer min, Integer max, Integer value, const char* container = "") {
    ControlLayout c;
    c.name = name;
    c.kind = ControlKind::HScrollBar;
    c.container = container;
    c.min = min;
    c.max = max;
    c.value = value;
    c.smallChange = 1;
    c.largeChange = 5;
    return c;
}

ControlLayout Of(ControlKind kind, const char* name, Integer index = -1, const char* container = "",
                 const char* caption = "") {
    ControlLayout c;
    c.name = name;
    c.index = index;
    c.kind = kind;
    c.container = container;
    c.caption = caption;
    return c;
}

DialogLayout TestLayout() {
    DialogLayout layout;
    layout.clientWidth = 3000;
    layout.clientHeight = 3000;
    ControlLayout ok = Of(ControlKind::CommandButton, "cmdOK", -1, "", "OK");
    ok.isDefault = true;
    ControlLayout tabs = Of(ControlKind::TabStrip, "tabPages");
    tabs.tabs = {"One", "Two", "Three"};
    layout.controls = {
        ok,
        Of(ControlKind::CommandButton, "cmdOther", -1, "", "Other"),
        tabs,
        Of(ControlKind::Frame, "fraA", -1, "", "A"),
        Bar("hsbZero", 0, 100, 1, "fraA"),
        Bar("hsbOne", 1, 100, 1, "fraA"),
        Of(ControlKind::Label, "lblA", -1, "fraA", "Size"),
        Of(ControlKind::CheckBox, "chkA", -1, "fraA", "Mirror"),
        Of(ControlKind::Frame, "fraStyle", -1, "fraA", "Style"),
        Of(ControlKind::OptionButton, "optStyle", 0, "fraStyle", "Solid"),
        Of(ControlKind::OptionButton, "optStyle", 1, "fraStyle", "Dash"),
        Of(ControlKind::OptionButton, "optStyle", 2, "fraStyle", "Dot"),
        Of(ControlKind::Frame, "fraOther", -1, "fraA", ""),
        Of(ControlKind::OptionButton, "optOther", 0, "fraOther", "Left"),
        Of(ControlKind::OptionButton, "optOther", 1, "fraOther", "Right"),
    };
    return layout;
}

int ErrorOf(auto&& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

class Controls : public ::testing::Test {
protected:
    DialogControls controls{TestLayout()};
};

// --- Scroll bars --------------------------------------------------------

struct ScrollCase {
    const char* name;
    Integer start;
    std::vector<ScrollAction> actions;
    Integer expected;
    int changes;
};

class ScrollBarUser : public Controls, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollBarUser, StepsAreClampedAndChangeRunsOncePerMove) {
    const ScrollCase& c = GetParam();
    ScrollBar& bar = controls.Get<ScrollBar>("hsbZero");
    bar.Value(c.start);
    int changes = 0;
    std::vector<Integer> seen;
    bar.Change = [&] {
        ++changes;
        seen.push_back(bar.Value());
    };
    for (ScrollAction action : c.actions) bar.UserScroll(action);
    EXPECT_EQ(bar.Value(), c.expected) << c.name;
    EXPECT_EQ(changes, c.changes) << c.name;
    if (!seen.empty()) {
        EXPECT_EQ(seen.back(), c.expected) << c.name << ": Change sees the new value";
    }
}

using A = ScrollAction;
INSTANTIATE_TEST_SUITE_P(
    Actions, ScrollBarUser,
    ::testing::Values(ScrollCase{"right arrow", 3, {A::LineRight}, 4, 1},
                      ScrollCase{"left arrow", 3, {A::LineLeft}, 2, 1},
                      ScrollCase{"trough right", 95, {A::PageRight}, 100, 1},
                      ScrollCase{"trough left", 50, {A::PageLeft}, 45, 1},
                      ScrollCase{"trough left near the start stops at Min", 3, {A::PageLeft}, 0, 1},
                      ScrollCase{"trough right at Max does nothing", 100, {A::PageRight}, 100, 0},
                      ScrollCase{"left arrow at Min does nothing", 0, {A::LineLeft, A::LineLeft}, 0, 0},
                      ScrollCase{"three arrows, three changes", 10, {A::LineRight, A::LineRight, A::LineRight}, 13, 3},
                      ScrollCase{"to the end", 10, {A::ToMax}, 100, 1},
                      ScrollCase{"to the start", 10, {A::ToMin}, 0, 1}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST_F(Controls, ScrollBarKeysMoveLikeTheArrowsAndTheTrough) {
    struct KeyCase {
        Integer key;
        Integer expected;  // from 50
    };
    const KeyCase cases[] = {{kKeyRight, 51}, {kKeyDown, 51}, {kKeyLeft, 49}, {kKeyUp, 49},
                             {kKeyPageDown, 55}, {kKeyPageUp, 45}, {kKeyHome, 0}, {kKeyEnd, 100}};
    ScrollBar& bar = controls.Get<ScrollBar>("hsbZero");
    int changes = 0;
    bar.Change = [&] { ++changes; };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.key);
        bar.Value(50);
        changes = 0;
        EXPECT_TRUE(bar.UserKey(c.key));
        EXPECT_EQ(bar.Value(), c.expected);
        EXPECT_EQ(changes, 1);
    }
    // Keys a scroll bar does not take are left to the backend.
    changes = 0;
    EXPECT_FALSE(bar.UserKey(9));   // Tab
    EXPECT_FALSE(bar.UserKey(65));  // A
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(changes, 0);
}

TEST_F(Controls, ProgramAssignmentRunsChangeOnlyForADifferentValue) {
    ScrollBar& bar = controls.Get<ScrollBar>("hsbOne");
    std::vector<Integer> seen;
    bar.Change = [&] { seen.push_back(bar.Value()); };
    bar.Value(1);  // the position it starts at
    bar.Value(37);
    bar.Value(37);
    bar.Value(100);
    EXPECT_EQ(seen, (std::vector<Integer>{37, 100}));
}

TEST_F(Controls, ProgramAssignmentOutsideTheRangeRaisesAndKeepsTheValue) {
    ScrollBar& bar = controls.Get<ScrollBar>("hsbOne");
    int changes = 0;
    bar.Change = [&] { ++changes; };
    bar.Value(20);
    changes = 0;
    for (Integer bad : {Integer(0), Integer(-1), Integer(101), Integer(32767)}) {
        EXPECT_EQ(ErrorOf([&] { bar.Value(bad); }), kErrInvalidProperty) << bad;
        EXPECT_EQ(bar.Value(), 20);
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(Controls, DraggedThumbReportsOnceAtRelease) {
    ScrollBar& bar = controls.Get<ScrollBar>("hsbZero");
    bar.Value(10);
    std::vector<Integer> seen;
    bar.Change = [&] { seen.push_back(bar.Value()); };

    for (Integer pos : {Integer(20), Integer(40), Integer(70)}) {
        bar.UserThumbDrag(pos);
        EXPECT_TRUE(bar.Dragging());
        EXPECT_EQ(bar.ThumbPosition(), pos);
        EXPECT_EQ(bar.Value(), 10) << "the value waits for the release";
    }
    EXPECT_TRUE(seen.empty()) << "Change ran during the drag";
    bar.UserThumbRelease(70);
    EXPECT_FALSE(bar.Dragging());
    EXPECT_EQ(seen, (std::vector<Integer>{70}));

    // Dragged away and back: nothing changed, nothing runs.
    seen.clear();
    bar.UserThumbDrag(90);
    bar.UserThumbDrag(70);
    bar.UserThumbRelease(70);
    EXPECT_TRUE(seen.empty());

    // Dragged past the ends: the thumb stops at the range.
    bar.UserThumbDrag(500);
    EXPECT_EQ(bar.ThumbPosition(), 100);
    bar.UserThumbRelease(500);
    bar.UserThumbDrag(-3);
    bar.UserThumbRelease(-3);
    EXPECT_EQ(seen, (std::vector<Integer>{100, 0}));
}

TEST_F(Controls, DisabledControlsIgnoreTheUserButNotTheProgram) {
    ScrollBar& bar = controls.Get<ScrollBar>("hsbZero");
    CheckBox& box = controls.Get<CheckBox>("chkA");
    OptionButton& dash = controls.Get<OptionButton>("optStyle", 1);
    CommandButton& button = controls.Get<CommandButton>("cmdOther");
    TabStrip& tabs = controls.Get<TabStrip>("tabPages");
    int handlers = 0;
    bar.Change = [&] { ++handlers; };
    box.Click = [&] { ++handlers; };
    dash.Click = [&](Integer) { ++handlers; };
    button.Click = [&] { ++handlers; };
    tabs.Click = [&] { ++handlers; };
    for (Control* c : std::vector<Control*>{&bar, &box, &dash, &button, &tabs}) c->Enabled(false);

    bar.UserScroll(ScrollAction::LineRight);
    bar.UserKey(kKeyEnd);
    bar.UserThumbDrag(50);
    bar.UserThumbRelease(50);
    box.UserClick();
    dash.UserClick();
    button.UserClick();
    tabs.UserSelect(2);
    EXPECT_EQ(handlers, 0);
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_EQ(box.Value(), kUnchecked);
    EXPECT_FALSE(dash.Value());
    EXPECT_EQ(tabs.SelectedIndex(), 1);

    bar.Value(60);
    box.Value(kChecked);
    dash.Value(true);
    EXPECT_EQ(handlers, 3) << "assignments by the program still run the handlers";
}

// --- Check boxes ---------------------------------------------------------

TEST_F(Controls, CheckBoxClickRunsOnEveryChange) {
    CheckBox& box = controls.Get<CheckBox>("chkA");
    std::vector<Integer> seen;
    box.Click = [&] { seen.push_back(box.Value()); };
    box.Value(kUnchecked);  // unchanged
    box.Value(kChecked);
    box.Value(kChecked);  // unchanged
    box.UserClick();
    box.UserClick();
    EXPECT_EQ(seen, (std::vector<Integer>{1, 0, 1}));
    EXPECT_EQ(ErrorOf([&] { box.Value(2); }), kErrInvalidProperty);
    EXPECT_EQ(ErrorOf([&] { box.Value(-1); }), kErrInvalidProperty);
    EXPECT_EQ(box.Value(), kChecked);
}

// --- Option buttons ------------------------------------------------------

TEST_F(Controls, SelectingAnOptionClearsItsSiblingsWithoutTheirHandlers) {
    std::vector<std::string> clicks;
    for (Integer i = 0; i < 3; ++i)
        controls.Get<OptionButton>("optStyle", i).Click = [&](Integer index) {
            clicks.push_back("optStyle " + std::to_string(index));
        };
    for (Integer i = 0; i < 2; ++i)
        controls.Get<OptionButton>("optOther", i).Click = [&](Integer index) {
            clicks.push_back("optOther " + std::to_string(index));
        };
    auto selected = [&](const char* name, Integer count) {
        std::vector<Integer> on;
        for (Integer i = 0; i < count; ++i)
            if (controls.Get<OptionButton>(name, i).Value()) on.push_back(i);
        return on;
    };

    controls.Get<OptionButton>("optOther", 1).Value(true);
    controls.Get<OptionButton>("optStyle", 0).Value(true);
    controls.Get<OptionButton>("optStyle", 2).UserClick();
    controls.Get<OptionButton>("optStyle", 2).UserClick();  // already selected: nothing
    controls.Get<OptionButton>("optStyle", 1).Value(true);

    EXPECT_EQ(clicks, (std::vector<std::string>{"optOther 1", "optStyle 0", "optStyle 2", "optStyle 1"}));
    EXPECT_EQ(selected("optStyle", 3), (std::vector<Integer>{1}));
    EXPECT_EQ(selected("optOther", 2), (std::vector<Integer>{1})) << "another frame is another group";

    clicks.clear();
    controls.Get<OptionButton>("optStyle", 1).Value(false);
    EXPECT_TRUE(clicks.empty()) << "clearing an option runs nothing";
    EXPECT_TRUE(selected("optStyle", 3).empty());
}

// --- Tab strip, frames, buttons -------------------------------------------

TEST_F(Controls, TabStripReportsTheSelectedTabFromOne) {
    TabStrip& tabs = controls.Get<TabStrip>("tabPages");
    std::vector<Integer> seen;
    tabs.Click = [&] { seen.push_back(tabs.SelectedIndex()); };
    EXPECT_EQ(tabs.SelectedIndex(), 1);
    tabs.UserSelect(2);
    tabs.UserSelect(2);
    tabs.UserSelect(4);  // no such tab
    tabs.UserSelect(0);
    tabs.UserSelect(3);
    tabs.SelectedIndex(1);
    EXPECT_EQ(seen, (std::vector<Integer>{2, 3, 1}));
    EXPECT_EQ(ErrorOf([&] { tabs.SelectedIndex(4); }), kErrInvalidProperty);
}

TEST_F(Controls, ButtonsAndDefaultButton) {
    int ok = 0;
    controls.Get<CommandButton>("cmdOK").Click = [&] { ++ok; };
    ASSERT_NE(controls.DefaultButton(), nullptr);
    EXPECT_EQ(controls.DefaultButton()->Name(), "cmdOK");
    controls.DefaultButton()->UserClick();
    controls.Get<CommandButton>("cmdOther").UserClick();  // no handler bound: nothing happens
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(controls.Find("nothing"), nullptr);
    EXPECT_EQ(controls.Find("optStyle"), nullptr) << "an array element needs its index";
    EXPECT_NE(controls.Find("optStyle", 2), nullptr);
}

// --- Views ---------------------------------------------------------------

TEST_F(Controls, AViewGetsTheWholeStateWhenAttachedAndEveryChangeAfter) {
    struct AttachCase {
        const char* name;
        Integer index;
        std::vector<std::string> expected;
    };
    controls.Get<ScrollBar>("hsbZero").Value(42);
    controls.Get<CheckBox>("chkA").Value(kChecked);
    controls.Get<OptionButton>("optStyle", 1).Value(true);
    controls.Get<Label>("lblA").Caption("Size: 42");
    controls.Get<CommandButton>("cmdOther").Enabled(false);
    const AttachCase cases[] = {
        {"hsbZero", -1, {"caption ", "enabled", "value 42"}},
        {"chkA", -1, {"caption Mirror", "enabled", "value 1"}},
        {"optStyle", 1, {"caption Dash", "enabled", "value 1"}},
        {"optStyle", 0, {"caption Solid", "enabled", "value 0"}},
        {"lblA", -1, {"caption Size: 42", "enabled"}},
        {"cmdOther", -1, {"caption Other", "disabled"}},
        {"tabPages", -1, {"caption ", "enabled", "value 1"}},
    };
    for (const AttachCase& c : cases) {
        SCOPED_TRACE(ControlKey(c.name, c.index));
        ViewLog log;
        controls.Find(c.name, c.index)->Attach(std::make_unique<RecordingView>(log));
        EXPECT_EQ(log.calls, c.expected);
    }

    // Later changes reach the attached views.
    ViewLog bar, dot, dash, frame;
    controls.Get<ScrollBar>("hsbZero").Attach(std::make_unique<RecordingView>(bar));
    controls.Get<OptionButton>("optStyle", 1).Attach(std::make_unique<RecordingView>(dash));
    controls.Get<OptionButton>("optStyle", 2).Attach(std::make_unique<RecordingView>(dot));
    controls.Get<Frame>("fraA").Attach(std::make_unique<RecordingView>(frame));
    controls.Get<ScrollBar>("hsbZero").UserScroll(ScrollAction::PageRight);
    controls.Get<OptionButton>("optStyle", 2).UserClick();
    controls.Get<Frame>("fraA").ZOrder();
    controls.Get<Frame>("fraA").ZOrder(1);
    EXPECT_EQ(bar.value, 47);
    EXPECT_EQ(dash.value, 0);
    EXPECT_EQ(dot.value, 1);
    EXPECT_EQ(frame.calls.back(), "zorder 1");
    EXPECT_EQ(frame.calls[frame.calls.size() - 2], "zorder 0");

    // During a drag the view is not told of a new value until the release.
    bar.calls.clear();
    controls.Get<ScrollBar>("hsbZero").UserThumbDrag(80);
    EXPECT_TRUE(bar.calls.empty());
    controls.Get<ScrollBar>("hsbZero").UserThumbRelease(80);
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"value 80"}));

    // Detached: the control goes on without a view.
    controls.Get<ScrollBar>("hsbZero").Attach(nullptr);
    controls.Get<ScrollBar>("hsbZero").Value(3);
    EXPECT_EQ(bar.value, 80);
}

TEST_F(Controls, AHandlerMaySetOtherControls) {
    // As the ray-width rule does: a scroll bar's handler selects an option
    // and disables the group, and the option's handler runs inside it.
    ScrollBar& bar = controls.Get<ScrollBar>("hsbOne");
    std::vector<std::string> order;
    bar.Change = [&] {
        order.push_back("bar " + std::to_string(bar.Value()));
        if (bar.Value() > 1) controls.Get<OptionButton>("optStyle", 0).Value(true);
        for (Integer i = 0; i < 3; ++i) controls.Get<OptionButton>("optStyle", i).Enabled(bar.Value() == 1);
    };
    controls.Get<OptionButton>("optStyle", 0).Click = [&](Integer index) {
        order.push_back("option " + std::to_string(index));
    };
    bar.UserScroll(ScrollAction::LineRight);
    bar.UserScroll(ScrollAction::LineRight);
    bar.UserScroll(ScrollAction::ToMin);
    EXPECT_EQ(order, (std::vector<std::string>{"bar 2", "option 0", "bar 3", "bar 1"}));
    EXPECT_TRUE(controls.Get<OptionButton>("optStyle", 2).Enabled());
}

}  // namespace
