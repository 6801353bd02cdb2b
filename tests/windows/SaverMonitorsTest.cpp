// The saver on a desk of several monitors: one window each, the same
// picture on all of them, input from any of them, monitors that come and go.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/RowName.h"
#include "windows/frmScreenSaver.h"

namespace {

using vb::DrawOp;
using vb::PixelRect;

bool Same(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

struct Desk {
    const char* name;
    std::vector<PixelRect> monitors;  // the primary first
    friend void PrintTo(const Desk& d, std::ostream* os) { *os << d.name; }
};

class SaverDesk : public ProgramFixture, public ::testing::WithParamInterface<Desk> {
protected:
    // Runs the saver with music for some steps; the run is ended there.
    void RunWithMusic(int steps) {
        platform.command = "/s";
        platform.monitors = GetParam().monitors;
        platform.screen.widthPx = GetParam().monitors[0].width;
        platform.screen.heightPx = GetParam().monitors[0].height;
        for (int i = 0; i < 4 * steps; ++i) mixer->outReadings.push_back(12000 + 500 * (i % 9));
        RunMain(steps);
    }
};

TEST_P(SaverDesk, EveryMonitorShowsThePictureMappedToItsOwnArea) {
    const Desk& desk = GetParam();
    std::vector<std::vector<DrawOp>> drawn;
    std::vector<PixelRect> covered;
    std::vector<bool> blank;
    platform.At(60, [&] {
        for (const vb::HeadlessWindow* window : platform.windows) {
            // What shows: the lines and the clearing (a window made later
            // is handed the pen in force first).
            std::vector<DrawOp> shown;
            for (const DrawOp& op : window->ops)
                if (op.kind == DrawOp::Line || op.kind == DrawOp::Cls) shown.push_back(op);
            drawn.push_back(shown);
            covered.push_back(window->geometry);
            blank.push_back(window->spec.fullScreen && window->spec.blankCursor && window->shown);
        }
    });
    RunWithMusic(61);
    ASSERT_EQ(covered.size(), desk.monitors.size()) << "one window a monitor";
    for (std::size_t m = 0; m < desk.monitors.size(); ++m) {
        SCOPED_TRACE("monitor " + std::to_string(m));
        EXPECT_TRUE(Same(covered[m], desk.monitors[m])) << "covers its monitor";
        EXPECT_TRUE(blank[m]) << "full screen, shown, no pointer";
    }
    const std::vector<DrawOp>& primary = drawn[0];
    std::size_t lines = 0;
    for (const DrawOp& op : primary) lines += op.kind == DrawOp::Line && op.color != 0;
    ASSERT_GT(lines, 100u) << "music drew rays";
    for (std::size_t m = 1; m < drawn.size(); ++m) {
        SCOPED_TRACE("monitor " + std::to_string(m));
        const double sx = double(desk.monitors[m].width) / desk.monitors[0].width;
        const double sy = double(desk.monitors[m].height) / desk.monitors[0].height;
        // A monitor's window is cleared as it is made, then draws what the
        // primary draws.
        ASSERT_FALSE(drawn[m].empty());
        EXPECT_EQ(drawn[m].front().kind, DrawOp::Cls) << "cleared when made";
        drawn[m].erase(drawn[m].begin());
        ASSERT_EQ(drawn[m].size(), primary.size()) << "every line and clearing, erases included";
        for (std::size_t i = 0; i < primary.size(); ++i) {
            const DrawOp& a = primary[i];
            const DrawOp& b = drawn[m][i];
            ASSERT_EQ(b.kind, a.kind) << "statement " << i;
            if (a.kind != DrawOp::Line) continue;
            ASSERT_EQ(b.color, a.color) << "statement " << i;
            ASSERT_EQ(b.pen, a.pen) << "the same pen in pixels, statement " << i;
            ASSERT_NEAR(b.x1, a.x1 * sx, 0.05) << "statement " << i;
            ASSERT_NEAR(b.y1, a.y1 * sy, 0.05) << "statement " << i;
            ASSERT_NEAR(b.x2, a.x2 * sx, 0.05) << "statement " << i;
            ASSERT_NEAR(b.y2, a.y2 * sy, 0.05) << "statement " << i;
        }
    }
}

TEST_P(SaverDesk, AKeyOnAnyMonitorEndsTheSaver) {
    const std::size_t last = GetParam().monitors.size() - 1;
    platform.At(5, [&] { platform.windows[last]->events.OnKeyDown(65, 0); });
    RunWithMusic(20);
    EXPECT_EQ(platform.doEventsCalls, 5);
    EXPECT_TRUE(platform.windows.empty()) << "every monitor's window closed";
}

TEST_P(SaverDesk, MovesOnEveryMonitorCountInOneDeskWideCoordinate) {
    // Five moves on the primary and five on each other monitor: never the
    // same desk position twice, so the eleventh ends the saver wherever it
    // is made. Positions are the window's own pixels.
    const std::size_t count = GetParam().monitors.size();
    int delivered = 0;
    bool ended = false;
    platform.At(5, [&] {
        for (int i = 0; i < 40 && !ended; ++i) {
            const std::size_t w = std::size_t(i) % count;
            ++delivered;
            platform.windows[w]->events.OnMouseMove(0, 0, 100 + i, 100);
        }
    });
    RunWithMusic(20);
    EXPECT_EQ(delivered, 11);
    EXPECT_EQ(platform.doEventsCalls, 5);
}

INSTANTIATE_TEST_SUITE_P(
    Desks, SaverDesk,
    ::testing::Values(Desk{"two side by side", {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}},
                      Desk{"two of different sizes", {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}},
                      Desk{"three unequal, one to the left",
                           {{0, 0, 1920, 1080}, {-1024, 200, 1024, 768}, {1920, 0, 2560, 1440}}}),
    testsupport::NamedRow());

class SaverMonitors : public ProgramFixture {
protected:
    void SetUp() override {
        platform.command = "/s";
        platform.monitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    }
    std::vector<PixelRect> Windows() const {
        std::vector<PixelRect> rects;
        for (const vb::HeadlessWindow* window : platform.windows) rects.push_back(window->geometry);
        return rects;
    }
};

TEST_F(SaverMonitors, FollowMonitorsThatComeAndGo) {
    std::vector<std::size_t> windows;
    platform.At(3, [&] {
        windows.push_back(platform.windows.size());
        platform.monitors = {{0, 0, 1920, 1080}};  // the second unplugged
        platform.NotifyMonitorsChanged();
        windows.push_back(platform.windows.size());
        platform.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {1920, 0, 1024, 768}};
        platform.NotifyMonitorsChanged();
        windows.push_back(platform.windows.size());
    });
    platform.At(6, [&] { windows.push_back(platform.windows.size()); });
    RunMain(8);
    EXPECT_EQ(windows, (std::vector<std::size_t>{2, 1, 3, 3}));
    EXPECT_EQ(platform.doEventsCalls, 8) << "the saver ran on";
}

TEST_F(SaverMonitors, WhenThePrimaryGoesTheSaverMovesToTheNewOneAndStartsAgain) {
    vb::Integer widthBefore = 0, widthAfter = 0;
    std::vector<PixelRect> after;
    platform.At(3, [&] {
        widthBefore = modSubs::gEngine().ScreenWidth();
        platform.monitors = {{1920, 0, 1280, 1024}};
        platform.NotifyMonitorsChanged();
    });
    platform.At(5, [&] {
        widthAfter = modSubs::gEngine().ScreenWidth();
        after = Windows();
    });
    RunMain(6);
    EXPECT_EQ(widthBefore, 1920 * 15);
    EXPECT_EQ(widthAfter, 1280 * 15) << "the picture is sized for its new monitor";
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(Same(after[0], PixelRect{1920, 0, 1280, 1024}));
}

TEST_F(SaverMonitors, ANewPrimaryTooWideForTheOldUnitGetsAUnitOfItsOwn) {
    // 3840 pixels are 57,600 twips: past the 16-bit range at one twip a
    // unit, so the picture is drawn in units of two twips there.
    vb::Integer widthAfter = 0;
    bool running = false;
    platform.At(3, [&] {
        platform.monitors = {{1920, 0, 3840, 2160}};
        platform.NotifyMonitorsChanged();
    });
    platform.At(6, [&] {
        widthAfter = modSubs::gEngine().ScreenWidth();
        running = true;
    });
    RunMain(7);
    EXPECT_TRUE(running) << "no overflow ended the run";
    EXPECT_EQ(widthAfter, 3840 * 15 / 2);
}

TEST_F(SaverMonitors, OneMonitorIsOneWindowAsBefore) {
    platform.monitors.clear();
    std::size_t windows = 0;
    platform.At(3, [&] { windows = platform.windows.size(); });
    RunMain(4);
    EXPECT_EQ(windows, 1u);
}

}  // namespace
