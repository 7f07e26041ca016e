// A match room from end to end: the game-server stand-in plays
// tools/server/scenarios/match_result.json (the login answered with the waiting state and the
// player's standing, the begin, a knock-out round, a rank list, the match end and the result). In-process
// under a fake hall the frame ends on the result dialog with the application holding the result;
// the real client under Xvfb shows that dialog with its reward lines over the shaded table.
#include "FakeHall.h"
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/XvfbSession.h"

#include "framework/app/CGameWinApp.h"
#include "framework/app/HallRecords.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/FrameApp.h"
#include "framework/window/RunClient.h"
#include "platform/HeadlessWindow.h"
#include "platform/Ini.h"
#include "platform/LocalSocket.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/SystemScreen.h"
#include "platform/Window.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"
#include "widgets/RecordFields.h"
#include "xueliu/GameApplication.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The hall's match start data for user 1001 in room 1, table 1: the match data's head is the
// match record (120 s to the start, a silver fee of 100, rank level 1 with 10 of 50 points).
std::vector<uint8_t> MatchStartData()
{
    using S = hall::MatchStanding;
    hall::RoomRecord room;
    room.SetU32(hall::RoomRecord::kRoomId, 1);
    hall::TableRecord table;
    table.SetU32(hall::TableRecord::kTableNumber, 1);
    table.SetI32(hall::TableRecord::kPlayerCount, 1);
    Lumora::GameUserRecord own;
    own.SetUserId(1001);
    own.SetChair(0);
    hall::MatchData data;
    data.SetText(S::kMatchName, S::kMatchNameSize, "新手赛");
    data.SetI32(S::kSecondsToStart, 120);
    std::vector<uint8_t> out(hall::kMatchStartSize, 0);
    std::copy(room.bytes.begin(), room.bytes.end(), out.begin());
    std::copy(table.bytes.begin(), table.bytes.end(), out.begin() + hall::MatchRoomBlock::kSize);
    std::copy(own.Data(), own.Data() + own.kSize, out.begin() + hall::MatchRoomBlock::kSize + table.kSize);
    std::copy(data.bytes.begin(), data.bytes.end(), out.end() - static_cast<long>(data.kSize));
    return out;
}

struct Seen {
    bool waiting = false; // count-down and give-up button up before the start
    int waitingSeconds = 0;
    bool knockout = false; // the knock-out board up
    bool result = false; // the result dialog and its shade up
    int matchState = 0;
    int rank = 0, value = 0, knockoutStage = 0;
    int level = 0, points = 0, nextPoints = 0;
    int savedRank = 0;
    std::vector<int> rankValues;
    bool tableFlag = false;
    std::string title;
};

} // namespace

TEST(MatchFlow, AScriptedMatchRunsFromTheLoginToTheResultDialog)
{
    const xltest::TempFolder folder("xl-match-XXXXXX");
    const std::string& dir = folder.Path();
    ::mkdir((dir + "/game").c_str(), 0700);
    ::mkdir((dir + "/machine").c_str(), 0700);
    setenv("XL_MACHINE_DIR", (dir + "/machine").c_str(), 1);
    setenv("XL_PROGRAM_DIR", (dir + "/game/").c_str(), 1);
    const std::string hallAddress = platform::PrivateLocalName("hall");
    setenv("XL_HALL_SOCKET", hallAddress.c_str(), 1);
    ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (dir + "/game/skins").c_str());
    // The client knows a match room by its own ini.
    platform::IniFile(dir + "/game/qirn.ini").WriteString("Test", "IsMatch", "1");
    static const platform::ScreenFacts screen{1366, 768, {0, 0, 1366, 728}, 23};
    platform::SetScreenOverride(&screen);
    std::vector<std::string> boxes;
    platform::SetSystemBoxHandler(
        [&](const std::string& text, const std::string&, platform::MessageBoxButtons, platform::BoxIcon) {
            boxes.push_back(text);
            return platform::MessageBoxAnswer::Ok;
        });

    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--scenario",
                                std::string(XL_SOURCE_DIR) + "/tools/server/scenarios/match_result.json"});
    FakeHall hall(hallAddress);
    hall.startData = MatchStartData();
    const std::string line = "79|127.0.0.1|0|5|0|1001|7|0|0|0|血流成河|" + std::to_string(server.Port()) + "|4|0|0";

    Seen seen;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    // The states are watched after every message the loop dispatches, not sampled by a timer: the
    // waiting state lasts only until the begin arrives, which a slow client takes together with
    // the login's reply.
    bool done = false;
    auto watch = [&] {
        CGameWinApp* app = GetGameApp();
        CXyGameFrame* frame = app ? app->GetFrameUI() : nullptr;
        if (!frame || done)
            return;
        auto active = [](const Lumora::PObject* o) { return o && o->IsActive(); };
        if (!seen.waiting && app->GetMatchState() < 500 && active(frame->GetCountdownBoard()) &&
            active(frame->GetGiveUpButton())) {
            seen.waiting = true;
            seen.waitingSeconds = app->GetMatchSeconds();
        }
        seen.knockout = seen.knockout || active(frame->GetKnockoutBoard());
        seen.result = active(frame->GetMatchResultDialog()) && active(frame->GetShade());
        if (!seen.result && std::chrono::steady_clock::now() < giveUp)
            return;
        done = true;
        seen.matchState = app->GetMatchState();
        seen.rank = app->GetMatchRank();
        seen.value = app->GetMatchResultValue();
        seen.knockoutStage = app->GetKnockoutStage();
        if (const hall::ExtraPlayerEntry* own = app->GetMatchStanding(1001)) {
            seen.level = own->I32(hall::MatchStanding::kRankLevel);
            seen.points = own->I32(hall::MatchStanding::kRankPoints);
            seen.nextPoints = own->I32(hall::MatchStanding::kNextLevelPoints);
            for (size_t at = 0; at < 12; at += 4)
                seen.rankValues.push_back(own->I32(hall::MatchStanding::kRankValues + at));
        }
        seen.savedRank = Lumora::ReadFieldI32(frame->GetSavedMatchResult().data(), 172, 20);
        seen.title = app->GetRoomName();
        seen.tableFlag = app->GetTableFlag() != 0;
        platform::PostToWindow(app->GetMainWindowId(), platform::kMsgClose);
    };
    ClientPlatform platform;
    platform.makeWindow = [](const platform::Rect& r) { return std::make_unique<platform::HeadlessWindow>(r); };
    platform.runLoop = [&] {
        // The timer only wakes the loop so that the give-up is seen when nothing else comes.
        const platform::WindowId ticker =
            platform::MakeWindow([](platform::WindowId, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
        platform::StartTimer(ticker, 1, 100);
        watch();
        platform::Message m;
        while (platform::GetNextMessage(m)) {
            platform::Dispatch(m);
            watch();
        }
        platform::DestroyWindow(ticker);
        return static_cast<int>(m.wparam);
    };
    InstallGameApplication(nullptr);
    EXPECT_EQ(RunClient({"xueliu", line}, platform), 0);

    EXPECT_TRUE(seen.waiting) << "the login's waiting state never showed";
    EXPECT_GT(seen.waitingSeconds, 100) << "the count-down starts from the login's 120 s";
    EXPECT_TRUE(seen.knockout);
    ASSERT_TRUE(seen.result) << "no result dialog";
    EXPECT_EQ(seen.matchState, 600);
    EXPECT_EQ(seen.knockoutStage, 1);
    EXPECT_EQ(seen.rank, 3);
    EXPECT_EQ(seen.savedRank, 3);
    EXPECT_EQ(seen.value, 7);
    EXPECT_EQ((std::vector<int>{seen.level, seen.points, seen.nextPoints}), (std::vector<int>{2, 30, 100}))
        << "the result's new standing goes into the own extra entry";
    EXPECT_EQ(seen.rankValues, (std::vector<int>{15, 2, 3})) << "the rank list's values of the own entry";
    EXPECT_TRUE(seen.tableFlag) << "the knock-out round arranged the table";
    EXPECT_EQ(seen.title, "新手房") << "the login's match record names the match";

    // The login carries the own record, the room, table and chair the start data gave.
    const auto logins = server.Requests(201220);
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].substr(0, 8), "e9030000"); // user 1001
    EXPECT_EQ(logins[0].substr(32, 16), "0100000001000000"); // room 1, table 1
    EXPECT_EQ(logins[0].substr(48, 8), "00000000"); // chair 0
    EXPECT_TRUE(server.Requests(200110).empty()) << "a match room logs in instead of entering";
    EXPECT_EQ(server.Errors(), "[]");
    for (const auto& box : boxes)
        ADD_FAILURE() << "box: " << box;

    SetClientApplicationFactory(nullptr);
    platform::SetSystemBoxHandler(nullptr);
    platform::SetScreenOverride(nullptr);
    for (const char* v : {"XL_MACHINE_DIR", "XL_PROGRAM_DIR", "XL_HALL_SOCKET"})
        unsetenv(v);
}

namespace {

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

// Where the result dialog's ground colour lies on the screen.
Box DialogOn(const xltest::Picture& shot)
{
    Box b;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (const uint32_t c = shot.Rgb(x, y); std::abs(int(c >> 16) - 69) <= 3 &&
                std::abs(int(c >> 8 & 0xFF) - 39) <= 3 && std::abs(int(c & 0xFF) - 29) <= 3) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

int CountIn(const xltest::Picture& shot, int left, int top, int right, int bottom, bool (*match)(int, int, int))
{
    int n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, shot.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, shot.width); ++x) {
            const uint32_t c = shot.Rgb(x, y);
            n += match(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF)) ? 1 : 0;
        }
    return n;
}

} // namespace

// The real client under Xvfb: the result dialog with its reward lines over the shaded table.
TEST(MatchFlow, UnderXvfbTheRealClientEndsOnTheResultDialogOverTheShadedTable)
{
    xltest::XvfbSession xvfb;
    if (!xvfb.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--scenario",
                                std::string(XL_SOURCE_DIR) + "/tools/server/scenarios/match_result.json"});
    xltest::HallRun run(
        server, {"--match"},
        {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin"});
    ASSERT_EQ(server.AwaitRequests(201220, 1).size(), 1u) << run.Record();
    // The reward lines: the prize in yellow, the rank points in cyan, in the text box.
    auto yellow = [](int r, int g, int b) { return r > 150 && g > 150 && b < 120; };
    auto cyan = [](int r, int g, int b) { return r < 120 && g > 150 && b > 150; };
    std::optional<xltest::Picture> shot;
    Box dialog;
    // The sanitized client on a loaded machine may take a while, and the dialog may show a frame
    // before its lines.
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
         std::chrono::steady_clock::now() < deadline;) {
        shot = xltest::Screenshot("match_result.png", 1024, 768);
        if (shot && (dialog = DialogOn(*shot)).Width() >= 300 && dialog.Height() >= 200 &&
            CountIn(*shot, dialog.left + 20, dialog.top + 90, dialog.left + 260, dialog.top + 200, yellow) > 20)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_TRUE(shot.has_value());
    ASSERT_GE(dialog.Width(), 300) << "no result dialog on the screen";
    EXPECT_GT(CountIn(*shot, dialog.left + 20, dialog.top + 90, dialog.left + 260, dialog.top + 200, yellow), 20);
    EXPECT_GT(CountIn(*shot, dialog.left + 20, dialog.top + 90, dialog.left + 260, dialog.top + 200, cyan), 10);
    // The table beside the dialog lies under the dark shade.
    const uint32_t table = shot->Rgb(std::max(dialog.left - 60, 10), dialog.bottom - 10);
    EXPECT_LT(int(table >> 8 & 0xFF), 60) << std::hex << table;
    run.HangUp();
    EXPECT_EQ(run.Wait(), 0);
}
