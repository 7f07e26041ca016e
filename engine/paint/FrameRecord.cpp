#include "engine/paint/FrameRecord.h"

#include "engine/util/MemPool.h"

#include <new>

namespace Lumora {

FrameRecord::~FrameRecord()
{
    if (pool) {
        for (RenderRecord* batch : batches_)
            pool->Free(batch);
        return;
    }
    while (first) {
        RenderRecord* next = first->next;
        delete first;
        first = next;
    }
}

RenderRecord* FrameRecord::NewRecord(const RenderRecord& record)
{
    if (lastBatchUsed_ == kRecordsPerBatch) {
        void* memory = pool->Alloc(kRecordsPerBatch * sizeof(RenderRecord));
        if (!memory)
            throw std::bad_alloc();
        batches_.push_back(static_cast<RenderRecord*>(memory));
        lastBatchUsed_ = 0;
    }
    return new (batches_.back() + lastBatchUsed_++) RenderRecord(record);
}

size_t FrameRecord::RecordCount() const
{
    size_t n = 0;
    for (const RenderRecord* r = first; r; r = r->next)
        ++n;
    return n;
}

} // namespace Lumora
