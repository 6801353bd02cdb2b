// The Qt platform's services: the command line, message boxes, the end of
// the run, errors in event handlers, and when the drawing is shown.

#include <QBackingStore>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <utility>
#include <vector>
#include <stdexcept>

#include <unistd.h>

#include "runtime/base/RuntimeError.h"
#include "tests/qt/QtTestSupport.h"
#include "tests/support/MessageInputLog.h"

namespace {

using qttest::PaintLog;
using qttest::ProbeForm;
using QtPlatformTest = qttest::QtPlatformFixture;

TEST(QtCommand, IsTheArgumentsAfterTheProgramJoinedBySpaces) {
    const std::pair<QStringList, std::string> cases[] = {
        {{"/usr/bin/gyrobloom"}, ""},
        {{"/usr/bin/gyrobloom", "/s"}, "/s"},
        {{"gyrobloom", "/p", "123"}, "/p 123"},
        {{"gyrobloom", "", "/s"}, " /s"},
    };
    for (const auto& [arguments, command] : cases)
        EXPECT_EQ(vb::QtPlatform::JoinArguments(arguments), command) << arguments.join('|').toStdString();
}

// Dismisses the next message box once it is up, noting what it showed.
struct BoxSeen {
    QString title, text;
    bool modal = false, okOnly = false;
};

void DismissNextBox(BoxSeen& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return DismissNextBox(seen);  // not up yet
        seen = {box->windowTitle(), box->text(), box->isModal(),
                box->standardButtons() == QMessageBox::Ok && box->buttons().size() == 1};
        box->button(QMessageBox::Ok)->click();
    });
}

TEST_F(QtPlatformTest, MsgBoxIsModalCaptionedWithTheTitleAndHasOnlyOk) {
    BoxSeen seen;
    DismissNextBox(seen);
    platform->MsgBox("Couldn't open the mixer.");
    EXPECT_EQ(seen.title, "Gyrobloom");
    EXPECT_EQ(seen.text, "Couldn't open the mixer.");
    EXPECT_TRUE(seen.okOnly);
    EXPECT_TRUE(seen.modal);
}

QMessageBox* StandingBox() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) return box;
    return nullptr;
}

TEST_F(QtPlatformTest, ShowMessageReturnsAtOnceAndHandsTheBoxesInputToTheProgram) {
    MessageInputLog input;
    auto shown = platform->ShowMessage("Couldn't get waveout meter", input);
    QMessageBox* box = StandingBox();
    ASSERT_NE(box, nullptr) << "the box is up once ShowMessage returns";
    EXPECT_EQ(box->windowTitle(), "Gyrobloom");
    EXPECT_EQ(box->text(), "Couldn't get waveout meter");
    EXPECT_FALSE(box->isModal()) << "the program's windows keep their input";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTest::keyClick(box, Qt::Key_A);
    QTest::keyClick(box->button(QMessageBox::Ok), Qt::Key_Return);
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QTest::mouseMove(box, QPoint(5, 7));
    EXPECT_EQ(input.keys, 2);
    EXPECT_EQ(input.clicks, 1);
    ASSERT_FALSE(input.moves.empty());
    const QPoint desk = box->mapToGlobal(QPoint(5, 7));
    EXPECT_EQ(input.moves.back(), std::make_pair(double(desk.x()), double(desk.y()))) << "desk pixels";
    EXPECT_FALSE(shown->Closed()) << "keys and clicks go to the program; they do not close the box";

    shown.reset();
    EXPECT_EQ(StandingBox(), nullptr) << "the box goes with its handle";
}

using QtPlatformDeathTest = qttest::QtPlatformFixture;

TEST_F(QtPlatformDeathTest, EndFlushesOutputAndExitsWithTheCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // Standard output, fully buffered into the captured stream: only
            // a flush gets the text out.
            std::fflush(stdout);
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
            std::setvbuf(stdout, nullptr, _IOFBF, 4096);
            std::printf("last words");
            platform->End(3);
        },
        ::testing::ExitedWithCode(3), "last words");
}

// A window whose key handler fails.
struct Throwing final : vb::WindowEvents {
    std::function<void()> onKey;
    void OnKeyDown(vb::Integer, vb::Integer) override { onKey(); }
    void OnMouseMove(vb::Integer, vb::Integer, double, double) override {}
    void OnCloseRequested() override {}
};

// An error in an event handler must not unwind through Qt: the run ends with
// the standard report (a message box and standard error) and status 1.
TEST_F(QtPlatformDeathTest, ErrorInAHandlerEndsTheRunWithTheReport) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<std::function<void()>, std::string> failures[] = {
        {[] { vb::Raise(vb::kErrOverflow); }, "Run-time error '6':\\s+Overflow"},
        {[] { throw std::out_of_range("vector"); }, "Run-time error '5':\\s+Invalid procedure call or argument"},
        {[] { throw std::bad_alloc(); }, "Run-time error '7':\\s+Out of memory"},
    };
    for (const auto& [failure, report] : failures) {
        EXPECT_EXIT(
            {
                Throwing events;
                events.onKey = failure;
                auto window =
                    platform->CreateWindow(qttest::PreviewWindow(), events, vb::UnitScale(platform->Screen()));
                window->Show();
                BoxSeen seen;
                DismissNextBox(seen);
                QTest::keyClick(dynamic_cast<vb::QtDrawingWindow&>(*window).Widget(), Qt::Key_Q);
                std::fprintf(stderr, "the handler returned\n");
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), report);
    }
}

// Steps like the animation loop's (yield, then draw a short line around
// pixel (155, 102)), then the yields that show the last step.
void RunSteps(vb::Form& form, int steps) {
    for (int i = 0; i < steps; ++i) {
        vb::DoEvents();
        form.Line(150 * 15, 100 * 15, 160 * 15, 105 * 15, vb::RGB(0, 255, 0));
    }
    vb::DoEvents();
    vb::DoEvents();
}

TEST_F(QtPlatformTest, PacedStepsWaitForTheFrameAndRepaintOnlyWhatWasDrawn) {
    using Frames = vb::QtPlatform::Options::Frames;
    for (const auto& [name, frames] : {std::pair{"frames at the pacer's ticks", Frames::kTick},
                                       std::pair{"frames asked of the window system", Frames::kRequest}}) {
        SCOPED_TRACE(name);
        Install(true, frames);
        ProbeForm form;
        ASSERT_TRUE(form.ShowSized(400, 300));
        RunSteps(form, 3);
        PaintLog log(form.Widget());
        const long framesBefore = platform->Pacer().FramesShown();
        constexpr int kSteps = 12;
        RunSteps(form, kSteps);

        // Each yield waited for the frame before it: one frame per step.
        const long shown = platform->Pacer().FramesShown() - framesBefore;
        EXPECT_GE(shown, kSteps);
        EXPECT_LE(shown, kSteps + 2);
        EXPECT_GE(log.paints, kSteps) << "a step's drawing did not reach the window";
        EXPECT_TRUE(log.painted.contains(QPoint(155, 102))) << "the line was not shown";
        EXPECT_FALSE(log.painted.contains(QPoint(20, 20))) << "the whole window was repainted";
    }
}

TEST_F(QtPlatformTest, PacedStepsGoOnWhenTheWindowNeverGetsItsFrame) {
    Install(true, vb::QtPlatform::Options::Frames::kRequest);
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(200, 150));
    RunSteps(form, 3);  // the pacer now watches the window

    // From here on the window system never delivers the frame, as for an
    // obscured window on some platforms.
    struct SwallowUpdates final : QObject {
        bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::UpdateRequest; }
    } swallow;
    form.Widget()->windowHandle()->installEventFilter(&swallow);
    PaintLog log(form.Widget());
    const long framesBefore = platform->Pacer().FramesShown();
    RunSteps(form, 5);
    EXPECT_GE(platform->Pacer().FramesShown() - framesBefore, 4) << "frames were not forced";
    EXPECT_GE(log.paints, 4) << "the drawing was not shown";
}

TEST_F(QtPlatformTest, UnpacedStepsShowEachStepAtItsYield) {
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(300, 200));
    vb::DoEvents();
    PaintLog log(form.Widget());
    form.DrawWidth(5);
    form.Line(20 * 15, 20 * 15, 120 * 15, 80 * 15, vb::RGB(255, 0, 0));
    EXPECT_TRUE(log.painted.isEmpty()) << "painted before the yield";
    vb::DoEvents();
    EXPECT_TRUE(log.painted.contains(QPoint(70, 50))) << "the line's middle was not painted";

    RunSteps(form, 20);
    EXPECT_GE(log.paints, 21);
}

}  // namespace

namespace {

QColor ShownAt(QWidget* widget, int x, int y) {
    const QImage shown = widget->grab().toImage();
    return QColor(shown.pixel(x, y));
}

}  // namespace

// Once the window is on screen the canvas draws into its backing store (the
// frame's pixels exist once); what was drawn before, and what was drawn
// before a resize, is still shown afterwards.
TEST_F(QtPlatformTest, ShownWindowsDrawInTheirBackingStoreAndKeepWhatWasDrawn) {
    ProbeForm form;
    form.Width(300 * 15);
    form.Height(200 * 15);
    form.DrawWidth(5);
    form.Line(20 * 15, 20 * 15, 120 * 15, 20 * 15, vb::RGB(255, 0, 0));  // before the window is shown
    EXPECT_FALSE(form.Canvas().DrawsOnTarget());
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    vb::DoEvents();
    form.Line(20 * 15, 60 * 15, 120 * 15, 60 * 15, vb::RGB(0, 0, 255));
    vb::DoEvents();

    EXPECT_TRUE(form.Canvas().DrawsOnTarget()) << "the canvas still draws on an image of its own";
    auto* store = static_cast<QImage*>(form.Widget()->backingStore()->paintDevice());
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(&form.Canvas().Image(), store);
    EXPECT_EQ(QColor(store->pixel(70, 60)), QColor(Qt::blue)) << "the line is not in the backing store";
    EXPECT_EQ(ShownAt(form.Widget(), 70, 20), QColor(Qt::red)) << "the line drawn before the window showed is lost";
    EXPECT_EQ(ShownAt(form.Widget(), 70, 60), QColor(Qt::blue));

    form.Width(400 * 15);
    QTest::qWait(50);
    vb::DoEvents();
    form.Line(320 * 15, 100 * 15, 380 * 15, 100 * 15, vb::RGB(0, 255, 0));
    vb::DoEvents();
    EXPECT_EQ(ShownAt(form.Widget(), 70, 20), QColor(Qt::red)) << "a resize lost what was drawn";
    EXPECT_EQ(ShownAt(form.Widget(), 70, 60), QColor(Qt::blue)) << "a resize lost what was drawn";
    EXPECT_EQ(ShownAt(form.Widget(), 350, 100), QColor(Qt::green)) << "the new area is not drawn on";
    EXPECT_EQ(ShownAt(form.Widget(), 350, 20), QColor(Qt::black));
}
