// The mahjong game data: chairs and view seats at tables of four and three, the accessors of the
// game-parameter and result records, the deal result line and the layout measures.
#include "support/FakeClientApp.h"
#include "support/HeadlessEngine.h"

#include "mahjong/data/CMJGameData2.h"

#include <gtest/gtest.h>

namespace {

// The records a game layer would store.
class TestData : public CMJGameData2 {
public:
    using CMJGameData2::CMJGameData2;
    uint32_t* GetGameParams() override { return params; }
    uint8_t* GetGameResult() override { return result; }
    size_t GetGameResultSize() override { return sizeof(result); }
    int GetOwnTiles(int32_t*) override { return 0; }
    int GetChairTiles(int, int32_t*) override { return 0; }
    int GetChairTileCount(int) override { return 0; }

    uint32_t params[49] = {};
    uint8_t result[0x220] = {};
};

TEST(GameDataTest, SeatsAndChairsAtATableOfFour)
{
    FakeClientApp app;
    TestData d(&app);
    for (int own = 0; own < 4; ++own) {
        app.chair = own;
        for (int seat = 0; seat < 4; ++seat)
            EXPECT_EQ(d.ChairToSeat(d.SeatToChair(seat)), seat) << own << " " << seat;
    }
    app.chair = 0;
    EXPECT_EQ(d.SeatToChair(0), 1);
    EXPECT_EQ(d.SeatToChair(1), 2);
    EXPECT_EQ(d.SeatToChair(2), 3);
    EXPECT_EQ(d.SeatToChair(3), 0);
    EXPECT_EQ(d.SeatToChair(4), -1);
    EXPECT_EQ(d.ChairToSeat(7), -1);
    EXPECT_EQ(d.NextSeat(3), 0);
    EXPECT_EQ(d.PrevSeat(0), 3);
    int a = 9;
    int b = 9;
    d.GetSideChairs(2, a, b);
    EXPECT_EQ(std::pair(a, b), std::pair(1, 3));
    d.GetSideChairs2(1, a, b);
    EXPECT_EQ(std::pair(a, b), std::pair(0, 2));
}

TEST(GameDataTest, ATableOfThreeLeavesSeatOneEmptyAndNeverNamesChairThree)
{
    FakeClientApp app;
    TestData d(&app);
    d.chairCount = 3;
    EXPECT_EQ(d.ChairToSeat(2), 2); // the previous chair, never the opposite seat
    EXPECT_EQ(d.ChairToSeat(1), 0);
    EXPECT_EQ(d.SeatToChair(1), -1);
    EXPECT_EQ(d.NextSeat(0), 2);
    EXPECT_EQ(d.PrevSeat(2), 0);
    for (int seat = 0; seat < 4; ++seat) {
        int a = 0;
        int b = 0;
        d.GetSideChairs(seat, a, b);
        EXPECT_NE(a, 3);
        EXPECT_NE(b, 3);
    }
    int a = 0;
    int b = 0;
    d.GetSideChairs2(0, a, b);
    EXPECT_EQ(std::pair(a, b), std::pair(2, 1));
    d.GetSideChairs2(2, a, b);
    EXPECT_EQ(std::pair(a, b), std::pair(0, 1));
    d.chairCount = 5;
    d.GetSideChairs(0, a, b);
    EXPECT_EQ(std::pair(a, b), std::pair(-1, -1));
}

TEST(GameDataTest, RecordAccessorsReadTheirWords)
{
    FakeClientApp app;
    TestData d(&app);
    d.params[36] = 0xFFFFFFFF;
    EXPECT_FALSE(d.HasStartValue90());
    d.params[36] = 0;
    EXPECT_TRUE(d.HasStartValue90());
    d.SetRuleFlags(0x101);
    EXPECT_EQ(d.params[14], 0x101u);
    EXPECT_TRUE(d.IsRuleFlag0());
    EXPECT_TRUE(d.IsRuleFlag8());
    d.params[23] = 5;
    d.params[26] = 8;
    uint32_t four[4];
    EXPECT_EQ(d.GetStartValues5C(four)[3], 8u);
    EXPECT_EQ(four[0], 5u);
    d.result[3] = 0x02; // bit 25
    d.result[0x218] = 7;
    EXPECT_TRUE(d.IsResultFlag25());
    EXPECT_FALSE(d.IsResultFlag24());
    EXPECT_EQ(d.GetResultValue218(), 7u);
    // Without records every accessor reads 0.
    CMJGameData2* bare = nullptr;
    class Bare : public CMJGameData2 {
    public:
        using CMJGameData2::CMJGameData2;
        int GetOwnTiles(int32_t*) override { return 0; }
        int GetChairTiles(int, int32_t*) override { return 0; }
        int GetChairTileCount(int) override { return 0; }
    } none(&app);
    bare = &none;
    EXPECT_EQ(bare->GetStartValue20(), 0u);
    EXPECT_EQ(bare->IsResultFlag1(), 0);
}

TEST(GameDataTest, DealLineForSilverAndPointRooms)
{
    FakeClientApp app;
    TestData d(&app);
    d.params[8] = 3;
    d.params[9] = 500;
    d.params[10] = 20;
    d.params[11] = 0;
    d.params[21] = 1;
    Lumora::Markup line;
    const std::string banker =
        "【第3局】庄：<c=255>" + std::string(Lumora::UnbrokenMarkup("玩家一").Text()) + " <>\r\n         ";
    EXPECT_EQ(d.FormatRoundResult(line), banker + "基础银：<c=255>500<> 两\r\n");
    d.params[21] = 0;
    EXPECT_EQ(d.FormatRoundResult(line), banker + "基础分：<c=255>20<> 分\r\n");
    for (std::string_view name : testsupport::kHostileNames) {
        app.firstName = name;
        EXPECT_TRUE(testsupport::ShowsName(d.FormatRoundResult(line), name, " \n"));
    }
    std::string label;
    EXPECT_EQ(d.GetGangLabel(label), "杠");
}

TEST(GameDataTest, LayoutMeasuresOnSmallAndWideScreens)
{
    FakeClientApp app;
    TestData d(&app);
    app.screenWidth = 800;
    app.screenHeight = 600;
    EXPECT_EQ(d.GetPanelWidth(), 132);
    EXPECT_EQ(d.GetRowWidth(), 120);
    EXPECT_EQ(d.GetLayoutHeight(), 800 * 14 / 18 - 10);
    EXPECT_EQ(d.GetTileWidth(), 36);
    d.tileStyle = 2;
    EXPECT_EQ(d.GetTileWidth(), 72);
    EXPECT_EQ(d.GetLayoutSixth(), 100);
    app.screenWidth = 1280;
    EXPECT_EQ(d.GetPanelWidth(), 164);
    EXPECT_EQ(d.GetRowWidth(), 200);
    EXPECT_EQ(d.GetTileWidth(), 36);
    EXPECT_EQ(d.GetLayoutHeight(), 1280 * 14 / 18);
}

} // namespace
