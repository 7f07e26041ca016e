#pragma once
// A glyph source for exact tests: solid cells as in SolidGlyphSource, and every request is recorded.
#include "tests/support/SolidGlyphSource.h"

#include <string>
#include <vector>

namespace testsupport {

class PatternGlyphSource final : public SolidGlyphSource {
public:
    explicit PatternGlyphSource(uint8_t coverage = 200) : SolidGlyphSource(coverage) {}

    const platform::GlyphMask& Glyph(const platform::GlyphRequest& r) override
    {
        requests.push_back(r);
        faces.emplace_back(r.face); // the request's view dies with the call
        return SolidGlyphSource::Glyph(r);
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
};

} // namespace testsupport
