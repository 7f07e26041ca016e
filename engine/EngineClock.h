#pragma once
// The engine clock: milliseconds since the core was made, as a 32-bit count that never goes
// back. It reads the process clock (platform::CurrentClock), so tests drive it by installing
// a platform::ManualClock before the core is constructed.
#include <cstdint>

namespace platform {
class Clock;
}

namespace Lumora {

class CGameTimer {
public:
    virtual ~CGameTimer() = default;
    virtual uint32_t GetElapsedMs() = 0;
    // Kept for timers that take a setting; the engine clock ignores it.
    virtual int Configure(uint32_t) { return 0; }
};

class CPglTimer final : public CGameTimer {
public:
    CPglTimer();
    uint32_t GetElapsedMs() override;

private:
    const platform::Clock& clock_;  // the process clock current at construction
    uint64_t startMs_;
};

} // namespace Lumora
