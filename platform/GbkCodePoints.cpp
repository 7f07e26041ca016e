#include "platform/GbkCodePoints.h"

#include <array>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace platform {
namespace {

constexpr int kLeads = 0xFE - 0x81 + 1;
constexpr int kTrails = 0xFE - 0x40 + 1;
using Table = std::array<char32_t, kLeads * kTrails>;

std::unique_ptr<Table> BuildTable()
{
    auto table = std::make_unique<Table>();
    table->fill(0);
    iconv_t cd = iconv_open("UTF-32LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return table;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char out[8] = {};
            char* src = in;
            char* dst = reinterpret_cast<char*>(out);
            size_t srcLeft = 2, dstLeft = sizeof out;
            size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            // Exactly one code point out of both bytes, or the pair is not a character.
            if (rc == static_cast<size_t>(-1) || srcLeft != 0 || sizeof out - dstLeft != 4)
                continue;
            char32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
            (*table)[(lead - 0x81) * kTrails + (trail - 0x40)] = cp;
        }
    }
    iconv_close(cd);
    return table;
}

} // namespace

char32_t GbkPairToCodePoint(unsigned char lead, unsigned char trail)
{
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE)
        return 0;
    static const std::unique_ptr<Table> table = BuildTable();
    return (*table)[(lead - 0x81) * kTrails + (trail - 0x40)];
}

} // namespace platform
