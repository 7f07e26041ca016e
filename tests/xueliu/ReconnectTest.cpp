// The table seen again after a drop, and seen by a client that looks on, against the game-server
// stand-in's table (three robots, the own chair played by the server): the real program killed
// mid-hand comes back in this process and finds hands, melds, discards, the tile in the middle,
// missing suits and wins as the server holds them (the table held still while they are
// compared), then plays the hand to its end with the server's table again; a client that looks
// on is refused the robot's hand it asks to see and is never given a concealed tile.
#include "ClientEnvironment.h"
#include "FakeHall.h"
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/Refusals.h"
#include "tests/support/TiedChild.h"

#include "framework/app/CGameWinApp.h"
#include "framework/app/HallRecords.h"
#include "framework/scene/GameWinApp.h"
#include "framework/window/RunClient.h"
#include "mahjong/tiles/TileLayout.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CXyChatBox.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Lumora::CMJCard2;

std::string TableFile() { return std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"; }

// The start data of the stand-in's table (room 1, table 1, users 1001-1004 at chairs 0-3) with
// a look-on user at the chair it watches.
std::vector<uint8_t> LookOnStartData(uint32_t user, int watched)
{
    std::vector<uint8_t> out = StartData(1, 1);
    hall::TableRecord table;
    std::copy_n(out.begin() + hall::RoomRecord::kSize, table.bytes.size(), table.bytes.begin());
    table.SetI32(hall::TableRecord::kLookOnCount, 1);
    std::copy(table.bytes.begin(), table.bytes.end(), out.begin() + hall::RoomRecord::kSize);
    Lumora::GameUserRecord watcher;
    watcher.SetUserId(int32_t(user));
    watcher.SetName("看客");
    watcher.SetChair(watched);
    watcher.SetLookOn(1);
    out.insert(out.end() - hall::kTextBlockSize, watcher.Data(), watcher.Data() + Lumora::GameUserRecord::kSize);
    return out;
}

std::string Join(std::vector<int> v, bool sort)
{
    if (sort)
        std::sort(v.begin(), v.end());
    std::string out;
    for (int t : v)
        out += (out.empty() ? "" : " ") + std::to_string(t);
    return out;
}

// The scene in table_view.py's lines: per chair "missing wins count | hand | discards | melds |
// middle"; the hand only for `viewer` (every chair once the result is shown, `ended`).
std::vector<std::string> SceneView(CMyGame& scene, int viewer, bool ended)
{
    std::vector<std::string> out;
    for (int chair = 0; chair < 4; ++chair) {
        const int seat = scene.ChairToSeat(chair);
        std::vector<int> hand, discards, melds;
        for (int slot = 0; slot < scene.GetMaxHandSlots(); ++slot) {
            CMJCard2* t = scene.hands[size_t(seat)][size_t(slot)];
            if (!t || !t->placed)
                continue;
            if (t->meldKind != Lumora::kMeldNone)
                melds.push_back(t->tile);
            else if (ended ? t->state == Lumora::kTileResultRow && slot > 0 : t->inHand != 0)
                hand.push_back(t->tile);
        }
        for (CMJCard2* t : scene.discards[size_t(seat)])
            if (t)
                discards.push_back(t->tile);
        CMJCard2* middle = scene.thrown[size_t(seat)];
        out.push_back(std::to_string(scene.MissingSuit(chair)) + " " + std::to_string(scene.WinCount(chair)) + " " +
                      std::to_string(hand.size()) + " | " + (ended || chair == viewer ? Join(hand, true) : "") +
                      " | " + Join(discards, false) + " | " + Join(melds, true) + " | " +
                      std::to_string(middle ? middle->tile : -1));
    }
    return out;
}

// The server's table through table_view.py: the header line first, then one line per chair.
// `how`: the viewer's chair, and "end" for the hand's end.
std::vector<std::string> ServerView(const standin::GameServer& server, const std::string& dir,
                                    std::vector<std::string> how)
{
    std::ofstream(dir + "/table.json") << server.Command(R"({"op":"table"})");
    std::vector<std::string> lines;
    how.insert(how.begin(), dir + "/table.json");
    std::istringstream in(xltest::RunProgram(xltest::Python("tests/xueliu/scripts/table_view.py", how)).out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool WaitUntil(const std::function<bool()>& done, int seconds)
{
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int HandsPlayed(const standin::GameServer& server)
{
    const std::string state = server.Command(R"({"op":"table"})");
    const size_t at = state.find("\"hands_played\": ");
    return at == std::string::npos ? -1 : std::atoi(state.c_str() + at + 16);
}

class ReconnectTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const auto& box : env_.boxes)
            ADD_FAILURE() << "box: " << box;
    }

    // The whole client in this process, entering the stand-in's table with that command line,
    // until `step` (on the UI thread, every 20 ms, with the scene once there is one) says it is
    // done (the window is closed) or `seconds` pass (the loop ends). False when the time ran out.
    bool RunClientUntil(const standin::GameServer& server, const std::string& userChairLookOn,
                        const std::vector<uint8_t>& startData, const std::function<bool(CMyGame&)>& step,
                        int seconds)
    {
        FakeHall hall(env_.hallAddress);
        hall.startData = startData;
        const std::string line = "79|127.0.0.1|0|5|0|" + userChairLookOn + "|0|血流成河|" +
                                 std::to_string(server.Port()) + "|4|0|0";
        const auto giveUp = Clock::now() + std::chrono::seconds(seconds);
        bool done = false;
        platform::WindowId checker = 0;
        auto tick = [&](platform::WindowId, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message != platform::kMsgTimer)
                return 0;
            IGameWinApp* app = GetGameWinApp();
            auto* scene = dynamic_cast<CMyGame*>(app ? app->GetMainGame() : nullptr);
            done = scene && step(*scene);
            if (!done && Clock::now() < giveUp)
                return 1;
            platform::StopTimer(checker, 1);
            // A window closed mid-hand would ask first: a run that timed out ends the loop.
            if (done)
                platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
            else
                platform::PostQuit(0);
            return 1;
        };
        platform_.runLoop = [&] {
            checker = platform::MakeWindow(tick);
            platform::StartTimer(checker, 1, 20);
            const int code = platform::RunMessageLoop();
            platform::DestroyWindow(checker);
            return code;
        };
        InstallGameApplication(nullptr);
        EXPECT_EQ(RunClient({"xueliu", line}, platform_), 0);
        return done;
    }

    ClientEnvironment env_{"xl-reconnect-XXXXXX"};
    ClientPlatform& platform_ = env_.platform;
    const std::string& dir_ = env_.dir;
    // The built skins, where the client looks for them.
    const int skins_ = ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (dir_ + "/game/skins").c_str());
};

} // namespace

TEST_F(ReconnectTest, AClientKilledMidHandComesBackToTheServersTableAndPlaysTheHandToItsEnd)
{
    standin::GameServer server({"--table", TableFile(), "--play", "--think-ms", "40", "--autoplay-human", "--hands",
                                "0", "--seed", "11"});
    {
        // The real program, killed after several throws: no word to the server, no exit report.
        xltest::HallRun first(server, {});
        ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << first.Record();
        server.Command(R"({"op":"play","hands":1})");
        auto discards = [&] {
            const auto header = ServerView(server, dir_, {"0"});
            return header.empty() ? 0 : std::atoi(header[0].substr(header[0].find(' ') + 1).c_str());
        };
        ASSERT_TRUE(WaitUntil([&] { return discards() >= 8; }, 30)) << "the hand never got going";
        const pid_t client = first.ClientPid();
        ASSERT_GT(client, 0);
        ::kill(client, SIGKILL);
        first.Wait();
    }
    ASSERT_TRUE(WaitUntil([&] { return server.Command(R"({"op":"state"})").find("\"sessions\": 0") != std::string::npos; },
                          10));
    // The table stands still while the client comes back and the two are compared.
    server.Command(R"({"op":"pause"})");
    const auto held = ServerView(server, dir_, {"0"});
    ASSERT_EQ(held.size(), 5u);
    ASSERT_EQ(held[0].substr(0, 2), "3 ") << "the hand must still be in play";

    std::vector<std::string> restored, atEnd, serverAtEnd;
    std::atomic<bool> handDone{false};
    std::thread watcher([&] {
        WaitUntil([&] { return HandsPlayed(server) >= 1; }, 40);
        handDone = true;
    });
    const bool ended = RunClientUntil(server, "1001|7|0|0", StartData(1, 1), [&](CMyGame& scene) {
        if (restored.empty()) {
            if (scene.Phase() != CMyGame::kPhasePlay)
                return false;
            restored = SceneView(scene, 0, false);
            server.Command(R"({"op":"resume"})");
            return false;
        }
        if (!handDone || scene.Phase() != CMyGame::kPhaseEnded)
            return false;
        atEnd = SceneView(scene, 0, true);
        return true;
    }, 45);
    server.Command(R"({"op":"resume"})");
    watcher.join();

    ASSERT_EQ(restored.size(), 4u) << "the client never showed the running hand";
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_EQ(restored[size_t(chair)], held[size_t(chair) + 1]) << "chair " << chair << " as restored";
    ASSERT_TRUE(ended) << "the hand did not end on the client";
    serverAtEnd = ServerView(server, dir_, {"0", "end"});
    ASSERT_EQ(serverAtEnd.size(), 5u);
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_EQ(atEnd[size_t(chair)], serverAtEnd[size_t(chair) + 1]) << "chair " << chair << " at the end";
    EXPECT_GE(server.Requests(200110).size(), 2u);
    EXPECT_TRUE(server.Requests(201162).empty()) << xltest::Refusals(server, dir_ + "/game/");
    EXPECT_EQ(server.Errors(), "[]");
}

TEST_F(ReconnectTest, AClientLookingOnIsRefusedTheRobotsHandAndIsNeverGivenAConcealedTile)
{
    standin::GameServer server({"--table", TableFile(), "--play", "--think-ms", "60", "--autoplay-human", "--hands",
                                "0", "--seed", "5"});
    std::atomic<bool> handDone{false};
    std::thread dealer([&] {
        server.AwaitRequests(200110, 1);
        server.Command(R"({"op":"play","hands":1})");
        WaitUntil([&] { return HandsPlayed(server) >= 1; }, 40);
        handDone = true;
    });
    bool asked = false;
    int concealedSeen = 0;
    std::vector<int> shown; // concealed tiles shown with their ids: none may be
    std::string chat;
    // User 2001 looks on at chair 1, a robot's.
    const bool ended = RunClientUntil(server, "2001|7|1|1", LookOnStartData(2001, 1), [&](CMyGame& scene) {
        if (!asked && !server.Requests(200110).empty()) {
            scene.OnBtnAskKanPai();
            asked = true;
        }
        if (scene.Phase() == CMyGame::kPhaseEnded) {
            // The result shows every final hand, as it does to the players. The refusal comes a
            // second after the ask, which may be after the end.
            if (auto* panel = dynamic_cast<Lumora::CSubSystem*>(GetGameApp()->GetSubSystem()))
                chat = panel->GetChatBox()->TextOf(panel->GetChatBox()->Content().First(), nullptr);
            return handDone && chat.find("禁止") != std::string::npos;
        }
        for (const auto& hand : scene.hands)
            for (int slot = 0; slot < scene.GetMaxHandSlots(); ++slot)
                if (CMJCard2* t = hand[size_t(slot)]; t && t->placed && (t->inHand || !t->faceUp)) {
                    ++concealedSeen;
                    if (t->tile != Lumora::kNoTile)
                        shown.push_back(t->tile);
                }
        return false;
    }, 45);
    dealer.join();

    ASSERT_TRUE(ended) << "the hand did not end on the client, or the refusal never came";
    EXPECT_GT(concealedSeen, 0);
    EXPECT_TRUE(shown.empty()) << shown.size() << " concealed tiles shown, the first " << shown.front();
    const auto asks = server.Requests(229550);
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].substr(0, 8), "d1070000") << "asked by user 2001";
    EXPECT_TRUE(server.Requests(201162).empty()) << xltest::Refusals(server, dir_ + "/game/");
    EXPECT_EQ(server.Errors(), "[]");
}
