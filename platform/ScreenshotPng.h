#pragma once
// Saves a 32-bit B,G,R,A picture as an opaque PNG file (screenshots of the window).
#include <cstdint>
#include <string>

namespace platform {

bool WriteBgraPng(const std::string& path, const uint32_t* bgra, int width, int height);

} // namespace platform
