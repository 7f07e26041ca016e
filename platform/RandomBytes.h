#pragma once
// Bytes from the kernel's random source, for tokens and identifiers.
#include <cstddef>

namespace platform {

// True when all n bytes were filled.
bool RandomBytes(void* out, size_t n);

} // namespace platform
