// The settings dialog on the headless backend, driven the way a user drives
// it: what it shows when it opens, what each control does to the running
// engine, and what OK, Apply, Cancel and the close box store and end.
#include "windows/frmSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "runtime/ControlsScrollBar.h"
#include "runtime/headless/HeadlessDialog.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/TestWindow.h"
#include "windows/frmPreview.h"

using vb::HeadlessDialog;
using Side = vb::HeadlessDialog::Side;

namespace {

constexpr int kParameters = 14;

const std::vector<std::string> kLabels = {"lblXMaxPercent", "lblXIncrPercent", "lblYMaxPercent",
                                          "lblYIncrPercent", "lblRotation",     "lblNumRays",
                                          "lblEraseRate",   "lblRayWidth",     "lblColorScale"};

class SettingsDialog : public ProgramFixture {
protected:
    void Store(const std::string& key, const std::string& text) {
        platform.store.values[{"Gyrobloom", "Settings", key}] = text;
    }
    std::optional<std::string> Stored(const std::string& key) {
        auto it = platform.store.values.find({"Gyrobloom", "Settings", key});
        if (it == platform.store.values.end()) return std::nullopt;
        return it->second;
    }

    // Opens the dialog as Main does in settings mode.
    HeadlessDialog& Open() {
        auto dialog = modSubs::frmSettingsInstance();
        dialog->GyrobloomClass(modSubs::gEngineRef());
        dialog->Show();
        EXPECT_EQ(platform.dialogs.size(), 1u);
        return *platform.dialogs.back();
    }

    clsGyrobloom& Engine() { return modSubs::gEngine(); }

    // Runs the action; true when it ended the run (End was called).
    bool Ends(const std::function<void()>& action) {
        try {
            action();
        } catch (const vb::EndOfRun& end) {
            EXPECT_EQ(end.exitCode, 0);
            return true;
        }
        return false;
    }

    // Every label's caption, by control name.
    std::map<std::string, std::string> Labels(const HeadlessDialog& dialog) {
        std::map<std::string, std::string> captions;
        for (const std::string& label : kLabels) captions[label] = dialog.Caption(label);
        return captions;
    }
};

// --- Opening ---------------------------------------------------------------

TEST_F(SettingsDialog, OpensFromAnEmptyStoreWithTheDefaults) {
    HeadlessDialog& dialog = Open();

    EXPECT_EQ(dialog.Spec().caption, "Screen Saver Properties");
    EXPECT_EQ(Labels(dialog), (std::map<std::string, std::string>{{"lblXMaxPercent", "Size: 75"},
                                                                   {"lblXIncrPercent", "Speed: 100"},
                                                                   {"lblYMaxPercent", "Size: 100"},
                                                                   {"lblYIncrPercent", "Speed: 100"},
                                                                   {"lblRotation", "Rotation Speed: 100"},
                                                                   {"lblNumRays", "Number: 3"},
                                                                   {"lblEraseRate", "Length: 5"},
                                                                   {"lblRayWidth", "Width: 25"},
                                                                   {"lblColorScale", "Color Shift: 95"}}));
    const std::map<std::string, int> positions = {{"hsbXMaxPercent", 75}, {"hsbXIncrPercent", 100},
                                                  {"hsbYMaxPercent", 100}, {"hsbYIncrPercent", 100},
                                                  {"hsbRotation", 100},    {"hsbNumRays", 3},
                                                  {"hsbEraseRate", 5},     {"hsbRayWidth", 25},
                                                  {"hsbColorScale", 95}};
    for (const auto& [bar, position] : positions) EXPECT_EQ(dialog.Value(bar), position) << bar;

    EXPECT_EQ(dialog.FrontPage(), "fraShapes");
    EXPECT_EQ(dialog.Value("TabStrip1"), 1);
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{0}));
    for (vb::Integer i = 0; i < 4; ++i) EXPECT_FALSE(dialog.Enabled("optDrawStyle", i)) << i;
    EXPECT_EQ(dialog.Value("chkRandomize"), 1);
    EXPECT_EQ(dialog.Value("chkMirror"), 0);
    EXPECT_EQ(dialog.Value("chkPulseInOut"), 0);
    EXPECT_EQ(dialog.Value("chkPulseRotation"), 0);

    // The preview is bound and shows the animation's window, behind the dialog.
    auto preview = modSubs::frmPreviewInstance();
    EXPECT_EQ(Engine().Screen(), preview);
    EXPECT_TRUE(preview->IsLoaded());
    EXPECT_EQ(Engine().ScreenScale(), 0.33f);
    EXPECT_EQ(Engine().DrawStyle(), 0);
    EXPECT_TRUE(platform.store.saved.empty()) << "opening stores nothing";
}

struct OpenCase {
    const char* name;
    std::map<std::string, std::string> stored;
    std::map<std::string, std::string> labels;  // the labels this case is about
    std::vector<vb::Integer> selected;          // the selected style option
    bool optionsEnabled;
    std::function<void(const clsGyrobloom&)> engine;
    std::map<std::string, std::string> storeAfterOpening;  // the store keeps these texts
};

class SettingsDialogOpens : public SettingsDialog, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(SettingsDialogOpens, ShowsTheStoredValuesInRange) {
    const OpenCase& c = GetParam();
    for (const auto& [key, text] : c.stored) Store(key, text);
    HeadlessDialog& dialog = Open();
    for (const auto& [label, caption] : c.labels) EXPECT_EQ(dialog.Caption(label), caption) << label;
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), c.selected);
    for (vb::Integer i = 0; i < 4; ++i) EXPECT_EQ(dialog.Enabled("optDrawStyle", i), c.optionsEnabled) << i;
    if (c.engine) c.engine(Engine());
    for (const auto& [key, text] : c.storeAfterOpening) EXPECT_EQ(Stored(key), text) << key;
    EXPECT_TRUE(platform.store.saved.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stored, SettingsDialogOpens,
    ::testing::Values(
        OpenCase{"RayWidth1KeepsTheStyle",
                 {{"Ray Width", "1"}, {"Draw Style", "2"}},
                 {{"lblRayWidth", "Width"}},
                 {2},
                 true,
                 [](const clsGyrobloom& e) {
                     EXPECT_EQ(e.DrawStyle(), 2);
                     EXPECT_EQ(e.RayWidth(), 1);
                 },
                 {}},
        OpenCase{"WideRaysForceSolid",
                 {{"Ray Width", "3"}, {"Draw Style", "1"}},
                 {{"lblRayWidth", "Width: 3"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.DrawStyle(), 0); },
                 {{"Draw Style", "1"}}},
        OpenCase{"ColorShiftHalfRoundsDownToEven",
                 {{"Color Scale", "2.5"}},
                 {{"lblColorScale", "Color Shift: 2"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.ColorShift(), 2.0f); },
                 {{"Color Scale", "2.5"}}},
        OpenCase{"ColorShiftHalfRoundsUpToEven",
                 {{"Color Scale", "3.5"}},
                 {{"lblColorScale", "Color Shift: 4"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.ColorShift(), 4.0f); },
                 {}},
        OpenCase{"ParametersAtOneKeepTheirPlainCaptions",
                 {{"Number of Rays", "1"}, {"Line Length", "1"}, {"Horizontal Size", "1"}, {"Color Scale", "1"}},
                 {{"lblNumRays", "Number"}, {"lblEraseRate", "Length"}, {"lblXMaxPercent", "Size"},
                  {"lblColorScale", "Color Shift"}, {"lblYMaxPercent", "Size: 100"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) {
                     EXPECT_EQ(e.NumRays(), 1);
                     EXPECT_EQ(e.TrailLength(), 1);
                 },
                 {}},
        OpenCase{"ParametersAtZero",
                 {{"Horizontal Size", "0"}, {"Rotation", "0"}, {"Vertical Speed", "0"}},
                 {{"lblXMaxPercent", "Size: 0"}, {"lblRotation", "Rotation Speed: 0"}, {"lblYIncrPercent", "Speed: 0"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) {
                     EXPECT_EQ(e.XMaxPercent(), 0.0f);
                     EXPECT_EQ(e.RotationSpeed(), 0.0f);
                 },
                 {}},
        OpenCase{"EffectsFromTheStore",
                 {{"Mirror", "True"}, {"Random", "False"}, {"Pulse In/Out", "True"}},
                 {},
                 {0},
                 false,
                 [](const clsGyrobloom& e) {
                     EXPECT_TRUE(e.Mirror());
                     EXPECT_FALSE(e.Random());
                     EXPECT_TRUE(e.PulseInOut());
                     EXPECT_FALSE(e.PulseRotation());
                 },
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Values the program never stores, but a hand-edited store can hold: each
// control shows the nearest value it can take, the engine runs with that
// value, and the store keeps its text until OK or Apply.
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, SettingsDialogOpens,
    ::testing::Values(
        OpenCase{"TooManyRays",
                 {{"Number of Rays", "200"}},
                 {{"lblNumRays", "Number: 100"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.NumRays(), 100); },
                 {{"Number of Rays", "200"}}},
        OpenCase{"NoRaysLoadsTheDefault",
                 {{"Number of Rays", "0"}},
                 {{"lblNumRays", "Number: 3"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.NumRays(), 3); },
                 {{"Number of Rays", "0"}}},
        OpenCase{"NoTrailShowsTheShortest",
                 {{"Line Length", "0"}},
                 {{"lblEraseRate", "Length: 1"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.TrailLength(), 1); },
                 {{"Line Length", "0"}}},
        OpenCase{"ZeroWidthIsThinnest",
                 {{"Ray Width", "0"}, {"Draw Style", "3"}},
                 {{"lblRayWidth", "Width: 1"}},
                 {3},
                 true,
                 [](const clsGyrobloom& e) {
                     EXPECT_EQ(e.RayWidth(), 1);
                     EXPECT_EQ(e.DrawStyle(), 3);
                 },
                 {{"Ray Width", "0"}}},
        OpenCase{"SizesAboveAndBelow",
                 {{"Horizontal Size", "150"}, {"Vertical Size", "-20"}, {"Rotation", "250"},
                  {"Horizontal Speed", "30000"}, {"Color Scale", "1000"}, {"Ray Width", "500"}},
                 {{"lblXMaxPercent", "Size: 100"}, {"lblYMaxPercent", "Size: 0"},
                  {"lblRotation", "Rotation Speed: 100"}, {"lblXIncrPercent", "Speed: 100"},
                  {"lblColorScale", "Color Shift: 100"}, {"lblRayWidth", "Width: 100"}},
                 {0},
                 false,
                 [](const clsGyrobloom& e) {
                     EXPECT_EQ(e.XMaxPercent(), 100.0f);
                     EXPECT_EQ(e.YMaxPercent(), 0.0f);
                     EXPECT_EQ(e.RotationSpeed(), 100.0f);
                     EXPECT_EQ(e.XIncrPercent(), 100.0f);
                     EXPECT_EQ(e.ColorShift(), 100.0f);
                     EXPECT_EQ(e.RayWidth(), 100);
                 },
                 {{"Horizontal Size", "150"}, {"Color Scale", "1000"}}},
        OpenCase{"UnknownStyleSelectsSolid",
                 {{"Ray Width", "1"}, {"Draw Style", "7"}},
                 {{"lblRayWidth", "Width"}},
                 {0},
                 true,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.DrawStyle(), 0); },
                 {{"Draw Style", "7"}}},
        OpenCase{"NegativeStyleSelectsSolid",
                 {{"Ray Width", "1"}, {"Draw Style", "-1"}},
                 {},
                 {0},
                 true,
                 [](const clsGyrobloom& e) { EXPECT_EQ(e.DrawStyle(), 0); },
                 {{"Draw Style", "-1"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, UnloadsTheWindowTheEngineDrewOnBefore) {
    auto earlier = std::make_shared<TestWindow>(platform, 640, 480);
    Engine().Screen(earlier);
    ASSERT_TRUE(earlier->IsLoaded());
    Open();
    EXPECT_FALSE(earlier->IsLoaded());
    EXPECT_EQ(Engine().Screen(), modSubs::frmPreviewInstance());
}

// --- Scroll bars -------------------------------------------------------------

TEST_F(SettingsDialog, ArrowTroughAndKeysChangeTheEngineAndTheLabel) {
    struct StepCase {
        vb::Integer tab;
        const char* bar;
        std::function<void(HeadlessDialog&)> act;
        const char* label;
        const char* caption;
        std::function<double(const clsGyrobloom&)> property;
        double value;
    };
    const StepCase cases[] = {
        {2, "hsbNumRays", [](HeadlessDialog& d) { d.ClickArrow("hsbNumRays", Side::Right); }, "lblNumRays",
         "Number: 4", [](const clsGyrobloom& e) { return e.NumRays(); }, 4},
        {3, "hsbColorScale", [](HeadlessDialog& d) { d.ClickTrough("hsbColorScale", Side::Right); },
         "lblColorScale", "Color Shift: 100", [](const clsGyrobloom& e) { return e.ColorShift(); }, 100},
        {1, "hsbXMaxPercent", [](HeadlessDialog& d) { d.ClickTrough("hsbXMaxPercent", Side::Left); },
         "lblXMaxPercent", "Size: 70", [](const clsGyrobloom& e) { return e.XMaxPercent(); }, 70},
        {1, "hsbXIncrPercent", [](HeadlessDialog& d) { d.ClickArrow("hsbXIncrPercent", Side::Left); },
         "lblXIncrPercent", "Speed: 99", [](const clsGyrobloom& e) { return e.XIncrPercent(); }, 99},
        {1, "hsbYMaxPercent", [](HeadlessDialog& d) { d.PressKey("hsbYMaxPercent", vb::kKeyPageUp); },
         "lblYMaxPercent", "Size: 95", [](const clsGyrobloom& e) { return e.YMaxPercent(); }, 95},
        {1, "hsbYIncrPercent", [](HeadlessDialog& d) { d.PressKey("hsbYIncrPercent", vb::kKeyLeft); },
         "lblYIncrPercent", "Speed: 99", [](const clsGyrobloom& e) { return e.YIncrPercent(); }, 99},
        {1, "hsbRotation", [](HeadlessDialog& d) { d.PressKey("hsbRotation", vb::kKeyHome); }, "lblRotation",
         "Rotation Speed: 0", [](const clsGyrobloom& e) { return e.RotationSpeed(); }, 0},
        {2, "hsbEraseRate", [](HeadlessDialog& d) { d.PressKey("hsbEraseRate", vb::kKeyPageDown); },
         "lblEraseRate", "Length: 10", [](const clsGyrobloom& e) { return e.TrailLength(); }, 10},
        {2, "hsbRayWidth", [](HeadlessDialog& d) { d.PressKey("hsbRayWidth", vb::kKeyRight); }, "lblRayWidth",
         "Width: 26", [](const clsGyrobloom& e) { return e.RayWidth(); }, 26},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.bar);
        modSubs::ResetProgram();
        HeadlessDialog& dialog = Open();
        dialog.ClickTab("TabStrip1", c.tab);
        Engine().ResetMe(false);
        c.act(dialog);
        EXPECT_EQ(dialog.Caption(c.label), c.caption);
        EXPECT_EQ(c.property(Engine()), c.value);
        EXPECT_TRUE(Engine().ResetMe()) << "the animation restarts";
        EXPECT_TRUE(platform.store.saved.empty());
    }
}

TEST_F(SettingsDialog, DraggingAThumbChangesNothingUntilItIsReleased) {
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 2);
    Engine().ResetMe(false);
    for (vb::Integer position : {vb::Integer(20), vb::Integer(45), vb::Integer(60)}) {
        dialog.DragThumb("hsbNumRays", position);
        EXPECT_EQ(dialog.ThumbPosition("hsbNumRays"), position);
        EXPECT_EQ(dialog.Caption("lblNumRays"), "Number: 3");
        EXPECT_EQ(Engine().NumRays(), 3);
        EXPECT_FALSE(Engine().ResetMe());
    }
    dialog.ReleaseThumb("hsbNumRays");
    EXPECT_EQ(dialog.Caption("lblNumRays"), "Number: 60");
    EXPECT_EQ(dialog.Value("hsbNumRays"), 60);
    EXPECT_EQ(Engine().NumRays(), 60);
    EXPECT_TRUE(Engine().ResetMe());
}

// Five scroll bars reach 0, the other four stop at 1; all end at 100.
TEST_F(SettingsDialog, ScrollBarsReachTheEndsOfTheirRanges) {
    struct EndCase {
        vb::Integer tab;
        const char* bar;
        const char* label;
        const char* prefix;
        int min;
        std::function<double(const clsGyrobloom&)> property;
    };
    const EndCase cases[] = {
        {1, "hsbRotation", "lblRotation", "Rotation Speed: ", 0, [](auto& e) { return e.RotationSpeed(); }},
        {1, "hsbXMaxPercent", "lblXMaxPercent", "Size: ", 0, [](auto& e) { return e.XMaxPercent(); }},
        {1, "hsbXIncrPercent", "lblXIncrPercent", "Speed: ", 0, [](auto& e) { return e.XIncrPercent(); }},
        {1, "hsbYMaxPercent", "lblYMaxPercent", "Size: ", 0, [](auto& e) { return e.YMaxPercent(); }},
        {1, "hsbYIncrPercent", "lblYIncrPercent", "Speed: ", 0, [](auto& e) { return e.YIncrPercent(); }},
        {2, "hsbNumRays", "lblNumRays", "Number: ", 1, [](auto& e) { return e.NumRays(); }},
        {2, "hsbEraseRate", "lblEraseRate", "Length: ", 1, [](auto& e) { return e.TrailLength(); }},
        {2, "hsbRayWidth", "lblRayWidth", "Width: ", 1, [](auto& e) { return e.RayWidth(); }},
        {3, "hsbColorScale", "lblColorScale", "Color Shift: ", 1, [](auto& e) { return e.ColorShift(); }},
    };
    HeadlessDialog& dialog = Open();
    for (const EndCase& c : cases) {
        SCOPED_TRACE(c.bar);
        dialog.ClickTab("TabStrip1", c.tab);
        dialog.DragThumb(c.bar, -50);
        dialog.ReleaseThumb(c.bar);
        for (int i = 0; i < 3; ++i) dialog.ClickArrow(c.bar, Side::Left);
        EXPECT_EQ(dialog.Value(c.bar), c.min);
        EXPECT_EQ(dialog.Caption(c.label), c.prefix + std::to_string(c.min));
        EXPECT_EQ(c.property(Engine()), c.min);

        dialog.PressKey(c.bar, vb::kKeyEnd);
        dialog.ClickTrough(c.bar, Side::Right);
        EXPECT_EQ(dialog.Caption(c.label), c.prefix + std::string("100"));
        EXPECT_EQ(c.property(Engine()), 100);
    }
}

// --- The ray-width rule --------------------------------------------------------

TEST_F(SettingsDialog, RayWidthGovernsTheStyleOptions) {
    Store("Ray Width", "1");
    Store("Draw Style", "1");
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 2);
    ASSERT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{1}));

    // 1 to 2: "Solid" is selected, the options are disabled.
    Engine().ResetMe(false);
    dialog.ClickArrow("hsbRayWidth", Side::Right);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 2");
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{0}));
    EXPECT_EQ(Engine().DrawStyle(), 0);
    for (vb::Integer i = 0; i < 4; ++i) EXPECT_FALSE(dialog.Enabled("optDrawStyle", i));
    EXPECT_TRUE(Engine().ResetMe());

    // A disabled option cannot be chosen.
    dialog.Click("optDrawStyle", 2);
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{0}));
    EXPECT_EQ(Engine().DrawStyle(), 0);

    // 2 to 3: "Solid" is already selected, so no option handler runs (it
    // would put DrawStyle back to 0).
    Engine().DrawStyle(2);
    dialog.ClickArrow("hsbRayWidth", Side::Right);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 3");
    EXPECT_EQ(Engine().DrawStyle(), 2);
    for (vb::Integer i = 0; i < 4; ++i) EXPECT_FALSE(dialog.Enabled("optDrawStyle", i));

    // Back to 1: the options are enabled again and "Solid" stays.
    Engine().DrawStyle(0);
    dialog.ClickArrow("hsbRayWidth", Side::Left);
    dialog.ClickArrow("hsbRayWidth", Side::Left);
    EXPECT_EQ(dialog.Caption("lblRayWidth"), "Width: 1");
    for (vb::Integer i = 0; i < 4; ++i) EXPECT_TRUE(dialog.Enabled("optDrawStyle", i));
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{0}));
    EXPECT_EQ(Engine().DrawStyle(), 0);

    // Now a style can be chosen; it asks for no restart.
    Engine().ResetMe(false);
    dialog.Click("optDrawStyle", 3);
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{3}));
    EXPECT_EQ(Engine().DrawStyle(), 3);
    EXPECT_FALSE(Engine().ResetMe());
    dialog.PressKey("optDrawStyle", 32, 1);  // Space on "Dash"
    EXPECT_EQ(Engine().DrawStyle(), 1);
}

// --- Check boxes -------------------------------------------------------------

TEST_F(SettingsDialog, CheckBoxesSetTheirEffectAndRestartTheAnimation) {
    struct BoxCase {
        const char* box;
        std::function<bool(const clsGyrobloom&)> property;
        bool initially;
    };
    const BoxCase cases[] = {
        {"chkMirror", [](const clsGyrobloom& e) { return e.Mirror(); }, false},
        {"chkPulseInOut", [](const clsGyrobloom& e) { return e.PulseInOut(); }, false},
        {"chkPulseRotation", [](const clsGyrobloom& e) { return e.PulseRotation(); }, false},
        {"chkRandomize", [](const clsGyrobloom& e) { return e.Random(); }, true},
    };
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 3);
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.box);
        ASSERT_EQ(c.property(Engine()), c.initially);
        Engine().ResetMe(false);
        dialog.Click(c.box);
        EXPECT_EQ(c.property(Engine()), !c.initially);
        EXPECT_EQ(dialog.Value(c.box), c.initially ? 0 : 1);
        EXPECT_TRUE(Engine().ResetMe());

        Engine().ResetMe(false);
        dialog.PressKey(c.box, 32);  // Space
        EXPECT_EQ(c.property(Engine()), c.initially);
        EXPECT_TRUE(Engine().ResetMe());
    }
    EXPECT_TRUE(platform.store.saved.empty());
}

// --- Pages -------------------------------------------------------------------

TEST_F(SettingsDialog, TabsTurnThePagesAndValuesSurvive) {
    Store("Ray Width", "1");
    Store("Draw Style", "2");
    HeadlessDialog& dialog = Open();
    const std::pair<vb::Integer, const char*> turns[] = {{2, "fraRays"}, {3, "fraEffects"}, {1, "fraShapes"},
                                                         {3, "fraEffects"}, {2, "fraRays"}};
    for (auto [tab, page] : turns) {
        dialog.ClickTab("TabStrip1", tab);
        EXPECT_EQ(dialog.FrontPage(), page);
        EXPECT_EQ(dialog.Value("TabStrip1"), tab);
    }
    dialog.ClickArrow("hsbNumRays", Side::Right);
    dialog.ClickTab("TabStrip1", 1);
    dialog.ClickTab("TabStrip1", 2);
    EXPECT_EQ(dialog.Caption("lblNumRays"), "Number: 4");
    EXPECT_EQ(dialog.SelectedOptions("optDrawStyle"), (std::vector<vb::Integer>{2}));

    // The controls of a page behind are out of reach.
    EXPECT_THROW(dialog.Click("chkMirror"), std::logic_error);
}

// --- OK, Apply, Cancel, the close box ------------------------------------------------

TEST_F(SettingsDialog, CancelAndTheCloseBoxStoreNothingAndEndTheRun) {
    const std::pair<const char*, std::function<void(HeadlessDialog&)>> ways[] = {
        {"Cancel", [](HeadlessDialog& d) { d.Click("Command2"); }},
        {"close box", [](HeadlessDialog& d) { d.ClickCloseBox(); }},
        {"changes, then Cancel",
         [](HeadlessDialog& d) {
             d.ClickTrough("hsbXMaxPercent", Side::Right);
             d.ClickTab("TabStrip1", 3);
             d.Click("chkMirror");
             d.Click("Command2");
         }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        modSubs::ResetProgram();
        platform.store.saved.clear();
        HeadlessDialog& dialog = Open();
        EXPECT_TRUE(Ends([&] { close(dialog); }));
        EXPECT_TRUE(platform.store.saved.empty());
        EXPECT_FALSE(modSubs::frmPreviewInstance()->IsLoaded()) << "the preview is unloaded";
        EXPECT_EQ(platform.endedWith, 0);
    }
}

TEST_F(SettingsDialog, OkStoresTheValuesShownAndEndsTheRun) {
    for (bool byEnter : {false, true}) {
        SCOPED_TRACE(byEnter ? "Enter" : "OK");
        modSubs::ResetProgram();
        platform.store.values.clear();
        platform.store.saved.clear();
        HeadlessDialog& dialog = Open();
        dialog.ClickArrow("hsbXMaxPercent", Side::Right);  // 76
        dialog.ClickTab("TabStrip1", 2);
        dialog.ClickArrow("hsbNumRays", Side::Right);  // 4
        dialog.DragThumb("hsbRayWidth", 1);
        dialog.ReleaseThumb("hsbRayWidth");
        dialog.Click("optDrawStyle", 3);
        dialog.ClickTab("TabStrip1", 3);
        dialog.ClickTrough("hsbColorScale", Side::Left);  // 90
        dialog.Click("chkPulseRotation");
        dialog.Click("chkRandomize");

        EXPECT_TRUE(Ends([&] { byEnter ? dialog.PressEnter() : dialog.Click("Command1"); }));
        EXPECT_EQ(platform.store.saved.size(), size_t(kParameters));
        const std::map<std::string, std::string> expected = {
            {"Horizontal Size", "76"}, {"Horizontal Speed", "100"}, {"Vertical Size", "100"},
            {"Vertical Speed", "100"}, {"Line Length", "5"},        {"Number of Rays", "4"},
            {"Rotation", "100"},       {"Mirror", "False"},         {"Random", "False"},
            {"Pulse Rotation", "True"}, {"Pulse In/Out", "False"},  {"Ray Width", "1"},
            {"Draw Style", "3"},       {"Color Scale", "90"}};
        for (const auto& [key, text] : expected) EXPECT_EQ(Stored(key), text) << key;
        EXPECT_FALSE(modSubs::frmPreviewInstance()->IsLoaded());
    }
}

TEST_F(SettingsDialog, ApplyStoresAndKeepsTheDialogOpenCancelThenDropsLaterChanges) {
    HeadlessDialog& dialog = Open();
    dialog.ClickTab("TabStrip1", 2);
    dialog.ClickArrow("hsbNumRays", Side::Right);  // 4
    EXPECT_FALSE(Ends([&] { dialog.Click("Command3"); }));
    EXPECT_EQ(platform.store.saved.size(), size_t(kParameters));
    EXPECT_EQ(Stored("Number of Rays"), "4");
    EXPECT_TRUE(modSubs::frmSettingsInstance()->IsLoaded());
    EXPECT_TRUE(modSubs::frmPreviewInstance()->IsLoaded());

    dialog.ClickArrow("hsbNumRays", Side::Right);  // 5, not applied
    dialog.ClickArrow("hsbEraseRate", Side::Left);  // 4, not applied
    EXPECT_EQ(Engine().NumRays(), 5);
    EXPECT_TRUE(Ends([&] { dialog.Click("Command2"); }));
    EXPECT_EQ(platform.store.saved.size(), size_t(kParameters)) << "Cancel stores nothing more";
    EXPECT_EQ(Stored("Number of Rays"), "4");
    EXPECT_EQ(Stored("Line Length"), "5");
}

TEST_F(SettingsDialog, EscapeIsNotCancel) {
    HeadlessDialog& dialog = Open();
    EXPECT_FALSE(Ends([&] { dialog.PressKey("Command1", 27); }));
    EXPECT_TRUE(modSubs::frmSettingsInstance()->IsLoaded());
}

// --- Settings mode as Main runs it ------------------------------------------------

TEST_F(SettingsDialog, MainShowsTheDialogOverTheRunningPreviewUntilCancel) {
    platform.command = "/c";
    size_t linesBeforeCancel = 0;
    bool previewBehind = false;
    platform.At(5, [&] {
        ASSERT_EQ(platform.windows.size(), 2u);
        ASSERT_EQ(platform.windows[0]->spec.caption, "Screen Saver Properties");
        vb::HeadlessWindow& preview = *platform.windows[1];
        EXPECT_EQ(preview.spec.caption, "Preview");
        linesBeforeCancel = preview.Lines().size();
        previewBehind = preview.zOrderBack;
        HeadlessDialog& dialog = *platform.dialogs.at(0);
        EXPECT_EQ(dialog.Caption("lblNumRays"), "Number: 3");
        dialog.Click("Command2");
        ADD_FAILURE() << "Cancel returned";
    });
    EXPECT_EQ(RunMain(100), 0);
    EXPECT_EQ(platform.doEventsCalls, 5) << "the run ended inside the yield that ran Cancel";
    EXPECT_GT(linesBeforeCancel, 0u) << "the animation drew on the preview";
    EXPECT_TRUE(previewBehind);
    EXPECT_TRUE(platform.store.saved.empty());
}

}  // namespace
