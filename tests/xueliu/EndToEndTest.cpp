// The real program, started by the hall stand-in against the game-server stand-in on loopback
// (no display: SDL's dummy video): start, hello, registration, start data, the table start and
// the entry; a refused notification reported with 201162 while the relay goes on; and the end
// paths: the window closed (by the signal that closes it as the player would: 201130, 201125,
// the exit report, status 0), the hall gone (status 0, no report), the server's
// connection dropped and then the window closed (report, status 0), a player's leaving told by
// the hall (the close 3 s later); and under Xvfb the frame on the screen and a window manager's
// close.
#include "tests/support/GameServerStandIn.h"
#include "tests/support/HallRun.h"
#include "tests/support/Refusals.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using ClientRun = xltest::HallRun;

// The first line a command prints.
std::string FirstLine(const std::string& command)
{
    std::string line;
    if (FILE* out = popen(command.c_str(), "r")) {
        char c;
        while (fread(&c, 1, 1, out) == 1 && c != '\n')
            line += c;
        pclose(out);
    }
    return line;
}

std::string Table() { return std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"; }

uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset)
{
    return offset + 4 <= bytes.size() ? uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
                                            uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24
                                      : 0xFFFFFFFF;
}

TEST(EndToEnd, EntryReportOfARefusedNotificationAndTheWindowClosed)
{
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    EXPECT_TRUE(run.WaitForRecord("\"message\": \"0x9105\""));
    EXPECT_EQ(server.Requests(201001).size(), 1u);

    // A line, then a record too short for its handler: one report, and the relay goes on.
    server.Command(R"({"op":"push","id":211230,"hex":""})");
    server.Command(R"({"op":"push","id":201213,"hex":"0102030405"})");
    const auto reports = server.AwaitRequests(201162, 1);
    ASSERT_EQ(reports.size(), 1u);
    const std::vector<uint8_t> report = standin::GameServer::FromHex(reports[0]);
    EXPECT_EQ(report.size(), 56u);
    EXPECT_EQ(Word(report, 20), 201213u);
    EXPECT_EQ(Word(report, 24), 0u);
    EXPECT_EQ(Word(report, 28), 5u);
    EXPECT_EQ(Word(report, 36), 211230u);  // the notification before it
    EXPECT_EQ(Word(report, 44), 0u);
    // The reason stays in the run log, for a failed test to name.
    const std::string refusals = xltest::Refusals(server, run.Folder() + "/run/game/");
    EXPECT_NE(refusals.find("refused notification 201213: needs"), std::string::npos) << refusals;

    const pid_t client = run.ClientPid();
    ASSERT_GT(client, 0);
    const auto closed = Clock::now();
    kill(client, SIGTERM);
    EXPECT_EQ(run.Wait(), 0);
    // Two seconds on a quiet machine; a loaded one running the sanitized client gets much slack.
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(20));
    EXPECT_EQ(server.Requests(201130).size(), 1u);
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    const std::string record = run.Record();
    EXPECT_NE(record.find("\"exit_report\": {\"window\": "), std::string::npos) << record;
    EXPECT_EQ(record.find("\"error\""), std::string::npos) << record;
}

TEST(EndToEnd, HallGoneEndsTheClientWithoutAReport)
{
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    run.HangUp();
    ASSERT_TRUE(run.WaitForRecord("\"hang-up\""));
    const auto hungUp = Clock::now();
    EXPECT_EQ(run.Wait(), 0);
    // 1.5 s on a quiet machine; a loaded one running the sanitized client gets much slack.
    EXPECT_LT(Clock::now() - hungUp, std::chrono::seconds(10));
    EXPECT_EQ(run.Record().find("exit_report"), std::string::npos);
}

TEST(EndToEnd, ConnectionDroppedThenWindowClosed)
{
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    server.Command(R"({"op":"drop"})");
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (server.Command(R"({"op":"state"})").find("\"sessions\": 0") == std::string::npos && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Closing now sends nothing to the server and still reports the exit.
    const auto closed = Clock::now();
    kill(run.ClientPid(), SIGTERM);
    EXPECT_EQ(run.Wait(), 0);
    // A close that comes before the client saw the drop waits out the playing query (5 s); a
    // loaded machine gets slack.
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(5 + 15));
    EXPECT_TRUE(server.Requests(201125).empty());
    EXPECT_NE(run.Record().find("\"exit_report\""), std::string::npos);
}

TEST(EndToEnd, PlayerLeftInTheHallEndsTheGameAfterThreeSeconds)
{
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {"--send", "6@0.5"});
    ASSERT_EQ(server.AwaitRequests(201120, 1).size(), 1u) << run.Record();
    const auto quit = Clock::now();
    EXPECT_EQ(run.Wait(), 0);
    const auto waited = Clock::now() - quit;
    EXPECT_GE(waited, std::chrono::milliseconds(2900));
    EXPECT_LT(waited, std::chrono::seconds(3 + 15));  // slack for a loaded machine
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    EXPECT_NE(run.Record().find("\"dwData\": 2"), std::string::npos);
}

// The client's window of that size ("WxH"), looked for until it appears or the time is up.
std::string WindowOfSize(const std::string& display, const std::string& pid, const char* size, int seconds)
{
    const std::string x = "DISPLAY=" + display + " ";
    std::string window;
    for (const auto deadline = Clock::now() + std::chrono::seconds(seconds); window.empty() && Clock::now() < deadline;) {
        window = FirstLine("for w in $(" + x + "xdotool search --pid " + pid + " 2>/dev/null); do " + x +
                           "xdotool getwindowgeometry $w | grep -q 'Geometry: " + size + "' && echo $w; done");
        if (window.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (window.empty())  // what there was instead, for the failure message
        std::system(("for w in $(" + x + "xdotool search --pid " + pid + "); do " + x + "xdotool getwindowgeometry $w; " +
                     x + "xdotool getwindowname $w; done 1>&2; " + x + "xdotool search --name . 1>&2")
                        .c_str());
    return window;
}

// What is on the display, and the client's state, for a window that did not appear.
std::string Windows(const std::string& display, const std::string& pid)
{
    const std::string x = "DISPLAY=" + display + " ";
    std::string all;
    if (FILE* out = popen(("for w in $(" + x + "xdotool search --name '' 2>/dev/null); do echo $w $(" + x +
                           "xdotool getwindowpid $w 2>&1) $(" + x + "xdotool getwindowname $w) $(" + x +
                           "xdotool getwindowgeometry $w | tail -1); done; ps -o pid,stat,args -p " + pid)
                              .c_str(),
                          "r")) {
        char buffer[256];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, out)) > 0;)
            all.append(buffer, n);
        pclose(out);
    }
    return all;
}

TEST(EndToEnd, UnderXvfbTheFrameFillsTheScreenAndClosingItLeavesTheTable)
{
    xltest::XvfbSession xvfb;
    if (!xvfb.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {}, {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin"});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    const std::string pid = std::to_string(run.ClientPid());
    // The main window fills the work area (the wait dialog is a small one); the sanitized client
    // may take a while to show it.
    const std::string window = WindowOfSize(xvfb.Display(), pid, "1024x768", 60);
    ASSERT_FALSE(window.empty()) << "no window of 1024 x 768 of process " << pid << "; on the display:\n"
                                 << Windows(xvfb.Display(), pid);
    EXPECT_TRUE(xltest::Screenshot("frame_window.png", 1024, 768).has_value());

    // The close a window manager sends.
    const auto closed = Clock::now();
    EXPECT_EQ(xltest::RunProgram(xltest::Python("tests/xueliu/scripts/close_window.py", {window}),
                                 {{"DISPLAY=" + xvfb.Display()}, {}, {}, false, false})
                  .status,
              0);
    EXPECT_EQ(run.Wait(), 0);
    // Two seconds on a quiet machine; a loaded one running the sanitized client gets much slack.
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(20));
    EXPECT_EQ(server.Requests(201130).size(), 1u);
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    EXPECT_NE(run.Record().find("\"dwData\": 2"), std::string::npos);
}

TEST(EndToEnd, UnderXvfbTheTitleButtonsRestoreTheWindowAndCloseIt)
{
    xltest::XvfbSession xvfb;
    if (!xvfb.Ok())
        GTEST_SKIP() << "Xvfb, xdotool or import is missing";
    standin::GameServer server({"--table", Table()});
    ClientRun run(server, {}, {"DISPLAY=" + xvfb.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "PATH=/usr/bin:/bin"});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    const std::string pid = std::to_string(run.ClientPid());
    const std::string x = "DISPLAY=" + xvfb.Display() + " ";
    ASSERT_FALSE(WindowOfSize(xvfb.Display(), pid, "1024x768", 60).empty()) << Windows(xvfb.Display(), pid);
    // The fit button (24 pixels wide, second from the right, 4 pixels in) restores 800 x 600
    // on a 1024-pixel work area; the close button then ends the client the ordinary way.
    EXPECT_EQ(std::system((x + "xdotool mousemove 984 13 click 1").c_str()), 0);
    const std::string restored = WindowOfSize(xvfb.Display(), pid, "800x600", 20);
    ASSERT_FALSE(restored.empty()) << "not restored";
    // The frame's own window keeps to 800 x 600 at least: too narrow only, it takes its width back.
    EXPECT_EQ(std::system((x + "xdotool windowsize " + restored + " 640 700").c_str()), 0);
    EXPECT_FALSE(WindowOfSize(xvfb.Display(), pid, "800x700", 20).empty()) << Windows(xvfb.Display(), pid);
    EXPECT_TRUE(xltest::Screenshot("frame_restored.png", 1024, 768).has_value());
    EXPECT_EQ(std::system((x + "xdotool mousemove " + std::to_string(100 + 800 - 16) + " 113 click 1").c_str()), 0);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(server.Requests(201125).size(), 1u);
    EXPECT_NE(run.Record().find("\"dwData\": 2"), std::string::npos);
}

} // namespace

namespace {

// The table's count of finished hands, or -1 without a table.
int HandsPlayed(const standin::GameServer& server)
{
    const std::string state = server.Command(R"({"op":"table"})");
    const size_t at = state.find("\"hands_played\": ");
    return at == std::string::npos ? -1 : std::atoi(state.c_str() + at + 16);
}

} // namespace

// The real program through two whole hands against three robots (the own chair played by the
// server at once): every notification taken, every request as its layout says, the client
// still running after the second result, and its close leaving the table.
TEST(EndToEnd, TwoWholeHandsAgainstRobots)
{
    standin::GameServer server(
        {"--table", Table(), "--play", "--fast", "--autoplay-human", "--hands", "0", "--seed", "5"});
    ClientRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    server.Command(R"({"op":"play","hands":2})");
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (HandsPlayed(server) < 2 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(HandsPlayed(server), 2);
    EXPECT_TRUE(server.Requests(201162).empty()) << xltest::Refusals(server, run.Folder() + "/run/game/");
    EXPECT_EQ(server.Errors(), "[]");
    const pid_t client = run.ClientPid();
    ASSERT_GT(client, 0);
    ASSERT_EQ(kill(client, 0), 0) << "the client ended during the hands";
    kill(client, SIGTERM);
    EXPECT_EQ(run.Wait(20), 0);
}
