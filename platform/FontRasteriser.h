#pragma once
// FreeType behind the program's text: opens font files once and draws one character into a
// fixed cell whose height is the em size, with synthetic bold and slant for faces that lack them.
#include "platform/GlyphSource.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace platform {

struct RasterStyle {
    int size = 0;
    int cellWidth = 0;
    bool emboldenBold = false; // the face is regular but bold was asked for
    bool slant = false;        // the face is upright but italic was asked for
    bool bitmapStrikes = true; // use the font's embedded bitmaps where it has them (crisp small CJK)
};

class FontRasteriser {
public:
    FontRasteriser();
    ~FontRasteriser();
    FontRasteriser(const FontRasteriser&) = delete;
    FontRasteriser& operator=(const FontRasteriser&) = delete;

    // Fills `out` with the character from the face, whole, placed in its cellWidth x size cell;
    // false when the file cannot be opened. A character the face lacks leaves the cell empty.
    bool Render(const std::string& file, int index, char32_t codePoint, const RasterStyle& style, GlyphMask& out);

private:
    struct Library;
    std::unique_ptr<Library> lib_;
};

} // namespace platform
