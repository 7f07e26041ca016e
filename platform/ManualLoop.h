#pragma once
// Drives the calling thread's message loop under a manual clock, for deterministic tests: time
// moves only in Advance, timers fire in deadline order at their exact times, and after each step
// the queue is run until nothing waits.
#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace platform {

class ManualLoop {
public:
    // Installs `clock` as the current clock until destruction, then puts the previous one back.
    explicit ManualLoop(ManualClock& clock);
    ~ManualLoop();
    ManualLoop(const ManualLoop&) = delete;
    ManualLoop& operator=(const ManualLoop&) = delete;

    // Dispatches until no message waits (timers not yet due do not count); the count dispatched.
    // Stops at a quit message, which is kept in QuitCode.
    size_t RunUntilIdle();

    // Moves time forward by `ms`, stopping at every timer deadline on the way (a 5 ms timer fires
    // once per 5 ms), and runs until idle at each stop.
    void Advance(uint64_t ms);

    std::optional<int> QuitCode() const { return quitCode_; }

    // Runs after every dispatched message, so that a watcher sees each state the thread passes
    // through, also those that a batch of messages enters and leaves again. Null removes it.
    void SetAfterEach(std::function<void()> watcher) { afterEach_ = std::move(watcher); }

private:
    ManualClock& clock_;
    ScopedClock installed_;
    std::optional<int> quitCode_;
    std::function<void()> afterEach_;
};

} // namespace platform
