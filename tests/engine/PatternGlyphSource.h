#pragma once
// A glyph source for exact tests: every visible character is a solid cell of one coverage value, the
// underline is the cell's last row, and every request is recorded.
#include "platform/GlyphSource.h"

#include <string>
#include <vector>

namespace enginetest {

class PatternGlyphSource final : public platform::GlyphSource {
public:
    explicit PatternGlyphSource(uint8_t coverage = 200) : coverage_(coverage) {}

    const platform::GlyphMask& Glyph(const platform::GlyphRequest& r) override
    {
        requests.push_back(r);
        faces.emplace_back(r.face); // the request's view dies with the call
        mask_.width = r.cellWidth;
        mask_.height = r.size;
        mask_.coverage.assign(static_cast<size_t>(r.cellWidth) * r.size, r.codePoint > 0x20 ? coverage_ : 0);
        mask_.underlineTop = r.size - 1;
        mask_.underlineRows = 1;
        return mask_;
    }

    std::vector<char32_t> CodePoints() const
    {
        std::vector<char32_t> out;
        for (const auto& r : requests)
            out.push_back(r.codePoint);
        return out;
    }

    std::vector<platform::GlyphRequest> requests;
    std::vector<std::string> faces;

private:
    uint8_t coverage_;
    platform::GlyphMask mask_;
};

} // namespace enginetest
