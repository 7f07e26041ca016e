// The mahjong requests against the game-server stand-in: sizes and fields checked from the
// layouts, replies copied only as far as they reach, 229101, failures reported as 10100, and a
// send-only action that could not be sent reported as not sent.
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/RequestIds.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "net/FileLogger.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::string Fault(uint32_t id, const std::string& rest)
{
    return R"({"op":"fault","id":)" + std::to_string(id) + "," + rest + "}";
}

class MahjongRequestsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connect.SetApp(&app);
        connect.SetupEncryption();
        int proxyFailed = 0;
        ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed));
        ASSERT_TRUE(connect.EnterGame(text));
        // The scene's records open with the head.
        const uint32_t head[4] = {1001, 1, 1, 0};
        std::memcpy(record, head, sizeof(head));
    }
    void TearDown() override
    {
        connect.CloseAll();
        EXPECT_EQ(server.Errors(), "[]");
    }

    standin::GameServer server;
    FakeClientApp app;
    CMJGameConnect2 connect;
    std::string text;
    uint8_t record[240] = {};
};

TEST_F(MahjongRequestsTest, RecordSizesAndFieldsAsTheLayoutsSay)
{
    uint32_t code = 0;
    record[100] = 1;
    record[104] = 17;
    EXPECT_TRUE(connect.ThrowCards(text, record, &code));
    EXPECT_EQ(code, ReplyCode::Success);
    record[100] = 0;
    EXPECT_TRUE(connect.ThrowCards(text, record, &code));
    record[100] = 33; // more tiles than a hand holds: nothing is sent
    EXPECT_FALSE(connect.ThrowCards(text, record, &code));
    EXPECT_EQ(code, ReplyCode::RequestFailed);
    record[100] = 0;
    EXPECT_TRUE(connect.AskKanPai());
    EXPECT_TRUE(connect.Pass(text, record));
    EXPECT_TRUE(connect.AnnouncePeng(text, record));
    EXPECT_TRUE(connect.AnnounceChi(text, record));
    EXPECT_EQ(connect.SendGameMessage(7, 0, nullptr, false), 0u);
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_EQ(connect.SendGameMessage(7, 3, data, true), ReplyCode::Success);
    const uint8_t notify[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0x4C, 0x2F, 0x2E, 0x01};
    EXPECT_TRUE(connect.Request201162(229500, notify, 12));
    EXPECT_TRUE(connect.Request201162(222170, notify, 12));

    const auto throws = server.AwaitRequests(RequestId::ThrowCards, 2);
    ASSERT_EQ(throws.size(), 2u);
    EXPECT_EQ(throws[0].size(), 108u * 2);
    EXPECT_EQ(throws[1].size(), 104u * 2);
    const auto messages = server.AwaitRequests(RequestId::GameMessage, 2);
    EXPECT_EQ(messages.at(0).size(), 20u * 2);
    EXPECT_EQ(messages.at(1).size(), 23u * 2);
    const auto reports = server.AwaitRequests(RequestId::NotifyFailure, 2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].substr(48, 8), "4c2f2e01"); // +24: the game message's sub-code
    EXPECT_EQ(reports[1].substr(48, 8), "00000000");
    EXPECT_EQ(server.AwaitRequests(RequestId::AskKanPai, 1).at(0).size(), 64u);
}

TEST_F(MahjongRequestsTest, DrawRepliesAreCopiedAsFarAsTheyReach)
{
    uint8_t draw[32];
    std::memset(draw, 0xEE, sizeof(draw));
    server.Command(Fault(RequestId::CatchCard, R"("reply_hex":"0000000011000000")"));
    EXPECT_TRUE(connect.CatchCard(text, record, draw));
    EXPECT_EQ(draw[4], 0x11);
    EXPECT_EQ(draw[31], 0); // the rest zeroed
    server.Command(Fault(RequestId::CatchCard, R"("reply_hex":"00000000")"));
    EXPECT_FALSE(connect.CatchCard(text, record, draw)); // too short for the tile
    server.Command(Fault(RequestId::CatchCard, R"("code":229101,"reply_hex":"")"));
    std::memset(draw, 0, sizeof(draw));
    EXPECT_FALSE(connect.CatchCard(text, record, draw));
    int32_t tile = 0;
    std::memcpy(&tile, draw + 4, 4);
    EXPECT_EQ(tile, -1);
    server.Command(Fault(RequestId::CatchCard, R"("code":229103,"reply_hex":"")"));
    draw[4] = 9;
    EXPECT_FALSE(connect.CatchCard(text, record, draw));
    EXPECT_EQ(draw[4], 9); // any other code leaves the record
    uint8_t gang[48];
    server.Command(Fault(RequestId::AnnounceGang, R"("reply_hex":"01")"));
    EXPECT_FALSE(connect.AnnounceGang(text, record, gang));
    uint32_t code = 0;
    server.Command(Fault(RequestId::GangOnDiscardCards, R"("reply_hex":"020000002a000000")"));
    EXPECT_TRUE(connect.SendGangCards(text, RequestId::GangOnDiscardCards, record, gang, &code));
    EXPECT_EQ(gang[4], 42);
}

TEST_F(MahjongRequestsTest, HuReturnsTheServersCodeAndFailuresReport10100)
{
    server.Command(Fault(RequestId::Hu, R"("code":229107)"));
    EXPECT_EQ(connect.Hu(text, record), 229107u);
    connect.CloseAll();
    net::OxtLogInit("MahjongRequestsTest", 0);
    std::filesystem::remove(net::OxtLogFilePath());
    uint32_t code = 0;
    EXPECT_FALSE(connect.SendPengCards(text, &code, record));
    EXPECT_EQ(code, ReplyCode::RequestFailed);
    EXPECT_EQ(text, "与服务器连接断开。");
    std::ifstream log(net::OxtLogFilePath());
    const std::string lines((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(lines.find("ProcoessRequest Faild,ReQuestid:229214,nResponse:1031"), std::string::npos) << lines;
    EXPECT_EQ(connect.Hu(text, record), ReplyCode::RequestFailed);
    // A send-only action that could not go out is not reported as sent.
    EXPECT_FALSE(connect.AnnouncePeng(text, record));
    uint32_t length = 3;
    const uint8_t data[3] = {};
    EXPECT_EQ(connect.SendGameMessageWait(1, &code, &length, data), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(code, ReplyCode::RequestFailed);
}

TEST(MahjongTimeoutTest, TableActionsWaitFiveSeconds)
{
    CMJGameConnect2 connect;
    EXPECT_EQ(connect.GetRequestTimeout(229000), 5);
    EXPECT_EQ(connect.GetRequestTimeout(222080), 5);
    EXPECT_EQ(connect.GetRequestTimeout(220000), 10);
    EXPECT_EQ(connect.GetRequestTimeout(200110), 30);
}

} // namespace
