#pragma once
// Where the engine's text gets the coverage of one character cell. The engine does all layout
// itself (advances are its own arithmetic); a glyph source only fills a cell of the size it is
// given, so a test can put a source that draws fixed patterns in place of the real fonts.
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

struct GlyphRequest {
    std::string_view face; // GBK bytes, as the program names its fonts; matched case-insensitively
    int size = 0;          // em height in pixels: the cell is `size` rows high
    int weight = 400;      // 400 normal, 700 bold, anything between
    bool italic = false;
    char32_t codePoint = 0;
    int cellWidth = 0;     // columns of the cell: the engine's advance for the character
};

// Coverage 0-255 of the glyph's own box, rows top-down, placed by `left` and `top` against the
// top-left of its cellWidth x size cell: the glyph stands on the cell's baseline and is not cut
// to the cell, since a stroke above the em box or a letter wider than its advance must still be
// drawn whole (only the picture's edges cut it). The underline band (rows of the cell) is given
// apart so that the engine can lay it over the whole advance, spaces included.
struct GlyphMask {
    int width = 0;
    int height = 0;
    int left = 0; // the box's first column and row, in the cell's columns and rows
    int top = 0;
    std::vector<uint8_t> coverage; // width * height bytes
    int underlineTop = 0;          // first row of the underline band
    int underlineRows = 1;         // its thickness, at least one row
};

class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // The mask for the request. The reference stays valid until the next call.
    virtual const GlyphMask& Glyph(const GlyphRequest& request) = 0;
};

} // namespace platform
