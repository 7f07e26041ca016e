// The real client, started by the hall stand-in, against the game-server stand-in on loopback:
// it connects through the greeting and the AES stage, passes the version check, reads the
// feature configuration and enters the game (200110 answered by 210200), and the stand-in
// finds every byte of every request as its layout says. The rigs' own promises: the stand-in's
// port is its own, and the programs they start end with a test that is killed. The run command
// (tools/run.sh --headless) under a TMPDIR of over 150 characters holding a space and a quote,
// where no socket path fits: two at once each play a hand on a port of their own, and one killed
// outright leaves none of its programs.
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

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
    char serverFolder[512];
    char hallFolder[512];
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

// The processes below `root` now, by name.
std::multimap<std::string, pid_t> Descendants(pid_t root)
{
    std::istringstream ps(xltest::RunProgram({"ps", "-e", "-o", "pid=,ppid=,comm="}).out);
    std::multimap<pid_t, std::pair<pid_t, std::string>> children;
    for (pid_t pid, parent; ps >> pid >> parent;)
        if (std::string name; std::getline(ps >> std::ws, name))
            children.emplace(parent, std::pair(pid, name));
    std::multimap<std::string, pid_t> out;
    for (std::vector<pid_t> todo{root}; !todo.empty();) {
        const auto [at, end] = children.equal_range(todo.back());
        todo.pop_back();
        for (auto it = at; it != end; ++it)
            out.emplace(it->second.second, it->second.first), todo.push_back(it->second.first);
    }
    return out;
}

// Two runs at once, or one killed.
class RunScript : public testing::TestWithParam<bool> {};

TEST_P(RunScript, UnderALongTmpdirItPlaysItsHandOrEndsAllItStarted)
{
    const xltest::TempFolder folder("xl-runsh-XXXXXX");
    const std::string temp = folder.Path() + "/a 'b' " + std::string(150, 'x');
    std::filesystem::create_directories(temp);
    std::vector<pid_t> runs;
    for (int i = 0; i < (GetParam() ? 1 : 2); ++i) {
        const std::string logs = temp + "/logs" + std::to_string(i), out = logs + ".out";
        std::vector<std::string> env = xltest::EnvironmentWith(
            {"TMPDIR=" + temp, "XL_RUN_BUILD=" XL_BINARY_DIR, "XL_SKIP_SETUP=1", "XL_RUN_LOGS=" + logs,
             "XL_ARTIFACTS=" + logs + "-shots", "XL_RUN_TIMEOUT=" + std::to_string(xltest::PacedSeconds(120))});
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        runs.push_back(xltest::SpawnTied({"/bin/bash", XL_SOURCE_DIR "/tools/run.sh", "--headless"}, envp.data(), [&] {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
        }));
    }
    auto said = [&](size_t i) {
        std::ifstream in(temp + "/logs" + std::to_string(i) + ".out");
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    if (GetParam()) {
        // Once the client runs, so do the X server, both stand-ins and the pauser.
        std::multimap<std::string, pid_t> started;
        using Clock = std::chrono::steady_clock;
        for (const auto deadline = Clock::now() + std::chrono::seconds(xltest::PacedSeconds(120));
             !started.count("xueliu") && Clock::now() < deadline; started = Descendants(runs[0]))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_TRUE(started.count("xueliu")) << "the client never started\n" << said(0);
        ::kill(runs[0], SIGKILL);
        ::waitpid(runs[0], nullptr, 0);
        xltest::Reaped(runs[0]);
        runs.clear();
        for (const auto& [name, pid] : started)
            if (!Ends(pid, xltest::PacedSeconds(15)))
                ADD_FAILURE() << name << " " << pid << " outlived run.sh", ::kill(pid, SIGKILL);
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        int status = -1;
        ::waitpid(runs[i], &status, 0);
        xltest::Reaped(runs[i]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << i << ":\n" << said(i);
    }
}

// In real time under Xvfb, like the whole-client screens.
INSTANTIATE_TEST_SUITE_P(Screens, RunScript, testing::Bool(),
                         [](const auto& c) { return c.param ? "OneKilled" : "TwoAtOnce"; });

} // namespace
