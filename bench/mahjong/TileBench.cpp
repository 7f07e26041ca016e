// The tile pool's costs: updating all 168 tiles of a game in progress after the surface
// changes size class, and one tile's drawing plus its place.
#include "engine/object/PictureObject.h"
#include "mahjong/tiles/CMJCard2.h"
#include "rules/MJCalclator.h"
#include "tests/mahjong/TileRig.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace Lumora;
using mahjongtest::kSurfaces;

namespace {

constexpr int kPool = 168;

struct Table {
    Table() : engine("bench_tiles_" + std::to_string(::getpid()))
    {
        host.sceneId = engine.Owner().GetId();
        engine.UseSurface(kSurfaces[1], host);
        const auto calculator = std::make_shared<CMJCalclator>();
        for (int k = 0; k < kPool; ++k) {
            auto* tile = new CMJCard2(calculator, &host);
            engine.Owner().RegisterChild(tile);
            tiles.push_back(tile);
        }
        mahjongtest::LayOutGameInProgress(tiles, kMetricLayout);
    }
    mahjongtest::TileEngine engine;
    mahjongtest::FakeTileHost host;
    std::vector<CMJCard2*> tiles;
};

void BM_UpdatePoolAfterClassChange(benchmark::State& state)
{
    Table table;
    int which = 1;
    for (auto _ : state) {
        which = which == 1 ? 2 : 1;  // 1024 ↔ 1366
        table.engine.UseSurface(kSurfaces[size_t(which)], table.host);
        for (CMJCard2* tile : table.tiles)
            tile->Update();
    }
    state.SetItemsProcessed(state.iterations() * kPool);
}
BENCHMARK(BM_UpdatePoolAfterClassChange)->Unit(benchmark::kMillisecond);

void BM_DrawTileAndPlace(benchmark::State& state)
{
    Table table;
    CMJCard2& tile = *table.tiles[3];
    TilePlace place;
    for (auto _ : state) {
        tile.DrawTile();
        tile.GetHandPos(place);
        benchmark::DoNotOptimize(place);
    }
}
BENCHMARK(BM_DrawTileAndPlace)->Unit(benchmark::kMicrosecond);

} // namespace
