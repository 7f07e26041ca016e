// The game-server stand-in as the client sees it: pushes of its scenario and of the generic
// answers reach the notify thread (a large one zlib-packed), the robots agree to an exit
// request, malformed pushes are dropped without harm, and a dropped connection is noticed.
#include "net/OwnerThread.h"
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int32_t Word(const std::vector<uint8_t>& v, size_t off)
{
    int32_t w = 0;
    if (off + 4 <= v.size())
        std::memcpy(&w, v.data() + off, 4);
    return w;
}

bool Has(const std::vector<nettest::Delivered>& got, uint32_t id)
{
    for (const auto& d : got)
        if (d.id == id)
            return true;
    return false;
}

class StandInTest : public ::testing::Test {
protected:
    void Open()
    {
        connect.SetApp(&app);
        connect.SetupEncryption();
        connect.SetNotifyThreadId(owner.Id());
        int proxyFailed = 0;
        ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", server->Port(), &proxyFailed));
        ASSERT_TRUE(connect.EnterGame(text));
    }
    void TearDown() override
    {
        connect.CloseAll();
        EXPECT_EQ(server->Errors(), "[]");
    }

    std::unique_ptr<standin::GameServer> server = std::make_unique<standin::GameServer>();
    nettest::OwnerThread owner;
    FakeClientApp app;
    CGameConnect connect{nullptr, 0, 0, 0};
    std::string text;
};

TEST_F(StandInTest, ScenarioPushesAndAnswersInOrder)
{
    Open();
    const std::string big(2 * 5428, 'a'); // 5428 bytes of 0xaa: zlib-packed on the way
    server->Command(R"({"op":"scenario","steps":[{"push":211040,"hex":")" + big +
                    R"("},{"expect":201165,"reply":{"code":210541,"hex":"0700"}},{"push":211300}]})");
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 211040); }));
    EXPECT_FALSE(connect.StartGameEx(text)); // the scenario's answer: the take-silver prompt
    EXPECT_EQ(app.calls.back(), "take silver");
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 211300); }));
    for (const auto& d : owner.Taken()) {
        if (d.id == 211040) {
            ASSERT_EQ(d.data.size(), 5428u);
            EXPECT_EQ(d.data[5427], 0xAA);
        }
    }
}

TEST_F(StandInTest, ScenarioFileAndFaultsFromTheCommandLine)
{
    server = std::make_unique<standin::GameServer>(
        std::vector<std::string>{"--scenario", std::string(XL_SOURCE_DIR) + "/tools/server/scenarios/deal_notice.json",
                                 "--fault", "201001:code=60031,text_hex=41"});
    Open();
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 211300); }));
    EXPECT_TRUE(connect.StartGameEx(text));
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 229165); }));
    int major = 0;
    int minor = 0;
    EXPECT_FALSE(connect.CheckVersion(text, &major, &minor));
}

TEST_F(StandInTest, ReadyChairAndRobotsAgreeingToAnExit)
{
    Open();
    EXPECT_TRUE(connect.StartGame(text));
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 201160); }));
    EXPECT_TRUE(connect.AskExit("有事先走"));
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 211010); }, 4000));
    int answers = 0;
    for (const auto& d : owner.Taken()) {
        if (d.id == 201160) {
            EXPECT_EQ(Word(d.data, 0), 1001);
        }
        if (d.id == 201213) {
            ++answers;
            EXPECT_EQ(Word(d.data, 16), 1001);
            EXPECT_EQ(Word(d.data, 20), 1);
        }
        if (d.id == 211010) {
            EXPECT_EQ(Word(d.data, 28), 1);
            EXPECT_EQ(Word(d.data, 32), 1);
        }
    }
    EXPECT_EQ(answers, 3);
}

TEST_F(StandInTest, MalformedPushesAreDroppedAndTheConnectionGoesOn)
{
    Open();
    for (const char* kind : {"stage", "length"})
        server->Command(std::string(R"({"op":"malformed_push","kind":")") + kind + "\"}");
    server->Command(R"({"op":"push","id":229165,"hex":"02000000"})");
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 229165); }));
    EXPECT_EQ(owner.Notices(), 0u);
    EXPECT_FALSE(Has(owner.Taken(), 500));
    int major = 0;
    int minor = 0;
    EXPECT_TRUE(connect.CheckVersion(text, &major, &minor));
    // A frame that fails its checksum ends the connection, as the transport's rule says.
    server->Command(R"({"op":"malformed_push","kind":"crc"})");
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 2); }));
}

TEST_F(StandInTest, DroppedConnectionIsNoticedAndRequestsFailAsNotConnected)
{
    Open();
    server->Command(R"({"op":"drop"})");
    ASSERT_TRUE(owner.WaitUntil([](const auto& got) { return Has(got, 1) || Has(got, 2); }));
    connect.CloseAll(); // what the frame window does on the notice
    GameReply reply;
    const uint8_t head[32] = {};
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, head, 32, reply, true));
    EXPECT_EQ(reply.code, ReplyCode::NotConnected);
}

} // namespace
