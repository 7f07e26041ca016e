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
// object module's pool. A busy frame lists thousands of records: they come from the pool in
// batches, so taking and returning them costs a few pool calls, and the painter reads them in
// order through contiguous memory.
struct FrameRecord {
    static constexpr size_t kRecordsPerBatch = 256;

    int32_t centreX = 0, centreY = 0; // viewport centre
    CMemPool* pool = nullptr;         // where the render records come from; null: each from the heap
    std::vector<Rect> rects;          // window coordinates, right and bottom exclusive
    RenderRecord* first = nullptr;    // null when nothing is drawn

    FrameRecord() = default;
    ~FrameRecord();
    FrameRecord(const FrameRecord&) = delete;
    FrameRecord& operator=(const FrameRecord&) = delete;

    // Constructs `record` in the frame's last batch from the pool (a new batch when it is full)
    // and returns it; the caller chains it.
    RenderRecord* NewRecord(const RenderRecord& record);
    size_t RecordCount() const;

private:
    std::vector<RenderRecord*> batches_;
    size_t lastBatchUsed_ = kRecordsPerBatch;
};

} // namespace Lumora
