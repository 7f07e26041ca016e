// The frame's own chrome on a headless window: border planes and their fill without pictures,
// the title buttons right to left, the table background, the published settings, and the
// window placement from the title bar (maximise, restore, minimise, drag).
#include "tests/framework/FrameFixture.h"

#include "engine/input/InputData.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/AppLinks.h"
#include "framework/app/CGameWinApp.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/frame/FrameLayout.h"
#include "framework/window/RunClient.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/frame/CMJGameFrame.h"
#include "platform/SystemScreen.h"
#include "tests/mahjong/TileRig.h"
#include "tests/widgets/FakeAppServices.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"

#include <array>
#include <cstring>
#include <filesystem>

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

// The generic frame with everything of its own, and the mahjong frame, each with bare parts.
template <typename Base>
struct Decorated : Base {
    void CreateGameParts() override
    {
        this->SetSubSystem(std::make_unique<Part>().release());
        this->SetMainGame(std::make_unique<Part>().release());
    }
    Lumora::CXyStandButton* Button(int i) const
    {
        Lumora::CXyStandButton* const all[] = {this->closeButton_, this->fitButton_,  this->minimiseButton_,
                                               this->settingsButton_, this->helpButton_, this->shopButton_};
        return all[i];
    }
    Part* Scene() const { return static_cast<Part*>(this->GetMainGame()); }
    Lumora::PlaneObject* Top() const { return this->topPlane_; }
    Lumora::PlaneObject* Left() const { return this->leftPlane_; }
    Lumora::PlaneObject* Title() const { return this->titlePlane_; }
    Lumora::CCySplitterBar* Splitter() const { return this->splitter_; }
    int RestoredX() const { return this->restoredX_; }
    int Maximised() const { return this->maximised_; }
};
using GenericFrame = Decorated<CXyGameFrame>;
using MahjongFrame = Decorated<Lumora::CMJGameFrame>;

// A Windows colour (0x00BBGGRR) as the screen shows it (0xRRGGBB): the blitters blend an
// opaque pixel as value × 255 / 256.
uint32_t OnScreen(uint32_t colour)
{
    auto blend = [](uint32_t v) { return (v & 0xFF) * 255 >> 8; };
    return blend(colour) << 16 | blend(colour >> 8) << 8 | blend(colour >> 16);
}

class FrameDecorationTest : public FrameFixture {
protected:
    // The title buttons and the table decoration, each picture in a colour of its own.
    void AddDecoration()
    {
        std::vector<Lumora::PackSource> skins;
        auto add = [&](const std::string& name, const Lumora::ImageRecord& picture) {
            skins.push_back({name + ".pps", Lumora::EncodePps(picture)});
        };
        AddFrameSkins(add);
        for (const auto& [name, w] : std::initializer_list<std::pair<const char*, int>>{
                 {"btnFrameClose", 20}, {"btnFrameFit", 22}, {"btnFrameMin", 24}, {"btnSet2", 30}, {"btnHelp2", 32},
                 {"btnShop2", 34}, {"btnFrameMax", 22}})
            add(name, testsupport::SolidFrames(w, 18, {0x1, 0x2, 0x3, 0x4}));
        add("TablePatten", testsupport::SyntheticPicture(16, 16, 1, [](int, int x, int y) {
                return (x + y) % 2 ? kPatternA : kPatternB;
            }));
        add("TableHalo", testsupport::SolidFrames(8, 8, {kHalo}));
        add("TableCornerLT", testsupport::SolidFrames(10, 10, {kCorner[0]}));
        add("TableCornerRT", testsupport::SolidFrames(10, 10, {kCorner[1]}));
        add("TableCornerLB", testsupport::SolidFrames(10, 10, {kCorner[2]}));
        add("TableCornerRB", testsupport::SolidFrames(10, 10, {kCorner[3]}));
        std::string error;
        pack_ = Lumora::BuildPack(skins, error);
        ASSERT_FALSE(pack_.empty()) << error;
    }
    // The frame's skins and a few pictures of the test's own.
    void AddPictures(const std::vector<std::pair<std::string, Lumora::ImageRecord>>& own)
    {
        std::vector<Lumora::PackSource> skins;
        auto add = [&](const std::string& name, const Lumora::ImageRecord& picture) {
            skins.push_back({name + ".pps", Lumora::EncodePps(picture)});
        };
        AddFrameSkins(add);
        for (const auto& [name, picture] : own)
            add(name, picture);
        std::string error;
        pack_ = Lumora::BuildPack(skins, error);
        ASSERT_FALSE(pack_.empty()) << error;
    }
    // The buttons on a board, and how many of them show.
    std::pair<int, int> BoardButtons(const PObject* board)
    {
        int all = 0, shown = 0;
        for (uint32_t id = 1; id <= kIdsLooked; ++id)
            if (auto* b = dynamic_cast<CXyStandButton*>(Objects().FindById(id)); b && b->GetParent() == board) {
                ++all;
                shown += b->IsActive() ? 1 : 0;
            }
        return {all, shown};
    }
    // The screen's pixel, snapped to the expected colour when each channel is within 1 of it
    // (blended and copied pixels differ by that much).
    uint32_t At(int x, int y, uint32_t expected) const
    {
        const uint32_t p = window_->Pixel(x, y) & 0xFFFFFF;
        for (int shift : {0, 8, 16})
            if (std::abs(int(p >> shift & 0xFF) - int(expected >> shift & 0xFF)) > 1)
                return p;
        return expected;
    }
    void Drag(int code, int x = 0, int y = 0)
    {
        Lumora::InputData point;
        point.x = x;
        point.y = y;
        Frame(uint32_t(code), 0, reinterpret_cast<uintptr_t>(&point));
    }

    static constexpr uint32_t kPatternA = 0x203040, kPatternB = 0x405060, kHalo = 0x0000C0;
    static constexpr uint32_t kCorner[4] = {0x00C000, 0xC00000, 0xC0C000, 0x00C0C0};
};

TEST_F(FrameDecorationTest, BordersWithoutPicturesAreFilledAndTheTitleBarMapsItsInput)
{
    testsupport::RecordingTexts recording;
    app_.gameName = testsupport::kHostileNames[0];
    GenericFrame& f = StartAs<GenericFrame>(1024, 768, true);
    Run(50);
    EXPECT_EQ(testsupport::DrawnNameFault(f.Title()->TextBoxes().at(0), app_.gameName, 12, 0xFFFFFF), "");
    EXPECT_EQ(At(1, 1, OnScreen(0x4CB122)), OnScreen(0x4CB122));
    EXPECT_EQ(f.Top()->GetHeight(), 25);
    EXPECT_EQ(f.Left()->GetWidth(), 3);
    EXPECT_EQ(At(1, 400, OnScreen(0x4CB122)), OnScreen(0x4CB122)) << "the 3-pixel left border";
    const std::pair<uint32_t, uint32_t> hooks[] = {{EV_LBUTTON_DOUBLE, EV_FRAME_FIT}, {EV_LBUTTON_DRAG, EV_FRAME_DRAG},
                                                   {EV_LBUTTON_DOWN, EV_FRAME_DRAG_BEGIN},
                                                   {EV_LBUTTON_UP, EV_FRAME_DRAG_END},
                                                   {EV_FOCUS_LEFT, EV_FRAME_DRAG_END}};
    for (const auto& [input, event] : hooks) {
        const EventRecord* hook = f.Top()->FindEventHook(input);
        ASSERT_NE(hook, nullptr) << input;
        EXPECT_EQ(hook->code, event);
        EXPECT_EQ(hook->target, f.GetId());
    }
    // Published for the widgets.
    EXPECT_EQ(f.GetSetting(50007), 28);
    EXPECT_EQ(f.GetSetting(50013), 0x147800);
    EXPECT_EQ(f.GetSetting(50014), 0xE6641E);
    EXPECT_EQ(f.GetSetting(50012), 1);
}

TEST_F(FrameDecorationTest, TableIsTiledWithTheHaloCentredAndCornersOnTheScene)
{
    AddDecoration();
    for (const int inset : {0, 13}) {
        CXyGameFrame* f = inset ? static_cast<CXyGameFrame*>(&StartAs<MahjongFrame>(1024, 768, true))
                                : &StartAs<GenericFrame>(1024, 768, true);
        Run(50);
        const Rect r = f->SceneRect();
        // The side panel draws nothing: the pattern shows there, tiled from the origin.
        for (const auto& [x, y] : {std::pair{900, 300}, std::pair{901, 300}, std::pair{917, 301}})
            EXPECT_EQ(At(x, y, OnScreen((x + y) % 2 ? kPatternA : kPatternB)), OnScreen((x + y) % 2 ? kPatternA : kPatternB)) << x << "," << y;
        const int w = r.right - r.left, h = r.bottom - r.top, side = std::min(w, h);
        EXPECT_EQ(At(r.left + w / 2, r.top + h / 2, OnScreen(kHalo)), OnScreen(kHalo));
        EXPECT_EQ(At(r.left + w / 2 - side / 2, r.top + h / 2, OnScreen(kHalo)), OnScreen(kHalo));
        EXPECT_NE(At(r.left + w / 2 - side / 2 - 3, r.top + h / 2, OnScreen(kHalo)), OnScreen(kHalo));
        EXPECT_EQ(At(r.left + inset, r.top + inset, OnScreen(kCorner[0])), OnScreen(kCorner[0])) << inset;
        EXPECT_EQ(At(r.right - 1 - inset, r.top + inset, OnScreen(kCorner[1])), OnScreen(kCorner[1]));
        EXPECT_EQ(At(r.left + inset, r.bottom - 1 - inset, OnScreen(kCorner[2])), OnScreen(kCorner[2]));
        EXPECT_EQ(At(r.right - 1 - inset, r.bottom - 1 - inset, OnScreen(kCorner[3])), OnScreen(kCorner[3]));
        wnd_.reset();
    }
}

TEST_F(FrameDecorationTest, TitleButtonsStandRightToLeftWithEachLayersGapsAndSoundOnHoverAndPress)
{
    AddDecoration();
    // close, fit, min, settings, help, shop; 1024 wide, 4 pixels from the right edge.
    const int v = 1024, r = v - 20 - 22 - 24 - 4;
    GenericFrame& g = StartAs<GenericFrame>(v, 768, true);
    Run(20);
    const double generic[6] = {v - 10 - 4, v - 20 - 11 - 4, v - 20 - 22 - 12 - 4, r - 32 - 15, r - 16, r - 32 - 30 - 17};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g.Button(i)->GetX(), generic[i]) << i;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g.Button(i)->GetSound(CXyStandButton::SOUND_LEAVE), "") << i;
        EXPECT_EQ(g.Button(i)->GetSound(CXyStandButton::SOUND_ENTER), "SndTouchButton") << i;
        EXPECT_EQ(g.Button(i)->GetSound(CXyStandButton::SOUND_PRESS), "SndHitButton") << i;
    }
    EXPECT_EQ(g.Button(4)->GetY(), 13);
    EXPECT_EQ(g.Title()->GetX(), 100);
    wnd_.reset();

    MahjongFrame& m = StartAs<MahjongFrame>(v, 768, true);
    Run(20);
    // help's right edge 12 from min's left edge; the settings and shop 3 from the button before.
    const double mahjong[6] = {v - 10 - 4,       v - 20 - 11 - 4, v - 20 - 22 - 12 - 4,
                               r - 32 - 15 - 15, r - 12 - 16,     r - 32 - 30 - 18 - 17};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m.Button(i)->GetX(), mahjong[i]) << i;
    EXPECT_EQ(m.Button(4)->GetY(), 14) << "help one pixel lower";
    EXPECT_EQ(m.Left()->GetX(), 1);
    // One-pixel margins at the sides: the scene from x 1, the panel 1 pixel from the right edge.
    EXPECT_EQ(m.SceneRect(), (Rect{1, 25, v - m.GetPanelWidth() - 1 - int(m.Splitter()->GetWidth()), 768 - 4}));
}

TEST_F(FrameDecorationTest, FitButtonAndDoubleClickToggleBetweenWorkAreaAndRestoredSize)
{
    struct Case {
        int work;
        platform::Rect restored;
        bool foldedRestored;
    } const cases[] = {{1920, {100, 100, 1150, 700}, false}, {1024, {100, 100, 900, 700}, true}};
    for (const Case& c : cases) {
        GenericFrame& f = StartAs<GenericFrame>(c.work, 768, true);
        Frame(EV_FRAME_FIT);
        EXPECT_EQ(window_->ScreenRect(), c.restored) << c.work;
        EXPECT_EQ(f.Maximised(), 0);
        EXPECT_EQ(f.GetFillsWorkArea(), 0);
        EXPECT_EQ(f.GetVisiblePanelWidth() == 0, c.foldedRestored);
        // The layout follows the new size at once.
        EXPECT_EQ(f.SceneRect().bottom, c.restored.Height() - 4);
        Frame(EV_FRAME_FIT);
        EXPECT_EQ(window_->ScreenRect(), (platform::Rect{0, 0, c.work, 768}));
        EXPECT_EQ(f.Maximised(), 1);
        EXPECT_EQ(f.SceneRect().bottom, 768 - 4);
        wnd_.reset();
    }
}

TEST_F(FrameDecorationTest, PanelFoldsBelowEachLayersWorkAreaLimit)
{
    struct Case {
        bool mahjong;
        int work;
        bool folded;
    } const cases[] = {{false, 800, true}, {false, 801, false}, {true, 1000, true}, {true, 1024, false}};
    for (const Case& c : cases) {
        CXyGameFrame* f = c.mahjong ? static_cast<CXyGameFrame*>(&StartAs<MahjongFrame>(c.work, 600, true))
                                    : &StartAs<GenericFrame>(c.work, 600, true);
        EXPECT_EQ(f->GetVisiblePanelWidth() == 0, c.folded) << c.mahjong << " " << c.work;
        wnd_.reset();
    }
}

TEST_F(FrameDecorationTest, DragFollowsTheCursorUntilButtonUpOrFocusLost)
{
    AddDecoration();
    GenericFrame& f = StartAs<GenericFrame>(1920, 1040, false);
    ASSERT_EQ(window_->ScreenRect(), (platform::Rect{100, 100, 900, 700}));
    const int sizes = f.Scene()->sizes;
    Drag(EV_FRAME_DRAG_BEGIN, 50, 10);
    window_->InjectMouseMove(60, 15);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect(), (platform::Rect{110, 105, 910, 705}));
    // The window moved under the cursor; the next move is measured from the last point.
    window_->InjectMouseMove(50, 10);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect(), (platform::Rect{110, 105, 910, 705}));
    window_->InjectMouseMove(40, 10);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect(), (platform::Rect{100, 105, 900, 705}));
    EXPECT_EQ(f.Scene()->sizes, sizes) << "a move without a resize lays nothing out";
    // Far past the work area's left and top edges: the window stops on them.
    window_->InjectMouseMove(-500, -300);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect(), (platform::Rect{0, 0, 800, 600}));
    Drag(EV_FRAME_DRAG_END);
    window_->InjectMouseMove(300, 300);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect().left, 0);
    // A press or double click on a disabled title button (设置 over a board) reaches the title.
    f.Button(3)->Enable(false);
    const PObject& settings = *f.Button(3)->GetFace();
    for (const int code : {EV_FRAME_DRAG_BEGIN, EV_FRAME_DRAG, EV_FRAME_FIT})
        Drag(code, int(settings.GetX()), int(settings.GetY()));
    EXPECT_EQ(window_->ScreenRect(), (platform::Rect{0, 0, 800, 600})) << "dragged or fitted from 设置";

    // A drag on a window that fills the work area restores it first.
    Frame(EV_FRAME_FIT);
    ASSERT_EQ(f.GetFillsWorkArea(), 1);
    Drag(EV_FRAME_DRAG_BEGIN, 960, 10);
    window_->InjectMouseMove(960, 12);
    Drag(EV_FRAME_DRAG);
    EXPECT_EQ(window_->ScreenRect().Width(), 1050);
    EXPECT_EQ(window_->ScreenRect().left, (1920 - 1050) * 960 / 1920);
    EXPECT_EQ(f.GetFillsWorkArea(), 0);

    Frame(EV_FRAME_MINIMISE);
    EXPECT_TRUE(window_->IsMinimised());
}

} // namespace

namespace {

using MahjongFrameTest = FrameDecorationTest;

// The application as it starts: its main window first, then the frame made and laid out in it.
struct StartingApp : CGameWinApp {
    StartingApp() : CGameWinApp("qirn", 26283, 9, 3) { framework::SetFrameApp(&link); }
    ~StartingApp() override { framework::SetFrameApp(nullptr); }
    Lumora::CGameBase* CreateGameFrame() override { return new MahjongFrame; }
    FrameAppLink link{*this, nullptr};
};

TEST_F(FrameDecorationTest, BoardShowsThePanelOfTheWorkAreaWhenTheApplicationMakesTheFrame)
{
    struct Case {
        int width, height, panel;
        bool folded;
    } const cases[] = {{800, 600, 250, true}, {1280, 800, 282, false}, {1920, 1080, 282, false}};
    for (const Case& c : cases) {
        const platform::ScreenFacts screen{c.width, c.height, {0, 0, c.width, c.height}};
        platform::SetScreenOverride(&screen);
        ClientPlatform display;
        display.makeWindow = [](const platform::Rect& rect) {
            auto window = std::make_unique<platform::HeadlessWindow>(rect);
            window->SetWorkArea(rect);
            return window;
        };
        {
            StartingApp app;
            app.SetPlatform(&display);
            ASSERT_TRUE(app.CreateMainWnd());
            auto* f = dynamic_cast<MahjongFrame*>(app.GetGameFrameObject());
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->GetPanelWidth(), c.panel) << c.width;
            EXPECT_EQ(f->GetVisiblePanelWidth() == 0, c.folded) << c.width;
            // Folded, the felt runs to the splitter at the view's right edge.
            if (c.folded) {
                EXPECT_EQ(f->SceneRect().right, c.width - 1 - int(f->Splitter()->GetWidth()));
            }
        }
        platform::SetScreenOverride(nullptr);
    }
}

TEST(FormatFixedText, CutsAtTheBufferOnACharacterBoundary)
{
    char buffer[128];
    EXPECT_EQ(FormatFixedText(buffer, "%.2f%%", 33.333), 6u);
    EXPECT_STREQ(buffer, "33.33%");
    // 126 ASCII bytes and then a two-byte character that does not fit in the 127 left.
    const std::string text = std::string(126, 'a') + "胜" + "tail";
    EXPECT_EQ(FormatFixedText(buffer, "%s", text.c_str()), 126u);
    EXPECT_EQ(std::string(buffer), std::string(126, 'a'));
}

TEST_F(MahjongFrameTest, PlacedDialogsStackNewestOnTopAndRestOnTheBottomEdge)
{
    MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
    window_->InjectFocus(false);
    PlaneObject* a = f.NewPlane(100, 50, 0);
    PlaneObject* b = f.NewPlane(100, 50, 0);
    f.PlaceCharacter(a);
    f.PlaceCharacter(b);
    EXPECT_GT(b->GetZ(), a->GetZ());
    EXPECT_EQ(a->GetZ(), (2 + 9000) * 10.0);
    EXPECT_EQ(a->GetTop(), 768) << "starts below the view";
    Run(3000);
    EXPECT_EQ(window_->Flashes(), 2);
    // The auto-play animation stands 35 pixels above the scene's centre, also after a resize.
    f.ShowAutoPlaying(1);
    window_->Resize(1000, 700);
    const Rect s = f.SceneRect();
    EXPECT_EQ(f.GetAutoPlayAnimation()->GetY(), (s.top + s.bottom) / 2 - 35);
}

// After each resize every dialog stands where one placed at that size would, and answers there;
// one a player dragged away stays where it was, whole inside the view.
TEST_F(MahjongFrameTest, DialogsArePlacedAgainOnEveryResizeAndAnswerThere)
{
    MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
    auto* look = f.NewChild<CXyAskKanPaiDlg>();
    const EventRecord accept{f.Scene()->GetId(), 80009001, 0, 0};
    look->Ask("看客", nullptr, &accept, &accept);
    f.PlaceCharacter(look);
    PlaneObject *dragged = f.NewPlane(200, 80, 0), *sliding = f.NewPlane(200, 80, 0), *wide = f.NewPlane(1010, 8, 0);
    f.PlaceCharacter(wide);
    f.PlaceCharacter(dragged);
    Run(3000);
    dragged->MoveTo(900, 300);
    const CXyTimerDlg* box = f.ShowMsgBox("一个问题", nullptr, nullptr, 0, 0, nullptr);
    f.ShowForceQuitAsk();
    f.ShowSureQuitBoard();
    f.PlaceCharacter(sliding);
    Run(20); // still sliding in
    for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1024, 768}, std::pair{800, 600}}) {
        window_->Resize(w, h);
        Run(3000);
        for (const PObject* d : {static_cast<const PObject*>(look), static_cast<const PObject*>(sliding)})
            EXPECT_TRUE(std::abs(d->GetRight() - (w - 4)) <= 0.5 && d->GetBottom() == h) << w; // whole pixels
        EXPECT_EQ(std::pair(box->GetX(), box->GetY()), std::pair(w / 2.0, h / 2.0));
        for (const PObject* centred :
             {static_cast<const PObject*>(f.GetForceQuitDialog()), static_cast<const PObject*>(f.GetSureQuitBoard())})
            EXPECT_EQ(centred->GetX(), (f.SceneRect().left + f.SceneRect().right) / 2);
        EXPECT_GE(wide->GetLeft(), 0) << "the left edge wins in a view too narrow";
        EXPECT_EQ(std::pair(dragged->GetX(), dragged->GetY()), std::pair(700.0, 300.0)) << "kept inside";
    }
    ClickAt(int(look->GetOkButton()->GetX()), int(look->GetOkButton()->GetY()));
    EXPECT_EQ(f.Scene()->codes, std::vector<uint32_t>{80009001u});
}

TEST_F(MahjongFrameTest, BoardShowsItsCloseBuyAndRechargeButtonsWithItAndHidesThemWithIt)
{
    app_.testMode = true;
    GameUserRecord u;
    u.SetUserId(9);
    app_.users.push_back(u);
    MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
    const CXyTimerDlg* box = f.ShowMsgBox("一个问题", nullptr, nullptr, 0, 0, nullptr);
    f.ShowUserDetail(9, 1);
    ASSERT_NE(f.GetDetailBoard(), nullptr);
    EXPECT_GT(f.GetDetailBoard()->GetZ(), box->GetZ()) << "玩家信息 is a board: it opens over what is open";
    EXPECT_EQ(BoardButtons(f.GetDetailBoard()), std::make_pair(4, 3)) << "clear-zero only for an own negative score";
    Frame(EV_FRAME_BOARD_CLOSE);
    EXPECT_EQ(BoardButtons(f.GetDetailBoard()), std::make_pair(4, 0));
}

// The mahjong frame noting what its hook hands to the click operation.
struct ClickedFrame : MahjongFrame {
    void OnUserClicked(uint32_t user, int x, int y) override
    {
        clicks.push_back({int(user), x, y});
        MahjongFrame::OnUserClicked(user, x, y);
    }
    std::vector<std::array<int, 3>> clicks;
};

TEST_F(MahjongFrameTest, BoardShowsForTheSeatsUserWhenAPersonClicksItsPanel)
{
    // A panel answers clicks where its picture shows.
    AddPictures({{"bit_playerpanel", testsupport::SolidFrames(150, 64, {0x404070})}});
    widgettest::FakeAppServices services;
    services.SeatPlayer(2, 1002, "乙");
    app_.testMode = true;
    GameUserRecord u;
    u.SetUserId(1002);
    app_.users.push_back(u);
    ClickedFrame& f = StartAs<ClickedFrame>(1024, 768, true);
    auto* panel = f.NewChild<CMJPlayer2>();
    ASSERT_NE(panel, nullptr);
    panel->Create(0);
    panel->SetChair(2);
    PanelUser who;
    who.present = true;
    who.name = "乙";
    panel->Refresh(who);
    panel->SetZ(5000);
    panel->MoveTo(300, 400);
    panel->Redraw();
    ClickAt(300, 400);
    ASSERT_EQ(f.clicks.size(), 1u);
    EXPECT_EQ(f.clicks[0], (std::array<int, 3>{1002, 300, 400})) << "the seat's user and the click point";
    ASSERT_NE(f.GetDetailBoard(), nullptr);
    EXPECT_TRUE(f.GetDetailBoard()->IsActive());
    EXPECT_EQ(f.GetDetailUserId(), 1002);
}

TEST_F(MahjongFrameTest, DetailLinesStandTwentyPixelsApart)
{
    constexpr uint32_t kBack = 0xE0E0E0;
    AddPictures({{"bit_playerdetail", testsupport::SolidFrames(310, 330, {kBack})}});
    app_.testMode = true;
    GameUserRecord u;
    u.SetUserId(9);
    u.SetName("甲");
    app_.users.push_back(u);
    MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
    f.ShowUserDetail(9, 1);
    auto* board = dynamic_cast<PlaneObject*>(f.GetDetailBoard());
    ASSERT_NE(board, nullptr);
    // Ink right of the character picture in rows [from, to).
    auto inked = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 145; x < board->GetSurfaceWidth(); ++x)
                if (board->GetPixelColour(x, y) != (kBack & 0xFFFFFF))
                    return true;
        return false;
    };
    for (int line = 0; line < 11; ++line) {
        const int top = 85 + 20 * line;
        EXPECT_TRUE(inked(top, top + 13)) << line;
        EXPECT_FALSE(inked(top + 14, top + 20)) << "the gap under line " << line;
    }
    testsupport::RecordingTexts recording; // a name and a level from outside read as written
    for (std::string_view name : testsupport::kHostileNames) {
        app_.users.back().SetName(name), app_.users.back().SetLevel(name);
        f.ShowUserDetail(9, 1);
        EXPECT_EQ(testsupport::DrawnNameFault(board->TextBoxes().at(0), name, 14, 0x385026), "");
        EXPECT_TRUE(board->TextBoxes().at(2).plain);
    }
}


// Our art on the frame's boards, for a person to look at (build/artifacts/frame-*.png): the title
// bar, the detail board and an exit request at every window size, the sign-up notice under the
// count-down and the sure-quit board. The boards stay inside the table.
TEST_F(MahjongFrameTest, OurArtOnTheBoardsAtEveryWindowSize)
{
    packFiles_ = {mahjongtest::SkinPackPath("frame"), mahjongtest::SkinPackPath("table")};
    app_.characterRoot = std::string(XL_BINARY_DIR) + "/Share/Image/Character";
    app_.testMode = true;
    GameUserRecord u;
    u.SetUserId(9);
    u.SetName("东风破浪");
    u.SetCharacter(1);
    u.SetSilver(123456);
    u.SetScore(-20);
    u.SetLevel("雀圣");
    app_.users.push_back(u);
    const std::string dir = std::string(XL_BINARY_DIR) + "/artifacts";
    std::filesystem::create_directories(dir);
    auto shot = [&](const std::string& name) { EXPECT_TRUE(window_->ScreenshotPng(dir + "/frame-" + name + ".png")); };
    for (const auto& [w, h] :
         {std::pair{800, 600}, std::pair{1024, 768}, std::pair{1280, 800}, std::pair{1920, 1080}}) {
        MahjongFrame& f = StartAs<MahjongFrame>(w, h, true);
        window_->InjectMouseMove(w / 3, h / 3);
        Run(20);
        f.ShowUserDetail(9, 1);
        std::vector<uint8_t> ask(120, 0);
        const uint32_t asker = 9;
        std::memcpy(ask.data(), &asker, sizeof asker);
        std::strcpy(reinterpret_cast<char*>(ask.data()) + 20, "家里有急事，先走一步");
        f.ShowAskExit(ask);
        Run(3000);
        const Rect s = f.SceneRect();
        const PObject& board = *f.GetDetailBoard();
        EXPECT_GE(board.GetLeft(), s.left) << w;
        EXPECT_LE(board.GetRight(), s.right) << w;
        EXPECT_GE(board.GetTop(), s.top) << w;
        EXPECT_LE(board.GetBottom(), s.bottom) << w;
        shot("detail-" + std::to_string(w));
        wnd_.reset();
    }
    app_.match = true;
    app_.matchSeconds = 3725;
    app_.fee = 500;
    app_.feeKind = 1;
    MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
    f.ShowMatchWaiting();
    f.ShowNoSignUp();
    Run(50);
    shot("notice-1024");
    f.HideMatchWaiting();
    f.ShowSureQuitBoard();
    Run(50);
    shot("surequit-1024");
}

TEST_F(MahjongFrameTest, ClearZeroShowsForTheOwnNegativeScoreAndPageButtonsOpenPages)
{
    app_.testMode = true;
    struct Case {
        uint32_t user;
        int score;
        bool lookOn;
        bool shown;
    } const cases[] = {{7, -1, false, true}, {7, 0, false, false}, {9, -1, false, false}, {7, -1, true, false}};
    for (const Case& c : cases) {
        app_.users.clear();
        GameUserRecord u;
        u.SetUserId(int32_t(c.user));
        u.SetScore(c.score);
        app_.users.push_back(u);
        app_.lookOn = c.lookOn;
        MahjongFrame& f = StartAs<MahjongFrame>(1024, 768, true);
        f.ShowUserDetail(c.user, 1);
        ASSERT_NE(f.GetClearZeroButton(), nullptr);
        EXPECT_EQ(f.GetClearZeroButton()->IsActive() != 0, c.shown) << c.user << " " << c.score << " " << c.lookOn;
        EXPECT_EQ(f.GetReportButton(), nullptr);
    }
    Frame(EV_FRAME_CLEAR_ZERO);
    Frame(EV_FRAME_RECHARGE);
    EXPECT_EQ(app_.pages, (std::vector<std::string>{"http://shop.lumora-games.net/props", "http://pay.lumora-games.net/"}));
}

} // namespace
