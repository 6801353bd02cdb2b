// Qt windows of the program: what the user sees of them (geometry, flags,
// pointer, drawing) and what reaches the program of the user's input.

#include <QKeyEvent>
#include <QScreen>

#include <vector>

#include "runtime/base/RuntimeError.h"
#include "runtime/qt/QtInput.h"
#include "tests/qt/QtTestSupport.h"

namespace {

using qttest::ProbeForm;

// Everything a window forwards, in order.
struct Recorder final : vb::WindowEvents {
    struct Event {
        vb::Integer code, shift;  // key code, or mouse button
        double x = 0, y = 0;
    };
    void OnKeyDown(vb::Integer keyCode, vb::Integer shift) override { keys.push_back({keyCode, shift}); }
    void OnMouseMove(vb::Integer button, vb::Integer shift, double x, double y) override {
        moves.push_back({button, shift, x, y});
    }
    void OnMouseDown(vb::Integer button, vb::Integer shift, double x, double y) override {
        presses.push_back({button, shift, x, y});
    }
    void OnCloseRequested() override { ++closeRequests; }

    std::vector<Event> keys, moves, presses;
    int closeRequests = 0;
};

class QtWindowTest : public qttest::QtPlatformFixture {
protected:
    void TearDown() override {
        window.reset();
        QtPlatformFixture::TearDown();
    }
    // Creates the window and shows it.
    QWidget* Open(const vb::WindowSpec& kind, std::optional<vb::PixelRect> geometry = std::nullopt) {
        window = platform->CreateWindow(kind, events, vb::UnitScale(platform->Screen()));
        if (geometry) window->SetGeometry(*geometry);
        window->Show();
        QWidget* widget = dynamic_cast<vb::QtDrawingWindow&>(*window).Widget();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(widget));
        return widget;
    }
    QRect Geometry() const {
        const vb::PixelRect g = window->Geometry();
        return QRect(g.left, g.top, g.width, g.height);
    }

    Recorder events;
    std::unique_ptr<vb::WindowBackend> window;
};

TEST_F(QtWindowTest, FullScreenWindowCoversTheScreenAboveOthersWithoutPointer) {
    QWidget* widget = Open(qttest::SaverWindow());
    EXPECT_EQ(Geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(widget->windowFlags() & Qt::WindowType_Mask, Qt::Tool) << "a task-bar entry";
    EXPECT_EQ(widget->cursor().shape(), Qt::BlankCursor);

    // The screen shows black until something is drawn.
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)), QColor(Qt::black));
}

TEST_F(QtWindowTest, PreviewWindowHasCaptionCloseBoxAndTheGeometrySet) {
    QWidget* widget = Open(qttest::PreviewWindow(), vb::PixelRect{10, 20, 300, 200});
    EXPECT_EQ(widget->windowTitle(), "Preview");
    EXPECT_TRUE(widget->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(widget->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(widget->minimumSize(), widget->maximumSize()) << "the preview is resizable";
    EXPECT_EQ(widget->cursor().shape(), Qt::BlankCursor);
    EXPECT_EQ(Geometry(), QRect(10, 20, 300, 200));
    // The canvas follows the drawing area.
    EXPECT_EQ(dynamic_cast<vb::QtCanvas&>(window->Surface()).Image().size(),
              widget->size() * widget->devicePixelRatioF());
}

TEST_F(QtWindowTest, CloseBoxIsForwardedAndTheWindowStays) {
    QWidget* widget = Open(qttest::PreviewWindow());
    widget->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.closeRequests == 1; }, 5000));
    EXPECT_TRUE(widget->isVisible()) << "the close was not left to the program";
}

TEST_F(QtWindowTest, KeyPressesReachTheProgram) {
    struct KeyCase {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        vb::Integer code, shift;  // what the program sees
    };
    const KeyCase cases[] = {
        {Qt::Key_A, Qt::NoModifier, 'A', 0},
        {Qt::Key_7, Qt::NoModifier, '7', 0},
        {Qt::Key_Z, Qt::ShiftModifier, 'Z', vb::kShiftMask},
        {Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier, 46, vb::kCtrlMask | vb::kAltMask},
        {Qt::Key_Shift, Qt::ShiftModifier, 16, vb::kShiftMask},  // lone modifiers, reported with their own state
        {Qt::Key_Alt, Qt::AltModifier, 18, vb::kAltMask},
        {Qt::Key_Tab, Qt::NoModifier, 9, 0},
        {Qt::Key_F5, Qt::NoModifier, 116, 0},
        {Qt::Key_VolumeUp, Qt::NoModifier, vb::kVkUnmapped, 0},
    };
    QWidget* widget = Open(qttest::SaverWindow());
    for (const KeyCase& c : cases) {
        events.keys.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);  // as the window system reports it
        QApplication::sendEvent(widget, &press);
        ASSERT_EQ(events.keys.size(), 1u) << "key " << c.code;
        EXPECT_EQ(events.keys[0].code, c.code);
        EXPECT_EQ(events.keys[0].shift, c.shift) << "key " << c.code;
    }
}

TEST_F(QtWindowTest, MouseMovesReachTheProgramInDrawingAreaPixels) {
    QWidget* widget = Open(qttest::PreviewWindow(), vb::PixelRect{50, 60, 320, 240});
    events.moves.clear();
    QTest::mouseMove(widget, QPoint(30, 40));
    QTest::mouseMove(widget, QPoint(31, 90));
    ASSERT_GE(events.moves.size(), 2u);
    EXPECT_EQ(events.moves.back().code, 0) << "a move without a button reports one";
    EXPECT_DOUBLE_EQ(events.moves.back().x, 31);
    EXPECT_DOUBLE_EQ(events.moves.back().y, 90);

    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(31, 90));
    QTest::mouseMove(widget, QPoint(35, 95));
    EXPECT_EQ(events.moves.back().code, vb::kLeftButton);
    EXPECT_DOUBLE_EQ(events.moves.back().x, 35);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(35, 95));
    QTest::mousePress(widget, Qt::RightButton, Qt::ShiftModifier, QPoint(7, 9));
    QTest::mouseRelease(widget, Qt::RightButton, Qt::ShiftModifier, QPoint(7, 9));

    ASSERT_EQ(events.presses.size(), 2u) << "each press reaches the program once";
    EXPECT_EQ(events.presses[0].code, vb::kLeftButton);
    EXPECT_DOUBLE_EQ(events.presses[0].x, 31);
    EXPECT_DOUBLE_EQ(events.presses[0].y, 90);
    EXPECT_EQ(events.presses[1].code, vb::kRightButton);
    EXPECT_EQ(events.presses[1].shift, vb::kShiftMask);
    EXPECT_DOUBLE_EQ(events.presses[1].x, 7);
}

TEST_F(QtWindowTest, DrawWidthBelowOneRaisesError5AndKeepsThePen) {
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(400, 200));
    form.DrawWidth(3);
    for (vb::Integer bad : {0, -1}) {
        try {
            form.DrawWidth(bad);
            ADD_FAILURE() << "DrawWidth(" << bad << ") was accepted";
        } catch (const vb::RuntimeError& error) {
            EXPECT_EQ(error.Number(), vb::kErrInvalidCall);
        }
    }
    EXPECT_EQ(form.DrawWidth(), 3);

    // The line still comes out 3 pixels wide.
    form.Line(10 * 15, 100 * 15, 390 * 15, 100 * 15, 0xFFFFFF);
    const QImage& image = form.Canvas().Image();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) lit += (image.pixel(200, y) & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 3);
}

TEST_F(QtWindowTest, FormGeometryAndMouseAreInTwips) {
    ProbeForm form(qttest::SaverWindow());
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
    EXPECT_FLOAT_EQ(form.Width(), float(screen.width() * twipsPerPixel));
    EXPECT_FLOAT_EQ(form.Height(), float(screen.height() * twipsPerPixel));

    QTest::mouseMove(form.Widget(), QPoint(100, 40));
    ASSERT_FALSE(form.moves.empty());
    EXPECT_FLOAT_EQ(form.moves.back().first, float(100 * twipsPerPixel));
    EXPECT_FLOAT_EQ(form.moves.back().second, float(40 * twipsPerPixel));
}

TEST_F(QtWindowTest, UnloadRemovesTheWindow) {
    ProbeForm form;
    form.Show();
    QPointer<QWidget> widget = form.Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    form.Unload();
    EXPECT_TRUE(widget.isNull() || !widget->isVisible());
    EXPECT_FALSE(form.IsLoaded());
}

}  // namespace
