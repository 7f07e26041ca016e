#pragma once
// Lower-case hex text of bytes, as digests and random tokens are shown.
#include <cstddef>
#include <cstdint>
#include <string>

namespace net {

// Appends two lower-case digits per byte to `out`.
void BytesToHex(const void* bytes, size_t count, std::string& out);

// Parses an even-length hex text; false (and `out` untouched) on any other character.
bool HexToBytes(const std::string& hex, std::string& out);

} // namespace net
