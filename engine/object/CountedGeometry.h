#pragma once
// An object's geometry with a count of the writes to it. Every write goes through Edit, which
// counts it: whoever keeps the count it last saw knows, while the count stands, that the geometry
// is as it left it, without keeping a copy to compare. A write that leaves the values as they were
// still counts; only its holder repaints for nothing.
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>

namespace Lumora {

class CountedGeometry {
public:
    const ObjectGeometry& Get() const { return geometry_; }
    const ObjectGeometry* operator->() const { return &geometry_; }
    // The geometry to write; counted as changed.
    ObjectGeometry& Edit()
    {
        ++writes_;
        return geometry_;
    }
    uint32_t Writes() const { return writes_; }

private:
    ObjectGeometry geometry_;
    // Beside the geometry, in the room its alignment leaves: whoever reads one reads the other.
    // 32 bits: a count comes round to one kept only after 2^32 writes between two looks (years of
    // a write every frame), and a tile keeping four of them reads a line fewer than with 64.
    uint32_t writes_ = 0;
};

} // namespace Lumora
