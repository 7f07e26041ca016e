// This game's steps without a table: the exchange and missing-suit recommendations, the fan
// labels of a win, the result's final hands becoming the chairs' lists, records too short for
// their handlers refused before anything changes, and the faults the deal's records are checked
// for.
#include "framework/connection/Record.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CGameNotifyEx.h"
#include "widgets/ChatDocument.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameLines.h"
#include "xueliu/GameRecords.h"
#include "xueliu/RecordChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Tile id of suit s (0 万, 1 条, 2 筒), rank r (1-9), copy k (0-3).
int T(int s, int r, int k = 0) { return s * 36 + k * 9 + (r - 1); }

TEST(MyGameSteps, ExchangeTakesTheThreeHighestOfTheShortestSuitHoldingThree)
{
    struct Case {
        std::vector<int> hand;
        std::vector<int> want; // in the recommendation's order, highest first
    } cases[] = {
        // 条 is shortest with three: its 9, 7, 5.
        {{T(0, 1), T(0, 2), T(0, 3), T(0, 4), T(0, 5), T(1, 5), T(1, 7), T(1, 9), T(2, 1), T(2, 2), T(2, 3), T(2, 4),
          T(2, 5)},
         {T(1, 9), T(1, 7), T(1, 5)}},
        // 筒 has two only: the shortest holding three is 条 (tie with 万 goes to the lower suit: 万).
        {{T(0, 1), T(0, 2), T(0, 8), T(0, 9, 1), T(1, 1), T(1, 2), T(1, 3), T(1, 4), T(2, 3), T(2, 6), T(0, 3), T(1, 5),
          T(1, 6)},
         {T(0, 9, 1), T(0, 8), T(0, 3)}},
        // Equal ranks: the higher id first, so the choice does not depend on the hand's order.
        {{T(2, 9, 0), T(2, 9, 3), T(2, 9, 1), T(0, 1), T(0, 2), T(0, 3), T(0, 4), T(1, 1), T(1, 2), T(1, 3), T(1, 4),
          T(1, 5), T(1, 6)},
         {T(2, 9, 3), T(2, 9, 1), T(2, 9, 0)}},
        // No suit holds three: nothing is lifted.
        {{T(0, 1), T(0, 2), T(1, 1), T(1, 2), T(2, 1), T(2, 2)}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMyGame::RecommendExchange(c.hand), c.want);
}

TEST(MyGameSteps, MissingSuitIsTheShortestTiesToTheLowest)
{
    EXPECT_EQ(CMyGame::RecommendMissingSuit({T(0, 1), T(0, 2), T(1, 1), T(2, 1), T(2, 2)}), 1);
    EXPECT_EQ(CMyGame::RecommendMissingSuit({T(0, 1), T(1, 1), T(2, 1)}), 0);
    EXPECT_EQ(CMyGame::RecommendMissingSuit({T(0, 1), T(1, 1), T(1, 2)}), 2);
    // Ids outside the wall are not counted.
    EXPECT_EQ(CMyGame::RecommendMissingSuit({200, -1, 200, T(1, 1), T(0, 1)}), 2);
}

TEST(MyGameSteps, FanLabelsOfAWin)
{
    int32_t counters[16] = {};
    counters[4] = 1; // one suit
    counters[7] = 2; // two fours
    EXPECT_EQ(CMyGame::FanLabels(counters, 1), "清一色2番 2根2番 ");
    // A self-drawn win adds its fan unless it is the last tile.
    EXPECT_EQ(CMyGame::FanLabels(counters, 2), "清一色2番 2根2番 自摸1番 ");
    int32_t basic[16] = {1};
    basic[13] = 1; // kongs have no label of their own
    basic[15] = 1;
    EXPECT_EQ(CMyGame::FanLabels(basic, 2), "屁胡0番海底捞月2番 ");
}

TEST(MyGameSteps, TheResultsFinalHandsBecomeTheChairsListsWithTheirCounts)
{
    CGameInfoEx info;
    std::vector<uint8_t> result(GameRecord::kResultSize, 0);
    RecordWriter w({result.data(), result.size()});
    for (size_t chair = 0; chair < 4; ++chair)
        for (size_t i = 0; i < GameRecord::kTileListLength; ++i)
            w.I32(GameRecord::kResultHandsOffset + (chair * GameRecord::kTileListLength + i) * 4,
                  i < chair + 1 ? int32_t(chair * 10 + i) : -1);
    info.StoreGameResult(result.data(), result.size());
    for (int chair = 0; chair < 4; ++chair) {
        int32_t list[32];
        EXPECT_EQ(info.GetChairTiles(chair, list), chair + 1);
        EXPECT_EQ(info.GetChairTileCount(chair), chair + 1);
        EXPECT_EQ(list[0], chair * 10);
        EXPECT_EQ(list[chair + 1], -1);
    }
    // A short result leaves nothing of a longer one behind.
    info.StoreGameResult(result.data(), 10);
    int32_t list[32];
    EXPECT_EQ(info.GetChairTiles(3, list), 0);

    const int32_t own[3] = {5, 6, 7};
    info.SetChairTiles(2, own, 3);
    EXPECT_EQ(info.GetChairTiles(2, list), 3);
    EXPECT_EQ(list[2], 7);
    EXPECT_EQ(info.GetChairTileCount(2), 3);
    info.SetChairTiles(9, own, 3); // no such chair: nothing changes, nothing is written
}

TEST(MyGameSteps, ShortDealStartOrResultIsRefusedBeforeAnythingChanges)
{
    CGameInfoEx info;
    CGameNotifyEx notify;
    notify.Attach(&info, nullptr);
    const std::vector<uint8_t> shortRecord(100, 0xAB);
    EXPECT_THROW(notify.OnNotify(CGameNotifyEx::kGameStart, shortRecord.data(), uint32_t(shortRecord.size())),
                 NotifyRefused);
    EXPECT_THROW(notify.OnNotify(CGameNotifyEx::kGameResult, shortRecord.data(), uint32_t(shortRecord.size())),
                 NotifyRefused);
    // A throw naming no chair or tile of this table is refused too, scene or not.
    EXPECT_THROW(notify.OnNotify(CGameNotifyEx::kCardThrown, shortRecord.data(), uint32_t(shortRecord.size())),
                 NotifyRefused);
    EXPECT_EQ(info.GetGameParams()[0], 0u);
    EXPECT_EQ(info.GetGameResult()[0], 0u);
    // Without a scene the steps are taken and dropped.
    EXPECT_TRUE(notify.OnNotify(CGameNotifyEx::kPlayerWins, shortRecord.data(), uint32_t(shortRecord.size())));
}

// Each word set alone on a sound record makes it faulty; the first id past the 108 tiles counts.
TEST(MyGameSteps, DealStartsWinsAndResultsNamingAnythingOutsideTheTableAreFaulty)
{
    using Check = const char* (*)(std::span<const uint8_t>);
    using Words = std::initializer_list<std::pair<size_t, int32_t>>;
    // The result carries a sound 65th entry past its array, which only the count's bound refuses.
    std::vector<uint8_t> deal(GameRecord::kDealStartSize), win(136), result(GameRecord::kResultSize + 16), thrown(88);
    RecordWriter d({deal.data(), deal.size()}), w({win.data(), win.size()}), r({result.data(), result.size()});
    RecordWriter({thrown.data(), thrown.size()}).I32(84, 107);
    std::fill(deal.begin(), deal.end(), 0xFF); // -1: lists end at once
    std::fill(result.begin() + GameRecord::kResultLastWinTile, result.end(), 0xFF);
    for (size_t i = 0; i < 14; ++i) // chair 0 holds 14, the others' lists are hidden
        d.I32(GameRecord::kTileListsOffset + i * 4, int32_t(i + 94));
    for (size_t c = 0; c < 4; ++c)
        d.I32(GameRecord::kTileCountsOffset + c * 4, c ? 13 : 14);
    for (auto [at, v] : Words{{0, 1}, {4, 2}, {8, 107}, {12, 4}, {124, 56}})
        w.I32(at, v);
    for (size_t c = 0; c < 4; ++c) {
        const size_t block = 4 + c * GameRecord::kResultChairBlock;
        r.I32(block, int32_t(c));
        for (auto [at, v] : Words{{12, 56}, {88, -1}, {96, 4}, {100, 4}, {104, 107}})
            r.I32(block + at, v);
        r.I32(GameRecord::kResultWinCounts + c * 4, 56);
        r.I32(GameRecord::kResultHandsOffset + c * 128, int32_t(c + 104));
    }
    r.I32(GameRecord::kResultSettlementCount, 64);
    for (size_t i = 0; i <= 64; ++i)
        for (auto [at, v] : Words{{0, 9}, {4, 3}, {8, 0}})
            r.I32(GameRecord::kResultEntriesOffset + i * 16 + at, v);
    const struct {
        Check check;
        std::vector<uint8_t>& record;
        size_t at;
        int32_t value;
    } cases[] = {
        {xueliu::DealStartFault, deal, GameRecord::kTileCountsOffset + 4, 15},
        {xueliu::DealStartFault, deal, GameRecord::kTileCountsOffset, -1},
        {xueliu::DealStartFault, deal, GameRecord::kTileCountsOffset, 13}, // 14 listed
        {xueliu::DealStartFault, deal, GameRecord::kTileListsOffset + 13 * 4, 108},
        {xueliu::DealStartFault, deal, GameRecord::kTileListsOffset + 13 * 4, 94}, // dealt twice
        {xueliu::DealStartFault, deal, GameRecord::kTileListsOffset + 128, 0}, // chair 1: 1 of 13
        {xueliu::ThrowFault, thrown, 4, 4},
        {xueliu::ThrowFault, thrown, 4, -1},
        {xueliu::ThrowFault, thrown, 84, 108},
        {xueliu::ThrowFault, thrown, 84, -1},
        {xueliu::WinFault, win, 0, 4},
        {xueliu::WinFault, win, 4, -1},
        {xueliu::WinFault, win, 8, 108},
        {xueliu::WinFault, win, 12, 3},
        {xueliu::WinFault, win, 124, 57},
        {xueliu::WinFault, win, 124, -1},
        {xueliu::ResultFault, result, 4 + 128, 0}, // chair 1's block names chair 0
        {xueliu::ResultFault, result, 4 + 12, 57},
        {xueliu::ResultFault, result, 4 + 12, -1},
        {xueliu::ResultFault, result, 4 + 16, -1},
        {xueliu::ResultFault, result, 4 + 88, 3},
        {xueliu::ResultFault, result, 4 + 96, 5},
        {xueliu::ResultFault, result, 4 + 100, -1},
        {xueliu::ResultFault, result, 4 + 104, 108},
        {xueliu::ResultFault, result, GameRecord::kResultWinCounts + 12, 57},
        {xueliu::ResultFault, result, GameRecord::kResultLastWinTile, 108},
        {xueliu::ResultFault, result, GameRecord::kResultSettlementCount, 65},
        {xueliu::ResultFault, result, GameRecord::kResultSettlementCount, -1},
        {xueliu::ResultFault, result, GameRecord::kResultHandsOffset + 4, 108},
        {xueliu::ResultFault, result, GameRecord::kResultHandsOffset + 4, 105}, // chair 1's tile
        {xueliu::ResultFault, result, GameRecord::kResultHandsOffset + 14 * 4, 0}, // 15 tiles
        {xueliu::ResultFault, result, GameRecord::kResultEntriesOffset + 63 * 16, 10},
        {xueliu::ResultFault, result, GameRecord::kResultEntriesOffset + 63 * 16 + 8, 4},
    };
    for (size_t c = 0; c < 14; ++c) // chair 0's final hand: 14 tiles
        r.I32(GameRecord::kResultHandsOffset + c * 4, int32_t(c + 80));
    for (const auto& c : cases) {
        ASSERT_EQ(c.check(c.record), nullptr) << c.at;
        const int32_t was = RecordReader(c.record.data(), c.record.size()).I32(c.at);
        RecordWriter({c.record.data() + c.at, 4}).I32(0, c.value);
        EXPECT_NE(c.check(c.record), nullptr) << c.at << " = " << c.value;
        RecordWriter({c.record.data() + c.at, 4}).I32(0, was);
    }
}

// A score change's line keeps its names and amounts whole wherever the chat wraps it: at every
// width the chat may have, a name or a signed amount stands on one row unless it alone is wider.
TEST(MyGameSteps, AScoreChangeLineWrapsBetweenNamesAndAmountsOnly)
{
    const std::string names[4] = {"东方不败甲", "南宫问天乙乙", "Ann Lee", "北冥有鱼丁丁丁"};
    const int32_t deltas[4] = {-9000, 3000, -100, 6100};
    const xueliu::GameLineText line =
        xueliu::ScoreChangeLine(1, "刮风", deltas, [&](int chair) { return names[chair]; });
    EXPECT_EQ(line.plain,
              names[1] + " 刮风：" + names[0] + " -9000 " + names[1] + " +3000 " + names[2] + " -100 " + names[3] +
                  " +6100 ");
    for (int width = 20; width <= 400; ++width) {
        Lumora::ChatDocument chat;
        chat.layout.viewWidth = width;
        chat.layout.viewHeight = 1000;
        chat.Append(line.markup);
        std::string text;
        std::vector<int> rowOf; // per byte
        for (const Lumora::ChatElement* e = chat.layout.First(); e; e = e->next) {
            text += e->Text();
            rowOf.resize(text.size(), e->rowTop);
        }
        ASSERT_EQ(text, line.plain);
        for (const std::string& run :
             {names[0], names[1], names[2], names[3], std::string("-9000"), std::string("+6100")}) {
            for (size_t at = text.find(run); at != std::string::npos; at = text.find(run, at + 1)) {
                const bool fits = int(run.size()) * chat.format.height / 2 <= width;
                EXPECT_TRUE(!fits || rowOf[at] == rowOf[at + run.size() - 1]) << width << " " << at;
            }
        }
    }
}

} // namespace
