// The watcher of SIGINT and SIGTERM.
#include "platform/QuitSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

int g_writeEnd = -1;

void OnQuitSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = write(g_writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

void WatchQuitSignals(std::function<void()> onSignal)
{
    static std::once_flag once;
    std::call_once(once, [&] {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return;
        g_writeEnd = ends[1];
        std::thread([readEnd = ends[0], onSignal = std::move(onSignal)] {
            for (;;) {
                char byte = 0;
                const ssize_t n = read(readEnd, &byte, 1);
                if (n == 1)
                    onSignal();
                else if (n < 0 && errno == EINTR)
                    continue;
                else
                    return;
            }
        }).detach();
        struct sigaction action = {};
        action.sa_handler = OnQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    });
}

} // namespace platform
