#include "engine/clsGyrobloom.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/headless/HeadlessPlatform.h"
#include "tests/support/TestWindow.h"

namespace {

TEST(clsGyrobloom, FreshEngineIsAllZeroFalseAndUnbound) {
    clsGyrobloom e;
    for (float value : {e.XMaxPercent(), e.XIncrPercent(), e.YMaxPercent(), e.YIncrPercent(), e.RotationSpeed(),
                        e.ColorShift(), e.ScreenScale()})
        EXPECT_EQ(value, 0.0f);
    for (int value : {e.DrawStyle(), e.CenterX(), e.CenterY(), e.ScreenWidth(), e.ScreenHeight(), e.NumRays(),
                      e.TrailLength(), e.RayWidth()})
        EXPECT_EQ(value, 0);
    for (bool value : {e.InSettingsMode(), e.Mirror(), e.Random(), e.PulseInOut(), e.PulseRotation(), e.ResetMe()})
        EXPECT_FALSE(value);
    EXPECT_EQ(e.Screen(), nullptr);
}

struct ScaledProperty {
    const char* name;
    std::function<void(clsGyrobloom&, float)> let;
    std::function<float(const clsGyrobloom&)> get;
};

const ScaledProperty kScaled[] = {
    {"XMaxPercent", [](clsGyrobloom& e, float v) { e.XMaxPercent(v); },
     [](const clsGyrobloom& e) { return e.XMaxPercent(); }},
    {"YMaxPercent", [](clsGyrobloom& e, float v) { e.YMaxPercent(v); },
     [](const clsGyrobloom& e) { return e.YMaxPercent(); }},
    {"XIncrPercent", [](clsGyrobloom& e, float v) { e.XIncrPercent(v); },
     [](const clsGyrobloom& e) { return e.XIncrPercent(); }},
    {"YIncrPercent", [](clsGyrobloom& e, float v) { e.YIncrPercent(v); },
     [](const clsGyrobloom& e) { return e.YIncrPercent(); }},
    {"RotationSpeed", [](clsGyrobloom& e, float v) { e.RotationSpeed(v); },
     [](const clsGyrobloom& e) { return e.RotationSpeed(); }},
};

TEST(clsGyrobloom, WholeNumbersSurviveEveryScaledLetAndGet) {
    for (const auto& p : kScaled)
        for (float v : {0.0f, 1.0f, 37.0f, 75.0f, 100.0f, -100.0f, 32767.0f, -32768.0f}) {
            clsGyrobloom e;
            p.let(e, v);
            EXPECT_EQ(p.get(e), v) << p.name << " " << v;
        }
}

TEST(clsGyrobloom, ScaledGetRoundsToTheNearestWholeNumberHalvesToEven) {
    struct Row {
        int property;
        float let, get;
    } rows[] = {{0, 75.4f, 75}, {0, 12.5f, 12}, {0, 37.5f, 38}, {2, 2.5f, 3}, {1, 99.6f, 100}, {4, 0.4f, 0}};
    for (const Row& row : rows) {
        clsGyrobloom e;
        kScaled[row.property].let(e, row.let);
        EXPECT_EQ(kScaled[row.property].get(e), row.get) << kScaled[row.property].name << " " << row.let;
    }
}

TEST(clsGyrobloom, ScaledGetRaisesOverflowOutsideTheIntegerRange) {
    for (const auto& p : kScaled) {
        clsGyrobloom e;
        p.let(e, 40000.0f);  // the Let itself never fails
        EXPECT_EQ(ErrorNumberOf([&] { p.get(e); }), vb::kErrOverflow) << p.name;
    }
}

TEST(clsGyrobloom, EngineClampsNothing) {
    clsGyrobloom e;
    e.NumRays(0);
    EXPECT_EQ(e.NumRays(), 0);
    e.NumRays(-5);
    EXPECT_EQ(e.NumRays(), -5);
    e.ColorShift(0.25f);
    EXPECT_EQ(e.ColorShift(), 0.25f);
}

TEST(clsGyrobloomScreen, BindingHandsTheEngineToTheWindowBeforeItsLoadHandlerRuns) {
    vb::HeadlessPlatform platform;
    auto engine = std::make_shared<clsGyrobloom>();
    auto window = std::make_shared<TestWindow>(platform, 640, 480);
    engine->Screen(window);
    EXPECT_EQ(window->log, (std::vector<std::string>{"GyrobloomClass", "Form_Load"}));
    EXPECT_TRUE(window->engineSetAtLoad);
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_TRUE(platform.windows.back()->shown);
    EXPECT_EQ(engine->Screen(), window);
    EXPECT_EQ(engine->CenterX(), 320);
}

TEST(clsGyrobloomScreen, SecondBindingKeepsOnlyTheSecondWindowAndLeavesTheFirstLoaded) {
    vb::HeadlessPlatform platform;
    auto engine = std::make_shared<clsGyrobloom>();
    auto first = std::make_shared<TestWindow>(platform, 640, 480);
    auto second = std::make_shared<TestWindow>(platform, 320, 240);
    engine->Screen(first);
    engine->Screen(second);
    EXPECT_EQ(engine->Screen(), second);
    EXPECT_TRUE(first->IsLoaded());
    EXPECT_EQ(platform.windows.size(), 2u);
}

TEST(clsGyrobloomScreen, BindingNoWindowStoresNoneAndRaisesObjectNotSet) {
    vb::HeadlessPlatform platform;
    auto engine = std::make_shared<clsGyrobloom>();
    engine->Screen(std::make_shared<TestWindow>(platform, 640, 480));
    EXPECT_EQ(ErrorNumberOf([&] { engine->Screen(nullptr); }), vb::kErrObjectNotSet);
    EXPECT_EQ(engine->Screen(), nullptr);
}

}  // namespace
