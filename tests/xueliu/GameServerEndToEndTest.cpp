// The real client, started by the hall stand-in, against the game-server stand-in on loopback:
// it connects through the greeting and the AES stage, passes the version check, reads the
// feature configuration and enters the game (200110 answered by 210200), and the stand-in
// finds every byte of every request as its layout says. The rigs' own promises: the stand-in's
// port is its own, and the programs they start end with a test that is killed.
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(GameServerEndToEnd, ClientStartedByTheHallChecksTheVersionAndEnters)
{
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"});
    xltest::HallRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    // The hall goes, which ends the client.
    run.HangUp();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(server.Requests(201001).size(), 1u);
    ASSERT_EQ(server.Requests(201308).size(), 1u);
    ASSERT_EQ(server.Requests(200110).size(), 1u);
    EXPECT_EQ(server.Requests(200110)[0].substr(0, 8), "e9030000"); // user 1001
    EXPECT_EQ(server.Errors(), "[]");
}

// The stand-in binds port 0 itself and tells the port it got: no port is picked and let go first.
TEST(TestRigs, TheStandInListensOnThePortItReports)
{
    standin::GameServer server;
    ASSERT_NE(server.Port(), 0);
    EXPECT_NE(server.Command(R"({"op":"state"})").find("\"port\": " + std::to_string(server.Port()) + ","),
              std::string::npos);
}

// Ended, or a zombie that nobody reaps (the test's killed process was its parent).
bool Ends(pid_t pid, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

// What the killed test tells of its rigs.
struct Started {
    pid_t pids[4];
    char serverFolder[64];
    char hallFolder[64];
};

// A test killed outright (no destructor runs) leaves none of the programs its rigs started: the
// stand-in, the hall and the client it started, the X server.
TEST(TestRigs, TheRigsProgramsEndWithATestThatIsKilled)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t test = fork();
    if (test == 0) {
        close(fds[0]);
        standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"});
        xltest::HallRun run(server, {});
        xltest::XvfbSession xvfb;
        run.WaitForRecord("client-started");
        Started started{{server.Pid(), run.HallPid(), run.ClientPid(), xvfb.Pid()}, {}, {}};
        server.Folder().copy(started.serverFolder, sizeof started.serverFolder - 1);
        run.Folder().copy(started.hallFolder, sizeof started.hallFolder - 1);
        if (write(fds[1], &started, sizeof started) == ssize_t(sizeof started))
            pause();
        _exit(1);
    }
    close(fds[1]);
    Started started{};
    const ssize_t got = read(fds[0], &started, sizeof started);
    close(fds[0]);
    kill(test, SIGKILL);
    waitpid(test, nullptr, 0);
    ASSERT_EQ(got, ssize_t(sizeof started));
    const char* names[] = {"stand-in", "hall", "client", "Xvfb"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_GT(started.pids[i], 0) << names[i];
        EXPECT_TRUE(Ends(started.pids[i], 15)) << names[i];
    }
    // What no destructor removed.
    std::filesystem::remove_all(started.serverFolder);
    std::filesystem::remove_all(started.hallFolder);
}

} // namespace
