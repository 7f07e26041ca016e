#include "engine/object/PictureObject.h"

namespace Lumora {

uint32_t PictureObject::GetFramesDelay(int from, int to) const
{
    if (from == to)
        return 0;
    const int count = static_cast<int>(picture_.GetFrameCount());
    if (from > to)
        to += count;
    uint32_t total = 0;
    for (int f = from; f < to; ++f)
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
