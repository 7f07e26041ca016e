#pragma once
// Cutting GBK text to a byte limit without splitting a two-byte character.
#include <string>
#include <string_view>

namespace framework {

// The longest prefix of at most `limit` bytes that ends on a character boundary; a lead byte
// without its trail byte at the end is dropped too.
std::string CutGbk(std::string_view gbk, size_t limit);

} // namespace framework
