#include "net/Hex.h"

namespace net {

void BytesToHex(const void* bytes, size_t count, std::string& out)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto* p = static_cast<const uint8_t*>(bytes);
    out.reserve(out.size() + 2 * count);
    for (size_t i = 0; i < count; ++i) {
        out.push_back(kDigits[p[i] >> 4]);
        out.push_back(kDigits[p[i] & 15]);
    }
}

bool HexToBytes(const std::string& hex, std::string& out)
{
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0)
        return false;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(static_cast<char>(hi << 4 | lo));
    }
    out = std::move(bytes);
    return true;
}

} // namespace net
