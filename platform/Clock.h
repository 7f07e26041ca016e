#pragma once
// Millisecond clocks: the monotonic one the program runs on and a manual one for tests.
#include <atomic>
#include <cstdint>

namespace platform {

// A source of milliseconds since some fixed start. Monotonic; never goes back.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t NowMs() const = 0;
};

// Backed by std::chrono::steady_clock, counted from the clock's construction.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    uint64_t NowMs() const override;

private:
    int64_t startNs_;
};

// Time moves only when a test says so.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startMs = 0) : nowMs_(startMs) {}
    uint64_t NowMs() const override { return nowMs_.load(std::memory_order_acquire); }
    void Advance(uint64_t ms) { nowMs_.fetch_add(ms, std::memory_order_acq_rel); }
    void Set(uint64_t ms) { nowMs_.store(ms, std::memory_order_release); }

private:
    std::atomic<uint64_t> nowMs_;
};

// The process-wide clock. Tests may install a ManualClock; passing nullptr restores the steady one.
Clock& CurrentClock();
void SetCurrentClock(Clock* clock);

// Installs a clock as the process clock for a scope and puts back the one it replaced, also when
// a test fails or throws half-way, so that no clock is left installed after it is gone.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

// Milliseconds of the current clock, truncated to 32 bits (wraps like a classic tick count).
inline uint32_t TickCount() { return static_cast<uint32_t>(CurrentClock().NowMs()); }

} // namespace platform
