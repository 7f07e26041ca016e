// What the player sees at the table in the area layout this game uses, at the window sizes
// players have: the tiles of every group a seat shows (hand and melds, wall, discards) and the
// info board keep clear of each other. The groups are measured from the pooled tile views
// themselves, so the art's picture sizes count as much as the layout's arithmetic. The tile
// just thrown is left out: it stands large above its seat's tiles for a moment, by design.
#include "engine/object/PictureObject.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "widgets/CXyStandButton.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/frame/FrameLayout.h"
#include "mahjong/frame/CMJGameFrame.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCyUserList.h"
#include "widgets/CXyChatBox.h"
#include "mahjong/scene/ClearPlace.h"
#include "mahjong/scene/ReadList.h"
#include "tests/mahjong/SceneRig.h"
#include "tests/support/ResourceSweep.h"
#include "widgets/CCySplitterBar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <sstream>

using namespace Lumora;
using mahjongtest::SceneRig;

namespace {

struct Box {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    bool Empty() const { return right < left; }
    void Add(const PObject& o)
    {
        left = std::min(left, o.GetLeft());
        top = std::min(top, o.GetTop());
        right = std::max(right, o.GetRight());
        bottom = std::max(bottom, o.GetBottom());
    }
};

// Overlap of more than a pixel (edges that touch are fine).
bool Overlap(const Box& a, const Box& b)
{
    return !a.Empty() && !b.Empty() && std::min(a.right, b.right) - std::max(a.left, b.left) > 1 &&
           std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > 1;
}

std::string Show(const Box& b)
{
    std::ostringstream out;
    out << "(" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << ")";
    return out.str();
}

// The table a window of that size gives the scene: the mahjong frame's 1-pixel margins, the
// splitter, and the side panel beside them, folded away in a window 800 wide unless asked.
mahjongtest::Surface TableOf(int width, int height, bool fillsScreen = true, std::optional<bool> opened = {})
{
    constexpr int kSplitterWidth = 8;
    const int panel = framework::SidePanelWidth(fillsScreen, width);
    const bool open = opened.value_or(width > 800);
    const framework::FrameRects r =
        framework::LayoutRects(width, height, panel, open ? panel : 0, open, kSplitterWidth, 1);
    return {width, height, Rect{r.scene.left, r.scene.top, r.scene.right, r.scene.bottom}, kClass800};
}

class TableLook {
public:
    explicit TableLook(SceneRig& rig) : s_(*rig.scene) {}

    // Every place a tile of the group can take, measured on one pooled tile; the hand laid open
    // at the end takes the hand's place.
    Box HandAndMelds(int seat, bool raised = false)
    {
        Box box;
        Each(box, 14, [&](CMJCard2& t, int i) {
            Lay(t, kTileHand, seat, i, 14, 1);
            t.raised = raised && seat == kOwnSeat; // a tile chosen to throw rises
        });
        Each(box, 14, [&](CMJCard2& t, int i) { Lay(t, kTileResultRow, seat, i, 14, 0); });
        for (int m = 0; m < 4; ++m)
            for (int c = 0; c < 3; ++c)
                Each(box, 4, [&](CMJCard2& t, int i) {
                    Lay(t, kTileHand, seat, i, m, 0);
                    t.meldKind = kMeldGang;
                    t.claimPos = c;
                    t.facing = (seat + 2) % 4;
                });
        return box;
    }
    Box Wall(int seat)
    {
        Box box;
        Each(box, 28, [&](CMJCard2& t, int i) { Lay(t, kTileWall, seat, i, 28, 0); t.faceUp = 0; });
        return box;
    }
    // A whole deal's worth of discards: 27 tiles, three rows at the side seats.
    Box Discards(int seat)
    {
        Box box;
        Each(box, 27, [&](CMJCard2& t, int i) { Lay(t, kTileDiscard, seat, i, 0, 0); });
        return box;
    }
    // The claim buttons, then the seat panels with the marks under them.
    std::vector<Box> Controls()
    {
        std::vector<Box> boxes;
        for (CXyStandButton* b : std::span(s_.buttons).subspan(CMJMainGame2::kBtnPass, 5))
            boxes.emplace_back().Add(*b->GetBody());
        for (size_t seat = 0; seat < 4; ++seat) {
            boxes.emplace_back().Add(*s_.players[seat]->GetBody());
            boxes.back().bottom += 20;
        }
        return boxes;
    }
    Box InfoBoard()
    {
        s_.CreateGameInfoBoardBig(1);
        Box box;
        if (s_.infoBoardBig)
            box.Add(*s_.infoBoardBig);
        return box;
    }

private:
    static void Lay(CMJCard2& t, int state, int seat, int index, int count, int inHand)
    {
        t.state = state;
        t.seat = seat;
        t.index = index;
        t.count = count;
        t.inHand = inHand;
        t.faceUp = 1;
        t.tile = 9;
    }
    // Lays the probe tile count times (fill(tile, i)) and adds where it showed to the box.
    template <typename Fill>
    void Each(Box& box, int count, Fill fill)
    {
        CMJCard2& t = *s_.pool.back();
        for (int i = 0; i < count; ++i) {
            t.Reset();
            t.layoutMode = kAreaLayout;
            t.placed = 1;
            fill(t, i);
            t.Update();
            if (t.IsActive())
                box.Add(*t.GetBodyPicture());
        }
        t.Reset();
        t.Update();
    }

    mahjongtest::TestScene& s_;
};

} // namespace

// The list drops only the items of a kind held (or not) for what is not shown, and nothing keeps
// clear of an empty box.
TEST(TableLook, TheReadListDropsTheItemsOfAKindHeldOrNotAndKeepsNoneClearOfAnEmptyBox)
{
    ReadList list;
    list.Add(ReadKind::ClaimButton, 3, {0, 0, 10, 10}, true);
    list.Add(ReadKind::ClaimButton, 3, {20, 0, 30, 10});
    list.Add(ReadKind::Hand, 1, {0, 20, 10, 30}, true);
    list.Add(ReadKind::Hand, 2, {5, 5, 5, 9});
    list.Remove(ReadKind::ClaimButton, true);
    ASSERT_EQ(list.Items().size(), 3u);
    EXPECT_EQ(list.Items()[0].box, (Rect{20, 0, 30, 10}));
    EXPECT_FALSE(list.Items()[0].reserved);
    EXPECT_TRUE(list.Items()[1].reserved);
    EXPECT_EQ(list.ClearOf(ReadKind::Board, -1, Keep::Firm), (std::vector<Rect>{{0, 20, 10, 30}}));
}

TEST(TableLook, GroupsOfTilesAndTheInfoBoardKeepClearOfEachOtherInEveryWindowSize)
{
    // A restored window is 800 or 1050 x 600; the others fill the screen.
    const std::pair<int, int> windows[] = {{800, 600},  {900, 700},  {960, 640},  {1024, 600}, {1050, 600},
                                           {1100, 600}, {1024, 768}, {1280, 720}, {1280, 800}, {1366, 768},
                                           {1440, 900}, {1600, 900}, {1920, 1080}};
    SceneRig rig("table_look");
    rig.scene->ResetAnimations(kAreaLayout);
    auto* bar = rig.engine.Add<CCySplitterBar>(); // open from 900 wide up, as TableOf lays it
    bar->SetName(CCySplitterBar::kName);
    for (const auto& [w, h] : windows) {
        bar->SetCollapsed(w <= 800);
        rig.UseSurface(TableOf(w, h, h > 600));
        TableLook look(rig);
        std::vector<std::pair<std::string, Box>> groups;
        for (int seat = 0; seat < 4; ++seat) {
            const std::string name = " of seat " + std::to_string(seat);
            groups.emplace_back("hand" + name, look.HandAndMelds(seat, true)); // the own tile chosen, raised
            groups.emplace_back("wall" + name, look.Wall(seat));
            groups.emplace_back("discards" + name, look.Discards(seat));
        }
        groups.emplace_back("info board", look.InfoBoard());
        for (size_t i = 0; i < groups.size(); ++i) {
            ASSERT_FALSE(groups[i].second.Empty()) << w << "x" << h << " " << groups[i].first;
            for (size_t j = i + 1; j < groups.size(); ++j)
                EXPECT_FALSE(Overlap(groups[i].second, groups[j].second))
                    << w << "x" << h << ": " << groups[i].first << " " << Show(groups[i].second) << " and "
                    << groups[j].first << " " << Show(groups[j].second);
        }
    }
}

// A window 800 wide with the side panel opened: the tiles shrink to three quarters, so that the
// own hand of 14 and its drawn tile stay on the narrower felt; folded, they take their size again.
TEST(TableLook, TilesShrinkOnASmallWindowWhileTheSidePanelStandsOpen)
{
    SceneRig rig("table_look_scale");
    mahjongtest::TestScene& s = *rig.scene;
    auto* bar = rig.engine.Add<CCySplitterBar>();
    bar->SetName(CCySplitterBar::kName);
    const int panel = framework::SidePanelWidth(true, 800);
    const framework::FrameRects r = framework::LayoutRects(800, 600, panel, panel, true, 8, 1);
    const Rect felt{r.scene.left, r.scene.top, r.scene.right, r.scene.bottom};
    rig.UseSurface({800, 600, felt, kClass800});
    for (const bool open : {true, false}) {
        bar->SetCollapsed(!open);
        s.OnSize();
        CMJCard2& t = *s.pool.back();
        for (int i = 0; i < 14; ++i) {
            t.Reset();
            t.state = kTileHand, t.seat = kOwnSeat, t.index = i, t.count = 14, t.inHand = 1, t.faceUp = 1;
            t.tile = 9, t.placed = 1;
            t.Update();
            EXPECT_EQ(t.scale, open ? 0.75 : 1.0);
            if (open) {
                EXPECT_GE(t.GetBodyPicture()->GetLeft(), felt.left) << i;
                EXPECT_LE(t.GetBodyPicture()->GetRight(), felt.right) << i;
            }
        }
        t.Reset();
        t.Update();
    }
    // A bar put in the place of the last one is the one that counts; with none the panel is shut.
    for (const bool replaced : {true, false}) {
        s.ReleaseObject(bar, false);
        bar = nullptr;
        if (replaced) {
            bar = rig.engine.Add<CCySplitterBar>();
            bar->SetName(CCySplitterBar::kName);
            bar->SetCollapsed(false);
        }
        s.OnSize();
        CMJCard2& t = *s.pool.back();
        t.Reset();
        t.state = kTileHand, t.seat = kOwnSeat, t.index = 0, t.count = 14, t.inHand = 1, t.faceUp = 1;
        t.tile = 9, t.placed = 1;
        t.Update();
        EXPECT_EQ(t.scale, replaced ? 0.75 : 1.0);
        t.Reset();
        t.Update();
    }
}

// Own throws laid, or a hand tile carried, where the offered claim buttons stand move them clear; 胡了
// shown after another seat's word (drawn taller, to stand where 胡了 would go) keeps off it through a fold.
TEST(TableLook, ClaimButtonsAndWordsKeepClearOfWhatIsLaidAfterThem)
{
    SceneRig rig("table_look_after");
    mahjongtest::TestScene& s = *rig.scene;
    auto* bar = rig.engine.Add<CCySplitterBar>();
    bar->SetName(CCySplitterBar::kName);
    const auto box = [](const PObject& o) { return Box{o.GetLeft(), o.GetTop(), o.GetRight(), o.GetBottom()}; };
    rig.UseSurface(TableOf(800, 576, true, false));
    const auto clear = [&](const CMJCard2& t) {
        for (const int slot : {CMJMainGame2::kBtnPeng, CMJMainGame2::kBtnPass})
            EXPECT_FALSE(Overlap(box(*s.buttons[size_t(slot)]->GetBody()), box(*t.GetBodyPicture()))) << t.index << slot;
    };
    s.ShowActionButton(kOptPeng, 1), s.ShowActionButton(kOptPass, 1);
    for (int i = 0; i < 72; ++i) {
        CMJCard2& t = *s.pool[size_t(i)];
        t.state = kTileDiscard, t.seat = 3 - i / 18, t.index = i % 18, t.tile = i % 27, t.faceUp = 1, t.placed = 1;
        s.discards[size_t(t.seat)][size_t(t.index)] = &t;
        s.TileChanged(t);
        clear(t);
    }
    CMJCard2& held = *s.pool[100]; // carried by the pointer under 碰
    held.state = kTileHand, held.seat = kOwnSeat, held.index = 5, held.count = 14, held.inHand = held.placed = 1;
    Rect hand;
    s.TileChanged(held), s.GetHandRect(kOwnSeat, hand);
    s.OnHandCardRelease(held, int(s.buttons[CMJMainGame2::kBtnPeng]->GetBody()->GetX()), hand.bottom - 1);
    clear(held);
    s.HideActionButtons(0); // words no longer keep clear of them
    for (const ReadItem& item : s.ReadItems().Items())
        EXPECT_TRUE(item.kind != ReadKind::ClaimButton || item.reserved) << "a hidden button still listed";
    bar->SetCollapsed(false);
    rig.UseSurface(TableOf(1024, 768, true, true));
    s.PlayActionImage(3, "peng1");
    PObject& word = *s.FindById(s.lastActionImageId);
    word.SetSize(word.GetWidth(), word.GetHeight() * 3);
    s.ShowWinEffect(0);
    bar->SetCollapsed(true);
    rig.UseSurface(TableOf(1024, 768, true, false));
    Box win = box(*s.winPicture), claim = box(word); // each word's ink, in its picture's upper half
    win.bottom = s.winPicture->GetY() - CMJMainGame2::kLabelLift, claim.bottom = word.GetY() - CMJMainGame2::kLabelLift;
    EXPECT_FALSE(Overlap(win, claim)) << "胡了 " << Show(win) << " on 碰 " << Show(claim);
}

TEST(TableLook, AnnouncedClaimsShowTheirPictureAtTheSeatForAMoment)
{
    SceneRig rig("table_look_actions");
    mahjongtest::TestScene& s = *rig.scene;
    testsupport::ResourceSweep sweep;
    auto record = [](size_t size, std::initializer_list<std::pair<size_t, int32_t>> words) {
        std::vector<uint8_t> r(size);
        for (const auto& [at, value] : words)
            std::memcpy(r.data() + at, &value, sizeof value);
        return r;
    };
    using Announce = std::function<void(const std::vector<uint8_t>&)>;
    const struct {
        Announce announce;
        std::vector<uint8_t> data;
        int seat;
        const char* picture;
    } cases[] = {
        {[&](const auto& d) { s.OnNotifyPengAnnounced(d.data(), d.size()); }, record(16, {{12, 1}}), 0, "peng1"},
        {[&](const auto& d) { s.OnNotifyChiAnnounced(d.data(), d.size()); }, record(16, {{12, 2}}), 1, "chi1"},
        {[&](const auto& d) { s.OnNotifyGangAnnounced(d.data(), d.size()); },
         record(32, {{0, 3}, {4, 2}, {8, 40}, {12, 2}}), 2, "gang2"},
        {[&](const auto& d) { s.OnNotifyGangAnnounced(d.data(), d.size()); },
         record(32, {{0, 0}, {4, 0}, {8, 41}, {12, 1}}), 3, "gang2"},
    };
    for (const auto& c : cases) {
        s.lastActionImageId = 0;
        c.announce(c.data);
        auto* shown = dynamic_cast<BITObject*>(s.FindById(s.lastActionImageId));
        ASSERT_NE(shown, nullptr) << c.picture;
        EXPECT_TRUE(shown->IsActive()) << c.picture;
        PictureInfo info;
        shown->GetPictureInfo(info);
        EXPECT_EQ(info.image, rig.engine.Picture(c.picture, 0).image) << c.picture;
        const TablePoint at = s.LabelPlace(c.seat, int(shown->GetWidth()), int(shown->GetHeight())).at;
        EXPECT_EQ(shown->GetX(), at.x) << c.picture;
        EXPECT_EQ(shown->GetY(), at.y) << c.picture;
        rig.engine.Run(500);
        EXPECT_NE(s.FindById(s.lastActionImageId), nullptr) << c.picture << " still shows half a second on";
        rig.engine.Run(3000);
        EXPECT_EQ(s.FindById(s.lastActionImageId), nullptr) << c.picture << " is gone";
    }
    // A new claim's word takes the place of the last one while it still fades.
    cases[0].announce(cases[0].data);
    const uint32_t fading = s.lastActionImageId;
    rig.engine.Run(1100);
    cases[1].announce(cases[1].data);
    rig.engine.Run(30);
    EXPECT_EQ(s.FindById(fading), nullptr) << "the fading word stays beside the new one";
    EXPECT_EQ(sweep.Findings(), std::vector<std::string>{});
}

TEST(TableLook, TheInfoBoardKeepsItsTextClearOfTheClockWhoseHandPointsAtTheSeatToPlay)
{
    SceneRig rig("table_look_board");
    mahjongtest::TestScene& s = *rig.scene;
    rig.UseSurface(TableOf(1280, 800));
    s.CreateGameInfoBoardBig(1);
    ASSERT_NE(s.infoBoardBig, nullptr);
    ASSERT_NE(s.clockHand, nullptr);
    PlaneObject& board = *s.infoBoardBig;
    const PObject& clock = *s.clockHand;
    // The board's ground and frame are dark; its text is white.
    int under = 0, elsewhere = 0;
    for (int y = 0; y < board.GetSurfaceHeight(); ++y)
        for (int x = 0; x < board.GetSurfaceWidth(); ++x) {
            const uint32_t c = testsupport::PixelOf(board, x, y);
            if ((c & 0xFF) < 160 || (c >> 8 & 0xFF) < 160 || (c >> 16 & 0xFF) < 160)
                continue;
            const double sx = board.GetLeft() + x, sy = board.GetTop() + y;
            const bool underClock = sx >= clock.GetLeft() && sx < clock.GetRight() && sy >= clock.GetTop() &&
                                    sy < clock.GetBottom();
            ++(underClock ? under : elsewhere);
        }
    EXPECT_EQ(under, 0);
    EXPECT_GT(elsewhere, 50) << "both lines are drawn";
    // Seats 0 left, 1 top, 2 right, 3 bottom: the red hand's pixels lie on that side of the dial.
    for (int seat = 0; seat < 4; ++seat) {
        s.PointTurnArrow(0, seat * 2);
        rig.engine.Run(100);
        const int cx = int(clock.GetX()), cy = int(clock.GetY()), w = 1280;
        const auto& pixels = rig.engine.Paint().PresentBuffer();
        double dx = 0, dy = 0;
        int red = 0;
        for (int y = int(clock.GetTop()); y < int(clock.GetBottom()); ++y)
            for (int x = int(clock.GetLeft()); x < int(clock.GetRight()); ++x) {
                const uint32_t c = pixels[size_t(y) * size_t(w) + size_t(x)];
                if ((c >> 16 & 0xFF) > 150 && (c >> 8 & 0xFF) < 90 && (c & 0xFF) < 90) {
                    dx += x - cx;
                    dy += y - cy;
                    ++red;
                }
            }
        ASSERT_GT(red, 20) << seat;
        dx /= red;
        dy /= red;
        const char* side = std::abs(dx) > std::abs(dy) ? (dx < 0 ? "left" : "right") : (dy < 0 ? "top" : "bottom");
        static const char* const kSides[4] = {"left", "top", "right", "bottom"};
        EXPECT_STREQ(side, kSides[seat]);
    }
}

TEST(TableLook, NamesOtherPlayersChoseAreDrawnAsWrittenOnThePanelsAndTheInfoBoards)
{
    SceneRig rig("table_look_names", TableOf(800, 600));
    testsupport::RecordingTexts recording;
    for (std::string_view name : testsupport::kHostileNames) {
        rig.app.SeatPlayer(0, 1000, std::string(name)); // the banker
        rig.scene->CreateGameInfoBoardBig(1), rig.scene->CreateInfoControl(), rig.scene->RefreshInfo();
        rig.scene->players[1]->Refresh(PanelUser{std::string(name), 10400, true, "", true});
        const PlaneObject& p = *rig.scene->players[1]->GetPlane();
        EXPECT_EQ(testsupport::DrawnNameFault(p.TextBoxes().at(0), name, p.Style().size, 0xFFFFFF), "");
        for (const auto& [board, line, after] :
             {std::tuple{rig.scene->infoBoardBig, 0, "庄："}, {rig.scene->infoBoardSmall, 1, "庄家:"}}) {
            ASSERT_EQ(board->TextBoxes().size(), line ? 4u : 2u); // each line whole on one line
            PlaneObject::TextBox t = board->TextBoxes().at(size_t(line));
            t.text.erase(0, t.text.find(after) + std::string_view(after).size());
            EXPECT_EQ(testsupport::DrawnNameFault(t, name, line ? 12 : 14, 0xFFFFFF), "");
        }
    }
    // A long one is cut to the small board's right margin (10 pixels in), not a character short of it.
    rig.app.SeatPlayer(0, 1000, "a西门吹雪大师兄二号东方"), rig.scene->RefreshInfo(); // "…" ends 4 pixels inside
    const PlaneObject::TextBox cut = rig.scene->infoBoardSmall->TextBoxes().at(1);
    const int margin = rig.scene->infoBoardSmall->GetSurfaceWidth() - 10;
    EXPECT_TRUE(cut.text.ends_with("…") && cut.box.right <= margin && cut.box.right + 12 > margin) << cut.box.right;
}

// The sweep: a crowded table (every seat's hand, melds, discards and wall at their fullest, as the
// list holds them; long names on every panel with marks; the dice and the info board; every claim
// button offered; 胡了 and another seat's claim word up through a fold; a board of the exchange's
// size; a look-on request; a watcher in the side panel's user list) laid out at every size from
// 800x600 to 1920x1080 (every 32 px wide, every 24 px high), the side panel open and folded, and
// judged from the scene's list of what a player reads. The list
// holds everything shown. Each panel, drawn 1:1 with its name cut with "…" and every digit of its
// silver, keeps clear of what the rule says, nearer its own hand than any other and alongside it or
// in line with it. Late in a hand (long discards laid), the claim buttons offered stand side by side
// by the own hand (each centre nearer it than another seat's tiles or panel), over no tile, the own
// discards as they lie, and clear of every panel, again when fewer are offered. Every seat's word stands inside the table, clear of every hand, never under a board,
// a panel, a button or the other word, and stays where the fold put it. The board stands whole
// inside the table, clear of every panel. At every fifth size or so the tiles themselves are laid
// in the seats' boxes, the claim pointer and the skill bar's buttons are tried.
TEST(TableLook, ACrowdedTableKeepsWhatAPlayerReadsClearAtEverySizeAndFold)
{
    SceneRig rig("table_look_sweep");
    mahjongtest::TestScene& s = *rig.scene;
    s.ResetAnimations(kAreaLayout);
    PlaneObject::RecordTexts(true);
    struct Off {
        ~Off() { PlaneObject::RecordTexts(false); }
    } off;
    const std::string name = "西门吹雪大师兄二号";
    for (CMJPlayer2* panel : s.players) {
        panel->Refresh(PanelUser{name, 10400, true, panel->GetSeat() % 2 ? "" : "bit_ready", true});
        panel->SetBanker(panel->GetSeat() != 2), panel->SetAutoPlay(panel->GetSeat() != 2);
    }
    auto* bar = rig.engine.Add<CCySplitterBar>();
    bar->SetName(CCySplitterBar::kName);
    // The frame round the table with a look-on request slid in, and the side panel listing the four
    // chairs and a watcher.
    struct Frame : CMJGameFrame { // its chrome left out
        std::span<const ReadItem> TableReadItems() const override { return table->ReadItems().Items(); }
        void LoadColours() override {}
        void CreateFrameButtons() override {}
        void CreateTableBackground() override {}
        const CMJMainGame2* table = nullptr;
    };
    auto* frame = rig.engine.Add<Frame>();
    auto* ask = frame->NewChild<CXyAskKanPaiDlg>();
    const EventRecord answer{frame->GetId(), 0, 0, 0};
    frame->table = &s, ask->Ask(name.c_str(), nullptr, &answer, &answer), frame->PlaceCharacter(ask);
    rig.app.AddLookOn(0, 1005, name, 0);
    auto* side = rig.engine.Add<CMJSubSystem>();
    side->OnSizeDone(), side->OnEvent({side->GetId(), 80000011, 0, 0}); // the table entered: its users listed
    s.CreateGameInfoBoardBig(1);
    for (BITObject* die : s.dice)
        die->Activate();
    // Late in a hand: long discards at every seat, laid as the game lays them.
    constexpr int kLate = 18;
    for (int seat = 0; seat < 4; ++seat)
        for (int i = 0; i < kLate; ++i) {
            CMJCard2& t = *s.pool[size_t(3 + seat * kLate + i)];
            t.state = kTileDiscard, t.seat = seat, t.index = i, t.tile = i % 27, t.faceUp = 1, t.placed = 1;
            s.discards[size_t(seat)][size_t(i)] = &t;
        }
    for (int i = 1; i <= 5; ++i)
        s.ShowActionButton(i, 1);
    const auto boxOf = [](const PObject& o) {
        return Rect{int(o.GetLeft()), int(o.GetTop()), int(o.GetRight()), int(o.GetBottom())};
    };
    const auto show = [](const Rect& r) { return Show(Box{double(r.left), double(r.top), double(r.right), double(r.bottom)}); };
    const auto within = [](const Rect& in, const Rect& out) {
        return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
    };
    const auto ink = [](Rect r, double scale = 1.0) { // a word's, in its picture's upper half
        r.bottom = (r.top + r.bottom) / 2 - int(std::lround(CMJMainGame2::kLabelLift * scale));
        return r;
    };
    // A word's picture at its own size, and its ink where it shows, at the size it shows.
    const auto own = [](const PObject& word) {
        PictureInfo info;
        dynamic_cast<const BITObject&>(word).GetPictureInfo(info);
        return info;
    };
    const auto inkOf = [&](const PObject& word) { return ink(boxOf(word), word.GetHeight() / own(word).height); };
    static constexpr const char* kKinds[] = {"hand", "discards", "wall", "panel", "board line", "clock", "dice",
                                             "word", "claim button", "board"};
    constexpr Rect kExchange{0, 0, 312, 131}; // the exchange board's size
    int k = 0;
    for (int w = 800; w <= 1920; w += 32)
        for (int h = 600; h <= 1080; h += 24, ++k)
            for (const bool open : {true, false}) {
                bar->SetCollapsed(!open);
                rig.UseSurface(TableOf(w, h, true, open));
                const std::string size = std::to_string(w) + "x" + std::to_string(h) + (open ? " open" : " folded");
                const auto items = s.ReadItems().Items();
                const Rect table = s.GetTableRect();
                const int panelWidth = framework::SidePanelWidth(true, w);
                const Rect panel = framework::LayoutRects(w, h, panelWidth, open ? panelWidth : 0, open, 8, 1).panel;
                side->SetBounds(panel), frame->OnSize();
                // The layout's pass read for the tiles what each reads by itself: updated again alone, none moves.
                for (CMJCard2* t : s.pool) {
                    const ObjectGeometry laid = t->GetBodyPicture()->Geometry();
                    t->Update();
                    EXPECT_TRUE(laid == t->GetBodyPicture()->Geometry()) << size << " tile " << t->seat << "/" << t->index;
                }
                // What a piece never stands over, said here apart from the layout's own rule (edges may
                // meet by a pixel): items of these kinds, of any seat, the piece's own or the others'.
                enum Whose { kAny, kOwn, kOthers };
                const auto clearOf = [&](const Rect& box, int seat, std::initializer_list<std::pair<ReadKind, Whose>> never,
                                         const std::string& what) {
                    const Rect inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
                    for (const ReadItem& item : items)
                        for (const auto& [kind, whose] : never)
                            EXPECT_TRUE(item.kind != kind || (whose != kAny && (whose == kOwn) != (item.seat == seat)) ||
                                        !BoxesOverlap(inner, item.box))
                                << size << ": " << what << " " << show(box) << " over the " << kKinds[size_t(item.kind)]
                                << " of seat " << item.seat << " " << show(item.box);
                };
                using enum ReadKind;
                const std::initializer_list<std::pair<ReadKind, Whose>> kWordNever{
                    {Hand, kAny}, {Clock, kAny}, {Dice, kAny}, {Panel, kAny}, {BoardLine, kAny}, {ClaimButton, kAny}, {Board, kAny}};
                // The look-on request, placed again at each size: whole in the window, over the side panel
                // while that is open, over no panel, button or line, and over no tile but in a folded window
                // under 1120 wide, which leaves it no room: there over no tile of the own seat.
                const Rect asked = boxOf(*ask);
                EXPECT_TRUE(within(asked, {0, 0, w, h}) && (!open || asked.left + 1 >= panel.left))
                    << size << ": the look-on request " << show(asked) << " beside the panel " << show(panel);
                const Whose tiles = open || w >= 1120 ? kAny : kOwn;
                clearOf(asked, kOwnSeat, {{Panel, kAny}, {BoardLine, kAny}, {Clock, kAny}, {Dice, kAny}, {ClaimButton, kAny},
                                    {Hand, tiles}, {Discards, tiles}, {Wall, tiles}}, "the look-on request");
                // The user list of five shows whole rows, the four chairs' at least, above the chat.
                CCyUserList& users = *side->GetUserList()->GetList();
                const Rect rows = ObjectModule::ScreenRect(users.GetPlane()->Geometry());
                const int first = rows.top - int(users.GetPlane()->GetTop()), shown = rows.bottom - rows.top;
                const int row = users.RowHeight(), all = users.GetRowCount() * row;
                EXPECT_TRUE(all >= 5 * row && row > 0 && shown >= 4 * row && first % row == 0 &&
                            (shown % row == 0 || first + shown >= all) && rows.bottom <= side->GetChatBox()->GetTop())
                    << size << ": the user list's rows " << show(rows);
                const auto listed = [&](ReadKind kind, int seat, const Rect& box) {
                    return std::any_of(items.begin(), items.end(), [&](const ReadItem& i) {
                        return i.kind == kind && i.seat == seat && !i.reserved && within(box, i.box);
                    });
                };
                // The list holds what shows.
                for (int seat = 0; seat < 4; ++seat)
                    for (const auto& [group, kind] : {std::pair{TileGroup::HandAndMelds, ReadKind::Hand},
                                                      {TileGroup::Discards, ReadKind::Discards},
                                                      {TileGroup::Wall, ReadKind::Wall}})
                        EXPECT_TRUE(listed(kind, seat, s.SeatTilesBox(seat, group))) << size << " seat " << seat;
                // Each discard as its tile drew it, at the scale the layout chose, within the box reckoned for them.
                for (int seat = 0; seat < 4; ++seat)
                    for (const CMJCard2* t : std::span(s.discards[size_t(seat)]).first(kLate))
                        EXPECT_TRUE(within(boxOf(*t->GetBodyPicture()), s.SeatTilesBox(seat, TileGroup::Discards)))
                            << size << " seat " << seat << " discard " << t->index << " " << show(boxOf(*t->GetBodyPicture()));
                for (const PObject* o : {static_cast<const PObject*>(s.infoBoardBig), static_cast<const PObject*>(s.slogan)})
                    EXPECT_TRUE(listed(ReadKind::BoardLine, -1, boxOf(*o))) << size << ": a board line";
                EXPECT_TRUE(listed(ReadKind::Clock, -1, boxOf(*s.clockDigits))) << size;
                for (const BITObject* die : s.dice)
                    EXPECT_TRUE(listed(ReadKind::Dice, -1, boxOf(*die))) << size;
                std::vector<Rect> offered;
                for (CXyStandButton* b : std::span(s.buttons).subspan(CMJMainGame2::kBtnPass, 5)) {
                    offered.push_back(boxOf(*b->GetBody()));
                    EXPECT_TRUE(listed(ReadKind::ClaimButton, kOwnSeat, offered.back())) << size;
                }
                // Panels: readable, clear, by their own hand.
                const auto handOf = [&](int seat) { return s.SeatTilesBox(seat, TileGroup::HandAndMelds); };
                for (CMJPlayer2* panel : s.players) {
                    const int seat = panel->GetSeat();
                    Rect at = boxOf(*panel->GetBody());
                    at.bottom += 20; // the marks under it
                    EXPECT_TRUE(listed(ReadKind::Panel, seat, at)) << size << " panel " << seat << " " << show(at);
                    // Over a whole deal's discards only once they are drawn at their smallest.
                    clearOf(at, seat, {{Hand, kAny}, {Wall, kAny}, {Panel, kOthers}, {BoardLine, kAny}, {Clock, kAny}, {Dice, kAny}},
                            "panel " + std::to_string(seat));
                    if (s.GetDiscardScale() > 0.7)
                        clearOf(at, seat, {{Discards, kAny}}, "panel " + std::to_string(seat));
                    const Rect hand = handOf(seat);
                    for (int other = 0; other < 4; ++other) {
                        Rect them = boxOf(*s.players[size_t(other)]->GetBody());
                        EXPECT_TRUE(other == seat || BoxGap(at, hand) < std::min(BoxGap(at, handOf(other)), BoxGap(at, them)))
                            << size << ": panel " << seat << " " << show(at) << " nearer seat " << other;
                    }
                    const int x = (at.left + at.right) / 2, y = (at.top + at.bottom) / 2;
                    const bool along = seat % 2 ? at.left >= hand.left && at.right <= hand.right
                                                : at.top >= hand.top && at.bottom <= hand.bottom;
                    const bool inLine = seat % 2 ? y >= hand.top && y <= hand.bottom : x >= hand.left && x <= hand.right;
                    EXPECT_TRUE(along || inLine) << size << ": panel " << seat << " " << show(at) << " apart from its hand";
                    const PlaneObject& plane = *panel->GetPlane();
                    const auto& texts = plane.TextBoxes();
                    std::string read;
                    for (const PlaneObject::TextBox& t : texts) {
                        read += t.text + "|";
                        std::vector<Rect> others(panel->GetLayout().marks.begin(), panel->GetLayout().marks.end());
                        others.push_back(panel->GetLayout().character);
                        for (const PlaneObject::TextBox& other : texts)
                            if (&other != &t)
                                others.push_back(other.box);
                        EXPECT_TRUE(t.box.bottom - t.box.top >= 11 && within(t.box, {0, 0, int(plane.GetWidth()), int(plane.GetHeight())}) &&
                                    std::none_of(others.begin(), others.end(), [&](const Rect& m) { return BoxesOverlap(m, t.box); }))
                            << size << " seat " << seat << ": " << t.text;
                    }
                    const bool cut = texts.size() == 2 && texts[0].text.ends_with("…") && texts[0].text.size() >= 6 &&
                        name.starts_with(texts[0].text.substr(0, texts[0].text.size() - 2));
                    EXPECT_TRUE(cut && texts[1].text.ends_with("10400") && texts[1].text.size() <= 10 &&
                                plane.GetWidth() == plane.GetSurfaceWidth() && plane.GetHeight() == plane.GetSurfaceHeight())
                        << size << " seat " << seat << " reads " << read << " drawn " << plane.GetWidth() << " wide";
                }
                // The claim buttons offered: side by side by the own hand, over no tile, clear of every panel;
                // then two of them alone.
                const auto byTheHand = [&](const std::vector<Rect>& shown, const std::string& what) {
                    for (size_t i = 0; i < shown.size(); ++i) {
                        const Rect& b = shown[i];
                        clearOf(b, kOwnSeat, {{Hand, kAny}, {Discards, kOthers}, {Wall, kOthers}, {Panel, kAny}, {BoardLine, kAny},
                                              {Clock, kAny}}, what);
                        for (const CMJCard2* t : s.discards[kOwnSeat])
                            EXPECT_TRUE(!t || !BoxesOverlap({b.left + 1, b.top + 1, b.right - 1, b.bottom - 1}, boxOf(*t->GetBodyPicture())))
                                << size << ": " << what << " " << show(b) << " over the own discard " << t->index;
                        const Rect c{(b.left + b.right) / 2, (b.top + b.bottom) / 2, (b.left + b.right) / 2, (b.top + b.bottom) / 2};
                        for (const ReadItem& item : items)
                            EXPECT_TRUE(item.seat < 0 || item.seat == kOwnSeat || BoxGap(c, handOf(kOwnSeat)) + 4 <= BoxGap(c, item.box))
                                << size << ": " << what << " " << show(b) << " nearer the " << kKinds[size_t(item.kind)]
                                << " of seat " << item.seat << " " << show(item.box) << " than the own hand";
                        const auto beside = [&](const Rect& a) {
                            const int dx = std::abs(b.left - a.left), dy = std::abs(b.top - a.top);
                            return (dy == 0 && dx >= b.right - b.left && dx <= b.right - b.left + 4) ||
                                (dx == 0 && dy == b.bottom - b.top + 2);
                        };
                        EXPECT_TRUE(!i || std::any_of(shown.begin(), shown.begin() + ptrdiff_t(i), beside))
                            << size << ": " << what << " " << show(b) << " beside none before it";
                    }
                };
                byTheHand(offered, "the claim buttons");
                for (int i : {2, 3, 4}) // 杠, 吃, 胡 withdrawn: 碰 and 过 close up
                    s.ShowActionButton(i, 0);
                byTheHand({boxOf(*s.buttons[CMJMainGame2::kBtnPass]->GetBody()), boxOf(*s.buttons[CMJMainGame2::kBtnPeng]->GetBody())},
                          "过 and 碰");
                for (int i = 1; i <= 5; ++i)
                    s.ShowActionButton(i, 1);
                // Words: 胡了 and another seat's 碰, shown at the open layout and judged again after the fold.
                const int winner = k % 4, claimer = (winner + 1 + k / 4 % 3) % 4;
                if (open) { // the win after the claim's word: it keeps apart, and must after the fold too
                    s.PlayActionImage(claimer, "peng1");
                    // Every other size a word twice as wide, whose own place may reach the win word's.
                    if (PObject* wide = k % 2 ? s.FindById(s.lastActionImageId) : nullptr) {
                        const auto [at, scale] = s.LabelPlace(claimer, int(wide->GetWidth()) * 2, int(wide->GetHeight()));
                        wide->SetSize(std::lround(wide->GetWidth() * 2 * scale), std::lround(wide->GetHeight() * scale));
                        wide->MoveTo(at.x, at.y);
                    }
                    s.ShowWinEffect(winner);
                }
                const PObject* peng = s.FindById(s.lastActionImageId);
                ASSERT_TRUE(peng && s.winPicture) << size;
                const Rect win = inkOf(*s.winPicture), claim = inkOf(*peng);
                // Each word nearer its own seat's hand or discards than another seat's hand.
                const auto bySeat = [&](const Rect& word, int seat) {
                    const Rect c{(word.left + word.right) / 2, (word.top + word.bottom) / 2, (word.left + word.right) / 2,
                                 (word.top + word.bottom) / 2};
                    const double gap = std::min(BoxGap(c, handOf(seat)), BoxGap(c, s.SeatTilesBox(seat, TileGroup::Discards)));
                    for (int other = 0; other < 4; ++other)
                        EXPECT_TRUE(other == seat || gap < BoxGap(c, handOf(other)))
                            << size << ": the word of seat " << seat << " " << show(word) << " nearer the hand of seat " << other;
                };
                for (const auto& [word, seat, what] : {std::tuple{win, winner, "胡了"}, {claim, claimer, "碰"}}) {
                    EXPECT_TRUE(within(word, table)) << size << ": " << what << " outside the table";
                    bySeat(word, seat);
                    clearOf(word, seat, kWordNever, what + (" of seat " + std::to_string(seat)));
                }
                // Early, four thrown at each seat: a word stands off the tiles the other seats have thrown,
                // though their discards at their fullest leave it no room (smaller, where nothing by its
                // seat is clear of them at its size).
                const auto thrown = [&](int upTo) {
                    for (int other = 0; other < 4; ++other)
                        for (int i = 0; i < kLate; ++i)
                            if (PObject* body = s.discards[size_t(other)][size_t(i)]->GetBodyPicture())
                                i < upTo ? body->Activate() : body->Deactivate();
                };
                thrown(4);
                for (const auto& [picture, seat] : {std::pair<const PObject*, int>{s.winPicture, winner}, {peng, claimer}}) {
                    const PictureInfo natural = own(*picture);
                    const auto [place, scale] = s.LabelPlace(seat, natural.width, natural.height);
                    const int sw = int(std::lround(natural.width * scale)), sh = int(std::lround(natural.height * scale));
                    const Rect at = ink(BoxAt({-sw / 2, -sh / 2, sw - sw / 2, sh - sh / 2}, place), scale);
                    for (int other = 0; other < 4; ++other)
                        for (int i = 0; other != seat && i < 4; ++i)
                            EXPECT_FALSE(BoxesOverlap(at, boxOf(*s.discards[size_t(other)][size_t(i)]->GetBodyPicture())))
                                << size << ": a word of seat " << seat << " " << show(at) << " over a tile thrown by seat " << other;
                }
                thrown(kLate);
                EXPECT_FALSE(BoxesOverlap(win, claim)) << size << ": 胡了 " << show(win) << " on 碰 " << show(claim);
                const TablePoint pengAt = s.LabelPlace(claimer, own(*peng).width, own(*peng).height).at;
                EXPECT_TRUE(open || std::pair(int(peng->GetX()), int(peng->GetY())) == std::pair(pengAt.x, pengAt.y))
                    << size << ": 碰 not where the fold put it";
                if (!open)
                    s.HideHandEffects();
                // A board of the exchange's size, and every seat's word while it stands.
                const TablePoint b = s.BoardPlace(kExchange.right, kExchange.bottom);
                s.openBoard = BoxAt({-kExchange.right / 2, -kExchange.bottom / 2, kExchange.right - kExchange.right / 2,
                                     kExchange.bottom - kExchange.bottom / 2}, b);
                EXPECT_TRUE(within(s.openBoard, table)) << size << ": the board " << show(s.openBoard);
                clearOf(s.openBoard, kOwnSeat, {{Panel, kAny}, {Hand, kOwn}}, "the board");
                for (int seat = 0; seat < 4; ++seat) {
                    const auto [at, scale] = s.LabelPlace(seat, 72, 164);
                    const int sw = int(std::lround(72 * scale)), sh = int(std::lround(164 * scale));
                    const Rect word = ink(BoxAt({-sw / 2, -sh / 2, sw - sw / 2, sh - sh / 2}, at), scale);
                    // Where the board leaves no room clear of the hands, over its own hand, but never under
                    // the board nor over another seat's hand, where it reads as that seat's.
                    clearOf(word, seat, {{Panel, kAny}, {BoardLine, kAny}, {ClaimButton, kAny}, {Board, kAny}, {Hand, kOthers}},
                            "a word of seat " + std::to_string(seat));
                    bySeat(word, seat);
                    EXPECT_FALSE(BoxesOverlap(word, s.openBoard)) << size << ": a word of seat " << seat << " under the board";
                }
                s.openBoard = {};
                if (k % 5)
                    continue;
                // The tiles themselves lie in the seats' listed boxes, clear of the volume board.
                TableLook look(rig);
                const Rect volume = boxOf(*s.volumeBoard);
                EXPECT_TRUE(within(volume, table)) << size << ": the volume board " << show(volume);
                for (int seat = 0; seat < 4; ++seat) {
                    const Box hand = look.HandAndMelds(seat, true), discards = look.Discards(seat);
                    const Rect tiles{int(hand.left), int(hand.top), int(std::ceil(hand.right)), int(std::ceil(hand.bottom))};
                    EXPECT_TRUE(within(tiles, handOf(seat))) << size << ": the hand of seat " << seat << " " << show(tiles);
                    EXPECT_FALSE(BoxesOverlap(volume, tiles)) << size << ": the volume board over the hand of seat " << seat;
                    EXPECT_TRUE(within({int(discards.left), int(discards.top), int(std::ceil(discards.right)),
                                        int(std::ceil(discards.bottom))},
                                       s.SeatTilesBox(seat, TileGroup::Discards)))
                        << size << ": the discards of seat " << seat;
                }
                // A peng of a seat's, pointed at before the fold, pointed at after it.
                const int seat = k / 5 % 4;
                if (open) {
                    for (int i = 0; i < 3; ++i) {
                        CMJCard2& t = *s.pool[size_t(i)];
                        t.Reset();
                        t.state = kTileHand, t.seat = seat, t.index = i, t.count = 1, t.meldKind = kMeldPeng;
                        t.tile = 4 + 9 * i, t.faceUp = 1, t.placed = 1, t.facing = (seat + 2) % 4;
                        s.hands[size_t(seat)][size_t(i)] = &t;
                        t.Update();
                    }
                    s.ShowArrow(seat, 13);
                    continue;
                }
                const PObject& claimed = *s.pool[1]->GetBodyPicture();
                ASSERT_TRUE(s.claimPointer && s.claimPointer->IsActive()) << size;
                EXPECT_EQ(int(s.claimPointer->GetX()), int(claimed.GetX())) << size << " seat " << seat;
                EXPECT_EQ(int(s.claimPointer->GetBottom()), int(claimed.GetTop())) << size << " seat " << seat;
                s.HideArrow();
                for (int i = 0; i < 3; ++i) {
                    s.hands[size_t(seat)][size_t(i)] = nullptr;
                    s.pool[size_t(i)]->Reset();
                    s.pool[size_t(i)]->Update();
                }
                // The skill bar folds by one button and comes back by the other.
                for (int slot : {CMJMainGame2::kBtnHideSkill, CMJMainGame2::kBtnShowSkill}) {
                    PObject* face = s.buttons[size_t(slot)]->GetBody();
                    EXPECT_LE(face->GetRight(), table.right) << size;
                    rig.engine.Click(int(face->GetX()), int(face->GetY()));
                    EXPECT_EQ(s.skillBar->IsActive(), slot == CMJMainGame2::kBtnShowSkill) << size;
                }
            }
}

TEST(TableLook, AShrunkPanelKeepsItsCornersAndEveryDigitOfItsAmount)
{
    SceneRig rig("table_look_shrunk");
    mahjongtest::TestScene& s = *rig.scene;
    const std::string name = "西门吹雪大师兄二号";
    for (CMJPlayer2* panel : {s.players[0], s.players[2]})
        panel->Refresh(PanelUser{name, 10400, true, "bit_ready", true});
    s.players[0]->SetBanker(true), s.players[0]->SetAutoPlay(true);
    // Shrunk, a panel keeps its art's corners inside it and shrinks its picture; an amount too wide
    // for its label keeps every digit.
    CMJPlayer2 &full = *s.players[0], &shrunk = *s.players[2]; // the one with no marks
    full.SetScale(1), shrunk.SetScale(0.85);
    const PlaneObject &a = *full.GetPlane(), &b = *shrunk.GetPlane();
    for (int d = 1; d <= 3; ++d) // the bottom right corner, clear of the marks
        EXPECT_EQ(b.GetPixelColour(int(b.GetWidth()) - d, int(b.GetHeight()) - d),
                  a.GetPixelColour(int(a.GetWidth()) - d, int(a.GetHeight()) - d));
    EXPECT_EQ(shrunk.GetLayout().character.right - shrunk.GetLayout().character.left, 31); // 36 at full size
    // A size drawn before comes back as it was drawn: its pixels, texts and layout.
    const auto shows = [](CMJPlayer2& panel) {
        PlaneObject& plane = *panel.GetPlane();
        std::string read;
        for (const PlaneObject::TextBox& t : plane.TextBoxes())
            read += t.text + "@" + std::to_string(t.box.left) + "," + std::to_string(t.box.bottom) + ";";
        const Rect& name = panel.GetLayout().nameBox;
        return std::tuple{std::vector<uint8_t>(plane.GetPixels(), plane.GetPixels() + plane.GetSurfaceWidth() * plane.GetSurfaceHeight() * 4),
                          read, name.left, name.top, name.right, panel.GetLayout().amount};
    };
    const auto drawn = shows(full);
    full.SetScale(0.7), full.SetScale(1);
    EXPECT_TRUE(shows(full) == drawn);
    shrunk.Refresh(PanelUser{name, 1234567890, true, "bit_ready", true}), shrunk.AddFlower();
    EXPECT_EQ(shrunk.GetLayout().amount, "1234567890");
}

// The panels' places on a crowded table (long names with marks, a claim's word and the win's), the
// side panel open: through a resize drag as a scene laid out at that size alone puts them (made
// after it: a rig made and gone while another lives changes what that one lays out), and at 800,
// 1100 and 1024 wide (one, two and three discard scales tried) where they always stood.
TEST(TableLook, ThePanelsStandWhereALayoutAtThatSizeAlonePutsThemThroughAResizeDrag)
{
    const auto placesAt = [](SceneRig& rig, int step, int w = 0, int h = 0, bool open = true) {
        mahjongtest::TestScene& s = *rig.scene;
        if (!s.FindByName(CCySplitterBar::kName)) { // the crowded table, once
            rig.engine.Add<CCySplitterBar>()->SetName(CCySplitterBar::kName);
            for (CMJPlayer2* panel : s.players)
                panel->Refresh(PanelUser{"西门吹雪大师兄二号", 1040000, true, "", true}), panel->SetAutoPlay(true);
            const int32_t peng[4] = {0, 0, 0, 1};
            s.OnNotifyPengAnnounced(reinterpret_cast<const uint8_t*>(peng), sizeof peng), s.ShowWinEffect(2);
            for (int claim = 1; claim <= 5; ++claim)
                s.ShowActionButton(claim, 1);
        }
        const int along = step <= 25 ? step : 50 - step; // a drag from 1100x700 and back
        rig.UseSurface(TableOf(w ? w : 1100 - 12 * along - step % 2, h ? h : 700 - 4 * along, true, open));
        std::ostringstream out;
        for (const CMJPlayer2* panel : s.players)
            out << panel->GetScale() << "@" << panel->GetPlane()->GetLeft() << "," << panel->GetPlane()->GetTop() << " ";
        return out.str();
    };
    std::vector<std::string> dragged;
    {
        SceneRig drag("table_look_drag");
        for (int step = 0; step <= 50; ++step)
            dragged.push_back(placesAt(drag, step));
        EXPECT_EQ(placesAt(drag, 0, 800, 600), "0.7@28,431.5 0.8@352,92 0.8@424,427 1@123,428 ");
        EXPECT_EQ(placesAt(drag, 0, 1100, 600), "1@106,350 0.8@576,101 1@616,350 0.8@238,419 ");
        EXPECT_EQ(placesAt(drag, 0, 1024, 600), "1@106,156 0.8@650,35 0.8@552,341 0.7@116,421.5 ");
        EXPECT_EQ(placesAt(drag, 0, 816, 600), "1@99,142 0.7@357,90.5 0.7@357,369.5 1@110,417 ");
        EXPECT_EQ(placesAt(drag, 0, 832, 600), "1@99,142 0.7@379,96.5 0.7@373,369.5 1@112,415 ");
        EXPECT_EQ(placesAt(drag, 0, 800, 600, false), "1@82,350 1@606,47 1@590,350 1@210,428 ");
        EXPECT_EQ(placesAt(drag, 0, 896, 600), "1@99,156 1@413,91 0.8@431,355 1@126,415 ");
        EXPECT_EQ(placesAt(drag, 0, 896, 600, false), "1@99,350 1@668,49 1@669,350 1@230,423 ");
        EXPECT_EQ(placesAt(drag, 0, 912, 600, false), "1@99,350 1@676,49 1@685,350 1@230,423 ");
    }
    for (int step = 4; step <= 50; step += 9) {
        SceneRig alone("table_look_alone");
        EXPECT_EQ(dragged[size_t(step)], placesAt(alone, step)) << step;
    }
}
