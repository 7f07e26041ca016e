#pragma once
// The kernel's number for the calling thread, as log lines show it.
#include <cstdint>

namespace platform {

uint32_t CurrentThreadId();

} // namespace platform
