#pragma once
// Where a tile stands on the table: pure functions from a tile's fields, its picture size, the
// table rectangle, the surface and the metrics to its centre point and z order. The tile view
// calls them from its update; tests and the scene can call them without an engine.
//
// View seats: 0 left, 1 top, 2 right, 3 bottom (the player's own). Tile states: 1 wall, 2 hand
// or meld, 5 discard, 6 thrown, 7 result row. Layout mode 1 places walls and discards by the
// metrics, mode 0 inside the areas the scene gives per seat.
#include "engine/geometry/ObjectGeometry.h"
#include "mahjong/tiles/TileMetrics.h"

#include <functional>
#include <optional>

namespace Lumora {

enum TileState : int {
    kTileFree = 0,
    kTileWall = 1,
    kTileHand = 2,
    kTileDiscard = 5,
    kTileThrown = 6,
    kTileResultRow = 7,
};

enum TileLayoutMode : int {
    kAreaLayout = 0,
    kMetricLayout = 1,
};

// Tiles in a full hand: the meld origin leaves room for the melds of such a hand.
inline constexpr int kFullHandTiles = 14;
// The tile just drawn (index 0) stands apart from the rest of the hand.
inline constexpr int kDrawnTileGap = 12;
inline constexpr int kTopDrawnTileGap = 10;
// Gap after the first tile of a result row.
inline constexpr int kResultRowGap = 8;
// Distance of the hands from the table's edge.
inline constexpr int kEdgeInset = 35;
// How far a chosen own hand tile rises.
inline constexpr int kRaise = 10;
// z of the tile just thrown and of its background.
inline constexpr double kThrownZ = 3000.0;
inline constexpr double kThrownBackZ = 2999.0;

// Everything the layout reads of one tile and its surroundings.
struct TileLayoutInput {
    int state = kTileFree;
    int seat = -1;
    int index = -1;
    int count = 0;        // hand, wall or result-row size; the meld number for meld tiles
    int claimPos = 0;
    int meldKind = 0;     // 0 in the hand
    int layoutMode = kMetricLayout;
    bool raised = false;
    bool lifted = false;
    bool dimmed6 = false;
    double w = 0, h = 0;  // the tile picture's current size
    Rect table;           // L, T, R, B
    int surfaceWidth = 0, surfaceHeight = 0;
    TileMargins margins;
    TileMetrics metrics;
    Rect wallArea;        // area layout: the seat's wall area
    Rect discardArea;     // area layout: the seat's discard area
    int fullHand = kFullHandTiles;
    int columnLift = 0;   // the right seat's hand and melds stand this much higher (clear of the own hand's end)
};

// A centre point; z only where the rule sets it (the wall's z is the scene's).
struct TilePlace {
    int x = 0, y = 0;
    std::optional<double> z;
};

TilePlace WallPos(const TileLayoutInput& in);
// A hand tile (meldKind 0) or a meld tile.
TilePlace HandPos(const TileLayoutInput& in);
TilePlace DiscardPos(const TileLayoutInput& in);
TilePlace ThrownPos(const TileLayoutInput& in);
TilePlace ResultRowPos(const TileLayoutInput& in);
// The first meld's x (seats 1, 3) or y (seats 0, 2); 0 for another seat.
int MeldOrigin(int seat, const TileLayoutInput& in);

// The row of a discard index and its place in the row; an index past the last row stays in
// the last row, past its end, so that its place is defined.
struct DiscardSlot {
    int row = 0;
    int k = 0;    // index minus the row's first index
    int len = 0;  // tiles in the row
};
DiscardSlot MetricDiscardSlot(int seat, int index);
DiscardSlot AreaDiscardSlot(int seat, int index, int surfaceHeight);

// The groups of a seat's tiles whose place stays theirs for the whole hand.
enum class TileGroup {
    HandAndMelds, // the hand and its drawn tile (raised at the own seat), four melds, the hand laid open
    Discards, // a whole deal's discards
    Wall, // a whole wall
};
inline constexpr int kFullestDiscards = 27;
inline constexpr int kFullWall = 28;
// What decides a tile picture's size, for GroupExtent.
struct TileLook {
    int state = kTileFree;
    bool inHand = false;
    bool faceUp = false;
    int facing = 0;
    bool operator==(const TileLook&) const = default;
};
using TileSizeOf = std::function<std::pair<double, double>(const TileLook&)>;
// The box that every tile of the group can cover, from `base` (table, surface, margins, metrics,
// areas, layout mode) and the pictures' sizes; an empty rectangle when sizeOf gives none.
Rect GroupExtent(int seat, TileGroup group, TileLayoutInput base, const TileSizeOf& sizeOf);

} // namespace Lumora
