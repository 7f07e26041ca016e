#pragma once
// One frame as the painting module takes it from the object module: the dirty rectangles in
// window coordinates and, back to front, the objects that meet them.
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>
#include <cstddef>
#include <vector>

class CMemPool;

namespace Lumora {

class CPglPic;

// One object to draw: its geometry with x and y made relative to the viewport's top-left.
struct RenderRecord {
    ObjectGeometry geometry;
    CPglPic* picture = nullptr;
    RenderRecord* next = nullptr;
};

// The receiver of a frame deletes it; the destructor gives the render records back to the
// object module's pool.
struct FrameRecord {
    int32_t centreX = 0, centreY = 0; // viewport centre
    CMemPool* pool = nullptr;         // where the render records come from
    std::vector<Rect> rects;          // window coordinates, right and bottom exclusive
    RenderRecord* first = nullptr;    // null when nothing is drawn

    FrameRecord() = default;
    ~FrameRecord();
    FrameRecord(const FrameRecord&) = delete;
    FrameRecord& operator=(const FrameRecord&) = delete;

    size_t RecordCount() const;
};

} // namespace Lumora
