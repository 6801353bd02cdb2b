#include <gtest/gtest.h>

#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessPlatform.h"
#include "tests/support/ErrorNumber.h"
#include "tests/support/TestWindow.h"

namespace {

using vb::DrawOp;

class DrawRaySegmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_shared<TestWindow>(platform, 640, 480);
        engine->Screen(window);
        window->Surface().ops.clear();
    }

    RayTrail Ray(int slots = 2) {
        RayTrail ray;
        ray.XHist.assign(size_t(slots), 0);
        ray.YHist.assign(size_t(slots), 0);
        ray.WidthHist.assign(size_t(slots), 0);
        ray.MirrorHist.assign(size_t(slots), 0);
        return ray;
    }

    void Draw(const RayTrail& ray, vb::Integer slot, vb::Long color, vb::Integer x, vb::Integer y, vb::Integer w) {
        EngineTestAccess::DrawRaySegment(*engine, ray, slot, color, x, y, w);
    }

    std::vector<DrawOp> Lines() const { return window->Surface().Lines(); }

    static DrawOp LineOp(float x1, float y1, float x2, float y2, vb::Long color, vb::Integer width,
                         vb::Integer style) {
        DrawOp op{DrawOp::Line};
        op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.color = color, op.width = width, op.style = style;
        op.pen = vb::ResolvePen(width, style, vb::UnitScale(vb::ScreenMetrics{}));
        return op;
    }

    vb::HeadlessPlatform platform;
    std::shared_ptr<clsGyrobloom> engine = std::make_shared<clsGyrobloom>();
    std::shared_ptr<TestWindow> window;
};

TEST_F(DrawRaySegmentTest, WithoutMirrorDrawsTheNewSegmentAndErasesTheOldOneInBlack) {
    RayTrail ray = Ray();
    ray.X = 100, ray.Y = 50, ray.OldX = 10, ray.OldY = 20;
    ray.XHist[1] = 30, ray.YHist[1] = 40, ray.WidthHist[1] = 7;
    engine->DrawStyle(0);
    Draw(ray, 1, 0x00FF00, 120, 60, 9);
    EXPECT_EQ(Lines(), (std::vector<DrawOp>{LineOp(100, 50, 120, 60, 0x00FF00, 9, 0),
                                            LineOp(10, 20, 30, 40, 0, 7, 0)}));
}

TEST_F(DrawRaySegmentTest, MirrorDrawsThreeImagesInTheFullSurfaceAndAMirroredEraseThreeMore) {
    RayTrail ray = Ray();
    ray.X = 100, ray.Y = 50, ray.OldX = 200, ray.OldY = 100;
    ray.XHist[0] = 210, ray.YHist[0] = 110, ray.WidthHist[0] = 3, ray.MirrorHist[0] = vb::kTrue;
    engine->Mirror(true);
    Draw(ray, 0, 255, 120, 60, 5);
    const std::vector<DrawOp> expected{
        LineOp(100, 50, 120, 60, 255, 5, 0),   LineOp(540, 430, 520, 420, 255, 5, 0),
        LineOp(100, 430, 120, 420, 255, 5, 0), LineOp(540, 50, 520, 60, 255, 5, 0),
        LineOp(200, 100, 210, 110, 0, 3, 0),   LineOp(440, 380, 430, 370, 0, 3, 0),
        LineOp(200, 380, 210, 370, 0, 3, 0),   LineOp(440, 100, 430, 110, 0, 3, 0),
    };
    EXPECT_EQ(Lines(), expected);
}

TEST_F(DrawRaySegmentTest, ImagesOfTheErasedSegmentFollowTheFlagRecordedWithIt) {
    RayTrail ray = Ray();
    ray.MirrorHist[0] = vb::kTrue;  // drawn mirrored, Mirror since switched off
    engine->Mirror(false);
    Draw(ray, 0, 255, 1, 1, 1);
    auto black = [this] {
        auto lines = Lines();
        return std::count_if(lines.begin(), lines.end(), [](const DrawOp& l) { return l.color == 0; });
    };
    EXPECT_EQ(Lines().size(), 5u);
    EXPECT_EQ(black(), 4) << "one new line, four black ones";

    window->Surface().ops.clear();
    ray.MirrorHist[0] = vb::kFalse;  // drawn plain, Mirror now on
    engine->Mirror(true);
    Draw(ray, 0, 255, 1, 1, 1);
    EXPECT_EQ(Lines().size(), 5u);
    EXPECT_EQ(black(), 1) << "four new lines, one black one";
}

TEST_F(DrawRaySegmentTest, WidthZeroIsNotAppliedAndTheWidthSetLastStaysInForce) {
    RayTrail ray = Ray();
    ray.WidthHist[0] = 6;
    Draw(ray, 0, 255, 1, 1, 4);  // leaves the erase width 6 on the pen
    window->Surface().ops.clear();
    ray.WidthHist[0] = 0;
    Draw(ray, 0, 255, 2, 2, 0);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].width, 6) << "a new segment of width 0 uses the width set last";
    EXPECT_EQ(lines[1].width, 6) << "a stored width of 0 leaves the width in force";
    EXPECT_EQ(window->DrawWidth(), 6);
}

TEST_F(DrawRaySegmentTest, DashedSegmentIsErasedWithASolidLineOfTheSameWidth) {
    RayTrail ray = Ray();
    engine->DrawStyle(1);
    Draw(ray, 0, 255, 50, 60, 1);
    ray.OldX = 0, ray.OldY = 0, ray.XHist[1] = 50, ray.YHist[1] = 60, ray.WidthHist[1] = 1;
    window->Surface().ops.clear();
    Draw(ray, 1, 255, 70, 80, 1);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].style, 1);
    EXPECT_EQ(lines[1], LineOp(0, 0, 50, 60, 0, 1, 0));
}

// What a real canvas draws: a dashed ray of width 1 keeps its dashes (two
// device pixels wide on a 200% screen), a wider one and every erase are solid.
TEST(DrawRaySegmentPen, SegmentsAreDrawnWithTheResolvedPen) {
    struct Row {
        const char* name;
        double devicePixelRatio;
        vb::Integer width;
        vb::Pen drawn, erased;
    };
    const Row rows[] = {
        {"thin_dash", 1, 1, {1, vb::PenStyle::Dash}, {1, vb::PenStyle::Solid}},
        {"wide_dash_is_solid", 1, 9, {9, vb::PenStyle::Solid}, {1, vb::PenStyle::Solid}},
        {"thin_dash_at_200_percent", 2, 1, {2, vb::PenStyle::Dash}, {2, vb::PenStyle::Solid}},
        {"wide_at_200_percent", 2, 9, {18, vb::PenStyle::Solid}, {2, vb::PenStyle::Solid}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vb::HeadlessPlatform platform;
        platform.screen.devicePixelRatio = row.devicePixelRatio;
        auto engine = std::make_shared<clsGyrobloom>();
        auto window = std::make_shared<TestWindow>(platform, 640, 480);
        engine->Screen(window);
        engine->DrawStyle(1);
        RayTrail ray;
        ray.XHist = {0, 0}, ray.YHist = {0, 0}, ray.WidthHist = {1, 1}, ray.MirrorHist = {0, 0};
        window->Surface().ops.clear();
        EngineTestAccess::DrawRaySegment(*engine, ray, 1, 255, 70, 80, row.width);
        const auto lines = window->Surface().Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].pen, row.drawn);
        EXPECT_EQ(lines[1].pen, row.erased);
    }
}

TEST_F(DrawRaySegmentTest, AFailingStatementIsSkippedAndTheRestStillDraws) {
    RayTrail ray = Ray(1);
    ray.X = -32768;  // its mirror image overflows: 640 - (-32768)
    engine->Mirror(true);
    ray.MirrorHist[0] = vb::kFalse;
    Draw(ray, 0, 255, 10, 10, 2);
    auto lines = Lines();
    // Of the four coloured lines, the two that mirror x are lost.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], LineOp(-32768, 480, 10, 470, 255, 2, 0));
    EXPECT_EQ(lines[2].color, 0);

    window->Surface().ops.clear();
    Draw(ray, 5, 255, 10, 10, 2);  // a slot outside the ring: the erase is lost, the draw is not
    EXPECT_EQ(Lines().size(), 2u);
}

// The width setter that does not raise must fail exactly where the raising one
// does, and leave the form and its surface as the raising one leaves them.
TEST_F(DrawRaySegmentTest, WidthWithoutRaiseFailsWhereDrawWidthRaisesAndChangesTheSame) {
    struct Row {
        const char* name;
        vb::Integer width;
        bool valid;
    };
    const Row rows[] = {{"negative", -3, false}, {"zero", 0, false}, {"one", 1, true},
                        {"wide", 40, true},      {"widest", 32767, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto other = std::make_shared<TestWindow>(platform, 640, 480);
        window->DrawWidth(7);
        other->DrawWidth(7);
        window->Surface().ops.clear();
        other->Surface().ops.clear();

        const int raised = ErrorNumberOf([&] { window->DrawWidth(row.width); });
        const bool took = other->TryDrawWidth(row.width);

        EXPECT_EQ(raised, row.valid ? 0 : vb::kErrInvalidCall);
        EXPECT_EQ(took, row.valid);
        EXPECT_EQ(window->DrawWidth(), row.valid ? row.width : 7);
        EXPECT_EQ(other->DrawWidth(), window->DrawWidth());
        ASSERT_EQ(other->Surface().ops.size(), window->Surface().ops.size());
        EXPECT_EQ(other->Surface().ops.size(), row.valid ? 1u : 0u) << "only a valid width reaches the surface";
    }
}

}  // namespace
