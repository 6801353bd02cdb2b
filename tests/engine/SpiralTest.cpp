// The animation loop, one step at a time, on the recording surface with a
// scripted sound system.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>

#include "engine/MainLib2.h"
#include "engine/clsGyrobloom.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/TestWindow.h"
#include "tests/support/RowName.h"

namespace {

using vb::DrawOp;

class SpiralTest : public ProgramFixture {
protected:
    void SetUp() override {
        engine = modSubs::gEngineRef();
        engine->RetrieveSettings();  // the defaults: 3 rays, trail 5, width 25, colour shift 95, random
        engine->Random(false);
        window = std::make_shared<TestWindow>(platform, 640, 480);
        engine->Screen(window);
    }

    void Begin() {
        spiral = engine->BeginSpiral();
        Mark();
    }

    // One step in which both readings of the playback meter give `level`.
    std::vector<DrawOp> Step(std::int32_t level) { return Step(level, level); }
    std::vector<DrawOp> Step(std::int32_t first, std::int32_t second) {
        mixer->outReadings.push_back(first);
        mixer->outReadings.push_back(second);
        spiral->Step();
        return Since();
    }

    void Mark() { mMark = window->Surface().ops.size(); }
    std::vector<DrawOp> Since() {
        const auto& ops = window->Surface().ops;
        std::vector<DrawOp> lines;
        for (size_t i = mMark; i < ops.size(); ++i)
            if (ops[i].kind == DrawOp::Line) lines.push_back(ops[i]);
        Mark();
        return lines;
    }

    static std::vector<DrawOp> Coloured(const std::vector<DrawOp>& lines) {
        std::vector<DrawOp> out;
        for (const auto& l : lines)
            if (l.color != 0) out.push_back(l);
        return out;
    }

    std::shared_ptr<clsGyrobloom> engine;
    std::shared_ptr<TestWindow> window;
    std::unique_ptr<clsGyrobloom::Spiral> spiral;

private:
    size_t mMark = 0;
};

TEST_F(SpiralTest, ResetClearsTheSurfaceAndDrawsABlackDotAtTheCentre) {
    window->Surface().ops.clear();
    Begin();
    const auto& ops = window->Surface().ops;
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, DrawOp::Cls);
    EXPECT_EQ(ops[1].kind, DrawOp::Line);
    EXPECT_EQ(ops[1].color, 0);
    EXPECT_EQ(ops[1].x1, 320);
    EXPECT_EQ(ops[1].y2, 240);
    EXPECT_FALSE(engine->ResetMe());
}

TEST_F(SpiralTest, ThreeRaysDrawFourSpacedBy628Over3) {
    Begin();
    spiral->RadiusX = 100;
    spiral->RadiusY = 50;
    auto lines = Coloured(Step(20000));
    ASSERT_EQ(lines.size(), 4u);
    const double spacing = double(vb::CSng(6.28 / 3));
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(lines[j].x2, vb::CInt(std::sin(spacing * j) * 100 + 320)) << "ray " << j;
        EXPECT_EQ(lines[j].y2, vb::CInt(std::cos(spacing * j) * 50 + 240)) << "ray " << j;
        EXPECT_EQ(lines[j].x1, 320) << "the first segment starts at the centre";
    }
    // The fourth ray lies 0.0032 radians short of the first: almost the same point.
    EXPECT_NEAR(lines[3].x2, lines[0].x2, 1);
}

TEST_F(SpiralTest, LevelSetsWidthAndColourFromTheWheel) {
    Begin();
    auto lines = Coloured(Step(32767));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].width, 25) << "full scale draws at RayWidth";
    // Hue moved by 32767 Mod 95 = 87 on this peak; the divisor is above 256.
    EXPECT_EQ(lines[0].color, MainLib2::ColorWheel(87, 328));
}

TEST_F(SpiralTest, TrailLengthZeroErasesWhatThePreviousStepDrew) {
    engine->TrailLength(0);
    Begin();
    spiral->RadiusX = 100;
    spiral->RadiusY = 100;
    Step(20000);  // from the centre: this one is never erased
    auto first = Step(20000);
    auto second = Step(20000);
    // Each step erases exactly the segment the step before drew.
    auto drawn = Coloured(first)[0];
    bool erased = false;
    for (const auto& l : second)
        if (l.color == 0 && l.x1 == drawn.x1 && l.y1 == drawn.y1 && l.x2 == drawn.x2 && l.y2 == drawn.y2) erased = true;
    EXPECT_TRUE(erased);
    EXPECT_EQ(spiral->Slot, 0);
}

TEST_F(SpiralTest, HueWrapsToZeroNotCarryingTheExcess) {
    Begin();
    spiral->Hue = 1500;
    Step(135);  // 135 Mod 95 = 40, and a peak
    EXPECT_EQ(spiral->HueStep, 40);
    EXPECT_EQ(spiral->Hue, 0);
}

TEST_F(SpiralTest, ColourShiftOfOneFreezesTheHue) {
    engine->ColorShift(1);
    Begin();
    spiral->Hue = 700;
    for (std::int32_t level : {1000, 5000, 20000, 32767}) {
        Step(level);  // rising: every step is a peak
        EXPECT_EQ(spiral->HueStep, 0);
    }
    EXPECT_EQ(spiral->Hue, 700);
}

TEST_F(SpiralTest, PulseRotationTurnsOnlyOnPeaks) {
    engine->PulseRotation(true);
    Begin();
    Step(10000);  // a peak: the fan turns
    const float afterPeak = spiral->Spin;
    EXPECT_GT(afterPeak, 0.0f);
    Step(5000);  // below the running maximum: no peak, no turn
    EXPECT_EQ(spiral->Spin, afterPeak);

    engine->PulseRotation(false);
    Step(4000);  // no peak, but the fan turns on every step now
    EXPECT_GT(spiral->Spin, afterPeak);
}

struct RadiusCase {
    const char* name;
    bool random, pulseInOut;
    std::int32_t first, second;  // readings of one step
    bool pulses;
    friend void PrintTo(const RadiusCase& c, std::ostream* os) { *os << c.name; }
};

class SpiralRadius : public SpiralTest, public ::testing::WithParamInterface<RadiusCase> {};

TEST_P(SpiralRadius, PulseOrSweepDependsOnRandomPulseInOutAndPeak) {
    const RadiusCase& c = GetParam();
    engine->Random(c.random);
    engine->PulseInOut(c.pulseInOut);
    Begin();
    Step(16000);  // sets the running maximum
    spiral->RadiusX = 40;
    spiral->RadiusY = 40;
    spiral->GrowX = spiral->GrowY = true;
    Step(c.first, c.second);
    const double level = c.second;
    if (c.pulses) {
        EXPECT_EQ(spiral->RadiusX, vb::CInt(level / 8)) << c.name;
    } else {
        EXPECT_EQ(spiral->RadiusX, vb::CInt(40 + level * 0.02)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SpiralRadius,
    ::testing::Values(RadiusCase{"random, peak", true, false, 16000, 16000, true},
                      RadiusCase{"random, no peak", true, false, 16000, 1000, false},
                      RadiusCase{"pulse in/out, no peak", false, true, 16000, 1000, true},
                      RadiusCase{"pulse in/out, peak", false, true, 16000, 16000, false},
                      RadiusCase{"neither, no peak", false, false, 16000, 1000, false},
                      RadiusCase{"neither, peak", false, false, 16000, 16000, false}),
    testsupport::NamedRow());

TEST_F(SpiralTest, ResetInMidPassRestartsAtSlotZeroWhileHueSpinAndRadiiContinue) {
    Begin();
    for (int i = 0; i < 3; ++i) Step(10000 + 1000 * i);
    ASSERT_EQ(spiral->Slot, 3);
    const auto hue = spiral->Hue;
    const auto spin = spiral->Spin;
    const auto rx = spiral->RadiusX, ry = spiral->RadiusY;
    engine->ResetMe(true);
    Mark();
    spiral->Step();  // yields, sees the request, resets
    const auto& ops = window->Surface().ops;
    EXPECT_EQ(std::count_if(ops.begin(), ops.end(), [](const DrawOp& op) { return op.kind == DrawOp::Cls; }), 2);
    EXPECT_FALSE(engine->ResetMe());
    EXPECT_EQ(spiral->Slot, 0);
    EXPECT_EQ(spiral->Hue, hue);
    EXPECT_EQ(spiral->Spin, spin);
    EXPECT_EQ(spiral->RadiusX, rx);
    EXPECT_EQ(spiral->RadiusY, ry);
    for (const RayTrail& ray : spiral->Rays) {
        EXPECT_EQ(ray.X, 320);
        EXPECT_EQ(ray.OldX, 0);
    }
}

TEST_F(SpiralTest, ResetAfterAReShuffleRestoresTheRotationDirection) {
    engine->Random(true);
    Begin();
    const float configured = spiral->SpinStep;
    // Every step moves the running maximum, so every step re-shuffles; some
    // of them reverse the rotation.
    bool reversed = false;
    for (int i = 0; i < 40 && !reversed; ++i) {
        Step(1000 + 500 * i);
        reversed = spiral->SpinStep == -configured;
    }
    ASSERT_TRUE(reversed) << "forty re-shuffles never reversed the rotation";
    engine->ResetMe(true);
    spiral->Step();
    EXPECT_EQ(spiral->SpinStep, configured);
}

TEST_F(SpiralTest, ReShuffleReseedsThenDrawsDiscardSpinMirrorPulseInOutPulseRotation) {
    engine->Random(true);
    Begin();
    const float configured = spiral->SpinStep;
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t seed = platform.clockSeed;
        const float spinStep = spiral->SpinStep;
        Step(1000 + 700 * i);  // a new maximum: a tempo change
        ASSERT_EQ(platform.clockSeed, seed + 1) << "reseeded once";
        vb::RandomSource expected(seed);
        expected.Next();
        const int direction = 2 * vb::CInt(expected.Next()) - 1;
        EXPECT_EQ(spiral->SpinStep, spinStep * float(direction));
        EXPECT_EQ(engine->Mirror(), vb::CInt(expected.Next()) == 0);
        EXPECT_EQ(engine->PulseInOut(), vb::CInt(expected.Next()) == 0);
        EXPECT_EQ(engine->PulseRotation(), vb::CInt(expected.Next()) == 0);
        EXPECT_EQ(std::fabs(spiral->SpinStep), configured);
    }
}

TEST_F(SpiralTest, NoReShuffleWithoutATempoChangeOrWithRandomOff) {
    engine->Random(true);
    Begin();
    for (int i = 0; i < 3; ++i) Step(5000);  // the maximum settles
    std::uint32_t seed = platform.clockSeed;
    for (int i = 0; i < 10; ++i) Step(5000);
    EXPECT_EQ(platform.clockSeed, seed) << "a steady maximum raises no tempo change";

    engine->Random(false);
    seed = platform.clockSeed;
    for (int i = 0; i < 10; ++i) Step(6000 + 500 * i);
    EXPECT_EQ(platform.clockSeed, seed) << "random off never re-shuffles";
}

TEST_F(SpiralTest, TempoChangeIsReadBetweenTheTwoReadings) {
    engine->Random(true);
    Begin();
    for (int i = 0; i < 3; ++i) Step(5000);
    const std::uint32_t seed = platform.clockSeed;
    Step(5000, 5100);  // the change comes with the second reading: seen next step
    EXPECT_EQ(platform.clockSeed, seed);
    Step(5100);
    EXPECT_EQ(platform.clockSeed, seed + 1);
}

TEST_F(SpiralTest, TrailLengthIsReadWhenAPassBeginsAndNumRaysAtEveryStep) {
    Begin();  // trail 5: slots 0..5
    Step(1000);
    Step(1000);
    engine->TrailLength(2);  // without a reset
    std::vector<int> slots;
    for (int i = 0; i < 8; ++i) {
        Step(1000);
        slots.push_back(spiral->Slot);
    }
    EXPECT_EQ(slots, (std::vector<int>{3, 4, 5, 0, 1, 2, 0, 1}));

    engine->NumRays(1);  // fewer rays without a reset: the first two only
    EXPECT_EQ(Coloured(Step(20000)).size(), 2u);
}

struct LoopErrorCase {
    const char* name;
    std::function<void(clsGyrobloom&)> set;
    bool atReset;
    int error;
    friend void PrintTo(const LoopErrorCase& c, std::ostream* os) { *os << c.name; }
};

class SpiralErrors : public SpiralTest, public ::testing::WithParamInterface<LoopErrorCase> {};

TEST_P(SpiralErrors, ValuesTheLoopCannotRunWithRaise) {
    const LoopErrorCase& c = GetParam();
    c.set(*engine);
    if (c.atReset) {
        EXPECT_EQ(ErrorNumberOf([&] { Begin(); }), c.error) << c.name;
        return;
    }
    Begin();
    spiral->Hue = 1000;
    EXPECT_EQ(ErrorNumberOf([&] { Step(32000); }), c.error) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SpiralErrors,
    ::testing::Values(LoopErrorCase{"no rays", [](clsGyrobloom& e) { e.NumRays(0); }, true, vb::kErrDivisionByZero},
                      LoopErrorCase{"negative rays", [](clsGyrobloom& e) { e.NumRays(-1); }, true, vb::kErrSubscript},
                      LoopErrorCase{"negative trail", [](clsGyrobloom& e) { e.TrailLength(-1); }, true,
                                    vb::kErrSubscript},
                      LoopErrorCase{"colour shift rounding to 0", [](clsGyrobloom& e) { e.ColorShift(0.4f); },
                                    false, vb::kErrDivisionByZero},
                      LoopErrorCase{"hue overflow", [](clsGyrobloom& e) { e.ColorShift(32001); }, false,
                                    vb::kErrOverflow}),
    testsupport::NamedRow());

TEST_F(SpiralTest, SpinWrapsAbove628AndNeverFromBelow) {
    engine->RotationSpeed(1000);
    Begin();
    spiral->Spin = 6.27f;
    Step(32767);  // 6.27 + 0.0001 x 32767 passes 6.28
    EXPECT_EQ(spiral->Spin, 0.0f);

    engine->RotationSpeed(-1000);
    engine->ResetMe(true);
    spiral->Step();
    for (int i = 0; i < 5; ++i) Step(32767);
    EXPECT_LT(spiral->Spin, -6.28f) << "a negative rotation keeps falling";
}

TEST_F(SpiralTest, PreviewScaleEntersWidthTwiceAndLeavesTheColourUnscaled) {
    engine->ScreenScale(0.33f);
    engine->PulseInOut(true);  // pulse on steps without a peak
    Begin();
    Step(30000);
    auto lines = Coloured(Step(20000));  // below the maximum: no peak, a pulse
    ASSERT_FALSE(lines.empty());
    const double scaled = double(0.33f) * 20000;
    EXPECT_EQ(lines[0].width, vb::CInt(scaled / 32767 * 25 * double(0.33f)));
    EXPECT_EQ(lines[0].color, MainLib2::ColorWheel(spiral->Hue, 200));
    EXPECT_EQ(spiral->HueStep, 20000 % 95);
    EXPECT_EQ(spiral->RadiusX, vb::CInt(scaled / 8));
}

TEST_F(SpiralTest, TheLargestStoredValuesThatLoadRunAtFullScale) {
    for (auto [key, text] : {std::pair{"Horizontal Size", "100"}, {"Vertical Size", "-100"},
                             {"Horizontal Speed", "2500"}, {"Vertical Speed", "-2500"}, {"Color Scale", "31232"},
                             {"Rotation", "32767"}, {"Ray Width", "32767"}, {"Number of Rays", "40"}})
        platform.store.values[{"Gyrobloom", "Settings", key}] = text;
    engine->RetrieveSettings();
    engine->Mirror(true);
    Begin();
    spiral->Hue = 1535;
    for (int i = 0; i < 300; ++i) EXPECT_EQ(ErrorNumberOf([&] { Step(32767 - (i % 7) * 4000, 32767); }), 0) << i;
}

TEST_F(SpiralTest, FirstPassErasesThePointZeroAndTheFirstSegmentIsNeverErased) {
    Begin();
    spiral->RadiusX = spiral->RadiusY = 100;
    const int slots = engine->TrailLength() + 1;
    std::vector<DrawOp> firstSegments;
    for (int step = 0; step < slots; ++step) {
        auto lines = Step(20000);
        for (const auto& l : lines)
            if (l.color == 0) {
                EXPECT_EQ(l.x1, 0);
                EXPECT_EQ(l.y1, 0);
                EXPECT_EQ(l.x2, 0);
                EXPECT_EQ(l.y2, 0);
            }
        if (step == 0) firstSegments = Coloured(lines);
    }
    // First step of the second pass: each ray erases from (0, 0) to its first
    // point, not the segment from the centre.
    auto lines = Step(20000);
    auto black = lines;
    std::erase_if(black, [](const DrawOp& l) { return l.color != 0; });
    ASSERT_EQ(black.size(), firstSegments.size());
    for (size_t j = 0; j < black.size(); ++j) {
        EXPECT_EQ(black[j].x1, 0);
        EXPECT_EQ(black[j].y1, 0);
        EXPECT_EQ(black[j].x2, firstSegments[j].x2);
        EXPECT_EQ(black[j].y2, firstSegments[j].y2);
        EXPECT_EQ(firstSegments[j].x1, 320) << "the segment from the centre stays";
    }
}

TEST_F(SpiralTest, SilenceGoesBlackWithinTrailLengthPlusOneSteps) {
    engine->Random(true);
    engine->Mirror(true);
    Begin();
    std::vector<std::pair<int, DrawOp>> drawn;  // step, coloured line
    std::vector<std::vector<DrawOp>> steps;
    int step = 0;
    for (; step < 12; ++step) {
        steps.push_back(Step(8000 + 1700 * step));
        for (const auto& l : steps.back())
            if (l.color != 0) drawn.push_back({step, l});
    }
    ASSERT_FALSE(drawn.empty());
    const int trail = engine->TrailLength();
    for (int silent = 0; silent < trail + 1; ++silent, ++step) {
        steps.push_back(Step(0));
        for (const auto& l : steps.back()) EXPECT_EQ(l.color, 0) << "silence draws in black";
    }
    // Every coloured segment has been drawn over in black, at its own width,
    // within trail length + 1 steps (the segments from the centre aside,
    // which the first pass leaves by design).
    for (const auto& [at, line] : drawn) {
        if (line.x1 == 320 && line.y1 == 240) continue;
        bool erased = false;
        for (int s = at + 1; s <= at + trail + 1 && s < int(steps.size()); ++s)
            for (const auto& l : steps[size_t(s)])
                if (l.color == 0 && l.x1 == line.x1 && l.y1 == line.y1 && l.x2 == line.x2 && l.y2 == line.y2 &&
                    l.width == line.width)
                    erased = true;
        EXPECT_TRUE(erased) << "segment of step " << at << " (" << line.x1 << "," << line.y1 << ")-(" << line.x2
                            << "," << line.y2 << ") stayed";
    }
}

TEST_F(SpiralTest, MoreRaysWithoutAResetIsASubscriptError) {
    Begin();
    engine->NumRays(5);
    EXPECT_EQ(ErrorNumberOf([&] { Step(1000); }), vb::kErrSubscript);
}

}  // namespace
