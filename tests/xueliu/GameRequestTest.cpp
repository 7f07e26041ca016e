// This game's connection and stored records: a 10100 answer to a waited table action enters the
// game again (never for the draw request), and every store stays within its record.
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/RequestIds.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CGameRequest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(GameRequestTest, AnswerRequestFailedEntersAgainExceptForTheDraw)
{
    standin::GameServer server;
    FakeClientApp app;
    CGameRequest connect;
    connect.SetApp(&app);
    connect.SetupEncryption();
    std::string text;
    int proxyFailed = 0;
    ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed));
    ASSERT_TRUE(connect.EnterGame(text));
    uint8_t record[64] = {};
    const uint32_t head[4] = {1001, 1, 1, 0};
    std::memcpy(record, head, sizeof(head));
    server.Command(R"({"op":"fault","id":0,"code":10100})");
    uint32_t code = 0;
    EXPECT_FALSE(connect.SendPengCards(text, &code, record));
    EXPECT_EQ(code, ReplyCode::RequestFailed);
    EXPECT_EQ(server.AwaitRequests(RequestId::EnterGame, 2).size(), 2u);
    uint8_t draw[32] = {};
    uint8_t catchRecord[96] = {};
    std::memcpy(catchRecord, head, sizeof(head));
    EXPECT_FALSE(connect.CatchCard(text, catchRecord, draw));
    server.Command(R"({"op":"clear_faults"})");
    EXPECT_TRUE(connect.AskKanPai());
    server.AwaitRequests(RequestId::AskKanPai, 1);
    EXPECT_EQ(server.Requests(RequestId::EnterGame).size(), 2u);
    connect.CloseAll();
    EXPECT_EQ(server.Errors(), "[]");
}

TEST(GameInfoExTest, StoresStayWithinTheirRecordsAndTheAccessorsReadThem)
{
    FakeClientApp app;
    CGameInfoEx info(&app);
    // A deal-start record longer than 740 bytes: the rest is not taken.
    std::vector<uint8_t> start(800, 0);
    auto put = [&](size_t off, int32_t v) { std::memcpy(start.data() + off, &v, 4); };
    put(8 * 4, 3); // deal number
    put(196, 55); // tiles left after the deal
    for (int i = 0; i < 32; ++i) { // own list (chair 0): three tiles, then -1
        put(212 + 4 * i, i < 3 ? i + 10 : -1);
        put(212 + 128 + 4 * i, -1);
    }
    put(724, 14);
    put(728, 13);
    info.StoreGameStart(start.data(), start.size());
    EXPECT_EQ(info.GetStartValue20(), 3u);
    EXPECT_EQ(info.GetStartExtra()[0], 55);
    int32_t list[32];
    EXPECT_EQ(info.GetOwnTiles(list), 3);
    EXPECT_EQ(list[2], 12);
    EXPECT_EQ(info.GetSeatData(list), 3);
    EXPECT_EQ(info.GetConstZero(1, list), 0);
    EXPECT_EQ(info.GetChairTileCount(0), 14);
    EXPECT_EQ(info.GetChairValue(1), 13);
    EXPECT_EQ(info.GetChairTiles(7, list), 0);
    EXPECT_EQ(list[0], -1);
    // A short record zero-fills what it does not reach.
    info.StoreGameStart(start.data(), 40);
    EXPECT_EQ(info.GetChairTileCount(0), 0);
    EXPECT_EQ(info.GetStartValue20(), 3u);

    std::vector<uint8_t> result(2096, 0);
    result[3] = 0x04; // bit 26
    result[0x218] = 2;
    info.StoreGameResult(result.data(), result.size());
    EXPECT_TRUE(info.IsResultFlag26());
    EXPECT_EQ(info.GetResultValue218(), 2u);

    const uint8_t started[16] = {0xE9, 3, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    info.MarkChairStarted(started, sizeof(started));
    EXPECT_EQ(info.GetChairStatus(2), 2u);
    const uint8_t stranger[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0};
    info.MarkChairStarted(stranger, sizeof(stranger)); // no chair 9
    info.MarkChairStarted(started, 12); // no word 3
    EXPECT_EQ(info.GetChairStatus(0), 0u);

    std::vector<uint8_t> blockB(6000, 0x5A);
    info.StoreBlockB(blockB.data(), blockB.size());
    EXPECT_EQ(info.GetTableRecord()[0], 0x5A);
    EXPECT_EQ(info.BlockB().size(), 5428u);
}

} // namespace
