#pragma once
// A headless engine with our own skin packs loaded (built by the art program into the build
// tree) and a fake scene host for tile views: the tests and the benchmarks of the tiles use it.
#include "mahjong/tiles/CMJCard2.h"
#include "mahjong/tiles/ITileHost.h"
#include "mahjong/tiles/TileShadowCache.h"
#include "mahjong/tiles/TileLayout.h"
#include "tests/mahjong/TileSurfaces.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TiedChild.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace mahjongtest {

inline std::string SkinPackPath(const char* pack)
{
    return std::string(XL_BINARY_DIR) + "/skins/" + pack + ".xyr";
}

// The scene's side of a tile: a table rectangle, the splitter flag, areas for the area layout
// and a metric cache; counts the metric requests by scale.
class FakeTileHost : public Lumora::ITileHost {
public:
    uint32_t GetSceneObjectId() const override { return sceneId; }
    Lumora::Rect GetTableRect() const override { return table; }
    bool GetSplitterFlag() const override { return splitter; }
    Lumora::TileMetrics GetTileMetrics(double scale) override
    {
        lastScale = scale;
        ++metricsAsked;
        return cache.Get(surfaceWidth, surfaceHeight, table, scale);
    }
    Lumora::Rect GetWallArea(int seat) const override { return wallAreas[size_t(seat)]; }
    Lumora::Rect GetDiscardArea(int seat) const override { return discardAreas[size_t(seat)]; }
    int GetFullHandTiles() const override { return Lumora::kFullHandTiles; }
    Lumora::TileShadowCache* GetShadowCache() override { return &shadows; }

    // Areas spread round the table's middle, as the scene would place them.
    void UseSurface(const Surface& s)
    {
        surfaceWidth = s.width;
        surfaceHeight = s.height;
        table = s.table;
        const int cx = (table.left + table.right) / 2, cy = (table.top + table.bottom) / 2;
        wallAreas = {{{cx - 200, cy - 120, cx - 180, cy + 120},
                      {cx - 130, cy - 170, cx + 130, cy - 150},
                      {cx + 180, cy - 120, cx + 200, cy + 120},
                      {cx - 130, cy + 150, cx + 130, cy + 170}}};
        discardAreas = {{{cx - 170, cy - 100, cx - 90, cy + 100},
                         {cx - 130, cy - 140, cx + 130, cy - 60},
                         {cx + 90, cy - 100, cx + 170, cy + 100},
                         {cx - 130, cy + 60, cx + 130, cy + 140}}};
    }

    uint32_t sceneId = 0;
    Lumora::Rect table{4, 25, 796, 596};
    int surfaceWidth = 800, surfaceHeight = 600;
    bool splitter = false;
    double lastScale = 0;
    int metricsAsked = 0;
    std::array<Lumora::Rect, 4> wallAreas{}, discardAreas{};
    Lumora::TileMetricsCache cache;
    Lumora::TileShadowCache shadows;
};

// The headless engine with the tile, table and frame packs, resized to a surface on demand.
class TileEngine : public testsupport::HeadlessEngine {
public:
    explicit TileEngine(const std::string& tag) : HeadlessEngine(tag)
    {
        for (const char* pack : {"tiles", "table", "frame"})
            Owner().AddResourcePack(SkinPackPath(pack).c_str());
    }
    void UseSurface(const Surface& s, FakeTileHost& host)
    {
        Paint().CreateBackBuffer(s.width, s.height);
        Objects().SetViewportSize(s.width, s.height);
        Objects().SetViewportCentre(s.width / 2, s.height / 2);
        host.UseSurface(s);
    }
};

// Writes what the engine presents to build/artifacts/<name>.png, for a person to look at; true
// when the picture was written.
inline bool SaveScreenshot(TileEngine& engine, int width, int height, const std::string& name)
{
    const std::string raw = (engine.Folder() / "screen.raw").string();
    const auto& pixels = engine.Paint().PresentBuffer();
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size() * 4));
    const std::string dir = std::string(XL_BINARY_DIR) + "/artifacts";
    std::filesystem::create_directories(dir);
    return xltest::RunProgram(
               xltest::Python("tests/mahjong/data/raw_to_png.py",
                              {raw, std::to_string(width), std::to_string(height), dir + "/" + name + ".png"}))
        .Ok();
}

// A game in progress over a pool of 168 tiles: four hands of 13 with a drawn tile at the bottom,
// a peng and a gang per seat, 18 discards per seat, walls of 8 and one thrown tile (162 tiles).
inline void LayOutGameInProgress(const std::vector<Lumora::CMJCard2*>& pool, int layoutMode)
{
    using namespace Lumora;
    size_t next = 0;
    auto take = [&](int state, int seat, int index, int count) -> CMJCard2& {
        CMJCard2& t = *pool.at(next);
        t.Reset();
        t.layoutMode = layoutMode;
        t.tile = int(next * 7 % 108);
        t.state = state;
        t.seat = seat;
        t.index = index;
        t.count = count;
        t.placed = 1;
        ++next;
        return t;
    };
    for (int seat = 0; seat < 4; ++seat) {
        const int hand = seat == 3 ? 8 : 7;
        for (int i = 0; i < hand; ++i) {
            CMJCard2& t = take(kTileHand, seat, i, hand);
            t.inHand = 1;
            t.faceUp = seat == 3;
        }
        for (int meld = 0; meld < 2; ++meld)
            for (int i = 0; i < 3 + meld; ++i) {
                CMJCard2& t = take(kTileHand, seat, i, meld);
                t.meldKind = meld ? 2 : 1;
                t.faceUp = 1;
                t.facing = i == 0 ? (seat + 1) % 4 : (seat + 2) % 4;
            }
        for (int i = 0; i < 18; ++i)
            take(kTileDiscard, seat, i, 0);
        for (int i = 0; i < 8; ++i)
            take(kTileWall, seat, i, 8);
    }
    take(kTileThrown, 1, 0, 0);
    for (size_t k = 0; k < pool.size(); ++k)
        pool[k]->Update();
}

} // namespace mahjongtest
