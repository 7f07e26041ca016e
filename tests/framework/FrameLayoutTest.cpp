// The in-game frame's layout on configured desktops: side panel widths by work area and window
// state, the restored size, the scene and panel rectangles with the splitter open and folded,
// a view of no size, and the match room's wait objects.
#include "tests/framework/FrameFixture.h"

#include "engine/object/PictureObject.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameLayout.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

using FrameLayoutTest = FrameFixture;

TEST(FrameLayoutNumbers, PanelWidthAndRestoredSizeFollowTheWorkArea)
{
    struct Case {
        bool fills;
        int work;
        int panel;
        int restored;
        int mode;
    } cases[] = {
        {true, 1024, 250, 800, 1}, {true, 1279, 284, 800, 1}, {true, 1280, 282, 1050, 2},
        {true, 1920, 282, 1050, 2}, {false, 1920, 250, 1050, 1}, {false, 1024, 250, 800, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SidePanelWidth(c.fills, c.work), c.panel) << c.work;
        EXPECT_EQ(RestoredWidth(c.work), c.restored) << c.work;
        EXPECT_EQ(LayoutWidthMode(c.fills, c.work), c.mode) << c.work;
    }
}

TEST_F(FrameLayoutTest, FillingWindowsLayOutSceneAndPanelAtThreeDesktopSizes)
{
    struct Case {
        int w, h, panel;
    } cases[] = {{1024, 768, 250}, {1280, 1024, 282}, {1920, 1080, 282}};
    for (const Case& c : cases) {
        TestFrame& f = Start(c.w, c.h);
        EXPECT_EQ(f.GetName(), "GameFrame");
        EXPECT_EQ(f.CheckWindowMaximized(), 1);
        EXPECT_EQ(f.GetPanelWidth(), c.panel);
        EXPECT_EQ(f.GetRestoredHeight(), 600);
        ASSERT_NE(f.Scene(), nullptr);
        EXPECT_EQ(f.Scene()->GetName(), "MainGame");
        EXPECT_EQ(f.Panel()->GetName(), "SubSystem");
        EXPECT_EQ(f.Panel()->Bounds(), (Rect{c.w - c.panel - 4, 25, c.w - 4, c.h - 4}));
        EXPECT_EQ(f.Scene()->Bounds(), (Rect{4, 25, c.w - c.panel - 4 - 6, c.h - 4}));
        Rect scene;
        ASSERT_TRUE(GetMainGameRect(scene));
        EXPECT_EQ(scene, f.Scene()->Bounds());
        ASSERT_TRUE(GetSubSystemRect(scene));
        EXPECT_EQ(scene, f.Panel()->Bounds());
    }
}

TEST_F(FrameLayoutTest, FoldingThePanelGivesTheSceneTheWidthAndARestoredWindowANarrowPanel)
{
    TestFrame& f = Start(1920, 1080, false);
    EXPECT_EQ(f.CheckWindowMaximized(), 0);
    f.SetWidthMode(f.GetLayoutWidthMode());
    EXPECT_EQ(f.GetPanelWidth(), 250);
    EXPECT_EQ(f.GetRestoredWidth(), 1050);
    EXPECT_EQ(f.GetLayoutWidthMode(), 1);
    f.OnSize();
    EXPECT_EQ(f.Panel()->Bounds(), (Rect{800 - 254, 25, 800 - 4, 600 - 4}));

    // Folded by the splitter: the panel lies right of the view, the scene reaches the border.
    f.Splitter()->SetCollapsed(1);
    f.SetWidthMode(0);
    f.OnSize();
    EXPECT_EQ(f.GetVisiblePanelWidth(), 0);
    EXPECT_EQ(f.Panel()->Bounds(), (Rect{800, 25, 1050, 596}));
    EXPECT_EQ(f.Scene()->Bounds(), (Rect{4, 25, 800 - 4 - 6, 596}));
    // Open again, with the mode the layout asks for.
    f.Splitter()->SetCollapsed(0);
    f.SetWidthMode(f.GetLayoutWidthMode());
    f.OnSize();
    EXPECT_EQ(f.Panel()->Bounds(), (Rect{546, 25, 796, 596}));
}

// Resized by the window system, not by the fit button: the panel takes the width of the window as
// it is now, and a view narrowed to the fold width folds it, once: opened again there, it stays.
TEST_F(FrameLayoutTest, AWindowResizedByTheSystemTakesThePanelOfItsNewState)
{
    TestFrame& f = Start(1920, 1080);
    ASSERT_EQ(f.GetPanelWidth(), 282);
    window_->Resize(1000, 700);
    EXPECT_EQ(f.GetFillsWorkArea(), 0);
    EXPECT_EQ(f.Panel()->Bounds(), (Rect{1000 - 254, 25, 996, 696}));
    window_->Resize(800, 600);
    EXPECT_FALSE(f.Splitter()->IsExpanded());
    f.Splitter()->SetCollapsed(0);
    f.SetWidthMode(f.GetLayoutWidthMode());
    f.OnSize();
    EXPECT_EQ(f.Panel()->Bounds(), (Rect{546, 25, 796, 596}));
    window_->Resize(1920, 1080);
    EXPECT_EQ(f.GetPanelWidth(), 282);
    EXPECT_TRUE(f.Splitter()->IsExpanded());
}

TEST_F(FrameLayoutTest, AViewOfNoSizeChangesNothingAndFirstLayoutEntersTheGame)
{
    TestFrame& f = Start(1024, 768);
    const Rect before = f.Scene()->Bounds();
    window_->Resize(0, 0);  // minimised: the view keeps no size
    f.OnSize();
    EXPECT_EQ(f.Scene()->Bounds(), before);

    f.OnSizeDone();
    EXPECT_EQ(f.Scene()->done, 1);
    EXPECT_EQ(f.Panel()->done, 1);
    EXPECT_EQ(app_.entered, 1);
}

TEST_F(FrameLayoutTest, MatchRoomsMakeAndPlaceTheirWaitObjectsOthersNone)
{
    TestFrame& plain = Start(1024, 768);
    EXPECT_EQ(plain.GetWaitAnimation(), nullptr);
    EXPECT_EQ(plain.GetEventQueue(), nullptr);
    EXPECT_EQ(plain.GetSignUpButton(), nullptr);
    EXPECT_EQ(plain.GetRestBoard(), nullptr);

    app_.match = true;
    app_.matchState = 100;
    TestFrame& waiting = Start(1024, 768);
    ASSERT_NE(waiting.GetWaitAnimation(), nullptr);
    EXPECT_NE(waiting.GetEventQueue(), nullptr);
    EXPECT_NE(waiting.GetCountdownBoard(), nullptr);
    EXPECT_NE(waiting.GetFeeBoard(), nullptr);
    ASSERT_NE(waiting.GetKnockoutBoard(), nullptr);
    ASSERT_NE(waiting.GetRestBoard(), nullptr);
    EXPECT_FALSE(waiting.GetCountdownBoard()->IsActive());
    const Rect s = waiting.Scene()->Bounds();
    const int cx = s.left + (s.right - s.left) / 2, hm = s.bottom - s.top;
    EXPECT_EQ(waiting.GetWaitAnimation()->GetX(), cx);
    EXPECT_EQ(waiting.GetWaitAnimation()->GetY(), s.top + hm / 2);
    EXPECT_EQ(waiting.GetSignUpButton()->GetY(), s.top + 2 * hm / 3);
    CXyStandButton* giveUp = waiting.GetGiveUpButton();
    EXPECT_EQ(giveUp->GetLeft(), s.left);
    EXPECT_EQ(giveUp->GetBottom(), s.bottom);
    EXPECT_DOUBLE_EQ(waiting.GetRestBoard()->GetY(),
                     waiting.GetWaitAnimation()->GetTop() - waiting.GetRestBoard()->GetHeight() / 2 - 5);
    EXPECT_EQ(waiting.GetSignUpButton()->GetNotifyEvent().code, EV_FRAME_SIGN_UP);

    app_.matchState = 500;
    TestFrame& started = Start(1024, 768);
    EXPECT_EQ(started.GetCountdownBoard(), nullptr);
    EXPECT_EQ(started.GetFeeBoard(), nullptr);
    EXPECT_NE(started.GetKnockoutBoard(), nullptr);
    EXPECT_NE(started.GetRestBoard(), nullptr);
}

TEST_F(FrameLayoutTest, AFrameWithoutPartsLaysOutWithoutError)
{
    TestFrame::withParts = false;
    TestFrame& f = Start(1024, 768);
    f.OnSize();
    f.OnSizeDone();
    Rect r;
    ASSERT_TRUE(GetMainGameRect(r));
    EXPECT_EQ(r, (Rect{0, 0, 1024, 768}));
    f.ShowAutoPlaying(1);
    ASSERT_NE(f.GetAutoPlayAnimation(), nullptr);
    EXPECT_EQ(f.GetAutoPlayAnimation()->GetX(), 512);
    EXPECT_TRUE(f.GetAutoPlayAnimation()->IsActive());
    f.ShowAutoPlaying(0);
    EXPECT_FALSE(f.GetAutoPlayAnimation()->IsActive());
}

} // namespace
