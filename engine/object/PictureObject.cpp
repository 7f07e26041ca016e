#include "engine/object/PictureObject.h"

#include <algorithm>

namespace Lumora {

uint32_t PictureObject::GetFramesDelay(int from, int to) const
{
    if (from == to)
        return 0;
    const int64_t count = picture_.GetFrameCount();
    int64_t end = to;
    if (from > to)
        end += count;
    // Frame numbers out of all reason still cost at most one pass over the frames.
    end = std::min(end, int64_t(from) + count);
    uint32_t total = 0;
    for (int64_t f = from; f < end; ++f)
        total += picture_.GetFrameDelay(f);
    return total;
}

void BITObject::LoadPicture(const PictureInfo& info, int fit)
{
    picture_.SetInfo(info);
    if (fit)
        SetSize(info.width, info.height);
    Redraw();
}

} // namespace Lumora
