// Full-screen drawing windows of the program's own (not Qt widgets, as the
// saver's are on Wayland): the platform asks the factory for full-screen
// windows only, falls back to a widget when it declines, and the pacer
// presents such a window's drawing at the end of the step, brackets its
// waits for the next tick (when the window's connection is left unread),
// and never calls a window that closed while another's events ran.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/qt/QtFramePacer.h"
#include "tests/qt/QtTestSupport.h"

namespace {

using qttest::ProbeForm;

struct OwnLog {
    std::vector<std::string> calls;  // "made", "show", "present", "before", "after"
    int lines = 0;
    int asked = 0;  // windows the factory was asked for
    int Count(const std::string& call) const { return int(std::count(calls.begin(), calls.end(), call)); }
};

class OwnWindow final : public vb::WindowBackend, public vb::QtFrameSink, public vb::Canvas {
public:
    OwnWindow(OwnLog& log, vb::QtFramePacer& pacer, int id) : mLog(log), mPacer(pacer), mId(std::to_string(id)) {
        mLog.calls.push_back("made");
        mPacer.AddSink(this);
    }
    ~OwnWindow() override {
        mLog.calls.push_back("gone:" + mId);
        mPacer.RemoveSink(this);
    }

    void Show() override { mLog.calls.push_back("show"); }
    void SendToBack() override {}
    void BringToFront() override {}
    vb::PixelRect Geometry() const override { return {0, 0, 640, 480}; }
    void SetGeometry(const vb::PixelRect&) override {}
    vb::Canvas& Surface() override { return *this; }

    void Cls() override { mUnshown = true; }
    void DrawWidth(vb::Integer) override {}
    void DrawStyle(vb::Integer) override {}
    void Rescale(const vb::UnitScale&) override {}
    void Line(vb::Single, vb::Single, vb::Single, vb::Single, vb::Long) override { ++mLog.lines, mUnshown = true; }

    bool HasUnshownDrawing() const override { return mUnshown; }
    void Present() override { mLog.calls.push_back("present"), mUnshown = false; }
    void PauseDrawing() override {}
    bool FrameOverdue(int) const override { return false; }
    void BeforeWait() override { mLog.calls.push_back("before"); }
    void AfterWait() override {
        mLog.calls.push_back("after");
        mLog.calls.push_back("after:" + mId);
        if (onAfterWait) onAfterWait();
    }

    std::function<void()> onAfterWait;

private:
    OwnLog& mLog;
    vb::QtFramePacer& mPacer;
    std::string mId;
    bool mUnshown = false;
};

class QtOwnWindowsTest : public qttest::QtPlatformFixture {
protected:
    void InstallOwn(bool decline = false) {
        vb::InstallPlatform(nullptr);
        platform.reset();
        vb::QtPlatform::Options options{.paced = true};
        options.fullScreenWindows = [this, decline](const vb::WindowSpec&, vb::WindowEvents&, const vb::UnitScale&,
                                                    QScreen*, vb::QtFramePacer& pacer)
            -> std::unique_ptr<vb::WindowBackend> {
            ++log.asked;
            if (decline) return nullptr;
            auto window = std::make_unique<OwnWindow>(log, pacer, int(made.size()));
            made.push_back(window.get());
            return window;
        };
        platform = std::make_unique<vb::QtPlatform>(*qApp, std::make_unique<qttest::NoSettings>(), std::move(options));
        vb::InstallPlatform(platform.get());
    }

    OwnLog log;
    std::vector<OwnWindow*> made;
};

TEST_F(QtOwnWindowsTest, OnlyFullScreenWindowsComeFromTheFactoryAndADeclinedOneIsAWidget) {
    struct Row {
        const char* name;
        vb::WindowSpec spec;
        bool decline;
        int asked;
        bool own;
    };
    const Row rows[] = {
        {"the saver's window", qttest::SaverWindow(), false, 1, true},
        {"the preview window", qttest::PreviewWindow(), false, 0, false},
        {"a declined saver window", qttest::SaverWindow(), true, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log = {};
        made.clear();
        InstallOwn(row.decline);
        ProbeForm form(row.spec);
        vb::WindowBackend& window = form.Backend();  // the window is made as the form loads
        EXPECT_EQ(log.asked, row.asked);
        EXPECT_EQ(dynamic_cast<OwnWindow*>(&window) != nullptr, row.own);
        EXPECT_EQ(dynamic_cast<vb::QtDrawingWindow*>(&window) != nullptr, !row.own);
    }
}

TEST_F(QtOwnWindowsTest, AStepsDrawingIsPresentedAtItsEndAndTheWaitIsBracketed) {
    InstallOwn();
    ProbeForm form(qttest::SaverWindow());
    form.Show();
    EXPECT_EQ(log.Count("show"), 1);
    for (int i = 0; i < 3; ++i) vb::DoEvents();
    EXPECT_EQ(log.Count("present"), 0) << "a window with nothing drawn was presented";

    form.Line(15, 30, 1500, 30, vb::RGB(255, 0, 0));
    log.calls.clear();
    vb::DoEvents();
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.front(), "present") << "the drawing waited for a later tick";
    EXPECT_EQ(log.Count("present"), 1);

    for (int i = 0; i < 5; ++i) vb::DoEvents();
    EXPECT_GT(log.Count("before"), 0) << "the steps never waited for a tick";
    EXPECT_EQ(log.Count("before"), log.Count("after")) << "a wait left the window's connection unread";
    // Each wait opens before it closes.
    int open = 0;
    for (const std::string& call : log.calls) {
        if (call == "before") {
            EXPECT_EQ(++open, 1);
        }
        if (call == "after") {
            EXPECT_EQ(--open, 0);
        }
    }
}

TEST_F(QtOwnWindowsTest, AWindowClosedWhileAnothersEventsRunIsNotCalledAgain) {
    InstallOwn();
    auto first = std::make_unique<ProbeForm>(qttest::SaverWindow());
    auto second = std::make_unique<ProbeForm>(qttest::SaverWindow());
    first->Show();
    second->Show();
    ASSERT_EQ(made.size(), 2u);
    // Reading the first window's connection brings a key that unloads the
    // second.
    made[0]->onAfterWait = [&] { second.reset(); };
    for (int i = 0; i < 4; ++i) vb::DoEvents();
    EXPECT_EQ(second, nullptr);
    EXPECT_GT(log.Count("after"), 0);
    const auto gone = std::find(log.calls.begin(), log.calls.end(), "gone:1");
    ASSERT_NE(gone, log.calls.end());
    EXPECT_EQ(std::find(gone, log.calls.end(), "after:1"), log.calls.end()) << "the closed window was called";
    made[0]->onAfterWait = nullptr;
    first->Line(15, 30, 1500, 30, vb::RGB(255, 0, 0));
    vb::DoEvents();
    EXPECT_EQ(log.lines, 1);
}

}  // namespace
