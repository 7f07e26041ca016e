#pragma once
// The one place where the program's GBK text meets the UTF-8 of the system around it.
#include <string>
#include <string_view>

namespace platform {

// Bytes that do not convert become '?' (one per bad GBK pair or UTF-8 sequence); never throws.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// True when `byte` opens a two-byte GBK character (0x81-0xFE).
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

} // namespace platform
