#pragma once
// Walks GBK text a character at a time. A two-byte character's trail byte may be any of
// 0x40-0xFE, so it can look like a backslash or a letter (誠 ends in 0x5C, 侶 in 0x48); every
// search for a separator, a dot or a letter goes through these helpers so that such a byte is
// never taken for a character of its own.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Bytes taken by the character at `i`: 2 for a lead byte with a byte after it, else 1.
size_t GbkCharLength(std::string_view text, size_t i);

// Offset of the first single-byte character at or after `from` (a character start) that is one
// of `set`, or npos.
size_t GbkFindFirstOf(std::string_view text, std::string_view set, size_t from = 0);
// Offset of the last single-byte character that is one of `set`, or npos.
size_t GbkFindLastOf(std::string_view text, std::string_view set);
// Every single-byte `from` becomes `to`.
void GbkReplace(std::string& text, char from, char to);
// Single-byte A-Z become a-z; two-byte characters stay as they are.
void GbkLowerAscii(std::string& text);
std::string GbkLowerAsciiCopy(std::string_view text);
// Equal but for the ASCII case of single-byte letters.
bool GbkEqualNoCase(std::string_view a, std::string_view b);

} // namespace platform
