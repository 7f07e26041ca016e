// The client's start-up and end against a fake hall (a real hall-link socket) and a fake
// connection: the main road (hello, registration, web sign, start data, entry, then the hall
// goes and the client ends with the connection closed first and no exit report), an unreachable
// server (exit report with window 0, exit code 1), test mode (no socket, no request), and a
// command line of too few fields (the question; Yes starts the hall program).
#include "ClientEnvironment.h"
#include "FakeHall.h"
#include "support/GameServerStandIn.h"
#include "tests/support/TiedChild.h"
#include "TableRun.h"

#include "framework/app/AppMessages.h"
#include "framework/app/ClientUtils.h"
#include "framework/app/HallCipher.h"
#include "framework/app/HallRecords.h"
#include "framework/app/NotifyGate.h"
#include "platform/HeadlessWindow.h"
#include "platform/Ini.h"
#include "platform/MessageQueue.h"
#include "platform/SystemScreen.h"
#include "platform/ThreadId.h"
#include "platform/Window.h"
#include "xueliu/CGameApp.h"
#include "framework/window/RunClient.h"
#include "xueliu/GameApplication.h"
#include "xueliu/CMyGame.h"
#include "framework/scene/GameWinApp.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/Clock.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "widgets/CXyStandButton.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

struct FakeStartup : IServerStartup {
    std::vector<std::string> calls;
    bool open = true;
    bool version = true;
    std::function<void()> onEnter;

    void LoadProxySettings(const std::string&) override { calls.push_back("proxy"); }
    void SetupEncryption() override { calls.push_back("encryption"); }
    void SetNotifyThreadId(uint32_t id) override { calls.push_back(id ? "notify" : "notify0"); }
    bool OpenGameChannel(const std::string&, const std::string&, uint16_t port, int&) override
    {
        calls.push_back("open:" + std::to_string(port));
        return open;
    }
    std::string GetProxyHost() const override { return {}; }
    bool CheckVersion(std::string& text, int32_t& a, int32_t& b) override
    {
        calls.push_back("version");
        a = 11;
        b = 22;
        text = "版本太旧";
        return version;
    }
    bool GetFeatureConfig() override
    {
        calls.push_back("feature");
        return true;
    }
    bool EnterGame(std::string&) override
    {
        calls.push_back("enter");
        if (onEnter)
            onEnter();
        return true;
    }
    bool LoginGame(std::string&) override
    {
        calls.push_back("login");
        return true;
    }
    bool QuitGame(uint32_t, int32_t) override
    {
        calls.push_back("quit");
        return true;
    }
    void CloseAll() override { calls.push_back("close"); }
};

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override { SetStartTableHook(nullptr); }
    static bool IsExitReport(const platform::HallFrame& f)
    {
        return f.kind == platform::HallFrameKind::CopyData && (f.message == 2 || f.message == 5);
    }

    // The whole client on a headless window, with the fake connection.
    int Run(const std::vector<std::string>& arguments, IServerStartup* server)
    {
        InstallGameApplication(server);
        std::vector<std::string> all{"xueliu"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunClient(all, platform_);
    }

    // The whole client on the stand-in's table (its skins linked in, the hall's start data naming
    // that table), with `tick` run on the UI thread every 20 ms, on a timer of a window of its own,
    // until it returns false; then the main window is asked to close.
    int RunAtTable(const standin::GameServer& server, const std::function<bool()>& tick)
    {
        ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (dir_ + "/game/skins").c_str());
        FakeHall hall(env_.hallAddress);
        hall.startData = StartData(1, 1);
        const std::string line = "79|127.0.0.1|0|5|0|1001|7|0|0|0|血流成河|" + std::to_string(server.Port()) + "|4|0|0";
        platform::WindowId checker = 0;
        auto check = [&](platform::WindowId, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message != platform::kMsgTimer)
                return 0;
            if (!tick()) {
                platform::StopTimer(checker, 1);
                platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
            }
            return 1;
        };
        platform_.runLoop = [&] {
            checker = platform::MakeWindow(check);
            platform::StartTimer(checker, 1, 20);
            const int code = platform::RunMessageLoop();
            platform::DestroyWindow(checker);
            return code;
        };
        return Run({line}, nullptr);
    }

    ClientEnvironment env_{"xl-startup-XXXXXX"};
    ClientPlatform& platform_ = env_.platform;
    std::string& dir_ = env_.dir;
    std::vector<std::string>& boxes_ = env_.boxes;
    platform::MessageBoxAnswer& answer_ = env_.answer;
};

const std::string kLine = "79|127.0.0.1|0|5|0|1001|7|0|0|0|血流成河|0|4|0|0";

// The built client under the stand-ins (tests/xueliu/scripts/whole_run.py); its JSON summary, or
// an empty text when the script failed.
std::string WholeRun(const std::string& dir, std::vector<std::string> options)
{
    options.insert(options.begin(), {std::string(XL_BINARY_DIR) + "/xueliu", dir});
    const xltest::Ran run = xltest::RunProgram(xltest::Python("tests/xueliu/scripts/whole_run.py", options));
    return run.Ok() ? run.out : std::string();
}

} // namespace

TEST_F(StartupTest, TheHallsStartDataLeadToTheEntryAndAHallThatGoesEndsTheClientWithoutAReport)
{
    FakeHall hall(env_.hallAddress);
    hall.startData = StartData();
    // The main window is built while the hall works on the web sign, and registered after it.
    std::atomic<bool> windowMade{false};
    auto makeWindow = platform_.makeWindow;
    platform_.makeWindow = [&](const platform::Rect& r) {
        windowMade = true;
        return makeWindow(r);
    };
    hall.holdWebSignUntil = [&] { return windowMade.load(); };
    FakeStartup server;
    std::chrono::steady_clock::time_point hungUp;
    server.onEnter = [&] {
        hungUp = std::chrono::steady_clock::now();
        hall.HangUp();
    };
    EXPECT_EQ(Run({kLine}, &server), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - hungUp, std::chrono::milliseconds(1500));

    EXPECT_EQ(server.calls, (std::vector<std::string>{"proxy", "encryption", "notify", "open:26283", "version",
                                                      "feature", "enter", "close"}));
    auto frames = hall.Frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[0].kind, platform::HallFrameKind::Hello);
    EXPECT_EQ(frames[0].payload[4], 0xE9); // user 1001
    bool registered = false, signed_ = false;
    for (const auto& f : frames) {
        registered = registered || (f.message == app_msg::kHallRegisterRoom && f.lparam == 7 && f.wparam != 0);
        signed_ = signed_ || (f.message == app_msg::kHallWebSign && f.lparam == 1);
        EXPECT_FALSE(IsExitReport(f)) << "the hall is gone: no exit report";
    }
    EXPECT_TRUE(registered);
    EXPECT_TRUE(signed_);
    EXPECT_TRUE(hall.heldUntilTrue) << "the window is built while the web sign is answered";
    EXPECT_FALSE(hall.sentWhileHeld) << "nothing reaches the hall before the web sign's answer";
}

TEST_F(StartupTest, AnUnreachableServerShowsItsTextThenReportsTheExitWithWindowZero)
{
    FakeHall hall(env_.hallAddress);
    FakeStartup server;
    server.open = false;
    EXPECT_EQ(Run({kLine}, &server), 1);
    EXPECT_EQ(server.calls.back(), "close");
    ASSERT_TRUE(hall.WaitFor(IsExitReport, 1000));
    for (const auto& f : hall.Frames()) {
        if (!IsExitReport(f))
            continue;
        hall::ExitReport report;
        ASSERT_TRUE(report.Assign(f.payload));
        EXPECT_EQ(f.message, 2u);
        EXPECT_EQ(report.U32(hall::ExitReport::kWindow), 0u);
        EXPECT_EQ(report.U32(hall::ExitReport::kUserId), 1001u);
        EXPECT_EQ(report.I32(hall::ExitReport::kField6), 7);
        EXPECT_EQ(report.U32(hall::ExitReport::kGameId), 79u);
    }
}

TEST_F(StartupTest, TestModeOpensNoSocketSendsNoRequestAndStartsTheTableItself)
{
    FakeHall hall(env_.hallAddress);
    FakeStartup server;
    int starts = 0;
    SetStartTableHook([&] {
        ++starts;
        platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
    });
    EXPECT_EQ(Run({"--test-mode=1"}, &server), 0);
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(hall.Accepted());
    EXPECT_EQ(server.calls, (std::vector<std::string>{"close"}));
    // The settings were written at the end.
    EXPECT_EQ(platform::IniFile(dir_ + "/game/qirn.ini").GetInt("GAMESET", "EffectVolume", -1), 50);
}

// With no usable machine folder (a read-only home) the client says so, and keeps the machine's
// settings nowhere rather than in the folder it was started in.
TEST_F(StartupTest, WithoutAUsableMachineFolderTheClientSaysSoAndWritesNothingWhereItStarted)
{
    const std::filesystem::path started = std::filesystem::current_path(), here = dir_ + "/here";
    std::filesystem::create_directory(here);
    std::filesystem::current_path(here);
    setenv("XL_MACHINE_DIR", "/proc/self/xueliu", 1);
    FakeStartup server;
    SetStartTableHook([] {
        GetMachineID(std::vector<platform::HardwareAddress>{}); // a new id, to be stored
        platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
    });
    EXPECT_EQ(Run({"--test-mode=1"}, &server), 0);
    std::filesystem::current_path(started);
    EXPECT_EQ(boxes_,
              std::vector<std::string>{"本机设置无法保存（无法写入 /proc/self/xueliu/），本次运行不会保留本机设置。"});
    EXPECT_TRUE(std::filesystem::is_empty(here));
}

TEST_F(StartupTest, AQuitRequestFromAnotherThreadClosesTheWindowOnTheUiThread)
{
    FakeHall hall(env_.hallAddress);
    FakeStartup server;
    SetStartTableHook([] { std::thread(RequestClientQuit).join(); });
    EXPECT_EQ(Run({"--test-mode=1"}, &server), 0);
    EXPECT_EQ(server.calls, (std::vector<std::string>{"close"}));
    EXPECT_EQ(platform::IniFile(dir_ + "/game/qirn.ini").GetInt("GAMESET", "EffectVolume", -1), 50);
}

TEST_F(StartupTest, TooFewFieldsAskToStartTheHallAndYesStartsIt)
{
    const std::string marker = dir_ + "/hall-started";
    const std::string exe = dir_ + "/hall.sh";
    std::ofstream(exe) << "#!/bin/sh\ntouch \"$(dirname \"$0\")/hall-started\"\n"; // the marker, beside it
    ::chmod(exe.c_str(), 0755);
    platform::IniFile(dir_ + "/machine/vemk.ini").WriteString("SYSTEM", "ExePath", exe);
    FakeStartup server;
    for (auto answer : {platform::MessageBoxAnswer::No, platform::MessageBoxAnswer::Yes}) {
        answer_ = answer;
        EXPECT_EQ(Run({"79|127.0.0.1|0|5|0|1001|7|0"}, &server), 1);
    }
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0], "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(frame2.0)");
    struct stat st;
    for (int i = 0; i < 200 && ::stat(marker.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(::stat(marker.c_str(), &st), 0) << "Yes starts the hall program";
    // An option that is not test mode is never a hall command line.
    EXPECT_EQ(Run({"--verbose"}, &server), 1);
    EXPECT_EQ(boxes_.size(), 3u);
}

TEST_F(StartupTest, WebSignsAnswerTheirOwnUserOnlyAndLateOrUnknownAnswersHarmNothing)
{
    FakeHall hall(env_.hallAddress);
    FakeStartup server;
    CGameApp app;
    app.SetNotifyGate(std::make_shared<NotifyGate>());
    app.SetArguments({kLine}, "xueliu");
    app.SetServerStartup(&server);
    app.SetPlatform(&platform_);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.GetWebSign(), "sign-1001-1");

    hall.webSignUser = 4711;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(app.GetWebSign(), "") << "an answer for another user wakes the wait with no sign";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    // An answer after its wait ended, and one naming no block the game sent: dropped, nothing
    // written anywhere.
    hall::WebSignAnswer late;
    late.SetU32(hall::WebSignAnswer::kUserId, 1001);
    late.SetText(hall::WebSignAnswer::kSign, 256, "late");
    for (uint32_t token : {1u, 0u, 99u, 0xFFFFFFFFu}) {
        late.SetU32(hall::WebSignAnswer::kToken, token);
        EXPECT_TRUE(app.OnWebSignAnswer(hall::EncryptHallData(late.bytes)));
    }
    EXPECT_TRUE(app.OnWebSignAnswer(std::vector<uint8_t>(15, 1))) << "not a whole block: refused";
    app.ExitInstance();
}

TEST(HallStandIn, StartsTheClientWhichReportsItsExitWhenNoServerAnswers)
{
    const xltest::TempFolder folder("xl-standin-XXXXXX");
    const std::string& dir = folder.Path();
    std::string out = WholeRun(dir, {"--no-server"});
    EXPECT_NE(out.find("\"status\": 1"), std::string::npos) << "the hall ends with its client's status\n" << out;
    EXPECT_NE(out.find("\"hello\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"exit_reports\": [{\"window\": 0, \"user_id\": 1001"), std::string::npos) << out;
    EXPECT_NE(out.find("\"errors\": []"), std::string::npos) << out;
}

TEST_F(StartupTest, UnderTheRealHallStandInTheClientRegistersTakesTheStartDataAndEndsWhenTheHallGoes)
{
    // The stand-in listens; the client runs here with a fake connection, so no server is needed.
    std::string record = dir_ + "/record.jsonl";
    xltest::ReadingProgram hall(
        xltest::Python("tools/hall/hall.py",
                       {"--listen-only", "--run-dir", dir_ + "/run", "--record", record, "--hang-up-after", "0.3"}));
    ASSERT_TRUE(hall.Out());
    char path[512] = {};
    ASSERT_TRUE(std::fgets(path, sizeof path, hall.Out()));
    std::string socketPath(path);
    socketPath.erase(socketPath.find_last_not_of('\n') + 1);
    setenv("XL_HALL_SOCKET", socketPath.c_str(), 1);
    FakeStartup server;
    EXPECT_EQ(Run({"79|127.0.0.1|0|297489|0|1001|0|0|0|0|血流成河|26283|4|0|0"}, &server), 0);
    EXPECT_EQ(hall.Close(), 0);
    EXPECT_EQ(server.calls, (std::vector<std::string>{"proxy", "encryption", "notify", "open:26283", "version",
                                                      "feature", "enter", "close"}));
    std::ifstream in(record);
    std::string line, all;
    while (std::getline(in, line))
        all += line + "\n";
    for (const char* seen : {"\"event\": \"hello\"", "\"message\": \"0x9105\"", "\"message\": \"0x910c\"",
                             "\"event\": \"hang-up\""})
        EXPECT_NE(all.find(seen), std::string::npos) << seen << "\n" << all;
    EXPECT_EQ(all.find("exit_report"), std::string::npos) << "no exit report to a hall that went";
}

TEST(WholeClient, BetweenBothStandInsItEntersTheTableAndEndsSoonAfterTheHallGoes)
{
    const xltest::TempFolder folder("xl-whole-XXXXXX");
    const std::string& dir = folder.Path();
    std::string out = WholeRun(dir, {});
    EXPECT_NE(out.find("\"status\": 0"), std::string::npos) << out;
    EXPECT_NE(out.find("\"posts\": [\"0x910c\", \"0x9105\"]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"client_share\": "), std::string::npos) << "the start-up trace reaches the first table frame";
    for (const char* id : {"\"id\": 201001", "\"id\": 201308", "\"id\": 200110"})
        EXPECT_NE(out.find(id), std::string::npos) << id << "\n" << out;
    EXPECT_NE(out.find("\"errors\": []"), std::string::npos) << out;
    auto at = out.find("\"gone_to_end\": ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(std::stod(out.substr(at + 15)), 1.5) << "a hall that goes ends the client within 1.5 s";
}

namespace {

int HandsPlayed(const standin::GameServer& server)
{
    const std::string state = server.Command(R"({"op":"table"})");
    const size_t at = state.find("\"hands_played\": ");
    return at == std::string::npos ? -1 : std::atoi(state.c_str() + at + 16);
}

} // namespace

// A whole hand in-process against the game-server stand-in's table (three robots, the own chair
// played by the server at once): after the result the scene's table is the server's: missing
// suits, win counts, the own final hand, no thrown tile left in the middle, the result board
// open, and no notification refused.
TEST_F(StartupTest, AWholeHandAgainstRobotsEndsWithTheServersTable)
{
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--fast", "--autoplay-human", "--hands", "0", "--seed", "3"});
    // The check runs on the UI thread once the server has finished the hand and the scene has
    // taken the result.
    std::vector<std::vector<int>> seen;
    bool ended = false, boardOpen = false, middleEmpty = false;
    std::string diagnosis;
    std::atomic<bool> handDone{false};
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    auto check = [&] {
        auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
        const bool over = handDone && scene && scene->Phase() == CMyGame::kPhaseEnded;
        if (!over && std::chrono::steady_clock::now() < giveUp)
            return true;
        diagnosis = scene ? "phase " + std::to_string(scene->Phase()) : "no scene";
        if (over) {
            ended = true;
            boardOpen = scene->OpenBoardKind() == CMyGame::kBoardResult;
            middleEmpty = std::all_of(scene->thrown.begin(), scene->thrown.end(), [](auto* t) { return !t; });
            for (int chair = 0; chair < 4; ++chair)
                seen.push_back({scene->MissingSuit(chair), scene->WinCount(chair)});
            std::vector<int> own = scene->OwnHandTiles();
            std::sort(own.begin(), own.end());
            seen[0].insert(seen[0].end(), own.begin(), own.end());
        }
        return false;
    };
    std::thread watcher([&] {
        // The hand is dealt once the client has entered.
        server.AwaitRequests(200110, 1);
        server.Command(R"({"op":"play","hands":1})");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (HandsPlayed(server) < 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        handDone = true;
    });
    EXPECT_EQ(RunAtTable(server, check), 0);
    watcher.join();

    for (const auto& box : boxes_)
        ADD_FAILURE() << "box: " << box;
    ASSERT_TRUE(ended) << "the result did not reach the scene: " << diagnosis << " "
                       << xltest::Refusals(server, dir_ + "/game/");
    EXPECT_TRUE(boardOpen);
    EXPECT_TRUE(middleEmpty) << "a thrown tile was left in the middle";
    const auto seats = tablerun::ServerSeats(server, dir_);
    ASSERT_EQ(seats.size(), 4u);
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(seen[size_t(chair)][0], seats[size_t(chair)].missing) << "missing suit of chair " << chair;
        EXPECT_EQ(seen[size_t(chair)][1], seats[size_t(chair)].wins) << "wins of chair " << chair;
    }
    std::vector<int> own{seats[0].missing, seats[0].wins};
    own.insert(own.end(), seats[0].hand.begin(), seats[0].hand.end());
    EXPECT_EQ(seen[0], own) << "the own final hand; the client's requests: "
                                 << server.Command(R"({"op":"state"})").substr(0, 3000);
    EXPECT_TRUE(server.Requests(201162).empty()) << xltest::Refusals(server, dir_ + "/game/");
    EXPECT_EQ(server.Errors(), "[]");
}

// An ordinary room as a person meets it: the stand-in plays the three robots and waits for the
// own chair's start. The entry's answer (210200) alone shows the four seat panels and the start
// button; the client sends no start by itself; a click on the button through the window's input
// sends 201165 with the own chair, and the button goes.
TEST_F(StartupTest, AnOrdinaryRoomsEntryShowsTheSeatsAndTheStartButtonWhoseClickSendsTheStart)
{
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json", "--play",
                                "--fast", "--hands", "0", "--seed", "3"});
    platform::HeadlessWindow* window = nullptr;
    platform_.makeWindow = [&](const platform::Rect& r) {
        auto made = std::make_unique<platform::HeadlessWindow>(r);
        window = made.get();
        return made;
    };

    enum class Step { AwaitButton, AwaitStart } step = Step::AwaitButton;
    std::vector<std::string> panels;
    bool sentBeforeClick = false, buttonGone = false, ownReady = false;
    std::vector<std::string> starts;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto check = [&] {
        auto* scene = dynamic_cast<CMyGame*>(GetGameWinApp() ? GetGameWinApp()->GetMainGame() : nullptr);
        auto* start = scene ? scene->buttons[CMyGame::kBtnStart] : nullptr;
        const bool late = std::chrono::steady_clock::now() > giveUp;
        if (step == Step::AwaitButton && start && start->IsActive() && window) {
            // Give the server time to take a start the client should not have sent.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sentBeforeClick = !server.Requests(201165).empty() || !server.Requests(201160).empty();
            for (auto* panel : scene->players)
                panels.push_back(panel && panel->IsActive() ? panel->GetUser().name : "-");
            const int x = int(start->GetX()), y = int(start->GetY());
            window->InjectMouseMove(x, y);
            window->InjectMouseDown(platform::MouseButton::Left, x, y, platform::TickCount());
            window->InjectMouseUp(platform::MouseButton::Left, x, y, platform::TickCount());
            step = Step::AwaitStart;
            return true;
        }
        if (step == Step::AwaitStart) {
            starts = server.Requests(201165);
            if (starts.empty() && !late)
                return true;
            buttonGone = start && !start->IsActive();
            ownReady = scene && scene->players[Lumora::kOwnSeat] && scene->players[Lumora::kOwnSeat]->IsReady();
        } else if (!late) {
            return true;
        }
        return false;
    };
    EXPECT_EQ(RunAtTable(server, check), 0);

    for (const auto& box : boxes_)
        ADD_FAILURE() << "box: " << box;
    ASSERT_EQ(panels.size(), 4u) << "the start button never showed";
    for (const auto& name : panels)
        EXPECT_NE(name, "-") << "a seat panel is hidden";
    EXPECT_FALSE(sentBeforeClick) << "the client started by itself";
    ASSERT_EQ(starts.size(), 1u) << "the click sent no start";
    const std::vector<uint8_t> head = standin::GameServer::FromHex(starts[0]);
    ASSERT_GE(head.size(), 16u);
    EXPECT_EQ(head[0] | head[1] << 8, 1001) << "the own user";
    EXPECT_EQ(head[12], 0) << "the own chair";
    EXPECT_TRUE(buttonGone);
    EXPECT_TRUE(ownReady);
    EXPECT_EQ(server.Errors(), "[]");
}
