#include "windows/frmScreenSaver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/RowName.h"

namespace {

struct MoveCase {
    const char* name;
    std::vector<std::pair<float, float>> moves;  // pixels
    bool ends;
    int endsAtMove;  // 1-based, when it ends
    friend void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }
};

class SaverInput : public ProgramFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(SaverInput, EleventhHorizontalChangeEndsTheSaver) {
    const MoveCase& c = GetParam();
    platform.command = "/s";
    int delivered = 0;
    platform.At(1, [&] {
        auto saver = modSubs::frmScreenSaverInstance();
        for (auto [x, y] : c.moves) {
            ++delivered;
            saver->OnMouseMove(0, 0, x, y);
        }
    });
    RunMain(3);
    if (c.ends) {
        EXPECT_EQ(platform.doEventsCalls, 1) << c.name;
        EXPECT_EQ(delivered, c.endsAtMove) << c.name;
        EXPECT_FALSE(modSubs::frmScreenSaverInstance()->IsLoaded());
    } else {
        EXPECT_EQ(platform.doEventsCalls, 3) << c.name << ": the saver kept running";
        EXPECT_TRUE(modSubs::frmScreenSaverInstance()->IsLoaded());
    }
}

std::vector<std::pair<float, float>> Horizontal(int count, float start = 10) {
    std::vector<std::pair<float, float>> moves;
    for (int i = 0; i < count; ++i) moves.push_back({start + float(i), 100});
    return moves;
}

std::vector<std::pair<float, float>> Concat(std::vector<std::pair<float, float>> a,
                                            const std::vector<std::pair<float, float>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, SaverInput,
    ::testing::Values(
        MoveCase{"ten moves", Horizontal(10), false, 0}, MoveCase{"eleven moves", Horizontal(11), true, 11},
        MoveCase{"vertical only", {{5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}, {5, 6}, {5, 7}, {5, 8}, {5, 9}, {5, 10},
                                   {5, 11}, {5, 12}, {5, 13}, {5, 14}},
                 false, 0},  // the first event at x = 5 counts as a change from 0, the rest do not
        MoveCase{"same x repeated", Concat(Horizontal(10), std::vector<std::pair<float, float>>(20, {19, 300})), false,
                 0},
        MoveCase{"zero first is not counted", Concat({{0, 0}}, Horizontal(10)), false, 0},
        MoveCase{"zero first then eleven", Concat({{0, 0}}, Horizontal(11)), true, 12}),
    testsupport::NamedRow());

class SaverWindow : public ProgramFixture {};

TEST_F(SaverWindow, VerticalMovesNeverEndTheSaver) {
    platform.command = "/s";
    platform.At(1, [&] {
        auto saver = modSubs::frmScreenSaverInstance();
        for (int y = 0; y < 500; ++y) saver->OnMouseMove(0, 0, 640, float(y));
    });
    RunMain(3);
    EXPECT_EQ(platform.doEventsCalls, 3);
}

TEST_F(SaverWindow, AnyKeyEndsTheSaverAtOnce) {
    for (vb::Integer key : {65, 16, 17, 27}) {
        modSubs::ResetProgram();
        platform.doEventsCalls = 0;
        platform.command = "/s";
        platform.At(platform.doEventsCalls + 1, [key] { modSubs::frmScreenSaverInstance()->OnKeyDown(key, 0); });
        RunMain(3);
        EXPECT_EQ(platform.doEventsCalls, 1) << "key " << key;
    }
}

struct ScreenCase {
    int widthPx, heightPx;
    double dpr;
    int centerX, centerY;  // drawing units
    friend void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.widthPx << "x" << c.heightPx << " at " << c.dpr; }
};

class SaverScreens : public ProgramFixture, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(SaverScreens, PictureFillsTheScreenAndInputStillEndsIt) {
    const ScreenCase& c = GetParam();
    platform.screen = {c.widthPx, c.heightPx, 15.0, c.dpr};
    platform.command = "/s";
    platform.At(1, [&] {
        auto saver = modSubs::frmScreenSaverInstance();
        // Eleven moves across the whole width, right edge included.
        for (int i = 0; i <= 10; ++i) saver->OnMouseMove(0, 0, 1 + double(c.widthPx - 2) * i / 10.0, 0);
    });
    RunMain(3);
    auto& engine = modSubs::gEngine();
    EXPECT_EQ(engine.CenterX(), c.centerX);
    EXPECT_EQ(engine.CenterY(), c.centerY);
    EXPECT_EQ(engine.ScreenScale(), 1.0f);
    EXPECT_EQ(platform.doEventsCalls, 1) << "the eleventh move ended the run";
}

INSTANTIATE_TEST_SUITE_P(Sizes, SaverScreens,
                         ::testing::Values(ScreenCase{1920, 1080, 1.0, 14400, 8100},
                                           ScreenCase{1366, 768, 1.0, 10245, 5760},  // 20490 / 2
                                           ScreenCase{2560, 1440, 1.0, 9600, 5400},  // 2 twips a unit
                                           ScreenCase{3840, 2160, 1.0, 14400, 8100},
                                           ScreenCase{7680, 4320, 1.0, 14400, 8100},  // 4 twips a unit
                                           ScreenCase{1920, 1080, 2.0, 14400, 8100},   // 4K at 200%
                                           ScreenCase{1023, 768, 1.0, 7672, 5760},     // 7672.5 rounds down
                                           ScreenCase{1025, 768, 1.0, 7688, 5760}),   // 7687.5 rounds up
                         [](const auto& info) {
                             const ScreenCase& c = info.param;
                             return std::to_string(c.widthPx) + "x" + std::to_string(c.heightPx) + "_At" +
                                    std::to_string(int(c.dpr * 100)) + "Percent";
                         });

// With a unit of several twips a pixel is a fraction of a unit; a pointer that
// stands still must still count once.
TEST_F(SaverWindow, RepeatedPositionsCountOnceOnLargeScreens) {
    platform.screen = {2561, 1440, 15.0, 1.0};  // 2 twips a unit: odd pixels fall between units
    platform.command = "/s";
    platform.At(1, [] {
        auto saver = modSubs::frmScreenSaverInstance();
        for (int x = 1; x <= 19; x += 2)
            for (int repeat = 0; repeat < 3; ++repeat) saver->OnMouseMove(0, 0, x, 100);
    });
    RunMain(3);
    EXPECT_EQ(platform.doEventsCalls, 3) << "ten positions, each repeated, are ten moves";
}

// A window the saver was handed may be resized by its owner: the picture
// moves to the new centre and starts again there; the same size again
// changes nothing.
struct ResizeCase {
    const char* name;
    int widthPx, heightPx;
    int centerX, centerY;  // drawing units, after the resize
    int clears;            // Cls calls over the run: the start, and one per restart
};

class SaverResize : public ProgramFixture, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(SaverResize, TheCentreFollowsTheWindowsSize) {
    const ResizeCase& c = GetParam();
    platform.command = "/s";
    platform.At(2, [&] {
        platform.windows.back()->geometry = {0, 0, c.widthPx, c.heightPx};
        modSubs::frmScreenSaverInstance()->OnResized();
    });
    RunMain(4);
    auto& engine = modSubs::gEngine();
    EXPECT_EQ(engine.ScreenWidth(), c.widthPx * 15) << c.name;
    EXPECT_EQ(engine.ScreenHeight(), c.heightPx * 15) << c.name;
    EXPECT_EQ(engine.CenterX(), c.centerX) << c.name;
    EXPECT_EQ(engine.CenterY(), c.centerY) << c.name;
    const auto& ops = platform.windows.back()->ops;
    const auto clears = std::count_if(ops.begin(), ops.end(), [](const vb::DrawOp& op) { return op.kind == vb::DrawOp::Cls; });
    EXPECT_EQ(clears, c.clears) << c.name;
    // A restart begins with a dot at the centre.
    const bool dotAtCentre = std::any_of(ops.begin(), ops.end(), [&](const vb::DrawOp& op) {
        return op.kind == vb::DrawOp::Line && op.x1 == c.centerX && op.y1 == c.centerY && op.x2 == c.centerX &&
               op.y2 == c.centerY;
    });
    EXPECT_TRUE(dotAtCentre) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Sizes, SaverResize,
                         ::testing::Values(ResizeCase{"larger", 1000, 700, 7500, 5250, 2},
                                           ResizeCase{"smaller", 641, 481, 4808, 3608, 2},  // 4807.5 rounds up to even
                                           ResizeCase{"the same size", 1920, 1080, 14400, 8100, 1}),
    [](const auto& info) { return testsupport::RowName(info.param.name); });

TEST_F(SaverWindow, ACloseRequestReleasesTheMeterAndEndsTheRun) {
    platform.command = "/s";
    bool meterBefore = false;
    platform.At(2, [&] {
        meterBefore = modSubs::HasAudioLevel();
        modSubs::frmScreenSaverInstance()->OnCloseRequested();
    });
    EXPECT_EQ(RunMain(5), 0);
    EXPECT_EQ(platform.doEventsCalls, 2);
    EXPECT_TRUE(meterBefore);
    EXPECT_FALSE(modSubs::HasAudioLevel());
    EXPECT_FALSE(modSubs::frmScreenSaverInstance()->IsLoaded());
}

}  // namespace
