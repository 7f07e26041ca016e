#pragma once
// The table's tile metrics and margins: fixed steps by size class and surface height, from
// which every tile computes its place. They are values: a tile asks for the metrics of its own
// scale and keeps them for its update, so that tiles drawn at different scales during a size
// change never read each other's numbers. No engine here.
#include "engine/geometry/ObjectGeometry.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace Lumora {

// Size classes of the table's pictures; picture names begin with the number.
enum TileSizeClass : int {
    kClass800 = 800,
    kClass1024 = 1024,
    kClass1366 = 1366,
    kClass1600 = 1600,
};

// 800 for a small surface or a small table; else by the surface width.
TileSizeClass MetricSizeClass(int surfaceWidth, const Rect& table);
// The class of the sets drawn only at 800, 1366 and 1600: a 1024 surface takes the 1366 set.
TileSizeClass MiddleSizeClass(int surfaceWidth, const Rect& table);

inline constexpr int kTileMetricCount = 50;

struct TileMetrics {
    std::array<int, kTileMetricCount> tm{};
    int operator[](int i) const { return tm[std::size_t(i)]; }
    bool operator==(const TileMetrics&) const = default;
};

// Metrics read once and kept by many: a layout's pass reads them once for all its tiles, and each
// tile keeps the ones its last update used by this handle rather than as a 200-byte copy of its
// own. The count is not atomic: a host's tiles and their passes live on one thread. Not a
// std::shared_ptr: its second word would push what a tile's update reads onto one more line.
class SharedTileMetrics {
public:
    SharedTileMetrics() = default;
    explicit SharedTileMetrics(const TileMetrics& metrics) : block_(new Block{metrics, 1}) {}
    SharedTileMetrics(const SharedTileMetrics& other) : block_(other.block_)
    {
        if (block_)
            ++block_->refs;
    }
    SharedTileMetrics& operator=(const SharedTileMetrics& other)
    {
        if (other.block_ != block_) {
            if (other.block_)
                ++other.block_->refs;
            Release();
            block_ = other.block_;
        }
        return *this;
    }
    ~SharedTileMetrics() { Release(); }
    // Null where none are held.
    const TileMetrics* Get() const { return block_ ? &block_->metrics : nullptr; }
    void Reset()
    {
        Release();
        block_ = nullptr;
    }

private:
    struct Block {
        TileMetrics metrics;
        size_t refs;
    };
    void Release()
    {
        if (block_ && --block_->refs == 0)
            delete block_;
    }
    Block* block_ = nullptr;
};

// TM0-TM27 by size class, TM33-TM49 by surface height, each × scale and truncated.
TileMetrics ComputeTileMetrics(int surfaceWidth, int surfaceHeight, const Rect& table, double scale);

// A tile's margins, recomputed from the surface on every update.
struct TileMargins {
    int side = 0;        // mSide
    int vert = 0;        // mVert
    int discSide = 0;    // mDiscSide
    int discTop = 0;     // mDiscTop
    int discBottom = 0;  // mDiscBottom
    bool operator==(const TileMargins&) const = default;
};
TileMargins ComputeTileMargins(int surfaceWidth, int surfaceHeight);

// Scale helpers of the table's centre box.
int ScaleX25(double scale);
int ScaleX37(double scale);
int ScaleX110(double scale);
// 160 × scale for a table of 108 tiles, else 210 × scale.
double ScaleTile(double scale, int totalTiles);
// The centre box: ScaleTile × ScaleX110 centred in the table, moved right by ScaleX25 and up by
// ScaleX37; the scale is 0.75 on a surface at most 800 wide while the frame's mode query is
// nonzero, else 1.0.
Rect ScaleLayout(const Rect& table, int surfaceWidth, bool frameModeOn, int totalTiles);

} // namespace Lumora
