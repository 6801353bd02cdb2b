// The dialog font's size, decided once for every backend: the largest of
// 8, 7.5, 7 and 6.5 points at which every caption fits its control, measured
// here by a scripted backend.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "runtime/controls/CaptionFit.h"

using namespace vb;

namespace {

// The scripted backend: a caption's text takes one pixel per character and
// point at 96 DPI (15 twips a pixel), and grows with the DPI; the kinds add
// what their native controls draw beside the text.
constexpr double kIndicator = 16;  // a check box's or option's indicator and gap
constexpr double kButtonMargins = 8;
constexpr double kFrameInset = 12;

double ScriptedWidth(const ControlLayout& control, double points, double twipsPerPixel) {
    double extra = 0;
    switch (control.kind) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: extra = kIndicator; break;
    case ControlKind::CommandButton: extra = kButtonMargins; break;
    case ControlKind::Frame: extra = kFrameInset; break;
    case ControlKind::Label: break;
    // Never asked: a tab grows with its caption, a scroll bar has none.
    case ControlKind::TabStrip:
    case ControlKind::HScrollBar: return 1e6;
    }
    return (double(control.caption.size()) * points + extra) * 15.0 / twipsPerPixel;
}

ControlLayout Of(ControlKind kind, const char* name, const char* caption, Integer widthTwips) {
    ControlLayout c;
    c.kind = kind;
    c.name = name;
    c.caption = caption;
    c.rect = {120, 120, widthTwips, 255};
    return c;
}

struct FitRow {
    const char* name;
    double twipsPerPixel;
    std::vector<ControlLayout> controls;
    double points;                       // the size chosen
    std::vector<std::string> cutAtEight;  // the captions 8 points would cut
    std::vector<std::string> cutAtChosen;
};

void PrintTo(const FitRow& row, std::ostream* out) { *out << row.name; }

class CaptionFitTest : public testing::TestWithParam<FitRow> {};

TEST_P(CaptionFitTest, ChoosesTheLargestSizeAtWhichEveryCaptionFits) {
    const FitRow& row = GetParam();
    DialogLayout layout{4470, 5160, row.controls};
    const double twipsPerPixel = row.twipsPerPixel;
    const CaptionWidth measure = [twipsPerPixel](const ControlLayout& control, double points) {
        return ScriptedWidth(control, points, twipsPerPixel);
    };
    EXPECT_DOUBLE_EQ(FitCaptionPoints(layout, twipsPerPixel, measure), row.points);
    EXPECT_EQ(CutCaptions(layout, twipsPerPixel, measure, kDialogPoints), row.cutAtEight);
    EXPECT_EQ(CutCaptions(layout, twipsPerPixel, measure, row.points), row.cutAtChosen);
}

using K = ControlKind;

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptionFitTest,
    testing::Values(
        // 9 characters at 8 points: 72 pixels, in 1095 twips (73 pixels).
        FitRow{"EightPointsFit", 15, {Of(K::Label, "lblA", "Randomize", 1095)}, 8, {}, {}},
        // 72 pixels in exactly 1080 twips (72 pixels): a caption as wide as its control fits.
        FitRow{"AnExactFitIsAFit", 15, {Of(K::Label, "lblA", "Randomize", 1080)}, 8, {}, {}},
        // 12 characters in 85 pixels: 96 and 90 pixels are cut, 84 fit at 7 points.
        FitRow{"ShrinksToSevenPoints", 15, {Of(K::Label, "lblA", "Pulse In/Out", 1275)}, 7, {"lblA"}, {}},
        // 14 characters in 80 pixels: even 91 pixels at 6.5 points are too wide.
        FitRow{"NothingFitsAndTheFloorIsUsed", 15, {Of(K::Label, "lblA", "Pulse Rotation", 1200)}, 6.5,
               {"lblA"}, {"lblA"}},
        // The same caption and width: the label's 72 pixels fit 87, the check
        // box's 72 + 16 do not; at 7.5 points 60 + 16 do.
        FitRow{"ALabelOfTheWidthKeepsEightPoints", 15, {Of(K::Label, "lblA", "Randomize", 1305)}, 8, {}, {}},
        FitRow{"ACheckBoxsIndicatorMakesItShrink", 15, {Of(K::CheckBox, "chkA", "Randomize", 1305)}, 7.5,
               {"chkA"}, {}},
        FitRow{"AnOptionsIndicatorToo", 15, {Of(K::OptionButton, "optA", "Randomize", 1305)}, 7.5, {"optA"}, {}},
        // 6 characters: 48 + 8 margins in 55 pixels (825 twips) at 8, 45 + 8 at 7.5.
        FitRow{"AButtonsMarginsCount", 15, {Of(K::CommandButton, "cmdA", "Cancel", 825)}, 7.5, {"cmdA"}, {}},
        FitRow{"AFramesInsetCounts", 15, {Of(K::Frame, "fraA", "Effects", 1005)}, 7.5, {"fraA"}, {}},
        // One cut caption sets the size of the whole dialog.
        FitRow{"OneCutCaptionShrinksEveryCaption", 15,
               {Of(K::Label, "lblA", "Size", 2295), Of(K::Label, "lblB", "Pulse In/Out", 1275),
                Of(K::CheckBox, "chkA", "Mirror", 1095)},
               7, {"lblB"}, {}},
        // At 144 DPI (10 twips a pixel) the text and the control both grow by
        // half: 144 and 135 pixels are cut in 128 (1275 twips), 126 fit.
        FitRow{"AtOneAndAHalfTimesTheDpi", 10, {Of(K::Label, "lblA", "Pulse In/Out", 1275)}, 7, {"lblA"}, {}},
        // Scroll bars, tab strips and captionless frames have no caption to fit.
        FitRow{"ControlsWithoutACaptionAreNotMeasured", 15,
               {Of(K::TabStrip, "tabA", "", 4215), Of(K::HScrollBar, "hsbA", "", 100),
                Of(K::Frame, "fraA", "", 100), Of(K::Label, "lblEmpty", "", 15)},
               8, {}, {}}),
    [](const testing::TestParamInfo<FitRow>& info) { return std::string(info.param.name); });

TEST(CaptionFit, ArraysAreNamedWithTheirIndex) {
    ControlLayout option = Of(ControlKind::OptionButton, "optDrawStyle", "Dash-Dot", 600);
    option.index = 3;
    DialogLayout layout{4470, 5160, {option}};
    const CaptionWidth measure = [](const ControlLayout& control, double points) {
        return ScriptedWidth(control, points, 15);
    };
    EXPECT_EQ(CutCaptions(layout, 15, measure, kDialogPoints), std::vector<std::string>{"optDrawStyle(3)"});
}

}  // namespace
