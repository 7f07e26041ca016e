// The server connection against the game-server stand-in: the start-up road (version check,
// feature configuration, entering), every request's bytes checked by the stand-in from the
// layouts, send-only against waited requests, time-outs, server texts, a closed connection, and
// replies that are short, empty or odd for every operation that reads reply data.
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"

#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>

namespace {

std::string Fault(uint32_t id, const std::string& rest)
{
    return R"({"op":"fault","id":)" + std::to_string(id) + (rest.empty() ? "" : "," + rest) + "}";
}

std::string Hex(std::initializer_list<uint32_t> words)
{
    std::string out;
    char b[9];
    for (uint32_t w : words) {
        for (int i = 0; i < 4; ++i) {
            std::snprintf(b, sizeof(b), "%02x", (w >> (8 * i)) & 0xFF);
            out += b;
        }
    }
    return out;
}

std::string HexOf(const std::string& bytes)
{
    std::string out;
    char b[3];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof(b), "%02x", c);
        out += b;
    }
    return out;
}

// A request of 32 zero bytes (the head-only layout).
const uint8_t kHeadOnly[32] = {};

uint32_t Word(const std::vector<uint8_t>& v, size_t off)
{
    uint32_t w = 0;
    std::memcpy(&w, v.data() + off, 4);
    return w;
}

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connect.SetApp(&app);
        ASSERT_TRUE(connect.SetupEncryption());
        int proxyFailed = 0;
        ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed));
    }
    void TearDown() override
    {
        connect.CloseAll();
        EXPECT_EQ(server.Errors(), "[]");
    }

    standin::GameServer server;
    FakeClientApp app;
    CGameConnect connect{nullptr, 0, 0, 0};
    std::string text;
};

TEST_F(ConnectionTest, StartUpRoadPassesTheVersionCheckReadsTheFeaturesAndEnters)
{
    int major = 0;
    int minor = 0;
    ASSERT_TRUE(connect.CheckVersion(text, &major, &minor)) << text;
    ASSERT_TRUE(connect.GetFeatureConfig(text));
    EXPECT_FALSE(app.featureFlag);
    ASSERT_TRUE(connect.EnterGame(text)) << text;
    EXPECT_EQ(app.appSwitch, 0);
    EXPECT_EQ(app.calls, std::vector<std::string>{"entered player"});
    EXPECT_EQ(app.blockA[0], 1); // table number
    EXPECT_EQ(app.blockA[4], 4); // chairs
    EXPECT_EQ(app.waitCursor, 0); // shown and hidden again
    // Without room option bit 6 the enter record is its first 108 bytes.
    const auto enter = standin::GameServer::FromHex(server.Requests(RequestId::EnterGame).at(0));
    ASSERT_EQ(enter.size(), 108u);
    EXPECT_EQ(Word(enter, 0), 1001u);
    EXPECT_EQ(Word(enter, 4), 77u);
    EXPECT_EQ(Word(enter, 8), 79u);
    EXPECT_EQ(std::string(enter.begin() + 24, enter.begin() + 56), app.machineId);
    EXPECT_EQ(connect.Stats().Count(), 3u);
}

TEST_F(ConnectionTest, EnterSendsTheUserBriefInRoomsWithOptionBit6)
{
    app.roomOptions = 1u << 6;
    ASSERT_TRUE(connect.EnterGame(text));
    EXPECT_EQ(server.Requests(RequestId::EnterGame).at(0).size(), 244u * 2);
}

TEST_F(ConnectionTest, SendOnlyRequestReturnsAtOnceWithoutReplyOrStatistics)
{
    GameReply reply;
    reply.code = 77;
    ASSERT_TRUE(connect.SendRequest(text, RequestId::StartGame, "0123456789abcdef0123456789abcdef", 32, reply, false));
    EXPECT_EQ(reply.code, 0u);
    EXPECT_EQ(reply.length, 0);
    EXPECT_EQ(reply.data, nullptr);
    EXPECT_EQ(connect.Stats().Count(), 0u);
}

TEST_F(ConnectionTest, ServerTextBecomesTheErrorTextBoundedByTheReply)
{
    server.Command(
        Fault(RequestId::QueryGamePlaying, "\"text_hex\":\"" + HexOf(std::string("房间已满") + '\0') + "\""));
    GameReply reply;
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, kHeadOnly, 32, reply, true));
    EXPECT_EQ(text, "房间已满");
    EXPECT_EQ(reply.data, nullptr);
    // A text without its terminating zero ends with the reply; an empty one gives an empty text.
    server.Command(Fault(RequestId::QueryGamePlaying, R"("text_hex":"414243")"));
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, kHeadOnly, 32, reply, true));
    EXPECT_EQ(text, "ABC");
    server.Command(Fault(RequestId::QueryGamePlaying, R"("text_hex":"")"));
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, kHeadOnly, 32, reply, true));
    EXPECT_EQ(text, "");
}

TEST_F(ConnectionTest, SilentServerGivesTimedOutAfterTheIdsTimeOut)
{
    // The server answers just within the 10 s that other requests wait: a wait that ends first is
    // the id's own 5 s, with room for a loaded machine (sanitizers).
    server.Command(Fault(RequestId::QueryGamePlaying, R"("delay_ms":9500)"));
    const auto start = std::chrono::steady_clock::now();
    GameReply reply;
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, kHeadOnly, 32, reply, true));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(reply.code, ReplyCode::TimedOut);
    EXPECT_EQ(text, "请求处理超时。");
    EXPECT_GE(waited, std::chrono::milliseconds(4900));
    EXPECT_LT(waited, std::chrono::milliseconds(9400));
}

// The sanitizer build watches that nothing of a waited request outlives it.
TEST_F(ConnectionTest, TenThousandWaitedRequestsInARow)
{
    for (int i = 0; i < 10000; ++i) {
        GameReply reply;
        ASSERT_TRUE(connect.SendRequest(text, RequestId::CheckVersion, nullptr, 0, reply, true)) << i << " " << text;
        ASSERT_EQ(reply.length, 8);
    }
    EXPECT_EQ(connect.Stats().Count(), 10000u);
}

TEST_F(ConnectionTest, ClosedConnectionGivesNotConnectedAndSendsNothing)
{
    connect.CloseAll();
    GameReply reply;
    EXPECT_FALSE(connect.SendRequest(text, RequestId::QueryGamePlaying, kHeadOnly, 32, reply, true));
    EXPECT_EQ(reply.code, ReplyCode::NotConnected);
    EXPECT_EQ(text, "与服务器连接断开。");
}

TEST_F(ConnectionTest, ReopeningClosesTheOldChannelAndTheNewOneWorks)
{
    int proxyFailed = 0;
    ASSERT_TRUE(connect.OpenGameChannel("Game", "127.0.0.1", server.Port(), &proxyFailed));
    int major = 0;
    int minor = 0;
    EXPECT_TRUE(connect.CheckVersion(text, &major, &minor));
    EXPECT_EQ(connect.ServerPort(), server.Port());
    EXPECT_EQ(connect.ChannelName(), "Game");
}

TEST_F(ConnectionTest, VersionMatrix)
{
    struct Case {
        uint32_t major, minor;
        bool ok;
        const char* text;
        int outMajor, outMinor;
    };
    const Case cases[] = {
        {9, 3, true, "", 0, 0},
        {10, 0, false, "您的游戏程序太旧了,必须下载新的程序才能玩游戏。", 10, 0},
        {9, 4, false, "您的游戏程序需要更新。", 0, 4},
        {9, 2, false, "服务正在更新中，请稍候再试。", 0, 0},
        {8, 9, false, "服务正在更新中，请稍候再试。", 0, 0},
    };
    for (const Case& c : cases) {
        server.Command(Fault(RequestId::CheckVersion, "\"reply_hex\":\"" + Hex({c.major, c.minor}) + "\""));
        int major = 0;
        int minor = 0;
        text.clear();
        EXPECT_EQ(connect.CheckVersion(text, &major, &minor), c.ok) << c.major << "." << c.minor;
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(major, c.outMajor);
        EXPECT_EQ(minor, c.outMinor);
    }
}

TEST_F(ConnectionTest, FeatureTokensAreParsedAndTheCountBoundedByRecordAndReply)
{
    // Flag 1, N = 40 (only 10 fit), indexes 0, 1, 2, -1, 99, 5 ..., then the tokens without a zero.
    std::string reply = Hex({1, 40, 0, 1, 2, 0xFFFFFFFF, 99, 5, 6, 7, 8, 9});
    std::string tokens;
    for (const char* t : {"120x80!abc", "!def", "120x80", "1x2!", "x5!g", "3x4!h", "", "7x8!i", "9x9!j", "0x1!k"})
        tokens += std::string(t) + "|";
    reply += HexOf(tokens);
    server.Command(Fault(RequestId::FeatureConfig, "\"reply_hex\":\"" + reply + "\""));
    ASSERT_TRUE(connect.GetFeatureConfig(text));
    EXPECT_TRUE(app.featureFlag);
    using F = std::tuple<int, int, std::string>;
    EXPECT_EQ(app.features.at(0), F(120, 80, "abc"));
    EXPECT_EQ(app.features.at(1), F(0, 0, "def"));
    EXPECT_EQ(app.features.at(2), F(0, 0, ""));
    EXPECT_EQ(app.features.count(99), 0u);
    EXPECT_EQ(app.features.at(5), F(3, 4, "h"));
    EXPECT_EQ(app.features.at(9), F(0, 1, "k"));
    // A reply of 16 bytes carries two indexes whatever N says.
    app.features.clear();
    server.Command(Fault(RequestId::FeatureConfig, "\"reply_hex\":\"" + Hex({0, 10, 3, 4}) + "\""));
    ASSERT_TRUE(connect.GetFeatureConfig(text));
    EXPECT_EQ(app.features.size(), 2u);
}

TEST_F(ConnectionTest, DepositTextsForTheLimitsAndTheGiftRule)
{
    server.Command(Fault(RequestId::SaveDeposit, R"("code":60092,"reply_hex":")" + Hex({5000, 2000}) + "\""));
    int32_t amount = 4000;
    uint32_t code = 0;
    EXPECT_FALSE(connect.SaveDeposit(text, &amount, &code));
    EXPECT_EQ(code, 60092u);
    EXPECT_EQ(amount, 3000);
    EXPECT_EQ(text, "很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出3000两。(至少保留2000两)");
    server.Command(Fault(RequestId::TakeDeposit, R"("code":60086,"reply_hex":")" + Hex({10000, 10000}) + "\""));
    EXPECT_FALSE(connect.TakeDeposit(text, 100, 0));
    EXPECT_EQ(text, "系统限定每日划入【血流成河】不能超过10000两，\r\n今天您已经超限，到明天才能划银。");
    server.Command(Fault(RequestId::TakeDeposit, R"("code":60095,"reply_hex":")" + Hex({1, 0, 5, 0}) + "\""));
    EXPECT_FALSE(connect.TakeDeposit(text, 100, 0));
    EXPECT_EQ(text, "系统限定每月划入游戏总额不能超过5两，\r\n本月您最多还可以划入4两。");
}

TEST_F(ConnectionTest, LeaveIsKeptOnlyByTheThreeRefusals)
{
    EXPECT_FALSE(connect.LeaveGame(text, 1001, 0)); // 10: nothing keeps the player
    server.Command(Fault(RequestId::LeaveGame, R"("code":210085,"reply_hex":")" + Hex({30}) + "\""));
    EXPECT_TRUE(connect.LeaveGame(text, 1001, 0));
    EXPECT_EQ(text, "系统已经为您分配了随机桌位，\r\n\r\n必须再等 30 秒钟才能离开。");
}

TEST_F(ConnectionTest, GuardsSendNothing)
{
    app.lookOn = 1;
    EXPECT_FALSE(connect.ChangeTable(text));
    EXPECT_FALSE(connect.StartGameNew(text));
    app.lookOn = 0;
    EXPECT_FALSE(connect.StartGameNew(text)); // room option bits 1 and 7 not both set
    EXPECT_FALSE(connect.TakeSilverReward(text, -1));
    int32_t out = 0;
    EXPECT_FALSE(connect.TakeAllowance(text, 10, 2, &out));
    app.safeBoxOk = false;
    int32_t amount = 1;
    EXPECT_FALSE(connect.SaveDeposit(text, &amount, nullptr));
    EXPECT_FALSE(connect.TakeDeposit(text, 1, 0));
    app.hasOwn = false;
    EXPECT_FALSE(connect.EnterGame(text));
    EXPECT_EQ(text, "对象不存在。");
    EXPECT_TRUE(server.Command(R"({"op":"state"})").find("\"requests\": []") != std::string::npos);
}

// Every request the catalogue sends, checked byte for byte by the stand-in against its layouts.
TEST_F(ConnectionTest, EveryRequestMatchesItsLayout)
{
    ASSERT_TRUE(connect.EnterGame(text)); // the stand-in then checks every head
    app.roomOptions = (1u << 1) | (1u << 7);
    uint8_t out[124];
    int32_t word = 0;
    int32_t amount = 100;
    const std::string longChat(70, 'a');
    EXPECT_TRUE(connect.StartGame(text));
    EXPECT_TRUE(connect.Request201161(text));
    EXPECT_TRUE(connect.QuitGame(1002, 1));
    EXPECT_TRUE(connect.SendChat("你好" + longChat));
    EXPECT_TRUE(connect.SendChatEx("ok"));
    EXPECT_TRUE(connect.SendAhoo(1003));
    EXPECT_TRUE(connect.Request201180(5));
    EXPECT_TRUE(connect.SendPulse());
    EXPECT_TRUE(connect.Request201221());
    EXPECT_TRUE(connect.Request201162(229500, nullptr, 0));
    EXPECT_TRUE(connect.Request201230(1002));
    EXPECT_TRUE(connect.Request201231());
    EXPECT_TRUE(connect.Request201232());
    EXPECT_TRUE(connect.AskExit(std::string(62, 'x') + "中"));
    EXPECT_TRUE(connect.ReplyAskExit(1002, 1));
    EXPECT_TRUE(connect.Request229560(1005, 1));
    EXPECT_TRUE(connect.Request214102());
    EXPECT_TRUE(connect.Request214104());
    EXPECT_TRUE(connect.Request214110(3));
    connect.QueryGamePlaying();
    connect.GetTableGameData();
    connect.StartGameEx(text);
    connect.StartGameNew(text);
    connect.ChangeTable(text);
    connect.LeaveGame(text, 1001, 0);
    connect.LoginGame(text);
    connect.TakeSilverReward(text, 5);
    connect.Request200040(text, out);
    connect.Request200043(text, out, nullptr);
    connect.SaveDeposit(text, &amount, nullptr);
    connect.TakeDeposit(text, 100, 3);
    connect.GetAllowanceConfig(text, 2, out);
    connect.TakeAllowance(text, 1, 0, &word);
    connect.TakeAllowanceEx(text, 1, 1, &word);
    EXPECT_EQ(server.AwaitRequests(RequestId::Request214110, 1).size(), 1u);
    // The chat text is cut to 61 bytes, and a character that does not fit whole is left out.
    const auto chat = standin::GameServer::FromHex(server.Requests(RequestId::Chat).at(0));
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(chat.data() + 48)), 61u);
    const auto ask = standin::GameServer::FromHex(server.Requests(RequestId::AskExit).at(0));
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(ask.data() + 20)), 62u);
    // 201162 repeats the table number at +12 and has no sub-code in this layer.
    const auto report = standin::GameServer::FromHex(server.Requests(RequestId::NotifyFailure).at(0));
    ASSERT_EQ(report.size(), 56u);
    EXPECT_EQ(Word(report, 12), 1u);
    EXPECT_EQ(Word(report, 20), 229500u);
}

// Short and empty replies for every operation that reads reply data: nothing is read outside
// the reply (the sanitizer build watches), and the copies leave zeros where data was missing.
TEST_F(ConnectionTest, ShortAndEmptyRepliesAreReadWithinTheirLength)
{
    uint8_t out[124];
    int32_t word = -1;
    int32_t amount = 100;
    int major = 0;
    int minor = 0;
    const std::vector<std::pair<uint32_t, std::function<void()>>> ops = {
        {RequestId::CheckVersion, [&] { connect.CheckVersion(text, &major, &minor); }},
        {RequestId::FeatureConfig, [&] { connect.GetFeatureConfig(text); }},
        {RequestId::EnterGame, [&] { connect.EnterGame(text); }},
        {RequestId::QueryGamePlaying, [&] { connect.QueryGamePlaying(); }},
        {RequestId::GetTableGameData, [&] { connect.GetTableGameData(); }},
        {RequestId::LeaveGame, [&] { connect.LeaveGame(text, 1001, 0); }},
        {RequestId::SafeBoxQuery, [&] { connect.Request200040(text, out); }},
        {RequestId::Request200043, [&] { connect.Request200043(text, out, nullptr); }},
        {RequestId::SaveDeposit, [&] { connect.SaveDeposit(text, &amount, nullptr); }},
        {RequestId::TakeDeposit, [&] { connect.TakeDeposit(text, 1, 0); }},
        {RequestId::TakeSilverReward, [&] { connect.TakeSilverReward(text, 1); }},
        {RequestId::AllowanceConfig, [&] { connect.GetAllowanceConfig(text, 1, out); }},
        {RequestId::TakeAllowance, [&] { connect.TakeAllowance(text, 1, 0, &word); }},
    };
    const char* codes[] = {"10",    "210085", "210210", "210220", "229603", "229604",
                           "60070", "60071",  "60092",  "60086",  "60095"};
    for (const char* code : codes) {
        for (const char* data : {"", "01", "010203"}) {
            for (const auto& [id, op] : ops) {
                server.Command(Fault(id, std::string("\"code\":") + code + ",\"reply_hex\":\"" + data + "\""));
                std::memset(out, 0xEE, sizeof(out));
                op();
            }
        }
    }
    server.Command(Fault(RequestId::SafeBoxQuery, R"("reply_hex":"0102")"));
    ASSERT_TRUE(connect.Request200040(text, out));
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[31], 0);
}

TEST(ConnectionProxyTest, UnreachableProxySetsTheProxyFailedFlag)
{
    std::string ini = xltest::TempPattern("xl-hall-XXXXXX");
    const int fd = mkstemp(ini.data());
    const std::string body = "[PROXY]\r\nNeed=1\r\nSock=3\r\nHost=127.0.0.1\r\nPort=1\r\n";
    ASSERT_EQ(write(fd, body.data(), body.size()), ssize_t(body.size()));
    close(fd);
    CGameConnect connect(nullptr, 0, 0, 0);
    FakeClientApp app;
    connect.SetApp(&app);
    connect.LoadProxySettings(ini);
    std::remove(ini.c_str());
    EXPECT_EQ(connect.Proxy().port, 1);
    EXPECT_EQ(connect.GetProxyHost(), "127.0.0.1");
    int proxyFailed = 0;
    EXPECT_FALSE(connect.OpenGameChannel("Game", "127.0.0.1", 9, &proxyFailed));
    EXPECT_EQ(proxyFailed, 1);
}

TEST(ResponseStatsTest, PulseReportsAverageAndLargestCappedThenResets)
{
    ResponseStats stats;
    uint32_t average = 1;
    uint32_t largest = 1;
    stats.TakePulse(average, largest);
    EXPECT_EQ(average, 0u);
    EXPECT_EQ(largest, 0u);
    stats.Add(70000);
    stats.Add(90000);
    stats.TakePulse(average, largest);
    EXPECT_EQ(average, 60000u);
    EXPECT_EQ(largest, 60000u);
    stats.Add(30);
    stats.Add(10);
    stats.TakePulse(average, largest);
    EXPECT_EQ(average, 20u);
    EXPECT_EQ(largest, 30u);
    EXPECT_EQ(stats.Count(), 0u);
}

TEST(RequestTimeoutTest, EachIdWaitsItsOwnTime)
{
    CGameConnect connect(nullptr, 0, 0, 0);
    const std::pair<uint32_t, int> table[] = {{200110, 30}, {201220, 30}, {214000, 30}, {214001, 30}, {214010, 30},
                                              {201001, 15}, {201130, 5},  {201308, 10}, {229000, 10}};
    for (auto [id, seconds] : table)
        EXPECT_EQ(connect.GetRequestTimeout(id), seconds) << id;
}

} // namespace
