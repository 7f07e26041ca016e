// SIGTERM reaches the program's callback on the watcher thread, and a program started afterwards
// still dies of SIGTERM (the watcher must not leave the quit signals blocked for children).
#include "platform/QuitSignals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

TEST(QuitSignals, TermRunsTheCallbackAndChildrenStillDieOfIt)
{
    static std::atomic<int> calls{0};
    platform::WatchQuitSignals([] { ++calls; });
    ASSERT_EQ(kill(getpid(), SIGTERM), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (calls == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(calls, 1);

    pid_t child = 0;
    char sleep[] = "sleep", seconds[] = "30";
    char* argv[] = {sleep, seconds, nullptr};
    ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
    ASSERT_EQ(kill(child, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}
