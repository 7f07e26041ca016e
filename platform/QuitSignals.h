#pragma once
// Ctrl+C and SIGTERM as a request to end, handled by the program's own loop: the signal handler
// only writes a byte to a pipe, and a watcher thread reads it and runs the callback (which posts
// a message). The signals are caught rather than blocked, so programs the process starts get the
// default actions back on exec instead of inheriting a mask that would make them deaf to SIGTERM.
// The first call installs the watcher; later calls change nothing.
#include <functional>

namespace platform {

void WatchQuitSignals(std::function<void()> onSignal);

} // namespace platform
