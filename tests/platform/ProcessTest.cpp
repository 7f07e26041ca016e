// A started program begins with no signal blocked, whatever the starting thread blocks (the
// client blocks SIGINT and SIGTERM to wait for them): otherwise it could never be stopped.
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

TEST(StartProcess, TheProgramStartsWithNoSignalBlocked)
{
    char tmpl[] = "/tmp/xl-process-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string out = dir + "/mask";
    sigset_t term, before;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, &before);
    const auto pid = platform::StartProcess("/bin/sh", {"-c", "grep SigBlk /proc/self/status > " + out + ".part && mv " +
                                                                  out + ".part " + out});
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(pid.has_value());
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.empty() && std::chrono::steady_clock::now() < deadline) {
        std::ifstream(out) >> line >> line;
        if (line.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(line, "0000000000000000");
    std::system(("rm -rf " + dir).c_str());
}
