// The Qt platform's services: the command line, message boxes, the end of
// the run, errors in event handlers, and when the animation's drawing is
// shown.

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "runtime/Form.h"
#include "runtime/RuntimeError.h"
#include "runtime/qt/QtDrawingWindow.h"
#include "runtime/qt/QtPlatform.h"

namespace {

class MemoryStore final : public vb::SettingsStore {
public:
    std::optional<std::string> Get(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void Save(const std::string&, const std::string&, const std::string&, const std::string&) override {}
};

std::unique_ptr<vb::QtPlatform> MakePlatform(bool paced) {
    auto platform = std::make_unique<vb::QtPlatform>(*qApp, std::make_unique<MemoryStore>(),
                                                     vb::QtPlatform::Options{.paced = paced});
    vb::InstallPlatform(platform.get());
    return platform;
}

struct CommandCase {
    std::string name;
    QStringList arguments;
    std::string command;
    friend void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }
};

class QtCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(QtCommand, IsTheArgumentsAfterTheProgramJoinedBySpaces) {
    EXPECT_EQ(vb::QtPlatform::JoinArguments(GetParam().arguments), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, QtCommand,
    ::testing::Values(CommandCase{"None", {"/usr/bin/gyrobloom"}, ""},
                      CommandCase{"Saver", {"/usr/bin/gyrobloom", "/s"}, "/s"},
                      CommandCase{"SettingsWithParent", {"gyrobloom", "/c:1234"}, "/c:1234"},
                      CommandCase{"PreviewWithWindow", {"gyrobloom", "/p", "123"}, "/p 123"},
                      CommandCase{"UpperCaseKeptAsGiven", {"gyrobloom", "/S"}, "/S"},
                      CommandCase{"EmptyArgument", {"gyrobloom", "", "/s"}, " /s"}),
    [](const auto& info) { return info.param.name; });

// Dismisses the next modal box once it is up, noting what it showed.
struct BoxSeen {
    QString title, text;
    int buttons = 0;
    bool modal = false;
    bool okOnly = false;
};

void DismissNextBox(BoxSeen& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            DismissNextBox(seen);  // not up yet
            return;
        }
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.buttons = int(box->buttons().size());
        seen.modal = box->isModal();
        seen.okOnly = box->standardButtons() == QMessageBox::Ok;
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(QtPlatform, MsgBoxIsModalCaptionedWithTheTitleAndHasOnlyOk) {
    auto platform = MakePlatform(false);
    BoxSeen seen;
    DismissNextBox(seen);
    platform->MsgBox("Couldn't open the mixer.");
    EXPECT_EQ(seen.title, "Gyrobloom");
    EXPECT_EQ(seen.text, "Couldn't open the mixer.");
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.okOnly);
    EXPECT_TRUE(seen.modal);
    vb::InstallPlatform(nullptr);
}

TEST(QtPlatformDeathTest, EndFlushesOutputAndExitsWithTheCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto platform = MakePlatform(false);
            // Standard output goes to the captured stream, fully buffered, so
            // only a flush gets the text out.
            std::fflush(stdout);
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
            std::setvbuf(stdout, nullptr, _IOFBF, 4096);
            std::printf("last words");
            platform->End(3);
        },
        ::testing::ExitedWithCode(3), "last words");
}

// A window's portable side that fails in its key handler.
struct Throwing final : vb::WindowEvents {
    std::function<void()> onKey;
    void OnKeyDown(vb::Integer, vb::Integer) override { onKey(); }
    void OnMouseMove(vb::Integer, vb::Integer, double, double) override {}
    void OnCloseRequested() override {}
};

struct GuardCase {
    std::string name;
    std::function<void()> failure;
    std::string report;  // what the standard error report says
    friend void PrintTo(const GuardCase& c, std::ostream* os) { *os << c.name; }
};

class QtEventGuardDeathTest : public ::testing::TestWithParam<GuardCase> {};

// An error in an event handler must not unwind through Qt: the run ends with
// the standard report (a message box and standard error) and status 1.
TEST_P(QtEventGuardDeathTest, ErrorInAHandlerEndsTheRunWithTheReport) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto platform = MakePlatform(false);
            Throwing events;
            events.onKey = GetParam().failure;
            vb::WindowSpec spec;
            spec.caption = "Probe";
            auto window = platform->CreateWindow(spec, events, vb::UnitScale(platform->Screen()));
            window->Show();
            BoxSeen seen;
            DismissNextBox(seen);
            QTest::keyClick(dynamic_cast<vb::QtDrawingWindow&>(*window).Widget(), Qt::Key_Q);
            std::fprintf(stderr, "the handler returned\n");
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, QtEventGuardDeathTest,
    ::testing::Values(GuardCase{"RuntimeError", [] { vb::Raise(vb::kErrOverflow); }, "Run-time error '6':\\s+Overflow"},
                      GuardCase{"LibraryFailure", [] { throw std::out_of_range("vector"); },
                                "Run-time error '5':\\s+Invalid procedure call or argument"}),
    [](const auto& info) { return info.param.name; });

class StepForm final : public vb::Form {
public:
    StepForm() : vb::Form(Spec()) {}
    QWidget* Widget() { return dynamic_cast<vb::QtDrawingWindow&>(Window()).Widget(); }

private:
    static vb::WindowSpec Spec() {
        vb::WindowSpec spec;
        spec.caption = "Steps";
        return spec;
    }
};

// Counts the paint events a widget gets.
struct PaintCounter final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Steps like the animation loop's: yield, then draw.
void RunSteps(vb::Form& form, int steps) {
    for (int i = 0; i < steps; ++i) {
        vb::DoEvents();
        form.Line(float(15 * (i % 50)), 150, float(15 * (i % 50) + 600), 1500, vb::RGB(255, 255, 0));
    }
}

TEST(QtPlatform, PacedStepsWaitForTheFrameAndShowEveryStep) {
    auto platform = MakePlatform(true);
    StepForm form;
    form.Width(200 * 15);
    form.Height(150 * 15);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    PaintCounter counter;
    form.Widget()->installEventFilter(&counter);

    constexpr int kSteps = 12;
    const long framesBefore = platform->Pacer().FramesShown();
    QElapsedTimer timer;
    timer.start();
    RunSteps(form, kSteps);
    vb::DoEvents();  // the last step's drawing is shown at the next frame
    vb::DoEvents();

    // Each yield waited for the frame before it: one frame per step.
    const long frames = platform->Pacer().FramesShown() - framesBefore;
    EXPECT_GE(frames, kSteps);
    EXPECT_LE(frames, kSteps + 2);
    EXPECT_GE(counter.paints, kSteps) << "a step's drawing did not reach the window";
    EXPECT_LT(timer.elapsed(), 10000) << "generous bound: the frames stalled";
    form.Widget()->removeEventFilter(&counter);
    form.Unload();
    vb::InstallPlatform(nullptr);
}

// Presenting a step copies only what it drew to the screen, never the whole
// window: at 60 frames a second a full-screen copy per frame costs more than
// the drawing.
TEST(QtPlatform, PacedStepRepaintsOnlyWhatItDrew) {
    auto platform = MakePlatform(true);
    StepForm form;
    form.Width(400 * 15);
    form.Height(300 * 15);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    RunSteps(form, 3);
    vb::DoEvents();
    vb::DoEvents();

    struct PaintLog final : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } log;
    form.Widget()->installEventFilter(&log);
    for (int i = 0; i < 4; ++i) {
        vb::DoEvents();
        form.Line(300 * 15, 200 * 15, 310 * 15, 205 * 15, vb::RGB(0, 255, 0));
    }
    vb::DoEvents();
    vb::DoEvents();
    form.Widget()->removeEventFilter(&log);

    EXPECT_TRUE(log.painted.contains(QPoint(305, 202))) << "the line was not shown";
    EXPECT_FALSE(log.painted.contains(QPoint(20, 20))) << "the whole window was repainted";
    form.Unload();
    vb::InstallPlatform(nullptr);
}

TEST(QtPlatform, PacedStepsGoOnWhenTheWindowNeverGetsItsFrame) {
    auto platform = MakePlatform(true);
    StepForm form;
    form.Width(200 * 15);
    form.Height(150 * 15);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    RunSteps(form, 3);  // the pacer now watches the window

    // From here on the window system never delivers the window's frame, as
    // for a window that is obscured on some platforms.
    struct SwallowUpdates final : QObject {
        bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::UpdateRequest; }
    } swallow;
    form.Widget()->windowHandle()->installEventFilter(&swallow);
    PaintCounter counter;
    form.Widget()->installEventFilter(&counter);

    const long framesBefore = platform->Pacer().FramesShown();
    QElapsedTimer timer;
    timer.start();
    RunSteps(form, 5);
    vb::DoEvents();
    EXPECT_GE(platform->Pacer().FramesShown() - framesBefore, 4) << "frames were not forced";
    EXPECT_GE(counter.paints, 4) << "the drawing was not shown";
    EXPECT_LT(timer.elapsed(), 10000) << "generous bound: the yield hung";
    form.Widget()->removeEventFilter(&counter);
    form.Widget()->windowHandle()->removeEventFilter(&swallow);
    form.Unload();
    vb::InstallPlatform(nullptr);
}

TEST(QtPlatform, UnpacedStepsShowEveryStepAtOnce) {
    auto platform = MakePlatform(false);
    StepForm form;
    form.Width(200 * 15);
    form.Height(150 * 15);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    PaintCounter counter;
    form.Widget()->installEventFilter(&counter);
    RunSteps(form, 20);
    vb::DoEvents();
    EXPECT_GE(counter.paints, 20);
    form.Widget()->removeEventFilter(&counter);
    form.Unload();
    vb::InstallPlatform(nullptr);
}

TEST(QtPlatform, ScreenIsThePrimaryScreenInLogicalPixels) {
    auto platform = MakePlatform(false);
    const vb::ScreenMetrics metrics = platform->Screen();
    QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(metrics.widthPx, screen->geometry().width());
    EXPECT_EQ(metrics.heightPx, screen->geometry().height());
    EXPECT_DOUBLE_EQ(metrics.twipsPerPixel, 1440.0 / screen->logicalDotsPerInch());
    EXPECT_DOUBLE_EQ(metrics.devicePixelRatio, screen->devicePixelRatio());
    EXPECT_FLOAT_EQ(vb::ScreenWidth(), float(metrics.widthPx * metrics.twipsPerPixel));
    vb::InstallPlatform(nullptr);
}

}  // namespace
