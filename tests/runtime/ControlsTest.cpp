// The portable control rules every backend shares: when handlers run, what
// the user's actions do, and what a backend's view is shown.
#include <gtest/gtest.h>

#include "tests/support/ErrorNumber.h"

#include <string>
#include <tuple>
#include <vector>

#include "runtime/controls/DialogControls.h"
#include "runtime/base/RuntimeError.h"

using namespace vb;

namespace {

// What a backend's view of a control has been told, in order.
class RecordingView final : public ControlView {
public:
    explicit RecordingView(std::vector<std::string>& calls) : mCalls(calls) {}
    void ShowCaption(const std::string& text) override { mCalls.push_back("caption " + text); }
    void ShowEnabled(bool value) override { mCalls.push_back(value ? "enabled" : "disabled"); }
    void ShowValue(Integer value) override { mCalls.push_back("value " + std::to_string(value)); }
    void ShowZOrder(Integer position) override { mCalls.push_back("zorder " + std::to_string(position)); }

private:
    std::vector<std::string>& mCalls;
};

ControlLayout Of(ControlKind kind, const char* name, const char* container = "", const char* caption = "",
                 Integer index = -1) {
    ControlLayout c;
    c.kind = kind;
    c.name = name;
    c.container = container;
    c.caption = caption;
    c.index = index;
    return c;
}

ControlLayout Bar(const char* name, Integer min) {
    ControlLayout c = Of(ControlKind::HScrollBar, name, "fraA");
    c.min = min;
    c.max = 100;
    c.value = 1;
    c.smallChange = 1;
    c.largeChange = 5;
    return c;
}

DialogLayout TestLayout() {
    ControlLayout tabs = Of(ControlKind::TabStrip, "tabPages");
    tabs.tabs = {"One", "Two", "Three"};
    return DialogLayout{3000, 3000, {
        Of(ControlKind::CommandButton, "cmdOther", "", "Other"),
        tabs,
        Of(ControlKind::Frame, "fraA", "", "A"),
        Bar("hsbZero", 0),
        Bar("hsbOne", 1),
        Of(ControlKind::Label, "lblA", "fraA", "Size"),
        Of(ControlKind::CheckBox, "chkA", "fraA", "Mirror"),
        Of(ControlKind::Frame, "fraStyle", "fraA", "Style"),
        Of(ControlKind::OptionButton, "optStyle", "fraStyle", "Solid", 0),
        Of(ControlKind::OptionButton, "optStyle", "fraStyle", "Dash", 1),
        Of(ControlKind::OptionButton, "optStyle", "fraStyle", "Dot", 2),
        Of(ControlKind::Frame, "fraOther", "fraA"),
        Of(ControlKind::OptionButton, "optOther", "fraOther", "Left", 0),
        Of(ControlKind::OptionButton, "optOther", "fraOther", "Right", 1),
    }};
}

class Controls : public ::testing::Test {
protected:
    DialogControls controls{TestLayout()};
    ScrollBar& bar = controls.Get<ScrollBar>("hsbZero");
    std::vector<Integer> seen;  // the value each handler run saw
};

// Every scroll action is reached through its key; the arrows and the trough
// call the same actions directly.
TEST_F(Controls, ScrollBarStepsStopAtTheEndsAndChangeRunsOncePerMove) {
    struct Case {
        Integer start;
        std::vector<Integer> keys;
        std::vector<Integer> changes;
    };
    const Case cases[] = {
        {3, {kKeyRight, kKeyDown}, {4, 5}},
        {3, {kKeyLeft, kKeyUp, kKeyLeft, kKeyLeft}, {2, 1, 0}},
        {50, {kKeyPageDown, kKeyPageUp, kKeyPageUp}, {55, 50, 45}},
        {97, {kKeyPageDown, kKeyPageDown, kKeyRight}, {100}},
        {3, {kKeyPageUp}, {0}},
        {10, {kKeyEnd, kKeyEnd, kKeyHome}, {100, 0}},
    };
    bar.Change = [&] { seen.push_back(bar.Value()); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        bar.Value(c.start);
        seen.clear();
        for (Integer key : c.keys) EXPECT_TRUE(bar.UserKey(key));
        EXPECT_EQ(seen, c.changes);
    }
    EXPECT_FALSE(bar.UserKey(9)) << "Tab is left to the backend";
    EXPECT_EQ(seen, (std::vector<Integer>{100, 0}));
}

TEST_F(Controls, ProgramAssignmentRunsChangeOnlyForADifferentValueInRange) {
    ScrollBar& one = controls.Get<ScrollBar>("hsbOne");
    one.Change = [&] { seen.push_back(one.Value()); };
    for (Integer value : {1, 37, 37, 100}) one.Value(value);
    for (Integer bad : {0, 101}) EXPECT_EQ(ErrorNumberOf([&] { one.Value(bad); }), kErrInvalidProperty) << bad;
    EXPECT_EQ(one.Value(), 100);
    EXPECT_EQ(seen, (std::vector<Integer>{37, 100}));
}

TEST_F(Controls, DraggedThumbReportsOnceAtRelease) {
    bar.Value(10);
    bar.Change = [&] { seen.push_back(bar.Value()); };
    for (Integer position : {20, 40, 70}) {
        bar.UserThumbDrag(position);
        EXPECT_EQ(bar.ThumbPosition(), position);
        EXPECT_EQ(bar.Value(), 10);
    }
    EXPECT_TRUE(seen.empty()) << "Change ran during the drag";
    bar.UserThumbRelease(70);
    EXPECT_FALSE(bar.Dragging());
    bar.UserThumbDrag(90);
    bar.UserThumbRelease(70);  // back where it started: nothing to report
    bar.UserThumbDrag(500);
    EXPECT_EQ(bar.ThumbPosition(), 100);
    bar.UserThumbRelease(500);
    bar.UserThumbDrag(-3);
    bar.UserThumbRelease(-3);
    EXPECT_EQ(seen, (std::vector<Integer>{70, 100, 0}));
}

TEST_F(Controls, DisabledControlsIgnoreTheUserButNotTheProgram) {
    CheckBox& box = controls.Get<CheckBox>("chkA");
    OptionButton& dash = controls.Get<OptionButton>("optStyle", 1);
    CommandButton& button = controls.Get<CommandButton>("cmdOther");
    TabStrip& tabs = controls.Get<TabStrip>("tabPages");
    int handlers = 0;
    bar.Change = box.Click = button.Click = tabs.Click = [&] { ++handlers; };
    dash.Click = [&](Integer) { ++handlers; };
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
    EXPECT_EQ(tabs.SelectedIndex(), 1);

    bar.Value(60);
    box.Value(kChecked);
    dash.Value(true);
    EXPECT_EQ(handlers, 3) << "assignments by the program still run the handlers";
}

TEST_F(Controls, CheckBoxClickRunsOnEveryChange) {
    CheckBox& box = controls.Get<CheckBox>("chkA");
    box.Click = [&] { seen.push_back(box.Value()); };
    for (Integer value : {kUnchecked, kChecked, kChecked}) box.Value(value);
    box.UserClick();
    box.UserClick();
    EXPECT_EQ(ErrorNumberOf([&] { box.Value(2); }), kErrInvalidProperty);
    EXPECT_EQ(seen, (std::vector<Integer>{1, 0, 1}));
}

TEST_F(Controls, SelectingAnOptionClearsItsFrameWithoutTheirHandlers) {
    std::vector<std::string> clicks;
    auto option = [&](const char* name, Integer i) -> OptionButton& { return controls.Get<OptionButton>(name, i); };
    auto selected = [&](const char* name, Integer count) {
        std::vector<Integer> on;
        for (Integer i = 0; i < count; ++i)
            if (option(name, i).Value()) on.push_back(i);
        return on;
    };
    for (auto [name, count] : {std::pair{"optStyle", 3}, std::pair{"optOther", 2}})
        for (Integer i = 0; i < count; ++i)
            option(name, i).Click = [&, name](Integer index) { clicks.push_back(name + std::to_string(index)); };

    option("optOther", 1).Value(true);
    option("optStyle", 0).Value(true);
    option("optStyle", 2).UserClick();
    option("optStyle", 2).UserClick();
    option("optStyle", 1).Value(true);
    EXPECT_EQ(clicks, (std::vector<std::string>{"optOther1", "optStyle0", "optStyle2", "optStyle1"}));
    EXPECT_EQ(selected("optStyle", 3), (std::vector<Integer>{1}));
    EXPECT_EQ(selected("optOther", 2), (std::vector<Integer>{1})) << "another frame is another group";

    option("optStyle", 1).Value(false);
    EXPECT_EQ(clicks.size(), 4u) << "clearing an option runs nothing";
    EXPECT_TRUE(selected("optStyle", 3).empty());
}

TEST_F(Controls, TabStripReportsTheSelectedTabFromOne) {
    TabStrip& tabs = controls.Get<TabStrip>("tabPages");
    tabs.Click = [&] { seen.push_back(tabs.SelectedIndex()); };
    EXPECT_EQ(tabs.SelectedIndex(), 1);
    for (Integer tab : {2, 2, 4, 0, 3}) tabs.UserSelect(tab);
    tabs.SelectedIndex(1);
    EXPECT_EQ(ErrorNumberOf([&] { tabs.SelectedIndex(4); }), kErrInvalidProperty);
    EXPECT_EQ(seen, (std::vector<Integer>{2, 3, 1}));
}

TEST_F(Controls, AViewGetsTheWholeStateWhenAttachedAndEveryChangeAfter) {
    bar.Value(42);
    controls.Get<CheckBox>("chkA").Value(kChecked);
    controls.Get<OptionButton>("optStyle", 1).Value(true);
    controls.Get<Label>("lblA").Caption("Size: 42");
    controls.Get<CommandButton>("cmdOther").Enabled(false);
    const std::tuple<const char*, Integer, std::vector<std::string>> attached[] = {
        {"hsbZero", -1, {"caption ", "enabled", "value 42"}},
        {"chkA", -1, {"caption Mirror", "enabled", "value 1"}},
        {"optStyle", 1, {"caption Dash", "enabled", "value 1"}},
        {"lblA", -1, {"caption Size: 42", "enabled"}},
        {"cmdOther", -1, {"caption Other", "disabled"}},
        {"tabPages", -1, {"caption ", "enabled", "value 1"}},
    };
    for (const auto& [name, index, expected] : attached) {
        std::vector<std::string> calls;
        controls.Find(name, index)->Attach(std::make_unique<RecordingView>(calls));
        EXPECT_EQ(calls, expected) << name;
        controls.Find(name, index)->Attach(nullptr);
    }

    std::vector<std::string> barCalls, frameCalls;
    bar.Attach(std::make_unique<RecordingView>(barCalls));
    controls.Get<Frame>("fraA").Attach(std::make_unique<RecordingView>(frameCalls));
    barCalls.clear();
    frameCalls.clear();
    bar.UserScroll(ScrollAction::PageRight);
    bar.UserThumbDrag(80);
    bar.UserThumbRelease(80);
    controls.Get<Frame>("fraA").ZOrder();
    controls.Get<Frame>("fraA").ZOrder(1);
    EXPECT_EQ(barCalls, (std::vector<std::string>{"value 47", "value 80"})) << "nothing during the drag";
    EXPECT_EQ(frameCalls, (std::vector<std::string>{"zorder 0", "zorder 1"}));
}

}  // namespace
