// A test process told to end ends its rigs' programs and removes their folders (made in TMPDIR, the
// suite's own temporary folder) before it dies of the signal (tests/support/RigRegistry.h); one
// killed outright leaves nothing either, nor does a rig that ends normally. Each runs under a
// plain TMPDIR, under one with a space, beside a folder named as its first word, which a path
// pasted unquoted into a shell command would name instead ("<x>/decoy space" beside "<x>/decoy"),
// and under one of over 150 characters holding a quote, where no socket path fits (the
// game-server stand-in's control socket must answer there).
#include "platform/Process.h"
#include "tests/support/GameServerStandIn.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The rows' TMPDIR names: the second one's first word is the decoy beside it.
const std::string kTempNames[] = {"suite", "decoy space", "decoy 'quoted' " + std::string(140, 'x')};

// A folder holding the decoy (with a file) and the TMPDIR named `name`, empty. Not registered: a
// forked test process would remove it with its own.
struct TempBesideDecoy {
    explicit TempBesideDecoy(const std::string& name) : outer(xltest::TempPattern("xl-suite-XXXXXX"))
    {
        if (!::mkdtemp(outer.data()))
            outer = "/nonexistent";
        fs::create_directories(outer + "/decoy");
        std::ofstream(outer + "/decoy/keep") << "mine\n";
        temp = outer + "/" + name;
        fs::create_directories(temp);
    }
    ~TempBesideDecoy()
    {
        std::error_code ignored;
        fs::remove_all(outer, ignored);
    }
    void ExpectOnlyTheDecoyIsLeft() const
    {
        std::error_code ec;
        EXPECT_TRUE(fs::exists(outer + "/decoy/keep")) << "the decoy beside " << temp << " went";
        EXPECT_TRUE(fs::is_empty(temp, ec) && !ec) << temp << " is gone or holds something";
    }
    std::string outer, temp;
};

} // namespace

TEST(RigRegistry, ATestToldToEndEndsItsProgramsAndRemovesItsFoldersAndDiesOfTheSignal)
{
    for (const std::string& name : kTempNames) {
        SCOPED_TRACE(name);
        struct Made {
            pid_t program;
            char path[512];
        } made{};
        const TempBesideDecoy suite(name);
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t test = ::fork();
        if (test == 0) {
            // The test process: a folder with a file in it and a program started, then it waits.
            ::close(channel[0]);
            ::setenv("TMPDIR", suite.temp.c_str(), 1);
            xltest::TempFolder folder("xl-rig-XXXXXX");
            std::ofstream(folder.Path() + "/GameRun.log") << "a line\n";
            made.program = xltest::SpawnTied({"/bin/sleep", "60"});
            folder.Path().copy(made.path, sizeof made.path - 1);
            if (::write(channel[1], &made, sizeof made) != sizeof made)
                ::_exit(2);
            for (;;)
                ::pause();
        }
        ::close(channel[1]);
        ASSERT_EQ(::read(channel[0], &made, sizeof made), ssize_t(sizeof made));
        ::close(channel[0]);
        ASSERT_TRUE(fs::exists(fs::path(made.path) / "GameRun.log"));
        EXPECT_TRUE(std::string(made.path).starts_with(suite.temp + "/xl-rig-")) << made.path;

        ASSERT_EQ(::kill(test, SIGTERM), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(test, &status, 0), test);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
        EXPECT_FALSE(fs::exists(made.path)) << made.path;
        // The program was collected by the test as it went: nothing by its number runs.
        EXPECT_NE(::kill(made.program, 0), 0) << "the program " << made.program << " still runs";
        suite.ExpectOnlyTheDecoyIsLeft();
    }
}

// ctest's time-out kills the test and every program under it at once (SIGKILL, no handler runs):
// the keeper removes the test process's own folder, with its rigs' folders, after it.
TEST(RigRegistry, ATestKilledByItsTimeOutLeavesNothing)
{
    if (std::getenv("XL_RIG_HOLD")) { // the killed test process, started by the rows below
        xltest::TempFolder folder("xl-rig-XXXXXX");
        std::ofstream(folder.Path() + "/GameRun.log") << "a line\n";
        xltest::SpawnTied({"/bin/sleep", "60"});
        const std::string line = folder.Path() + "\n";
        if (::write(3, line.data(), line.size()) != ssize_t(line.size()))
            ::_exit(2);
        for (;;)
            ::pause();
    }
    for (const std::string& name : kTempNames) {
        SCOPED_TRACE(name);
        const TempBesideDecoy suite(name);
        const std::string own = std::getenv("TMPDIR"); // this process's folder
        ::setenv("TMPDIR", suite.temp.c_str(), 1), ::setenv("XL_RIG_HOLD", "1", 1);
        int report[2];
        ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
        const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        const pid_t test =
            xltest::SpawnTied({"/proc/self/exe", "--gtest_filter=RigRegistry.ATestKilledByItsTimeOutLeavesNothing"},
                              nullptr, [&] { ::dup2(report[1], 3), ::dup2(quiet, 1); });
        ::close(report[1]), ::close(quiet);
        ::setenv("TMPDIR", own.c_str(), 1), ::unsetenv("XL_RIG_HOLD");
        char path[512] = {};
        FILE* in = ::fdopen(report[0], "r");
        ASSERT_TRUE(std::fgets(path, sizeof path, in));
        std::fclose(in);
        const std::string made(path, std::strcspn(path, "\n"));
        EXPECT_TRUE(made.starts_with(suite.temp + "/xl-")) << made;
        EXPECT_TRUE(fs::exists(made + "/GameRun.log")) << made;

        for (const pid_t program : xltest::RigRegistry::Children(test))
            ::kill(program, SIGKILL);
        ::kill(test, SIGKILL);
        ASSERT_EQ(::waitpid(test, nullptr, 0), test);
        xltest::Reaped(test);
        std::error_code ec;
        for (int tick = 0; tick < 500 && !fs::is_empty(suite.temp, ec); ++tick)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        suite.ExpectOnlyTheDecoyIsLeft();
    }
}

// A program the client starts (as the client starts it: a process group of its own, collected
// by the client) ends, with what it started, before a rig's folder goes: it writes nothing there.
TEST(RigRegistry, ProgramsStartedSinceARigBeganEndBeforeItsFolderGoes)
{
    const xltest::TempFolder folder("xl-rig-XXXXXX");
    const std::vector<pid_t> before = xltest::RigRegistry::Children();
    const std::string late = folder.Path() + "/late";
    ASSERT_TRUE(platform::StartProcess("/bin/sh", {"-c", "sleep 0.3; touch \"$0\"", late}));
    xltest::RigRegistry::EndChildrenBut(before);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(fs::exists(late));
}

TEST(RigRegistry, ARigThatEndsRemovesItsFolderAndItsProgramsTakeEachPathAsOneArgument)
{
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    for (const std::string& name : kTempNames) {
        SCOPED_TRACE(name);
        const TempBesideDecoy suite(name);
        ::setenv("TMPDIR", suite.temp.c_str(), 1);
        {
            const standin::GameServer server;
            EXPECT_NE(server.Port(), 0) << "no answer on the control socket";
            // A variable given replaces the inherited one (getenv takes the first of two).
            EXPECT_EQ(xltest::RunProgram({"printenv", "TMPDIR"}, {{"TMPDIR=given"}, {}, {}, false, false}).out,
                      "given\n");
            const xltest::TempFolder folder("xl-rig-XXXXXX");
            const std::string log = folder.Path() + "/Game Run.log", copy = folder.Path() + "/a copy";
            std::ofstream(log) << "a line\n";
            EXPECT_TRUE(xltest::RunProgram({"cp", log, copy}).Ok());
            EXPECT_EQ(xltest::RunProgram({"cat", copy}).out, "a line\n");
            EXPECT_EQ(xltest::RunProgram({"cat"}, {{}, copy, {}, false, false}).out, "a line\n");
            xltest::ReadingProgram reading({"/bin/cat", log});
            char line[64] = {};
            ASSERT_TRUE(reading.Out() && std::fgets(line, sizeof line, reading.Out()));
            EXPECT_STREQ(line, "a line\n");
            EXPECT_EQ(reading.Close(), 0);
        }
        suite.ExpectOnlyTheDecoyIsLeft();
    }
    old ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
}
