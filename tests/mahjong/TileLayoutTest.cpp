// The per-seat tile layout without an engine: the metric tables, the margins, the edge cases of
// the hand, meld and discard rules, invariants over random hands in the four size classes, and
// the search for the nearest clear place of the table's furniture against a plain scan.
#include "mahjong/scene/ClearPlace.h"
#include "mahjong/tiles/TileLayout.h"
#include "tests/mahjong/TileSurfaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <tuple>

using namespace Lumora;
using mahjongtest::kSurfaces;

namespace {

// Own-hand tile sizes by class (the large set), the steps the metrics start from.
struct ClassRow {
    TileSizeClass cls;
    int tm0, tm1, tm20, tm27;
};

TileLayoutInput Input(const mahjongtest::Surface& s, int state, int seat, double w, double h)
{
    TileLayoutInput in;
    in.state = state;
    in.seat = seat;
    in.w = w;
    in.h = h;
    in.table = s.table;
    in.surfaceWidth = s.width;
    in.surfaceHeight = s.height;
    in.margins = ComputeTileMargins(s.width, s.height);
    in.metrics = ComputeTileMetrics(s.width, s.height, s.table, 1.0);
    return in;
}

} // namespace

TEST(TileMetricsTest, MetricsFollowTheSizeClassAndTheSurfaceHeight)
{
    const ClassRow rows[] = {{kClass800, 50, 72, 27, 15},
                             {kClass1024, 54, 78, 34, 18},
                             {kClass1366, 58, 86, 39, 21},
                             {kClass1600, 64, 94, 46, 24}};
    for (size_t i = 0; i < 4; ++i) {
        const auto& s = kSurfaces[i];
        EXPECT_EQ(MetricSizeClass(s.width, s.table), rows[i].cls);
        const TileMetrics m = ComputeTileMetrics(s.width, s.height, s.table, 1.0);
        EXPECT_EQ(m[0], rows[i].tm0);
        EXPECT_EQ(m[1], rows[i].tm1);
        EXPECT_EQ(m[20], rows[i].tm20);
        EXPECT_EQ(m[27], rows[i].tm27);
    }
    // A narrow or low table takes the smallest class whatever the surface.
    EXPECT_EQ(MetricSizeClass(1600, Rect{0, 0, 799, 900}), kClass800);
    EXPECT_EQ(MetricSizeClass(1600, Rect{0, 0, 1200, 600}), kClass800);
    EXPECT_EQ(MiddleSizeClass(1200, Rect{0, 0, 1000, 700}), kClass1366);
    // TM33-TM49 by height alone; the scale truncates each value.
    const Rect big{0, 0, 1200, 800};
    EXPECT_EQ(ComputeTileMetrics(1366, 600, big, 1.0)[33], 11);
    EXPECT_EQ(ComputeTileMetrics(1366, 601, big, 1.0)[33], 13);
    EXPECT_EQ(ComputeTileMetrics(1366, 901, big, 1.0)[49], 11);
    EXPECT_EQ(ComputeTileMetrics(800, 600, Rect{0, 0, 700, 500}, 0.83)[0], 41);   // 50 × 0.83
    EXPECT_EQ(ComputeTileMetrics(800, 600, Rect{0, 0, 700, 500}, 0.75)[1], 54);   // 72 × 0.75
}

TEST(TileMetricsTest, MarginsAndTheCentreBoxFollowTheSurface)
{
    EXPECT_EQ(ComputeTileMargins(800, 600), (TileMargins{15, 0, 3, 3, 50}));
    EXPECT_EQ(ComputeTileMargins(1280, 767), (TileMargins{30, 5, 60, 3, 65}));
    EXPECT_EQ(ComputeTileMargins(1600, 899), (TileMargins{30, 7, 120, 3, 65}));
    EXPECT_EQ(ComputeTileMargins(1024, 900).vert, 9);
    EXPECT_EQ(ScaleTile(1.0, 108), 160.0);
    EXPECT_EQ(ScaleTile(1.0, 136), 210.0);
    const Rect box = ScaleLayout(Rect{0, 0, 800, 600}, 800, true, 108);
    EXPECT_EQ(box.right - box.left, 120);  // 160 × 0.75
    EXPECT_EQ(box.bottom - box.top, 82);   // 110 × 0.75
    EXPECT_EQ((box.left + box.right) / 2, 400 + 18);
    EXPECT_EQ((box.top + box.bottom) / 2, 300 - 27);
    EXPECT_EQ(ScaleLayout(Rect{0, 0, 800, 600}, 800, false, 108).right -
                  ScaleLayout(Rect{0, 0, 800, 600}, 800, false, 108).left,
              160);
}

TEST(TileLayoutTest, TheDrawnTileStandsApartAndTheWholeHandIsCentred)
{
    for (const auto& s : kSurfaces) {
        const double w = 58, h = 86;
        TileLayoutInput in = Input(s, kTileHand, 3, w, h);
        in.count = 14;
        std::vector<int> xs;
        for (int i = 0; i < 14; ++i) {
            in.index = i;
            const TilePlace p = HandPos(in);
            xs.push_back(p.x);
            EXPECT_EQ(*p.z, 2800.0 - i);
        }
        EXPECT_EQ(xs[0] - xs[1], int(w) + kDrawnTileGap);
        for (int i = 2; i < 14; ++i)
            EXPECT_EQ(xs[i - 1] - xs[i], int(w));
        const int centre = (s.table.left + s.table.right) / 2;
        EXPECT_NEAR((xs[0] + w / 2 + xs[13] - w / 2) / 2, centre, 1.0);
    }
}

TEST(TileLayoutTest, ARaisedOwnTileRisesByTenUnlessDimmed)
{
    TileLayoutInput in = Input(kSurfaces[2], kTileHand, 3, 58, 86);
    in.count = 13;
    in.index = 4;
    const int y = HandPos(in).y;
    in.raised = true;
    EXPECT_EQ(HandPos(in).y, y - kRaise);
    in.lifted = true;
    EXPECT_EQ(HandPos(in).y, y - kRaise);  // at most ten in all
    in.lifted = false;
    in.dimmed6 = true;
    EXPECT_EQ(HandPos(in).y, y);
    in.lifted = true;
    EXPECT_EQ(HandPos(in).y, y - kRaise);
}

TEST(TileLayoutTest, DiscardTwentyTwoStartsTheThirdRowAboveTheOthers)
{
    const auto& s = kSurfaces[2];
    const double w = 32, h = 46;
    TileLayoutInput in = Input(s, kTileDiscard, 3, w, h);
    in.index = 22;
    const TilePlace p = DiscardPos(in);
    const int W = s.table.right - s.table.left;
    EXPECT_EQ(p.x, int(s.table.left + (W - w * 9) / 2 + w / 2));
    EXPECT_EQ(*p.z, 300.0);
    in.index = 0;
    EXPECT_EQ(*DiscardPos(in).z, 200.0);
    in.index = 12;
    EXPECT_EQ(*DiscardPos(in).z, 100.0);
}

TEST(TileLayoutTest, DiscardsPastTheLastRowStayInTheLastRow)
{
    // Rows hold 31 (front) and 25 (side) tiles; a seat keeps up to 36.
    for (int seat : {0, 1, 2, 3}) {
        const DiscardSlot last = MetricDiscardSlot(seat, 35);
        EXPECT_EQ(last.row, 2) << seat;
        EXPECT_EQ(last.k, seat % 2 ? 35 - 22 : 35 - 18) << seat;
        EXPECT_EQ(AreaDiscardSlot(seat, 35, 768).row, 2);
    }
    TileLayoutInput in = Input(kSurfaces[1], kTileDiscard, 3, 32, 46);
    in.index = 30;
    const int x30 = DiscardPos(in).x;
    in.index = 31;
    EXPECT_EQ(DiscardPos(in).x - x30, 32);  // one step on, past the row's end
}

TEST(TileLayoutTest, AnAreaSideRowHoldsEightOnALowSurfaceAndTenAbove)
{
    EXPECT_EQ(AreaDiscardSlot(0, 8, 600).row, 1);
    EXPECT_EQ(AreaDiscardSlot(0, 8, 600).k, 0);
    EXPECT_EQ(AreaDiscardSlot(0, 8, 601).row, 0);
    EXPECT_EQ(AreaDiscardSlot(0, 10, 601).row, 1);
    EXPECT_EQ(AreaDiscardSlot(3, 8, 600).row, 0);  // the front rows hold ten on any surface
}

TEST(TileLayoutTest, AreaDiscardsOfTheFrontSeatsFillTheirAreasWidth)
{
    for (const auto& s : kSurfaces) {
        const TileMetrics m = ComputeTileMetrics(s.width, s.height, s.table, 1.0);
        // The scene's front discard area is ten steps of TM47 wide.
        const Rect area{s.table.left + 100, s.table.top + 300, s.table.left + 100 + 10 * m[47], s.table.top + 370};
        for (int seat : {1, 3}) {
            TileLayoutInput in = Input(s, kTileDiscard, seat, m[47], m[48] + 10);
            in.layoutMode = kAreaLayout;
            in.discardArea = area;
            for (int i = 0; i < 30; ++i) {
                in.index = i;
                const TilePlace p = DiscardPos(in);
                EXPECT_GE(p.x - m[47] / 2, area.left) << seat << " " << i;
                EXPECT_LE(p.x + m[47] / 2, area.right) << seat << " " << i;
            }
        }
    }
}

TEST(TileLayoutTest, TheFourthGangTileLiesOverTheMiddleOneLifted)
{
    TileLayoutInput in = Input(kSurfaces[2], kTileHand, 3, 32, 46);
    in.meldKind = 2;
    in.count = 1;
    in.index = 1;
    const TilePlace middle = HandPos(in);
    in.index = 3;
    const TilePlace fourth = HandPos(in);
    EXPECT_EQ(fourth.x, middle.x);
    EXPECT_EQ(fourth.y, middle.y - in.metrics[18]);
    EXPECT_EQ(*fourth.z, 2800.0);
    // With the claimed tile elsewhere the fourth tile takes the middle step.
    in.claimPos = 1;
    in.index = 1;
    const int stepX = HandPos(in).x;
    in.index = 3;
    EXPECT_EQ(HandPos(in).x, stepX);
}

// A group's extent is the least box over every tile of the group where its view lies it, at its
// size: a gang tile turned sideways or face down, every discard and every wall tile.
TEST(TileLayoutTest, AGroupsExtentIsTheLeastBoxOverEveryTileOfTheGroup)
{
    for (int at = 0; at < 4 * 4 * 2 * 2; ++at) {
        // Every other round the melds alone: the hand and the result row have no picture.
        const auto size = [&](const TileLook& look) {
            if (at >= 32 && (look.inHand || look.state == kTileResultRow))
                return std::pair{0.0, 0.0};
            // At a scale that leaves the halves of a picture's size fractions.
            const double f = at % 8 == 5 ? 0.83 : 1.0;
            return look.facing % 2 ? std::pair{60.0 * f, 40.0 * f} : look.faceUp ? std::pair{40.0 * f, 60.0 * f} : std::pair{48.0 * f, 64.0 * f};
        };
        const int seat = at % 4;
        TileLayoutInput in = Input(kSurfaces[size_t(at / 4 % 4)], kTileHand, seat, 0, 0);
        in.layoutMode = at / 16 % 2, in.wallArea = {300, 200, 500, 300}, in.discardArea = {250, 250, 550, 400};
        if (at % 8 == 5) // a table left of and above the origin: its boxes' edges round down and up there too
            for (Rect* r : {&in.table, &in.wallArea, &in.discardArea})
                *r = {r->left - 3000, r->top - 3000, r->right - 3000, r->bottom - 3000};
        if (at >= 32) // and the steps of a meld claimed from elsewhere wider than those claimed from the first place
            for (const auto& [wide, narrow] : {std::pair{16, 14}, {10, 8}, {13, 17}, {7, 17}})
                in.metrics.tm[wide] = 2 * in.metrics.tm[narrow];
        if (seat % 2 == 0 && at % 8 >= 4) // a column's meld whose second tile steps back past its first
            in.metrics.tm[17] = -2 * in.metrics.tm[17];
        const TileLayoutInput base = in;
        Rect all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        const auto cover = [&](TilePlace (*place)(const TileLayoutInput&), const TileLook& look) {
            std::tie(in.w, in.h) = size(look);
            if (in.w <= 0)
                return;
            const TilePlace p = place(in);
            all = {std::min(all.left, int(std::floor(p.x - in.w / 2))), std::min(all.top, int(std::floor(p.y - in.h / 2))),
                   std::max(all.right, int(std::ceil(p.x + in.w / 2))), std::max(all.bottom, int(std::ceil(p.y + in.h / 2)))};
        };
        for (in.index = 0, in.count = kFullHandTiles; in.index < kFullHandTiles; ++in.index) {
            in.raised = seat == 3;
            cover(HandPos, {kTileHand, true, true, 0});
            in.raised = false;
            cover(ResultRowPos, {kTileResultRow, false, true, 0});
        }
        in.meldKind = kMeldGang;
        for (int meld = 0; meld < 16 * 3 * 5; ++meld) {
            in.count = meld / 60, in.claimPos = meld / 20 % 3, in.index = meld / 5 % 4;
            cover(HandPos, {kTileHand, false, meld % 5 < 4, meld % 5 & 3});
        }
        EXPECT_EQ(GroupExtent(seat, TileGroup::HandAndMelds, base, size), all) << at;
        all = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (in.index = 0; in.index < kFullestDiscards; ++in.index)
            cover(DiscardPos, {kTileDiscard, false, true, 0});
        EXPECT_EQ(GroupExtent(seat, TileGroup::Discards, base, size), all) << at;
        all = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (in.index = 0, in.count = kFullWall; in.index < kFullWall; ++in.index)
            cover(WallPos, {kTileWall, false, false, 0});
        EXPECT_EQ(GroupExtent(seat, TileGroup::Wall, base, size), all) << at;
    }
}

TEST(TileLayoutTest, TheMeldOriginLeavesRoomForFourMelds)
{
    for (const auto& s : kSurfaces) {
        const TileMetrics m = ComputeTileMetrics(s.width, s.height, s.table, 1.0);
        // Bottom: four melds end before the two hand tiles left at the right of a full hand.
        TileLayoutInput hand = Input(s, kTileHand, 3, m[0], m[1]);
        hand.count = kFullHandTiles;
        hand.index = 1;
        const int origin3 = MeldOrigin(3, hand);
        EXPECT_LE(origin3 + 4 * (m[14] + 2 * m[16]), HandPos(hand).x - m[0] / 2) << s.width;
        EXPECT_GE(origin3, s.table.left);
        // Top: mirrored, melds run leftwards from the origin, inside the table.
        EXPECT_GE(MeldOrigin(1, hand) - 4 * (m[8] + 2 * m[10]), s.table.left) << s.width;
        EXPECT_LE(MeldOrigin(1, hand), s.table.right);
        EXPECT_EQ(MeldOrigin(4, hand), 0);
    }
}

TEST(TileLayoutTest, TheThrownTileAndTheResultRowsStandByTheirSeat)
{
    const auto& s = kSurfaces[3];
    const TileLayoutInput in = Input(s, kTileThrown, 3, 64, 94);
    const TilePlace bottom = ThrownPos(in);
    EXPECT_EQ(bottom.x, s.table.left + (s.table.right - s.table.left) / 2);
    EXPECT_EQ(bottom.y, s.table.bottom - 94 - kEdgeInset - 94);
    EXPECT_FALSE(bottom.z.has_value());
    // A result row of n tiles is centred with a gap of 8 after the first.
    TileLayoutInput row = Input(s, kTileResultRow, 1, 36, 54);
    row.count = 5;
    row.index = 0;
    const int x0 = ResultRowPos(row).x;
    row.index = 1;
    EXPECT_EQ(ResultRowPos(row).x - x0, 36 + kResultRowGap);
    EXPECT_EQ(*ResultRowPos(row).z, 2401.0);
}

TEST(TileLayoutTest, RandomHandsKeepTheirOrderAndStayOnTheTable)
{
    // Hand picture sizes by class: own (large), top, sides.
    const double sizes[4][3][2] = {{{50, 72}, {26, 29}, {36, 45}},
                                   {{54, 78}, {32, 36}, {44, 52}},
                                   {{58, 86}, {36, 43}, {44, 57}},
                                   {{64, 94}, {42, 49}, {50, 64}}};
    std::mt19937 random(7);
    for (size_t c = 0; c < kSurfaces.size(); ++c) {
        const auto& s = kSurfaces[c];
        for (int round = 0; round < 50; ++round) {
            const int n = 1 + int(random() % 14);
            for (int seat = 0; seat < 4; ++seat) {
                const bool across = seat % 2 == 1;
                const auto& size = sizes[c][seat == 3 ? 0 : seat == 1 ? 1 : 2];
                TileLayoutInput in = Input(s, kTileHand, seat, size[0], size[1]);
                in.count = n;
                int last = 0;
                for (int i = 0; i < n; ++i) {
                    in.index = i;
                    const TilePlace p = HandPos(in);
                    const int along = across ? p.x : p.y;
                    if (i > 0) {
                        const int step = std::abs(along - last);
                        // Own and top hands never overlap; side hands overlap by design but
                        // always move on.
                        EXPECT_GE(step, across ? int(in.w) : 1) << seat << " " << i;
                    }
                    last = along;
                    EXPECT_GE(p.x, s.table.left);
                    EXPECT_LE(p.x, s.table.right);
                    EXPECT_GE(p.y, s.table.top);
                    EXPECT_LE(p.y, s.table.bottom);
                }
                // Discards of the rows stay on the table.
                TileLayoutInput d = Input(s, kTileDiscard, seat, across ? 32 : 44, across ? 46 : 35);
                for (int i = 0; i < (across ? 31 : 25); ++i) {
                    d.index = i;
                    const TilePlace p = DiscardPos(d);
                    EXPECT_GT(p.x, s.table.left);
                    EXPECT_LT(p.x, s.table.right);
                    EXPECT_GT(p.y, s.table.top);
                    EXPECT_LT(p.y, s.table.bottom);
                }
            }
        }
    }
}

// Gaps weighed in squared whole numbers order as their roots do, ties and near-ties included, over
// the gaps a table holds.
TEST(ClearPlaceTest, SquaredGapsPlusAMarginOrderAsTheirRoots)
{
    const auto sign = [](auto order) { return order < 0 ? -1 : order > 0 ? 1 : 0; };
    std::mt19937 random(3);
    for (int round = 0; round < 200000; ++round) {
        const int64_t near = round < 4000 ? round % 63 * (round % 63) : random() % 4000000;
        const int margin = int(random() % 12);
        const int64_t root = int64_t(std::sqrt(double(near))) + margin + int(random() % 5) - 2;
        const int64_t far = round % 2 ? std::max<int64_t>(0, root * root + int(random() % 9) - 4) : random() % 4000000;
        const double plain = std::sqrt(double(near)) + margin, other = std::sqrt(double(far));
        ASSERT_EQ(sign(CompareRootPlus(near, margin, far)), sign(plain <=> other)) << near << " " << margin << " " << far;
    }
    EXPECT_EQ(SquaredGap({0, 0, 10, 10}, {13, 14, 20, 20}), 3 * 3 + 4 * 4);
    // The blocks of an area judged never nearer the own box hold no point that is, and some are judged;
    // remembered, the very blocks, for a smaller box or another hand there too.
    size_t judged = 0;
    NeverNearerMemo memo;
    Rect before{};
    for (int round = 0; round < 5000; ++round) {
        const auto upTo = [&](int n) { return int(random() % uint32_t(n)); };
        const Rect area{upTo(300), upTo(300), 400 + upTo(400), 400 + upTo(400)}, box{-upTo(60), -upTo(40), upTo(60), upTo(40)};
        const Rect own{upTo(600), upTo(600), 600 + upTo(200), 600 + upTo(200)}, other{upTo(500), upTo(500), 500 + upTo(100), 500 + upTo(100)};
        std::vector<Rect> blocks;
        NeverNearerBlocks(area, box, own, std::span(&other, 1), 8, blocks, round % 3); // cells split up to twice
        judged += blocks.size();
        if (round % 3 == 0)
            memo.NextRound();
        for (int ask = 0; ask < 16; ++ask) { // each twice: the second remembered, at times past a round
            const Rect b = ask % 2 ? box : Rect{box.left / 2, box.top / 2, box.right / 2, box.bottom / 2};
            std::vector<Rect> remembered, fresh;
            memo.Blocks(area, b, own, std::span(ask & 2 ? &other : &before, 1), ask & 4 ? 8 : 4, remembered);
            NeverNearerBlocks(area, b, own, std::span(ask & 2 ? &other : &before, 1), ask & 4 ? 8 : 4, fresh);
            ASSERT_TRUE(remembered == fresh) << round;
            if (ask >= 8 && round % 3 == 2)
                memo.NextRound();
        }
        // A word's middle nearer the nearer of two own boxes than each other box (a tie is not), as
        // the gaps' roots tell; turned down, so at every place it gives about its own.
        const Rect word{box.left, box.top, box.right + upTo(9), box.bottom + upTo(9)}, owns[] = {own, before};
        const Rect at = BoxAt(word, {upTo(900), upTo(900)}), mid{(at.left + at.right) / 2, (at.top + at.bottom) / 2, 0, 0};
        const auto plain = [&](const Rect& c) { return BoxGap(c, other) > std::min(BoxGap(c, own), BoxGap(c, before)); };
        Rect around{1, 1, 0, 0};
        ASSERT_EQ(NearestToOwn(at, word, owns, std::span(&other, 1), around), plain({mid.left, mid.top, mid.left, mid.top}));
        for (int k = 0; k < 8 && around.left <= around.right; ++k) {
            const Rect there = BoxAt(word, {around.left + upTo(around.right - around.left + 1), around.top + upTo(around.bottom - around.top + 1)});
            const int x = (there.left + there.right) / 2, y = (there.top + there.bottom) / 2;
            ASSERT_FALSE(plain({x, y, x, y})) << round;
        }
        before = other;
        for (const Rect& b : blocks)
            for (int k = 0; k < 20; ++k) {
                const Rect at = BoxAt(box, {b.left + upTo(b.right - b.left + 1), b.top + upTo(b.bottom - b.top + 1)});
                ASSERT_TRUE(CompareRootPlus(SquaredGap(at, own), 8, SquaredGap(at, other)) >= 0) << round;
                ASSERT_TRUE(at.left >= area.left && at.right <= area.right && at.top >= area.top && at.bottom <= area.bottom);
            }
    }
    EXPECT_GT(judged, 100u);
}

// The nearest clear place: the wanted point when it fits, else beside what it must not cover (upper
// then left of equals), nothing where there is no room; on random tables what a full scan finds.
TEST(ClearPlaceTest, TheNearestPointWhereTheBoxStandsInsideTheAreaAndClearOfEveryBox)
{
    const Rect area{0, 0, 200, 100}, box{-10, -10, 10, 10};
    const Rect block{40, 40, 60, 60};
    const struct {
        TablePoint want;
        std::vector<Rect> clear;
        std::optional<std::pair<int, int>> expected;
    } cases[] = {
        {{100, 50}, {block}, std::pair{100, 50}}, // fits where wanted
        {{50, 50}, {block}, std::pair{50, 30}}, // the block's top is as near as its left: upper
        {{56, 50}, {block}, std::pair{70, 50}}, // nearer its right edge
        {{4, 4}, {}, std::pair{10, 10}}, // pushed inside the area
        {{100, 50}, {Rect{0, 0, 200, 85}}, std::nullopt}, // no room below the block for a box 20 high
        {{100, 92}, {Rect{0, 0, 200, 80}}, std::pair{100, 90}},
    };
    for (const auto& c : cases) {
        const std::optional<TablePoint> got = NearestClearPlace(c.want, box, area, c.clear, 2);
        EXPECT_EQ(got ? std::optional(std::pair(got->x, got->y)) : std::nullopt, c.expected)
            << c.want.x << "," << c.want.y;
    }
    // What `accept` refuses is passed over: here every box reaching left of x 100.
    const auto rightOfHundred = [](const Rect& r) { return r.left >= 100; };
    EXPECT_EQ(NearestClearPlace({50, 50}, box, area, {}, 2, rightOfHundred)->x, 110);
    // A box far beside its point finds the room there is, however far the point goes for it.
    const std::vector<Rect> leftPart{{0, 0, 185, 100}};
    EXPECT_EQ(NearestClearPlace({100, 50}, Rect{-30, -5, -25, 5}, area, leftPart, 2).value_or(TablePoint{}).x, 216);
    // On random areas, boxes (at times off their point, or empty) and keep-clear sets, with and
    // without a choosy `accept`: the very point a scan of every grid point finds, nearest first,
    // of equals the upper then the left.
    // Rounds enough that some nearest point lies on the first row a box blocks past a free band.
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const auto upTo = [&](int n) { return int(random() % uint32_t(n)); };
        const Rect table{upTo(30), upTo(30), 80 + upTo(80), 60 + upTo(50)};
        const int bx = upTo(40) - 30, by = upTo(30) - 20;
        const Rect piece{bx, by, bx + upTo(40), by + upTo(30)};
        std::vector<Rect> clear;
        for (int k = upTo(20); k > 0; --k) {
            const int x = upTo(170), y = upTo(120);
            clear.push_back({x, y, x + upTo(50), y + upTo(30)});
        }
        const TablePoint want{upTo(190) - 10, upTo(130) - 10};
        const int step = 1 + upTo(4), ax = upTo(160), ay = upTo(110);
        // A round in three takes every clear point, one passes over one in five, one takes one in
        // five (and walks through whole runs of clear points).
        const int choosy = round % 3;
        // Nor any in a block of places.
        const Rect block{upTo(190) - 10, upTo(130) - 10, 10 + upTo(190), 10 + upTo(130)};
        const auto inBlock = [&](int x, int y) { return x >= block.left && x <= block.right && y >= block.top && y <= block.bottom; };
        const std::function<bool(const Rect&)> accept = [&](const Rect& r) {
            return ((r.left * 7 + r.top * 13) % 5 == 0) == (choosy == 2) && (r.left >= ax || r.bottom <= ay) &&
                !inBlock(r.left - piece.left, r.top - piece.top);
        };
        // A second area, searched with the table as one; points known to be refused.
        const Rect side{upTo(100), upTo(60), 60 + upTo(130), 40 + upTo(80)};
        const Rect refused[] = {{upTo(190) - 10, upTo(130) - 10, upTo(190) - 10, upTo(130) - 10}};
        std::optional<TablePoint> plain, either;
        int64_t plainDistance = 0, eitherDistance = 0;
        for (int dy = -250 / step - 1; dy <= 250 / step + 1; ++dy)
            for (int dx = -250 / step - 1; dx <= 250 / step + 1; ++dx) {
                const TablePoint p{want.x + dx * step, want.y + dy * step};
                const Rect at = BoxAt(piece, p);
                const auto inside = [&](const Rect& a) {
                    return at.left >= a.left && at.top >= a.top && at.right <= a.right && at.bottom <= a.bottom;
                };
                const bool free = (inside(table) || inside(side)) &&
                    !(p.x >= refused[0].left && p.x <= refused[0].right && p.y >= refused[0].top && p.y <= refused[0].bottom) &&
                    std::none_of(clear.begin(), clear.end(), [&](const Rect& r) { return BoxesOverlap(at, r); }) &&
                    (choosy == 0 || accept(at));
                const int64_t d = int64_t(dx) * dx + int64_t(dy) * dy;
                if (free && inside(table) && (!plain || d < plainDistance))
                    plain = p, plainDistance = d;
                if (free && (!either || d < eitherDistance))
                    either = p, eitherDistance = d;
            }
        // A point more than a margin nearer one box than another is so on every point of its reach,
        // which its corners, the farthest, tell.
        const auto squaredGaps = [&](int x, int y) {
            return std::pair{SquaredGap({x, y, x, y}, side), SquaredGap({x, y, x, y}, table)};
        };
        const auto [toSide, toTable] = squaredGaps(want.x, want.y);
        if (const int r = ShortfallReach(toSide, step, toTable); r >= 0)
            for (const int cx : {want.x - r, want.x + r})
                for (const int cy : {want.y - r, want.y + r}) {
                    const auto [nearGap, farGap] = squaredGaps(cx, cy);
                    EXPECT_TRUE(CompareRootPlus(nearGap, step, farGap) > 0) << round << " reach " << r;
                }
        // Whatever overlaps a box grown to a reach lies within that reach of it.
        const double reach = ax % 40 + ay % 10 / 10.0;
        if (const Rect placed = BoxAt(piece, want); BoxesOverlap(placed, WithinReach(table, reach))) {
            EXPECT_LE(BoxGap(placed, table), reach) << round;
        }
        const std::optional<TablePoint> fast =
            NearestClearPlace(want, piece, table, clear, step, choosy != 0 ? accept : nullptr, refused);
        ASSERT_EQ(fast.has_value(), plain.has_value()) << round;
        if (fast) {
            EXPECT_EQ(fast->x, plain->x) << round;
            EXPECT_EQ(fast->y, plain->y) << round;
        }
        // Told, where the block or the quadrant turns a box down, of points about it (at times to their
        // edge) that it turns down too: the same.
        const AcceptOrRefuseAround toldAround = [&](const Rect& r, Rect& around) {
            const int x = r.left - piece.left, y = r.top - piece.top;
            if (inBlock(x, y))
                around = block;
            else if (r.left < ax && r.bottom > ay)
                around = {x - upTo(90), y, std::min(x + upTo(90), ax - 1 - piece.left), y + upTo(9)};
            return accept(r);
        };
        const auto told = NearestClearPlace(want, piece, table, clear, step, choosy != 0 ? toldAround : nullptr, refused);
        ASSERT_EQ(told.has_value(), plain.has_value()) << round;
        if (told) {
            EXPECT_EQ(std::pair(told->x, told->y), std::pair(plain->x, plain->y)) << round;
        }
        const Rect both[] = {table, side};
        const std::optional<TablePoint> inEither =
            NearestClearPlaceIn(want, piece, both, clear, step, choosy != 0 ? accept : nullptr, refused);
        ASSERT_EQ(inEither.has_value(), either.has_value()) << round;
        const auto toldEither = NearestClearPlaceIn(want, piece, both, clear, step, choosy != 0 ? toldAround : nullptr, refused);
        ASSERT_EQ(toldEither.has_value(), either.has_value()) << round;
        if (inEither) {
            EXPECT_EQ(std::pair(inEither->x, inEither->y), std::pair(either->x, either->y)) << round;
            EXPECT_EQ(std::pair(toldEither->x, toldEither->y), std::pair(either->x, either->y)) << round;
        }
    }
}
