#pragma once
// Ctrl+C and SIGTERM as a request to end, handled by the program's own loop: the signals are
// blocked in every thread and a watcher thread takes them and runs the callback (which posts a
// message; nothing runs in a signal handler). Call before any other thread starts.
#include <functional>

namespace platform {

void WatchQuitSignals(std::function<void()> onSignal);

} // namespace platform
