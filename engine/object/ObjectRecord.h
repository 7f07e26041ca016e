#pragma once
// The object module's record of one registered object: what the object covered at its last
// update and its place in the draw list. The module owns and reads it; it lives inside the
// object, beside its geometry, so that an update reads and writes only lines the object's own
// setters have just touched rather than a node of the registry elsewhere in memory.
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>

namespace Lumora {

// Back to front: layer, then z, then id, as they were when the object was last updated. z first
// in memory, so that the key packs into 16 bytes.
struct DrawKey {
    double z = 0;
    uint32_t layer = 0;
    uint32_t id = 0;
    bool operator==(const DrawKey&) const = default;
    bool operator<(const DrawKey& o) const
    {
        if (layer != o.layer)
            return layer < o.layer;
        if (z != o.z)
            return z < o.z;
        return id < o.id;
    }
};

struct ObjectRecord {
    // What the object covered at its last update (all that a change must repaint).
    Rect screen;
    DrawKey drawKey;
    // The dirty list's count of clears when `screen` was last added to it (0: not since it was
    // taken): an update that keeps the rectangle then adds nothing.
    uint64_t screenDirtied = 0;
    // Where it was placed in the draw order: a hint, checked before use, as later placements
    // shift what follows them. While pending, its index among the waiting.
    uint32_t drawIndex = 0;
    // Shown at its last update (active and not hidden).
    bool shown = false;
    bool inDrawList = false;
    // Waiting to be placed rather than placed in the draw order.
    bool drawPending = false;
};

} // namespace Lumora
