// A started program begins with no signal blocked, whatever the starting thread blocks (the
// client blocks SIGINT and SIGTERM for its watcher).
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

TEST(Process, AStartedProgramInheritsNoBlockedSignal)
{
    const std::string file = "/tmp/xl-process-" + std::to_string(::getpid());
    sigset_t term, before;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &term, &before);
    // cp reads its own status; a shell would reset its mask on start and hide the fault.
    const auto pid = platform::StartProcess("/bin/cp", {"/proc/self/status", file + ".part"});
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(pid.has_value());
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.rfind("SigBlk:", 0) != 0 && std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(file + ".part");
        while (std::getline(in, line) && line.rfind("SigBlk:", 0) != 0) {
        }
        if (line.rfind("SigBlk:", 0) != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::remove((file + ".part").c_str());
    EXPECT_EQ(line, "SigBlk:\t0000000000000000");
}
