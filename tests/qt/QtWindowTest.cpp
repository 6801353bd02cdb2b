// Qt windows of the program: what the user sees of them (geometry, flags,
// pointer, drawing) and what reaches the program of the user's input.

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/Form.h"
#include "runtime/RuntimeError.h"
#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/QtDrawingWindow.h"
#include "runtime/qt/QtInput.h"
#include "runtime/qt/QtPlatform.h"

namespace {

class MemoryStore final : public vb::SettingsStore {
public:
    std::optional<std::string> Get(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void Save(const std::string&, const std::string&, const std::string&, const std::string&) override {}
};

// Everything a window forwards, in order.
struct Recorder final : vb::WindowEvents {
    struct Key {
        vb::Integer code, shift;
        bool operator==(const Key&) const = default;
    };
    struct Move {
        vb::Integer button, shift;
        double x, y;
    };
    void OnKeyDown(vb::Integer keyCode, vb::Integer shift) override { keys.push_back({keyCode, shift}); }
    void OnMouseMove(vb::Integer button, vb::Integer shift, double x, double y) override {
        moves.push_back({button, shift, x, y});
    }
    void OnCloseRequested() override { ++closeRequests; }

    std::vector<Key> keys;
    std::vector<Move> moves;
    int closeRequests = 0;
};

class QtWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform = std::make_unique<vb::QtPlatform>(*qApp, std::make_unique<MemoryStore>(),
                                                    vb::QtPlatform::Options{.paced = false});
        vb::InstallPlatform(platform.get());
    }
    void TearDown() override {
        vb::InstallPlatform(nullptr);
        platform.reset();
    }

    std::unique_ptr<vb::QtDrawingWindow> Create(const vb::WindowSpec& spec, vb::WindowEvents& events) {
        auto backend = platform->CreateWindow(spec, events, vb::UnitScale(platform->Screen()));
        auto* window = dynamic_cast<vb::QtDrawingWindow*>(backend.get());
        EXPECT_NE(window, nullptr) << "a drawing window is not a QtDrawingWindow";
        backend.release();
        return std::unique_ptr<vb::QtDrawingWindow>(window);
    }

    static vb::WindowSpec SaverSpec() {
        vb::WindowSpec spec;
        spec.fullScreen = true;
        spec.controlBox = false;
        spec.blankCursor = true;
        return spec;
    }
    static vb::WindowSpec PreviewSpec() {
        vb::WindowSpec spec;
        spec.caption = "Preview";
        spec.blankCursor = true;
        return spec;
    }

    std::unique_ptr<vb::QtPlatform> platform;
};

TEST_F(QtWindowTest, FullScreenWindowCoversTheScreenAboveOthersWithoutPointer) {
    Recorder events;
    auto window = Create(SaverSpec(), events);
    window->Show();
    QWidget* widget = window->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const vb::PixelRect geometry = window->Geometry();
    EXPECT_EQ(QRect(geometry.left, geometry.top, geometry.width, geometry.height), screen);
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(widget->windowFlags() & Qt::WindowType_Mask, Qt::Tool) << "a task-bar entry";
    EXPECT_EQ(widget->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(widget->hasMouseTracking());

    // The screen shows black until something is drawn.
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)), QColor(Qt::black));
}

TEST_F(QtWindowTest, PreviewWindowHasCaptionCloseBoxAndTheGeometrySet) {
    Recorder events;
    auto window = Create(PreviewSpec(), events);
    window->SetGeometry({10, 20, 300, 200});
    window->Show();
    QWidget* widget = window->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));

    EXPECT_EQ(widget->windowTitle(), "Preview");
    EXPECT_TRUE(widget->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(widget->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(widget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(widget->minimumSize(), widget->maximumSize()) << "the preview is resizable";
    EXPECT_EQ(widget->cursor().shape(), Qt::BlankCursor);
    const vb::PixelRect geometry = window->Geometry();
    EXPECT_EQ(QRect(geometry.left, geometry.top, geometry.width, geometry.height), QRect(10, 20, 300, 200));

    // The canvas follows the drawing area.
    auto& canvas = dynamic_cast<vb::QtCanvas&>(window->Surface());
    EXPECT_EQ(canvas.Image().size(), widget->size() * widget->devicePixelRatioF());
}

TEST_F(QtWindowTest, CloseBoxIsForwardedAndTheWindowStays) {
    Recorder events;
    auto window = Create(PreviewSpec(), events);
    window->Show();
    QWidget* widget = window->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    widget->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.closeRequests == 1; }, 5000));
    EXPECT_TRUE(widget->isVisible()) << "the close was not left to the program";
}

struct KeyCase {
    std::string name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    vb::Integer keyCode;  // what the program sees for the key itself
    vb::Integer shift;
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
};

class QtWindowKeys : public QtWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(QtWindowKeys, KeyPressReachesTheProgram) {
    const KeyCase& c = GetParam();
    Recorder events;
    auto window = Create(SaverSpec(), events);
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));

    QTest::keyPress(window->Widget(), c.key, c.modifiers);
    ASSERT_FALSE(events.keys.empty()) << "no key reached the program";
    EXPECT_EQ(events.keys.back(), (Recorder::Key{c.keyCode, c.shift}))
        << "got " << events.keys.back().code << "/" << events.keys.back().shift;
    for (const auto& key : events.keys) EXPECT_NE(key.code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, QtWindowKeys,
    ::testing::Values(KeyCase{"LetterA", Qt::Key_A, Qt::NoModifier, 'A', 0},
                      KeyCase{"Digit7", Qt::Key_7, Qt::NoModifier, '7', 0},
                      KeyCase{"ShiftedZ", Qt::Key_Z, Qt::ShiftModifier, 'Z', vb::kShiftMask},
                      KeyCase{"ControlAltDelete", Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier, 46,
                              vb::kCtrlMask | vb::kAltMask},
                      KeyCase{"ShiftAlone", Qt::Key_Shift, Qt::NoModifier, 16, vb::kShiftMask},
                      KeyCase{"ControlAlone", Qt::Key_Control, Qt::NoModifier, 17, vb::kCtrlMask},
                      KeyCase{"AltAlone", Qt::Key_Alt, Qt::NoModifier, 18, vb::kAltMask},
                      KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, 27, 0},
                      KeyCase{"Tab", Qt::Key_Tab, Qt::NoModifier, 9, 0},
                      KeyCase{"Space", Qt::Key_Space, Qt::NoModifier, 32, 0},
                      KeyCase{"F5", Qt::Key_F5, Qt::NoModifier, 116, 0},
                      KeyCase{"LeftArrow", Qt::Key_Left, Qt::NoModifier, 37, 0},
                      KeyCase{"VolumeUp", Qt::Key_VolumeUp, Qt::NoModifier, vb::kVkUnmapped, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(QtWindowTest, MouseMovesReachTheProgramInDrawingAreaPixels) {
    Recorder events;
    auto window = Create(PreviewSpec(), events);
    window->SetGeometry({50, 60, 320, 240});
    window->Show();
    QWidget* widget = window->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));

    events.moves.clear();
    QTest::mouseMove(widget, QPoint(30, 40));
    QTest::mouseMove(widget, QPoint(31, 40));
    QTest::mouseMove(widget, QPoint(31, 90));
    ASSERT_GE(events.moves.size(), 3u);
    const auto& last = events.moves.back();
    EXPECT_DOUBLE_EQ(last.x, 31);
    EXPECT_DOUBLE_EQ(last.y, 90);
    EXPECT_EQ(last.button, 0) << "a move without a button reports one";
    const auto& before = events.moves[events.moves.size() - 2];
    EXPECT_DOUBLE_EQ(before.x, 31);
    EXPECT_DOUBLE_EQ(before.y, 40);

    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(31, 90));
    QTest::mouseMove(widget, QPoint(35, 95));
    ASSERT_FALSE(events.moves.empty());
    EXPECT_DOUBLE_EQ(events.moves.back().x, 35);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(35, 95));
}

// A window of the program, as the portable side sees it through the Qt
// backend.
class ProbeForm final : public vb::Form {
public:
    using vb::Form::Form;
    vb::QtCanvas& Canvas() { return dynamic_cast<vb::QtCanvas&>(Window().Surface()); }
    QWidget* Widget() { return dynamic_cast<vb::QtDrawingWindow&>(Window()).Widget(); }

    std::vector<std::pair<vb::Single, vb::Single>> moves;

protected:
    void Form_MouseMove(vb::Integer, vb::Integer, vb::Single X, vb::Single Y) override { moves.emplace_back(X, Y); }
};

int LitRows(const QImage& image, int column) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) rows += (image.pixel(column, y) & 0xFFFFFF) != 0;
    return rows;
}

TEST_F(QtWindowTest, DrawWidthBelowOneRaisesError5AndKeepsThePen) {
    vb::WindowSpec spec = PreviewSpec();
    ProbeForm form(spec);
    form.Width(400 * 15);
    form.Height(200 * 15);
    form.Show();
    form.DrawWidth(3);

    for (vb::Integer bad : {vb::Integer(0), vb::Integer(-1)}) {
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
    EXPECT_EQ(LitRows(form.Canvas().Image(), 200), 3);
    form.Unload();
}

TEST_F(QtWindowTest, FormGeometryAndMouseAreInTwips) {
    ProbeForm form(SaverSpec());
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const double twipsPerPixel = 1440.0 / QGuiApplication::primaryScreen()->logicalDotsPerInch();
    EXPECT_FLOAT_EQ(form.Width(), float(screen.width() * twipsPerPixel));
    EXPECT_FLOAT_EQ(form.Height(), float(screen.height() * twipsPerPixel));

    form.moves.clear();
    QTest::mouseMove(form.Widget(), QPoint(100, 40));
    ASSERT_FALSE(form.moves.empty());
    EXPECT_FLOAT_EQ(form.moves.back().first, float(100 * twipsPerPixel));
    EXPECT_FLOAT_EQ(form.moves.back().second, float(40 * twipsPerPixel));
    form.Unload();
}

TEST_F(QtWindowTest, UnloadRemovesTheWindow) {
    ProbeForm form(PreviewSpec());
    form.Show();
    QPointer<QWidget> widget = form.Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    form.Unload();
    EXPECT_TRUE(widget.isNull() || !widget->isVisible());
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(QtWindowTest, DrawingReachesTheScreenAfterDoEvents) {
    ProbeForm form(PreviewSpec());
    form.Width(300 * 15);
    form.Height(200 * 15);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    vb::DoEvents();

    // What the window system was asked to paint, from now on.
    struct PaintLog final : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } log;
    form.Widget()->installEventFilter(&log);
    form.DrawWidth(5);
    form.Line(20 * 15, 20 * 15, 120 * 15, 80 * 15, vb::RGB(255, 0, 0));
    EXPECT_TRUE(log.painted.isEmpty()) << "painted before the yield";
    vb::DoEvents();
    EXPECT_TRUE(log.painted.contains(QPoint(70, 50))) << "the line's middle was not painted";
    form.Widget()->removeEventFilter(&log);
    form.Unload();
}

}  // namespace
