#pragma once
// GBK two-byte characters as Unicode code points. The table is built once, on first use,
// with iconv, so drawing a character costs one array read.

namespace platform {

// The code point of the GBK pair (lead 0x81-0xFE, trail 0x40-0xFE except 0x7F); 0 when the
// bytes are not a GBK character.
char32_t GbkPairToCodePoint(unsigned char lead, unsigned char trail);

} // namespace platform
