// Drawing windows on a native surface: the program's drawing goes there and
// nowhere else, a frame is presented only when something was drawn, an
// exposed area is handed back to be painted in the background colour, and a
// declined window draws on its QtCanvas as before.

#include <QBackingStore>
#include <QRegion>

#include <memory>
#include <string>
#include <vector>

#include "runtime/qt/QtNativeSurface.h"
#include "tests/qt/QtTestSupport.h"

namespace {

using qttest::ProbeForm;

// What the windows' surfaces were asked to do, kept beyond their lives.
struct SurfaceLog {
    std::vector<std::string> drawn;  // "line x1,y1 x2,y2 colour", "cls"
    QRegion erased;
    int presents = 0;
    QSize size;
    vb::Long backColor = -1;
    int made = 0;
};

class FakeNativeSurface final : public vb::QtNativeSurface {
public:
    explicit FakeNativeSurface(SurfaceLog& log) : mLog(log) {}
    void Cls() override { mLog.drawn.push_back("cls"), mUnshown = true; }
    void DrawWidth(vb::Integer) override {}
    void DrawStyle(vb::Integer) override {}
    void Rescale(const vb::UnitScale&) override {}
    void Line(vb::Single x1, vb::Single y1, vb::Single x2, vb::Single y2, vb::Long color) override {
        mLog.drawn.push_back("line " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + " " +
                             std::to_string(int(x2)) + "," + std::to_string(int(y2)) + " " + std::to_string(color));
        mUnshown = true;
    }
    void Resize(QSize logicalSize, qreal) override { mLog.size = logicalSize; }
    void Erase(const QRect& area) override { mLog.erased += area; }
    bool HasUnshown() const override { return mUnshown; }
    void Present() override { ++mLog.presents, mUnshown = false; }

private:
    SurfaceLog& mLog;
    bool mUnshown = false;
};

class QtNativeSurfaceTest : public qttest::QtPlatformFixture {
protected:
    // A paced platform whose drawing windows get fake native surfaces, or
    // none when `decline`.
    void InstallNative(bool decline = false) {
        vb::InstallPlatform(nullptr);
        platform.reset();
        vb::QtPlatform::Options options{.paced = true};
        options.nativeSurfaces = [this, decline](QWidget&, const vb::UnitScale&, vb::Long backColor)
            -> std::unique_ptr<vb::QtNativeSurface> {
            ++log.made;
            log.backColor = backColor;
            if (decline) return nullptr;
            return std::make_unique<FakeNativeSurface>(log);
        };
        platform = std::make_unique<vb::QtPlatform>(*qApp, std::make_unique<qttest::NoSettings>(), std::move(options));
        vb::InstallPlatform(platform.get());
    }

    SurfaceLog log;
};

TEST_F(QtNativeSurfaceTest, DrawingGoesToTheNativeSurfaceAndIsPresentedOnlyWhenThereIsSome) {
    InstallNative();
    vb::WindowSpec spec = qttest::PreviewWindow();
    spec.backColor = vb::RGB(0, 0, 128);
    ProbeForm form(spec);
    ASSERT_TRUE(form.ShowSized(200, 100));
    EXPECT_EQ(log.made, 1);
    EXPECT_EQ(log.backColor, vb::RGB(0, 0, 128)) << "the surface was not told the background colour";
    auto* widget = static_cast<vb::QtSurfaceWidget*>(form.Widget());
    EXPECT_EQ(log.size, widget->size()) << "the surface was not told the drawing area";
    EXPECT_NE(dynamic_cast<vb::QtNativeSurface*>(&widget->DrawingSurface()), nullptr);

    vb::DoEvents();
    vb::DoEvents();
    const int idle = log.presents;
    form.Line(15, 30, 1500, 30, vb::RGB(255, 0, 0));
    vb::DoEvents();
    vb::DoEvents();
    EXPECT_EQ(log.drawn, std::vector<std::string>{"line 15,30 1500,30 255"});
    EXPECT_EQ(log.presents, idle + 1) << "a step's drawing is presented once, at its frame";
    for (int i = 0; i < 5; ++i) vb::DoEvents();
    EXPECT_EQ(log.presents, idle + 1) << "frames with nothing drawn were presented";
    EXPECT_TRUE(widget->DrawsNatively());
    EXPECT_LE(widget->Canvas().DeviceSize().width(), 1) << "the raster canvas holds a picture as well";
    QBackingStore* store = widget->backingStore();
    EXPECT_TRUE(!store || store->size().isEmpty()) << "the window keeps a picture of its own";
}

// Without frame requests a step's drawing goes out when the step yields, not
// a frame later: it is what keeps the picture close to the sound.
TEST_F(QtNativeSurfaceTest, AStepsDrawingIsPresentedWhenItYields) {
    InstallNative();
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(200, 100));
    vb::DoEvents();
    QTest::qWait(50);  // a step longer than a frame: the frame it waited for has passed
    const int presented = log.presents;
    form.Line(15, 30, 1500, 30, vb::RGB(255, 0, 0));
    vb::DoEvents();
    EXPECT_EQ(log.presents, presented + 1) << "the drawing waits for the next frame";
}

TEST_F(QtNativeSurfaceTest, AnExposedAreaIsErasedAndPresented) {
    InstallNative();
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(200, 100));
    vb::DoEvents();
    log.erased = QRegion();
    const int presented = log.presents;
    form.Widget()->repaint(QRect(10, 20, 30, 40));  // what an expose does
    EXPECT_EQ(log.erased, QRegion(10, 20, 30, 40));
    EXPECT_GT(log.presents, presented) << "the erased area was not sent to the window system";

    const QSize before = log.size;
    form.Width(300 * 15);  // a resize tells the surface its new area
    QTest::qWait(50);
    vb::DoEvents();
    EXPECT_EQ(log.size, before + QSize(100, 0));
}

TEST_F(QtNativeSurfaceTest, ADeclinedWindowDrawsOnItsCanvas) {
    InstallNative(/*decline=*/true);
    ProbeForm form;
    ASSERT_TRUE(form.ShowSized(200, 100));
    EXPECT_EQ(log.made, 1);
    form.DrawWidth(3);
    form.Line(15, 30 * 15, 150 * 15, 30 * 15, vb::RGB(255, 0, 0));
    vb::DoEvents();
    vb::DoEvents();
    EXPECT_TRUE(log.drawn.empty());
    EXPECT_EQ(QColor(form.Canvas().Image().pixel(50, 30)), QColor(Qt::red)) << "the declined window lost its line";
}

}  // namespace
