// What the player sees at the table in the area layout this game uses, at the window sizes
// players have: the tiles of every group a seat shows (hand and melds, wall, discards) and the
// info board keep clear of each other. The groups are measured from the pooled tile views
// themselves, so the art's picture sizes count as much as the layout's arithmetic. The tile
// just thrown is left out: it stands large above its seat's tiles for a moment, by design.
#include "engine/object/PictureObject.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "widgets/CXyStandButton.h"
#include "framework/frame/FrameLayout.h"
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

// A claim's label at the own seat stands above the hand (a raised tile included): the hand's
// pixels stay as they were, the label's own place changes.
TEST(TableLook, AClaimsLabelAtTheOwnSeatLeavesTheOwnHandInSight)
{
    SceneRig rig("table_look_own_label");
    mahjongtest::TestScene& s = *rig.scene;
    const mahjongtest::Surface surface = TableOf(1280, 800);
    rig.UseSurface(surface);
    s.OnSize();
    Box hand;
    for (int i = 0; i < 14; ++i) {
        CMJCard2& t = *s.pool[size_t(i)];
        t.Reset();
        t.state = kTileHand, t.seat = kOwnSeat, t.index = i, t.count = 14, t.inHand = 1, t.faceUp = 1;
        t.tile = i, t.placed = 1, t.raised = i == 5;
        t.Update();
        hand.Add(*t.GetBodyPicture());
    }
    auto pixels = [&](const Box& b) {
        rig.engine.Run(100);
        const auto& screen = rig.engine.Paint().PresentBuffer();
        std::vector<uint32_t> out;
        for (int y = int(b.top); y < int(b.bottom); ++y)
            for (int x = int(b.left); x < int(b.right); ++x)
                out.push_back(screen[size_t(y) * size_t(surface.width) + size_t(x)]);
        return out;
    };
    TablePoint at;
    s.GetSeatAnchor(at, kOwnSeat);
    const Box above{hand.left, double(at.y) - 60, hand.right, double(at.y) - 20};
    const auto handBefore = pixels(hand), aboveBefore = pixels(above);
    s.PlayActionImage(kOwnSeat, "peng1");
    EXPECT_EQ(pixels(hand), handBefore);
    EXPECT_NE(pixels(above), aboveBefore) << "the label shows";
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
        const TablePoint at = s.LabelPlace(c.seat, int(shown->GetWidth()), int(shown->GetHeight()));
        EXPECT_EQ(shown->GetX(), at.x) << c.picture;
        EXPECT_EQ(shown->GetY(), at.y) << c.picture;
        rig.engine.Run(500);
        EXPECT_NE(s.FindById(s.lastActionImageId), nullptr) << c.picture << " still shows half a second on";
        rig.engine.Run(3000);
        EXPECT_EQ(s.FindById(s.lastActionImageId), nullptr) << c.picture << " is gone";
    }
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
}

// What a player reads and clicks at every size players have, the side panel open and folded: the
// seat panels (with the marks under them) and the claim buttons stand clear of every seat's tiles
// and of each other, each panel alongside its own seat's hand (or in line with it) and nearer it
// than any other; the skill bar folded by its button comes back by the other. Every claim word
// (碰, both 杠, 吃, 花, 胡了) and a larger one at every seat stands inside the table clear of every
// hand, the other seats' discards, the panels, the claim buttons and the clock's digits, and follows
// a fold made while it shows, as the claim pointer does. Every panel, shrunk or not, is drawn 1:1
// and shows a long name whole or cut with "…" and every digit of its silver, clear of its marks.
TEST(TableLook, ControlsAndClaimWordsStandClearOfTilesAndEachOtherAtEverySizeAndFold)
{
    SceneRig rig("table_look_controls");
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
    const auto inside = [](const Box& in, const Rect& out) {
        return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
    };
    // A restored window 800 x 600 does not fill its screen.
    for (const auto& [w, h, fills] : {std::tuple{800, 600, true},
                                      {800, 600, false},
                                      {900, 700, true},
                                      {960, 600, true},
                                      {960, 640, true},
                                      {1024, 600, true},
                                      {1024, 768, true},
                                      {1100, 600, true},
                                      {1280, 720, true},
                                      {1280, 800, true},
                                      {1366, 768, true},
                                      {1440, 900, true},
                                      {1600, 900, true},
                                      {1920, 1080, true}})
        for (const bool open : {true, false}) {
            const auto fold = [&, w = w, h = h, fills = fills](bool opened) {
                bar->SetCollapsed(!opened);
                rig.UseSurface(TableOf(w, h, fills, opened));
            };
            fold(open);
            const std::string size =
                std::to_string(w) + "x" + std::to_string(h) + (fills ? "" : " restored") + (open ? " open" : " folded");
            for (CMJPlayer2* panel : s.players) {
                const PlaneObject& plane = *panel->GetPlane();
                std::string read;
                const auto& texts = plane.TextBoxes();
                for (const PlaneObject::TextBox& t : texts) {
                    read += t.text + "|";
                    const Rect& b = t.box;
                    bool clear = b.bottom - b.top >= 11 && b.left >= 0 && b.top >= 0 &&
                        b.right <= int(plane.GetWidth()) && b.bottom <= int(plane.GetHeight());
                    std::vector<Rect> others(panel->GetLayout().marks.begin(), panel->GetLayout().marks.end());
                    others.push_back(panel->GetLayout().character);
                    for (const PlaneObject::TextBox& other : texts)
                        if (&other != &t)
                            others.push_back(other.box);
                    for (const Rect& m : others)
                        clear =
                            clear && (m.right <= b.left || b.right <= m.left || m.bottom <= b.top || b.bottom <= m.top);
                    EXPECT_TRUE(clear) << size << " seat " << panel->GetSeat() << ": " << t.text;
                }
                for (const Rect& m : panel->GetLayout().marks) // drawn where laid out: its left edge shows
                    EXPECT_TRUE(m.right == m.left ||
                                plane.GetPixelColour(m.left + 2, (m.top + m.bottom) / 2) !=
                                    plane.GetPixelColour(m.left - 1, (m.top + m.bottom) / 2))
                        << size << " seat " << panel->GetSeat();
                const bool cut = texts.size() == 2 && texts[0].text.ends_with("…") && texts[0].text.size() >= 6 &&
                    name.starts_with(texts[0].text.substr(0, texts[0].text.size() - 2));
                EXPECT_TRUE(cut && texts[1].text.ends_with("10400") && texts[1].text.size() <= 10 && plane.GetWidth() == plane.GetSurfaceWidth() &&
                            plane.GetHeight() == plane.GetSurfaceHeight())
                    << size << " seat " << panel->GetSeat() << " reads " << read << " drawn " << plane.GetWidth()
                    << " wide from " << plane.GetSurfaceWidth();
            }
            TableLook look(rig);
            std::vector<Box> keep = look.Controls();
            // The discards are drawn smaller only on a crowded table: open, no more than 700 high.
            EXPECT_TRUE(s.GetDiscardScale() == 1.0 || (open && h <= 700)) << size;
            keep.emplace_back().Add(*s.clockDigits);
            // No tile stands flush under the window's frame; the volume board leaves every hand in sight.
            const Rect table = s.GetTableRect(), felt{table.left + 4, table.top + 4, table.right - 4, table.bottom - 4};
            Box volume, discards[4], walls[4];
            volume.Add(*s.volumeBoard);
            EXPECT_TRUE(inside(volume, table)) << size << ": the volume board " << Show(volume);
            for (int seat = 0; seat < 4; ++seat) {
                const Box& hand = keep.emplace_back(look.HandAndMelds(seat, true));
                discards[seat] = look.Discards(seat);
                walls[seat] = look.Wall(seat);
                EXPECT_TRUE(inside(hand, s.SeatTilesBox(seat, TileGroup::HandAndMelds)) && inside(hand, felt) &&
                            !Overlap(volume, hand))
                    << size << ": the hand of seat " << seat << " " << Show(hand);
                EXPECT_TRUE(inside(discards[seat], s.SeatTilesBox(seat, TileGroup::Discards))) << size;
            }
            // keep: 5 claim buttons, 4 panels, the clock, 4 hands.
            for (size_t i = 0; i < 9; ++i) {
                for (int seat = 0; seat < 4; ++seat)
                    EXPECT_TRUE(!Overlap(keep[i], keep[10 + size_t(seat)]) && !Overlap(keep[i], walls[seat]) &&
                                !Overlap(keep[i], discards[seat]))
                        << size << ": " << Show(keep[i]) << " over the tiles of seat " << seat;
                for (size_t k = i + 1; k < 9; ++k)
                    EXPECT_FALSE(Overlap(keep[i], keep[k])) << size << ": controls " << i << " and " << k;
            }
            // The claim buttons by the own hand: 过 right above it, over its right half.
            const Box &pass = keep[0], &ownHand = keep[10 + kOwnSeat];
            EXPECT_TRUE(pass.bottom <= ownHand.top && pass.bottom >= ownHand.top - 2 * (pass.bottom - pass.top) &&
                        pass.left + pass.right >= ownHand.left + ownHand.right)
                << size << ": 过 " << Show(pass) << " apart from the own hand " << Show(ownHand);
            for (size_t seat = 0; seat < 4; ++seat) {
                const Box& panel = keep[5 + seat];
                auto gap = [&](const Box& b) {
                    return std::hypot(std::max({0.0, b.left - panel.right, panel.left - b.right}),
                                      std::max({0.0, b.top - panel.bottom, panel.top - b.bottom}));
                };
                // Nearer its own hand than another seat's hand or panel (panels side by side pair up).
                for (size_t other = 0; other < 4; ++other)
                    EXPECT_TRUE(other == seat ||
                                gap(keep[10 + seat]) < std::min(gap(keep[10 + other]), gap(keep[5 + other])))
                        << size << ": panel " << seat << " " << Show(panel) << " nearer seat " << other;
                // Alongside its hand (within its length), or in line with it at its end: not off in
                // another seat's corner.
                const Box& hand = keep[10 + seat];
                const double x = (panel.left + panel.right) / 2, y = (panel.top + panel.bottom) / 2;
                const bool along = seat % 2 ? panel.left >= hand.left && panel.right <= hand.right
                                            : panel.top >= hand.top && panel.bottom <= hand.bottom;
                const bool inLine = seat % 2 ? y >= hand.top && y <= hand.bottom : x >= hand.left && x <= hand.right;
                EXPECT_TRUE(along || inLine)
                    << size << ": panel " << seat << " " << Show(panel) << " apart from its hand " << Show(hand);
            }
            for (int slot : {CMJMainGame2::kBtnHideSkill, CMJMainGame2::kBtnShowSkill}) {
                PObject* face = s.buttons[size_t(slot)]->GetBody();
                EXPECT_LE(face->GetRight(), table.right);
                rig.engine.Click(int(face->GetX()), int(face->GetY()));
                EXPECT_EQ(s.skillBar->IsActive(), slot == CMJMainGame2::kBtnShowSkill) << size;
            }
            s.ShowSkillBar(1);
            // A word's upper part inside the table, clear of what is kept.
            const auto keptClear = [&](Box box, int seat, const std::string& what) {
                box.bottom = (box.top + box.bottom) / 2 - CMJMainGame2::kLabelLift;
                EXPECT_TRUE(inside(box, table)) << what << " outside the table";
                for (const Box& b : keep) // buttons, panels, the clock, the hands
                    EXPECT_FALSE(Overlap(box, b)) << what << " over " << Show(b);
                for (int other = 0; other < 4; ++other)
                    EXPECT_TRUE(other == seat || !Overlap(box, discards[other]))
                        << what << " over the discards of seat " << other << " " << Show(discards[other]);
            };
            // Two seats' words at once (a win shows while another seat pengs) stand apart, even where
            // the win's word stands on the other's place.
            for (int seat = 0; seat < 4; ++seat)
                for (int other = 0; other < 4; ++other) {
                    if (other == seat)
                        continue;
                    s.PlayActionImage(other, "peng1");
                    const PObject& peng1 = *s.FindById(s.lastActionImageId);
                    const TablePoint there = s.LabelPlace(other, int(peng1.GetWidth()), int(peng1.GetHeight()));
                    s.RemoveActionImage();
                    s.ShowWinEffect(seat);
                    s.winPicture->MoveTo(there.x, there.y);
                    s.PlayActionImage(other, "peng1");
                    Box win, peng;
                    win.Add(*s.winPicture);
                    peng.Add(*s.FindById(s.lastActionImageId));
                    win.bottom = (win.top + win.bottom) / 2 - CMJMainGame2::kLabelLift;
                    peng.bottom = (peng.top + peng.bottom) / 2 - CMJMainGame2::kLabelLift;
                    EXPECT_FALSE(Overlap(win, peng)) << size << ": 胡了 of seat " << seat << " " << Show(win)
                                                     << " under 碰 of seat " << other << " " << Show(peng);
                    s.RemoveActionImage();
                    s.HideHandEffects();
                }
            for (int seat = 0; seat < 4; ++seat) {
                // A word larger than ours (another skin's) goes further from its seat's anchor.
                const TablePoint big = s.LabelPlace(seat, 200, 80);
                keptClear({double(big.x - 100), double(big.y - 40), double(big.x + 100), double(big.y + 40)}, seat,
                          size + ": a 200 x 80 word of seat " + std::to_string(seat));
                for (const char* word : {"peng1", "gang1", "gang2", "chi1", "hua1", "bit_hu"}) {
                    fold(!open);
                    const bool win = std::string(word) == "bit_hu";
                    win ? s.ShowWinEffect(seat) : s.PlayActionImage(seat, word);
                    fold(open);
                    const PObject* label = win ? s.winPicture : s.FindById(s.lastActionImageId);
                    ASSERT_NE(label, nullptr) << word;
                    const TablePoint at = s.LabelPlace(seat, int(label->GetWidth()), int(label->GetHeight()));
                    Box box;
                    box.Add(*label);
                    const std::string what = size + ": " + word + " of seat " + std::to_string(seat) + " " + Show(box);
                    EXPECT_EQ(std::pair(int(label->GetX()), int(label->GetY())), std::pair(at.x, at.y))
                        << what << " stays where the fold found it";
                    keptClear(box, seat, what);
                    s.RemoveActionImage();
                }
                // A peng of the seat's (three of one face), pointed at, then the fold.
                fold(!open);
                for (int i = 0; i < 3; ++i) {
                    CMJCard2& t = *s.pool[size_t(i)];
                    t.Reset();
                    t.state = kTileHand, t.seat = seat, t.index = i, t.count = 1, t.meldKind = kMeldPeng;
                    t.tile = 4 + 9 * i, t.faceUp = 1, t.placed = 1, t.facing = (seat + 2) % 4;
                    s.hands[size_t(seat)][size_t(i)] = &t;
                    t.Update();
                }
                s.ShowArrow(seat, 13);
                fold(open);
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
            }
        }
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
