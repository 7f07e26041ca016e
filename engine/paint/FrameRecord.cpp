#include "engine/paint/FrameRecord.h"

#include "engine/util/MemPool.h"

namespace Lumora {

FrameRecord::~FrameRecord()
{
    while (first) {
        RenderRecord* next = first->next;
        if (pool)
            pool->Free(first);
        else
            delete first;
        first = next;
    }
}

size_t FrameRecord::RecordCount() const
{
    size_t n = 0;
    for (const RenderRecord* r = first; r; r = r->next)
        ++n;
    return n;
}

} // namespace Lumora
