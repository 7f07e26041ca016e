#pragma once
// Application event codes of the mahjong table: one name per number.
#include <cstdint>

namespace Lumora {

enum MahjongEventCode : uint32_t {
    // A tile view clears its hover mark and updates itself.
    EV_TILE_CLEAR_HOVER = 80000126,
    // Tile mouse events sent to the scene: {scene, code, tile view, input data}.
    EV_TILE_WATCH_ENTER = 80001122,
    EV_TILE_WATCH_LEAVE = 80001123,
    EV_TILE_ENTER = 80001124,
    EV_TILE_LEAVE = 80001125,
    EV_TILE_DRAG_START = 80001130,
    EV_TILE_DRAG_MOVE = 80001131,
    EV_TILE_DRAG_END = 80001132,
};

// The scene's object name.
inline constexpr const char* kMainGameName = "MainGame";

} // namespace Lumora
