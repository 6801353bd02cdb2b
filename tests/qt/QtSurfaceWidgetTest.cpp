// Where a drawing window's pixels live while the toolkit has not painted it
// yet: some platforms (Wayland) give the backing store an image only at the
// first paint, so drawing before it must stay in the canvas's own image and
// reach the screen at that paint; so must drawing while the window is
// hidden.

#include "tests/qt/QtTestSupport.h"

namespace {

using qttest::PaintLog;
using qttest::ProbeForm;

constexpr vb::Long kRed = 0x0000FF;
constexpr vb::Long kGreen = 0x00FF00;
constexpr int kTwips = 15;  // per pixel at 96 dots per inch

struct EarlyDrawingCase {
    const char* name;
    vb::WindowSpec kind;
};
void PrintTo(const EarlyDrawingCase& row, std::ostream* out) { *out << row.name; }

class QtSurfaceWidgetTest : public qttest::QtPlatformFixture,
                            public ::testing::WithParamInterface<EarlyDrawingCase> {};

QColor ShownAt(QWidget* widget, int x, int y) {
    const QImage shown = widget->grab().toImage();
    return QColor(shown.pixel(x, y));
}

// A horizontal line 5 pixels wide across the window at row y.
void DrawRow(ProbeForm& form, int widthPx, int y, vb::Long color) {
    form.DrawWidth(5);
    form.Line(float(10 * kTwips), float(y * kTwips), float((widthPx - 10) * kTwips), float(y * kTwips), color);
}

TEST_P(QtSurfaceWidgetTest, DrawingBeforeTheFirstPaintWaitsInTheCanvasAndIsShownByIt) {
    ProbeForm form(GetParam().kind);
    if (!GetParam().kind.fullScreen) {
        form.Width(float(400 * kTwips));
        form.Height(float(200 * kTwips));
    }
    form.Show();
    QWidget* widget = form.Widget();
    PaintLog log(widget);
    const int width = widget->width();

    // Shown, not painted yet: the toolkit's store may have no image.
    ASSERT_TRUE(widget->isVisible());
    ASSERT_EQ(log.paints, 0) << "the platform painted during Show(); nothing here is before the first paint";
    form.Cls();
    DrawRow(form, width, 50, kRed);
    EXPECT_FALSE(form.Canvas().DrawsOnTarget()) << "the canvas asked the store for its image before the first paint";
    EXPECT_EQ(QColor(form.Canvas().Image().pixel(width / 2, 50)), QColor(Qt::red));

    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.paints > 0; }));
    EXPECT_EQ(ShownAt(widget, width / 2, 50), QColor(Qt::red)) << "the early drawing was lost at the first paint";
    EXPECT_EQ(ShownAt(widget, width / 2, 80), QColor(Qt::black));
    EXPECT_TRUE(form.Canvas().DrawsOnTarget()) << "once painted, the canvas draws in the store";

    // Hidden: the store may lose its image again; what is drawn meanwhile
    // and what was drawn before both show once the window is back.
    widget->hide();
    EXPECT_FALSE(form.Canvas().DrawsOnTarget());
    DrawRow(form, width, 80, kGreen);
    EXPECT_FALSE(form.Canvas().DrawsOnTarget()) << "the canvas drew in a hidden window's store";
    const int paintsBefore = log.paints;
    widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.paints > paintsBefore; }));
    EXPECT_EQ(ShownAt(widget, width / 2, 50), QColor(Qt::red));
    EXPECT_EQ(ShownAt(widget, width / 2, 80), QColor(Qt::green));
}

INSTANTIATE_TEST_SUITE_P(Windows, QtSurfaceWidgetTest,
                         ::testing::Values(EarlyDrawingCase{"Saver", qttest::SaverWindow()},
                                           EarlyDrawingCase{"Preview", qttest::PreviewWindow()}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
