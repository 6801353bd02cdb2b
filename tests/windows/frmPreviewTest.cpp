#include "windows/frmPreview.h"

#include <gtest/gtest.h>

#include "engine/clsGyrobloom.h"
#include "tests/support/ProgramFixture.h"

namespace {

class PreviewWindow : public ProgramFixture {
protected:
    void Bind() { modSubs::gEngine().Screen(modSubs::frmPreviewInstance()); }
};

TEST_F(PreviewWindow, TakesAThirdOfTheScreenTopLeftBehindTheOthers) {
    platform.screen = {1024, 768, 15.0, 1.0};  // 15360 x 11520 twips
    Bind();
    auto preview = modSubs::frmPreviewInstance();
    auto& engine = modSubs::gEngine();
    // Asked for 5068.8 x 4116.6 twips; the window fits that to whole pixels
    // (338 x 274), and the engine gets what it really took.
    EXPECT_EQ(preview->Width(), 5070);
    EXPECT_EQ(preview->Height(), 4110);
    EXPECT_EQ(engine.ScreenScale(), 0.33f);
    EXPECT_EQ(engine.ScreenWidth(), 5070);
    EXPECT_EQ(engine.ScreenHeight(), 4110 - 315);
    EXPECT_EQ(engine.CenterX(), 2535);
    EXPECT_EQ(engine.CenterY(), 1898) << "1897.5 rounds to the even neighbour";
    EXPECT_EQ(preview->Left(), 0);
    EXPECT_EQ(preview->Top(), 0);
    ASSERT_EQ(platform.windows.size(), 1u);
    EXPECT_TRUE(platform.windows[0]->shown);
    EXPECT_TRUE(platform.windows[0]->zOrderBack);
    EXPECT_EQ(platform.windows[0]->spec.caption, "Preview");
    EXPECT_TRUE(platform.windows[0]->spec.blankCursor);
}

TEST_F(PreviewWindow, CloseBoxLeavesTheWindowTheAnimationDrawsOn) {
    Bind();
    modSubs::frmPreviewInstance()->OnCloseRequested();
    EXPECT_TRUE(modSubs::frmPreviewInstance()->IsLoaded());
    EXPECT_EQ(platform.windows.size(), 1u);
}

}  // namespace
