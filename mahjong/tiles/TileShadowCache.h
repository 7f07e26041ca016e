#pragma once
#include "engine/paint/ImageRecord.h"

#include <cstdint>
#include <vector>

namespace Lumora {

// The scene's tile shadows: every tile of a size shows the shadow picture scaled to it over the
// same background, so the pixels are drawn once and copied (a tile changes size as it moves from
// the wall to a hand and to the discards). Kept by the picture's image record and id, which one
// paint module never gives to two pictures: a cache serves the tiles of one engine only.
class TileShadowCache {
public:
    const std::vector<uint8_t>* Find(const PictureInfo& picture, int w, int h, uint32_t background) const
    {
        for (const Entry& e : entries_)
            if (e.w == w && e.h == h && e.background == background && e.picture == picture)
                return &e.pixels;
        return nullptr;
    }
    void Keep(const PictureInfo& picture, int w, int h, uint32_t background, std::vector<uint8_t> pixels)
    {
        if (entries_.size() >= kSizesKept)
            entries_.erase(entries_.begin());
        entries_.push_back({picture, w, h, background, std::move(pixels)});
    }

private:
    static constexpr size_t kSizesKept = 16; // a few sizes a table
    struct Entry {
        PictureInfo picture;
        int w, h;
        uint32_t background;
        std::vector<uint8_t> pixels;
    };
    std::vector<Entry> entries_;
};

} // namespace Lumora
