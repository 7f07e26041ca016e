#pragma once
// What a tile view asks of the table scene that owns it: where the table is, the splitter's
// flag, the metrics for a scale, the area-layout rectangles, the shadows drawn so far and the
// scene's object id. The scene implements it; tests use a fake. The host must outlive the tiles
// it is given to.
#include "engine/geometry/ObjectGeometry.h"
#include "engine/paint/ImageRecord.h"
#include "mahjong/tiles/TileMetrics.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Lumora {

class TileShadowCache;

class ITileHost {
public:
    virtual ~ITileHost() = default;
    // The scene object that receives the tiles' events.
    virtual uint32_t GetSceneObjectId() const = 0;
    // The table rectangle (GetMainGameRect).
    virtual Rect GetTableRect() const = 0;
    // Nonzero while the frame's splitter bar reports its flag (the side panel is open).
    virtual bool GetSplitterFlag() const = 0;
    // The metrics at this scale; the scene keeps the last ones it computed.
    virtual TileMetrics GetTileMetrics(double scale) = 0;
    // Area layout: the seat's wall area and discard area.
    virtual Rect GetWallArea(int seat) const = 0;
    virtual Rect GetDiscardArea(int seat) const = 0;
    // Tiles in a full hand (the scene's hand size).
    virtual int GetFullHandTiles() const = 0;
    // The shadows the scene's tiles drew; null: none are kept.
    virtual TileShadowCache* GetShadowCache() = 0;
};

// The scene's cache of the last metrics: recomputed when the surface, the table or the scale
// changes, handed out by value.
class TileMetricsCache {
public:
    TileMetrics Get(int surfaceWidth, int surfaceHeight, const Rect& table, double scale)
    {
        if (!key_ || key_->w != surfaceWidth || key_->h != surfaceHeight || !(key_->table == table) ||
            key_->scale != scale) {
            key_ = Key{surfaceWidth, surfaceHeight, table, scale};
            metrics_ = ComputeTileMetrics(surfaceWidth, surfaceHeight, table, scale);
        }
        return metrics_;
    }

private:
    struct Key {
        int w, h;
        Rect table;
        double scale;
    };
    std::optional<Key> key_;
    TileMetrics metrics_;
};

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
