// The settings dialog on the headless backend, driven as a user drives it.
#include "windows/frmSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessDialog.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/TestWindow.h"
#include "windows/frmPreview.h"

using vb::HeadlessDialog;
using Side = vb::HeadlessDialog::Side;
using Texts = std::map<std::string, std::string>;
using Styles = std::vector<vb::Integer>;

namespace {

constexpr size_t kParameters = 14;

class SettingsDialog : public ProgramFixture {
protected:
    // Opens the dialog as Main does in settings mode, over a store holding `stored`.
    HeadlessDialog& Open(const Texts& stored = {}) {
        for (const auto& [key, text] : stored) platform.store.values[{"Gyrobloom", "Settings", key}] = text;
        auto dialog = modSubs::frmSettingsInstance();
        dialog->GyrobloomClass(modSubs::gEngineRef());
        dialog->Show();
        return *platform.dialogs.back();
    }
    std::optional<std::string> Stored(const std::string& key) {
        auto it = platform.store.values.find({"Gyrobloom", "Settings", key});
        if (it == platform.store.values.end()) return std::nullopt;
        return it->second;
    }
    clsGyrobloom& Engine() { return modSubs::gEngine(); }

    // True when the action ended the run with status 0.
    static bool Ends(const std::function<void()>& action) {
        try {
            action();
        } catch (const vb::EndOfRun& end) {
            return end.exitCode == 0;
        }
        return false;
    }
    static void ExpectOptions(const HeadlessDialog& dialog, const Styles& selected, bool enabled) {
        EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), selected);
        for (vb::Integer i = 0; i < 4; ++i) EXPECT_EQ(dialog.Enabled("optDrawStyle", i), enabled) << i;
    }
};

TEST_F(SettingsDialog, OpensFromAnEmptyStoreWithTheDefaults) {
    HeadlessDialog& dialog = Open();
    const Texts labels = {{"lblXMaxPercent", "Size: 75"},      {"lblXIncrPercent", "Speed: 100"},
                          {"lblYMaxPercent", "Size: 100"},     {"lblYIncrPercent", "Speed: 100"},
                          {"lblRotation", "Rotation Speed: 100"}, {"lblNumRays", "Number: 3"},
                          {"lblEraseRate", "Length: 5"},       {"lblRayWidth", "Width: 25"},
                          {"lblColorScale", "Color Shift: 95"}};
    for (const auto& [label, caption] : labels) EXPECT_EQ(dialog.Caption(label), caption) << label;
    EXPECT_EQ(dialog.FrontPage(), "fraShapes");
    ExpectOptions(dialog, {0}, false);
    EXPECT_EQ(Engine().DrawStyle(), 0);
    const std::map<std::string, vb::Integer> boxes = {
        {"chkRandomize", 1}, {"chkMirror", 0}, {"chkPulseInOut", 0}, {"chkPulseRotation", 0}};
    for (const auto& [box, value] : boxes) EXPECT_EQ(dialog.Value(box), value) << box;
    EXPECT_TRUE(platform.store.saved.empty());
}

struct OpenCase {
    const char* name;
    Texts stored;
    Texts labels;
    std::map<std::string, vb::Integer> boxes;
    Styles selected;
    bool optionsEnabled;
    vb::Integer drawStyle;
    Texts kept;  // the store keeps these texts until OK or Apply
    friend void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }
};

class SettingsDialogOpens : public SettingsDialog, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(SettingsDialogOpens, ShowsTheStoredValues) {
    const OpenCase& c = GetParam();
    HeadlessDialog& dialog = Open(c.stored);
    for (const auto& [label, caption] : c.labels) EXPECT_EQ(dialog.Caption(label), caption) << label;
    for (const auto& [box, value] : c.boxes) EXPECT_EQ(dialog.Value(box), value) << box;
    ExpectOptions(dialog, c.selected, c.optionsEnabled);
    EXPECT_EQ(Engine().DrawStyle(), c.drawStyle);
    for (const auto& [key, text] : c.kept) EXPECT_EQ(Stored(key), text) << key;
    EXPECT_TRUE(platform.store.saved.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stored, SettingsDialogOpens,
    ::testing::Values(
        OpenCase{"RayWidth1KeepsTheStyle", {{"Ray Width", "1"}, {"Draw Style", "2"}}, {{"lblRayWidth", "Width"}},
                 {}, {2}, true, 2, {}},
        OpenCase{"WideRaysForceSolid", {{"Ray Width", "3"}, {"Draw Style", "1"}}, {{"lblRayWidth", "Width: 3"}},
                 {}, {0}, false, 0, {{"Draw Style", "1"}}},
        OpenCase{"ColorShiftHalfRoundsDownToEven", {{"Color Scale", "2.5"}}, {{"lblColorScale", "Color Shift: 2"}},
                 {}, {0}, false, 0, {{"Color Scale", "2.5"}}},
        OpenCase{"ColorShiftHalfRoundsUpToEven", {{"Color Scale", "3.5"}}, {{"lblColorScale", "Color Shift: 4"}},
                 {}, {0}, false, 0, {}},
        // A bar left at its initial 1 runs no handler and keeps the plain caption.
        OpenCase{"OneKeepsThePlainCaptionZeroShows",
                 {{"Number of Rays", "1"}, {"Color Scale", "1"}, {"Horizontal Size", "0"}, {"Rotation", "0"}},
                 {{"lblNumRays", "Number"}, {"lblColorScale", "Color Shift"}, {"lblXMaxPercent", "Size: 0"},
                  {"lblRotation", "Rotation Speed: 0"}},
                 {}, {0}, false, 0, {}},
        OpenCase{"EffectsFromTheStore", {{"Mirror", "True"}, {"Random", "False"}, {"Pulse In/Out", "True"}}, {},
                 {{"chkMirror", 1}, {"chkRandomize", 0}, {"chkPulseInOut", 1}, {"chkPulseRotation", 0}}, {0},
                 false, 0, {}},
        // Hand-edited values outside the ranges: each bar shows the nearest end,
        // also when that end is where the bar starts, and the engine runs with it.
        OpenCase{"OutOfRangeIsClamped",
                 {{"Number of Rays", "200"}, {"Vertical Size", "-20"}, {"Line Length", "0"}, {"Ray Width", "0"},
                  {"Draw Style", "7"}},
                 {{"lblNumRays", "Number: 100"}, {"lblYMaxPercent", "Size: 0"}, {"lblEraseRate", "Length: 1"},
                  {"lblRayWidth", "Width: 1"}},
                 {}, {0}, true, 0, {{"Number of Rays", "200"}, {"Line Length", "0"}, {"Draw Style", "7"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, BindsThePreviewAndUnloadsTheWindowTheEngineDrewOnBefore) {
    auto earlier = std::make_shared<TestWindow>(platform, 640, 480);
    Engine().Screen(earlier);
    Open();
    EXPECT_FALSE(earlier->IsLoaded());
    EXPECT_EQ(Engine().Screen(), modSubs::frmPreviewInstance());
    EXPECT_TRUE(modSubs::frmPreviewInstance()->IsLoaded());
}

// Five bars reach 0, four stop at 1, all reach 100; OK then stores what they show.
TEST_F(SettingsDialog, ScrollBarsSpanTheirRangesAndOkStoresWhatIsShown) {
    struct Bar {
        vb::Integer tab;
        const char* name;  // without "hsb" and "lbl"
        const char* prefix;
        int min;
        const char* key;
    };
    const Bar bars[] = {
        {1, "XMaxPercent", "Size: ", 0, "Horizontal Size"},   {1, "XIncrPercent", "Speed: ", 0, "Horizontal Speed"},
        {1, "YMaxPercent", "Size: ", 0, "Vertical Size"},     {1, "YIncrPercent", "Speed: ", 0, "Vertical Speed"},
        {1, "Rotation", "Rotation Speed: ", 0, "Rotation"},  {2, "NumRays", "Number: ", 1, "Number of Rays"},
        {2, "EraseRate", "Length: ", 1, "Line Length"},       {2, "RayWidth", "Width: ", 1, "Ray Width"},
        {3, "ColorScale", "Color Shift: ", 1, "Color Scale"},
    };
    HeadlessDialog& dialog = Open();
    Texts expected = {{"Mirror", "False"}, {"Random", "True"}, {"Pulse Rotation", "True"},
                      {"Pulse In/Out", "False"}, {"Draw Style", "3"}};
    for (const Bar& b : bars) {
        SCOPED_TRACE(b.name);
        const std::string bar = std::string("hsb") + b.name, label = std::string("lbl") + b.name;
        dialog.ClickTab("TabStrip1", b.tab);
        dialog.PressKey(bar, vb::kKeyEnd);
        EXPECT_EQ(dialog.Caption(label), b.prefix + std::string("100"));
        Engine().ResetMe(false);
        dialog.DragThumb(bar, -50);
        dialog.ReleaseThumb(bar);
        dialog.ClickArrow(bar, Side::Left);
        EXPECT_EQ(dialog.Caption(label), b.prefix + std::to_string(b.min));
        EXPECT_TRUE(Engine().ResetMe()) << "the animation restarts";
        expected[b.key] = std::to_string(b.min);
    }
    dialog.Click("chkPulseRotation");
    dialog.ClickTab("TabStrip1", 2);
    dialog.Click("optDrawStyle", 3);
    EXPECT_TRUE(platform.store.saved.empty());

    EXPECT_TRUE(Ends([&] { dialog.Click("Command1"); }));
    EXPECT_EQ(platform.store.saved.size(), kParameters);
    for (const auto& [key, text] : expected) EXPECT_EQ(Stored(key), text) << key;
}

TEST_F(SettingsDialog, RayWidthGovernsTheStyleOptions) {
    HeadlessDialog& dialog = Open({{"Ray Width", "1"}, {"Draw Style", "1"}});
    dialog.ClickTab("TabStrip1", 2);
    Engine().ResetMe(false);
    dialog.ClickArrow("hsbRayWidth", Side::Right);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 2");
    ExpectOptions(dialog, {0}, false);
    EXPECT_EQ(Engine().DrawStyle(), 0);
    EXPECT_TRUE(Engine().ResetMe());

    // Set behind the dialog's back: a second run of the "Solid" handler would reset it.
    Engine().DrawStyle(2);
    dialog.ClickArrow("hsbRayWidth", Side::Right);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 3");
    ExpectOptions(dialog, {0}, false);
    dialog.ClickArrow("hsbRayWidth", Side::Left);
    dialog.ClickArrow("hsbRayWidth", Side::Left);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 1");
    ExpectOptions(dialog, {0}, true);
    EXPECT_EQ(Engine().DrawStyle(), 2);

    Engine().ResetMe(false);
    dialog.Click("optDrawStyle", 3);
    ExpectOptions(dialog, {3}, true);
    EXPECT_EQ(Engine().DrawStyle(), 3);
    EXPECT_FALSE(Engine().ResetMe()) << "a style asks for no restart";
}

TEST_F(SettingsDialog, CheckBoxesSetTheirEffectAndRestartTheAnimation) {
    const std::pair<const char*, std::function<bool(const clsGyrobloom&)>> boxes[] = {
        {"chkMirror", [](const clsGyrobloom& e) { return e.Mirror(); }},
        {"chkPulseInOut", [](const clsGyrobloom& e) { return e.PulseInOut(); }},
        {"chkPulseRotation", [](const clsGyrobloom& e) { return e.PulseRotation(); }},
        {"chkRandomize", [](const clsGyrobloom& e) { return e.Random(); }},
    };
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 3);
    for (const auto& [box, property] : boxes) {
        SCOPED_TRACE(box);
        for (int click = 0; click < 2; ++click) {
            const bool before = property(Engine());
            Engine().ResetMe(false);
            dialog.Click(box);
            EXPECT_EQ(property(Engine()), !before);
            EXPECT_EQ(dialog.Value(box), before ? 0 : 1);
            EXPECT_TRUE(Engine().ResetMe());
        }
    }
    EXPECT_TRUE(platform.store.saved.empty());
}

TEST_F(SettingsDialog, TabsBringTheirPagesToTheFront) {
    HeadlessDialog& dialog = Open();
    const std::pair<vb::Integer, const char*> turns[] = {{2, "fraRays"}, {3, "fraEffects"}, {1, "fraShapes"}};
    for (const auto& [tab, page] : turns) {
        dialog.ClickTab("TabStrip1", tab);
        EXPECT_EQ(dialog.FrontPage(), page);
    }
}

TEST_F(SettingsDialog, ButtonsEnterAndTheCloseBox) {
    struct Way {
        const char* name;
        std::function<void(HeadlessDialog&)> act;
        bool ends;
        bool stores;
    };
    const Way ways[] = {
        {"OK", [](HeadlessDialog& d) { d.Click("Command1"); }, true, true},
        {"Enter", [](HeadlessDialog& d) { d.PressEnter(); }, true, true},
        {"Cancel", [](HeadlessDialog& d) { d.Click("Command2"); }, true, false},
        {"close box", [](HeadlessDialog& d) { d.ClickCloseBox(); }, true, false},
        {"Apply", [](HeadlessDialog& d) { d.Click("Command3"); }, false, true},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        modSubs::ResetProgram();
        platform.store.values.clear();
        platform.store.saved.clear();
        HeadlessDialog& dialog = Open();
        dialog.ClickTab("TabStrip1", 2);
        dialog.ClickArrow("hsbNumRays", Side::Right);
        EXPECT_EQ(Ends([&] { way.act(dialog); }), way.ends);
        EXPECT_EQ(modSubs::frmPreviewInstance()->IsLoaded(), !way.ends);
        EXPECT_EQ(platform.store.saved.size(), way.stores ? kParameters : 0);
        if (way.stores) {
            EXPECT_EQ(Stored("Number of Rays"), "4");
        }
    }
}

TEST_F(SettingsDialog, CancelAfterApplyKeepsOnlyTheAppliedValues) {
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 2);
    dialog.ClickArrow("hsbNumRays", Side::Right);
    dialog.Click("Command3");
    dialog.ClickArrow("hsbNumRays", Side::Right);
    dialog.ClickArrow("hsbEraseRate", Side::Left);
    EXPECT_TRUE(Ends([&] { dialog.Click("Command2"); }));
    EXPECT_EQ(platform.store.saved.size(), kParameters);
    EXPECT_EQ(Stored("Number of Rays"), "4");
    EXPECT_EQ(Stored("Line Length"), "5");
}

TEST_F(SettingsDialog, MainRunsThePreviewBehindTheDialogUntilCancel) {
    platform.command = "/c";
    platform.At(5, [&] {
        ASSERT_EQ(platform.windows.size(), 2u);
        const vb::HeadlessWindow& preview = *platform.windows[1];
        EXPECT_EQ(preview.spec.caption, "Preview");
        EXPECT_TRUE(preview.zOrderBack);
        EXPECT_FALSE(preview.Lines().empty()) << "the animation draws on the preview";
        EXPECT_EQ(Engine().ScreenScale(), 0.33f);
        platform.dialogs.at(0)->Click("Command2");
        ADD_FAILURE() << "Cancel returned";
    });
    EXPECT_EQ(RunMain(100), 0);
    EXPECT_EQ(platform.doEventsCalls, 5) << "the run ended inside the yield that ran Cancel";
    EXPECT_TRUE(platform.store.saved.empty());
}

}  // namespace
