#pragma once
// The real glyph source: the program's face names resolved through fontconfig, characters drawn
// by FreeType, masks kept in a cache so a character is rasterised once per font and size.
#include "platform/FontRasteriser.h"
#include "platform/FontResolver.h"
#include "platform/GlyphSource.h"

#include <string>
#include <unordered_map>

namespace platform {

struct FontGlyphOptions {
    std::string aliasFile = DefaultFontAliasFile();
    bool bitmapStrikes = true;
    size_t cacheLimit = 16384; // masks kept before the cache starts over
};

class FontGlyphSource final : public GlyphSource {
public:
    explicit FontGlyphSource(FontGlyphOptions options = {});

    const GlyphMask& Glyph(const GlyphRequest& request) override;

    // The face that draws the code point for a GBK face name (empty family when none does).
    FontFace FaceOf(std::string_view gbkFace, int weight, bool italic, char32_t codePoint);
    bool AliasesLoaded() const { return resolver_.AliasesLoaded(); }
    size_t CachedGlyphs() const { return cache_.size(); }
    void ClearCache() { cache_.clear(); }

private:
    struct Key {
        std::string face;
        int size, weight, cellWidth;
        bool italic;
        char32_t codePoint;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };

    const FontChain& ChainOf(std::string_view gbkFace, int weight, bool italic);

    FontGlyphOptions options_;
    FontResolver resolver_;
    FontRasteriser rasteriser_;
    std::unordered_map<Key, GlyphMask, KeyHash> cache_;
    std::unordered_map<std::string, std::string> faceNames_; // lower-cased GBK -> UTF-8
    GlyphMask empty_;
};

} // namespace platform
