// A test process told to end ends its rigs' programs and removes their folders (made in TMPDIR, the
// suite's own temporary folder) before it dies of the signal (tests/support/RigRegistry.h); a rig
// that ends normally leaves nothing either. Each runs under a plain TMPDIR, under one with a
// space, beside a folder named as its first word, which a path pasted unquoted into a shell
// command would name instead ("<x>/decoy space" beside "<x>/decoy"), and under one of over 150
// characters holding a quote, where no socket path fits (the game-server stand-in's control
// socket must answer there).
#include "tests/support/GameServerStandIn.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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
