#pragma once
// One message between engine modules as it waits in the core's list or a module's ring.
#include <cstdint>

namespace Lumora {

struct ModuleMessage;

// Frees what a message's words point at when the message is dropped undelivered (ring
// overflow, no module bears its id, the module went away). Delivered messages are the
// receiver's to free, so the hook is never called for them.
using MessageReleaseHook = void (*)(const ModuleMessage& message);

struct ModuleMessage {
    uint32_t moduleId = 0;  // 0 = the core itself
    uint32_t message = 0;
    uintptr_t wparam = 0;   // pointer-sized: most messages carry a pointer here
    uintptr_t lparam = 0;
    MessageReleaseHook release = nullptr;

    // Runs the release hook, if any; for a message that will never be delivered.
    void Release() const
    {
        if (release)
            release(*this);
    }
};

} // namespace Lumora
