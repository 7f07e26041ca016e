// A soft dark shadow under a picture object: the picture's alpha, shifted one pixel right and
// down and blurred with a 3 x 3 box, in a plane linked below the object.
#include "engine/senior/CClassSenior.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/PglPic.h"

#include <algorithm>
#include <vector>

namespace Lumora {
namespace {

// Each value replaced by the mean of the 3 x 3 box around it, cut to the grid, through a
// summed-area table.
std::vector<uint8_t> BoxBlur3(const std::vector<uint8_t>& in, int w, int h)
{
    std::vector<uint32_t> sum(size_t(w + 1) * (h + 1), 0);
    auto at = [&](int x, int y) -> uint32_t& { return sum[size_t(y) * (w + 1) + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            at(x + 1, y + 1) = in[size_t(y) * w + x] + at(x, y + 1) + at(x + 1, y) - at(x, y);
    std::vector<uint8_t> out(in.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(x - 1, 0), x1 = std::min(x + 2, w);
            const int y0 = std::max(y - 1, 0), y1 = std::min(y + 2, h);
            const uint32_t total = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
            out[size_t(y) * w + x] = uint8_t(total / uint32_t((x1 - x0) * (y1 - y0)));
        }
    return out;
}

} // namespace

PlaneObject* CClassSenior::CreateShadow(PObject* object)
{
    CPglPic* picture = object ? object->GetDrawData() : nullptr;
    if (!picture || !picture->GetImage())
        return nullptr;
    const int w = picture->GetWidth(), h = picture->GetHeight();
    if (w <= 0 || h <= 0)
        return nullptr;
    const int sw = w + 2, sh = h + 2;
    PlaneObject* plane = NewPlaneObject(sw, sh, kColourKey);
    if (!plane)
        return nullptr;
    plane->MoveTo(object->GetLeft() + 1 + sw / 2.0, object->GetTop() + 1 + sh / 2.0);
    plane->SetZ(object->GetZ() - 0.0000001);
    if (object->IsActive())
        plane->Activate();
    object->AddChild(plane, kBodyLinks);

    // Only the alpha byte is ever nonzero: the colour bytes stay 0, so the shadow is black.
    std::vector<uint8_t> alpha(size_t(sw) * sh, 0);
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x)
            alpha[size_t(y) * sw + x] = uint8_t(picture->GetPixelAlpha(x - 1, y - 1));
    alpha = BoxBlur3(alpha, sw, sh);
    uint8_t* pixels = plane->GetPixels();
    for (size_t i = 0; i < alpha.size(); ++i) {
        pixels[i * 4 + 0] = pixels[i * 4 + 1] = pixels[i * 4 + 2] = 0;
        pixels[i * 4 + 3] = alpha[i];
    }
    plane->GetDrawData()->MarkChanged();
    plane->Redraw();
    return plane;
}

} // namespace Lumora
