// Drawing the wait dialog into pixels.
#include "framework/app/WaitDialogPaint.h"

#include "platform/Charset.h"
#include "platform/GbkCodePoints.h"

namespace {

constexpr int kBarMargin = 12;
constexpr int kBarHeight = 14;
constexpr int kBarBottom = 12;

struct Glyph {
    char32_t codePoint;
    int width;
};

std::vector<Glyph> Layout(const std::string& gbk, int size)
{
    std::vector<Glyph> out;
    for (size_t i = 0; i < gbk.size(); ++i) {
        auto c = static_cast<unsigned char>(gbk[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < gbk.size()) {
            out.push_back({platform::GbkPairToCodePoint(c, static_cast<unsigned char>(gbk[i + 1])), size});
            ++i;
        } else if (c >= 0x20) {
            out.push_back({c, size / 2});
        }
    }
    return out;
}

} // namespace

WaitDialogPicture PaintWaitDialog(const WaitDialogState& state, platform::GlyphSource& glyphs,
                                  const std::vector<uint32_t>& background, int bgWidth, int bgHeight)
{
    WaitDialogPicture pic;
    const int w = pic.width, h = pic.height;
    pic.pixels.assign(static_cast<size_t>(w * h), ColourToPixel(WaitDialogPicture::kButtonFace));
    if (bgWidth > 0 && bgHeight > 0 && background.size() >= static_cast<size_t>(bgWidth * bgHeight))
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pic.pixels[y * w + x] = background[(y * bgHeight / h) * bgWidth + x * bgWidth / w] | 0xFF000000u;

    // The text, centred in the part above the bar; what does not fit is cut at the edges.
    const int size = WaitDialogPicture::kTextSize;
    auto line = Layout(state.text, size);
    int textWidth = 0;
    for (const auto& g : line)
        textWidth += g.width;
    int x = (w - textWidth) / 2;
    const int top = (h - kBarBottom - kBarHeight - size) / 2;
    for (const auto& g : line) {
        platform::GlyphRequest request;
        request.face = "宋体";
        request.size = size;
        request.codePoint = g.codePoint;
        request.cellWidth = g.width;
        const platform::GlyphMask& mask = glyphs.Glyph(request);
        for (int gy = 0; gy < mask.height; ++gy)
            for (int gx = 0; gx < mask.width; ++gx) {
                const int px = x + mask.left + gx, py = top + mask.top + gy;
                const uint8_t a = mask.coverage[gy * mask.width + gx];
                if (a == 0 || px < 0 || px >= w || py < 0 || py >= h)
                    continue;
                uint32_t& d = pic.pixels[py * w + px];
                auto blend = [&](int shift) { return (((d >> shift) & 0xFF) * (255 - a) / 255) << shift; };
                d = 0xFF000000u | blend(16) | blend(8) | blend(0);
            }
        x += g.width;
    }

    // The bar: a frame of the background colour around six bands; the last band takes the rest.
    const int left = kBarMargin, right = w - kBarMargin, barTop = h - kBarBottom - kBarHeight, barBottom = h - kBarBottom;
    const uint32_t frame = ColourToPixel(state.background);
    for (int yy = barTop; yy < barBottom; ++yy)
        for (int xx = left; xx < right; ++xx) {
            const bool edge = yy == barTop || yy == barBottom - 1 || xx == left || xx == right - 1;
            const int band = std::min(WaitBarColours::kBands - 1, (xx - left) / ((right - left) / WaitBarColours::kBands));
            pic.pixels[yy * w + xx] = edge ? frame : ColourToPixel(state.bands[band]);
        }
    return pic;
}
