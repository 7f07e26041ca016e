#pragma once
// What a tile view asks of the table scene that owns it: where the table is, the splitter's
// flag, the metrics for a scale, the area-layout rectangles, the shadows drawn so far and the
// scene's object id. The scene implements it; tests use a fake. The host must outlive the tiles
// it is given to. While the scene updates every tile at once (a layout) it holds a TilePass:
// the tiles then take the surface, the table and the metrics from the pass, read once for all.
#include "engine/geometry/ObjectGeometry.h"
#include "mahjong/tiles/TileLayout.h"
#include "mahjong/tiles/TileMetrics.h"
#include "mahjong/tiles/TilePassPictures.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace Lumora {

class TilePass;
class TileShadowCache;

// The surface and the table as every tile of a pass reads them.
struct TileSurface {
    int width = 0, height = 0;
    Rect table;
    bool splitterFlag = false;
    double discardScale = 1.0;
    bool operator==(const TileSurface&) const = default;
};

// What the tiles of one seat read of the host's area layout.
struct TileSeatAreas {
    Rect wallArea, discardArea;
    int fullHand = 0, columnLift = 0;
    bool operator==(const TileSeatAreas&) const = default;
};

// What a tile reads of its surroundings: the surface, the table and its seat's areas (none for a
// seat off the table).
struct TileSurroundings {
    TileSurface surface;
    int seat = -1; // whose areas these are
    TileSeatAreas areas;
    bool operator==(const TileSurroundings&) const = default;
};

// Numbers for surroundings, one for each value among the last few given one: a tile keeps the
// number of the surroundings its last update read rather than the value. Equal numbers are equal
// surroundings; a value given again after others pushed it out takes a new number, which costs
// only the tile's update being done again.
class TileSurroundingsIds {
public:
    uint64_t Of(const TileSurroundings& around)
    {
        for (const Known& k : known_)
            if (k.id && k.around == around)
                return k.id;
        Known& slot = known_[next_++ % known_.size()];
        slot = {around, ++last_};
        return slot.id;
    }

private:
    struct Known {
        TileSurroundings around;
        uint64_t id = 0;
    };
    // A layout's seats and the tiles off the table, with room for a layout before.
    std::array<Known, 12> known_{};
    size_t next_ = 0;
    uint64_t last_ = 0;
};

// Surroundings with the number their host gave them. Outside the pass that holds them, so that
// every compiler takes them as complete where the pass makes one.
struct TileSurroundingsNumbered {
    TileSurroundings value;
    uint64_t id = 0;
};

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
    // How much higher a side seat's hand and melds stand than the rule puts them.
    virtual int GetColumnLift(int /*seat*/) const { return 0; }
    // How much smaller than the other tiles the discards are drawn (a crowded table's).
    virtual double GetDiscardScale() const { return 1.0; }
    // The shadows the scene's tiles drew; null: none are kept.
    virtual TileShadowCache* GetShadowCache() = 0;
    // The pass standing over this host's tiles; null outside one.
    TilePass* CurrentPass() const { return pass_; }
    TileSurroundingsIds& SurroundingsIds() { return surroundingsIds_; }

private:
    friend class TilePass;
    TilePass* pass_ = nullptr;
    TileSurroundingsIds surroundingsIds_;
};

// A pass over all of a host's tiles: what they all read of the surface, the table and the
// metrics, read when the pass begins rather than once a tile, and what each seat's tiles read of
// the areas, and each look's picture (TilePassPictures.h), read by the first tile that asks.
// Nothing resizes the surface, moves the table or an area, changes the discards' scale or loads a
// picture while a pass stands; it ends with its scope.
class TilePass {
public:
    TilePass(ITileHost& host, int surfaceWidth, int surfaceHeight)
        : host_(host), outer_(std::exchange(host.pass_, this)),
          surface_{surfaceWidth, surfaceHeight, host.GetTableRect(), host.GetSplitterFlag(), host.GetDiscardScale()},
          margins_(ComputeTileMargins(surfaceWidth, surfaceHeight))
    {
    }
    ~TilePass() { host_.pass_ = outer_; }
    TilePass(const TilePass&) = delete;
    TilePass& operator=(const TilePass&) = delete;

    const TileSurface& Surface() const { return surface_; }
    // The tiles' margins on the surface.
    const TileMargins& Margins() const { return margins_; }
    // The host's metrics at this scale, asked once a pass for a scale; a tile keeps them as shared.
    const SharedTileMetrics& Metrics(double scale)
    {
        if (!metrics_ || metrics_->first != scale)
            metrics_.emplace(scale, SharedTileMetrics(host_.GetTileMetrics(scale)));
        return metrics_->second;
    }
    // The metrics last asked of this pass, if any: a tile holding these took them from this pass
    // (a block held is never another pass's).
    const TileMetrics* MetricsNow() const { return metrics_ ? metrics_->second.Get() : nullptr; }
    // The host's areas of a seat 0-3, asked once a pass for a seat.
    const TileSeatAreas& SeatAreas(int seat)
    {
        std::optional<TileSeatAreas>& areas = areas_[size_t(seat)];
        if (!areas)
            areas.emplace(TileSeatAreas{host_.GetWallArea(seat), host_.GetDiscardArea(seat), host_.GetFullHandTiles(),
                                        host_.GetColumnLift(seat)});
        return *areas;
    }
    // A seat's surroundings with their number, read once a pass for a seat 0-3 or off the table
    // (-1); null for another seat.
    using Around = TileSurroundingsNumbered;
    const Around* Surroundings(int seat)
    {
        if (seat < -1 || seat > 3)
            return nullptr;
        std::optional<Around>& around = around_[size_t(seat + 1)];
        if (!around) {
            around.emplace();
            around->value = {surface_, seat, seat >= 0 ? SeatAreas(seat) : TileSeatAreas{}};
            around->id = host_.SurroundingsIds().Of(around->value);
        }
        return &*around;
    }
    TilePassPictures& Pictures() { return pictures_; }
    // The layout's inputs of a seat 0-3 as its first tile gave them: its tiles write their own
    // fields into it rather than copying the surface, the metrics and the areas once a tile.
    std::optional<TileLayoutInput>& SeatLayout(int seat) { return layouts_[size_t(seat)]; }

private:
    ITileHost& host_;
    TilePass* outer_;
    TileSurface surface_;
    TileMargins margins_;
    std::optional<std::pair<double, SharedTileMetrics>> metrics_;
    std::array<std::optional<TileSeatAreas>, 4> areas_;
    std::array<std::optional<Around>, 5> around_;
    TilePassPictures pictures_;
    std::array<std::optional<TileLayoutInput>, 4> layouts_;
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

} // namespace Lumora
