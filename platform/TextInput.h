#pragma once
// Typed text arrives from the system as UTF-8; the program takes it as GBK bytes.
#include <string>
#include <string_view>

namespace platform {

// Characters with no GBK form are left out (never turned into '?'); control characters too.
std::string TypedTextToGbk(std::string_view utf8);

} // namespace platform
