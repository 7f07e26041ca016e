// The watcher of SIGINT and SIGTERM.
#include "platform/QuitSignals.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace platform {

void WatchQuitSignals(std::function<void()> onSignal)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set, onSignal = std::move(onSignal)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0)
                onSignal();
        }
    }).detach();
}

} // namespace platform
