// A test process told to end ends its rigs' programs and removes their folders (made in TMPDIR, the
// suite's own temporary folder) before it dies of the signal (tests/support/RigRegistry.h).
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

TEST(RigRegistry, ATestToldToEndEndsItsProgramsAndRemovesItsFoldersAndDiesOfTheSignal)
{
    struct Made {
        pid_t program;
        char path[128];
    } made{};
    const xltest::TempFolder suite("xl-suite-XXXXXX");
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t test = ::fork();
    if (test == 0) {
        // The test process: a folder with a file in it and a program started, then it waits.
        ::close(channel[0]);
        ::setenv("TMPDIR", suite.Path().c_str(), 1);
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
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(made.path) / "GameRun.log"));
    EXPECT_TRUE(std::string(made.path).starts_with(suite.Path() + "/xl-rig-")) << made.path;

    ASSERT_EQ(::kill(test, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(test, &status, 0), test);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    EXPECT_FALSE(std::filesystem::exists(made.path)) << made.path;
    // The program was collected by the test as it went: nothing by its number runs.
    EXPECT_NE(::kill(made.program, 0), 0) << "the program " << made.program << " still runs";
}
