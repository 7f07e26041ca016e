#pragma once
// A glyph source for runs where the fonts are not what is measured or checked: every visible
// character is a solid cell of one coverage value and the underline is the cell's last row.
// Header-only, so that the clang-built fuzz targets can use it too.
#include "platform/GlyphSource.h"

#include <cstddef>
#include <cstdint>

namespace testsupport {

class SolidGlyphSource : public platform::GlyphSource {
public:
    explicit SolidGlyphSource(uint8_t coverage = 200) : coverage_(coverage) {}

    const platform::GlyphMask& Glyph(const platform::GlyphRequest& r) override
    {
        mask_.width = r.cellWidth;
        mask_.height = r.size;
        mask_.coverage.assign(static_cast<size_t>(r.cellWidth) * r.size, r.codePoint > 0x20 ? coverage_ : 0);
        mask_.underlineTop = r.size - 1;
        mask_.underlineRows = 1;
        return mask_;
    }

private:
    uint8_t coverage_;
    platform::GlyphMask mask_;
};

} // namespace testsupport
