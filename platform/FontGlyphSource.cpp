#include "platform/FontGlyphSource.h"

#include "platform/Charset.h"
#include "platform/GbkWalk.h"

#include <functional>

namespace platform {
namespace {

// Face names are compared without regard to ASCII case; GBK pairs stay as they are.
std::string LowerGbk(std::string_view s)
{
    return GbkLowerAsciiCopy(s);
}

constexpr int kFcWeightSemiBold = 180;

} // namespace

size_t FontGlyphSource::KeyHash::operator()(const Key& k) const
{
    size_t h = std::hash<std::string>{}(k.face);
    for (uint64_t v : {uint64_t(k.size), uint64_t(k.weight), uint64_t(k.cellWidth), uint64_t(k.italic), uint64_t(k.codePoint)})
        h = (h ^ v) * 0x100000001B3ull;
    return h;
}

FontGlyphSource::FontGlyphSource(FontGlyphOptions options)
    : options_(std::move(options)), resolver_(options_.aliasFile)
{
}

const FontChain& FontGlyphSource::ChainOf(std::string_view gbkFace, int weight, bool italic)
{
    std::string lower = LowerGbk(gbkFace);
    auto found = faceNames_.find(lower);
    if (found == faceNames_.end())
        found = faceNames_.emplace(lower, GbkToUtf8(lower)).first;
    return resolver_.Resolve(found->second, weight, italic);
}

FontFace FontGlyphSource::FaceOf(std::string_view gbkFace, int weight, bool italic, char32_t codePoint)
{
    const FontChain& chain = ChainOf(gbkFace, weight, italic);
    int i = resolver_.FaceFor(chain, codePoint);
    return i < 0 ? FontFace{} : chain.faces[static_cast<size_t>(i)];
}

const GlyphMask& FontGlyphSource::Glyph(const GlyphRequest& request)
{
    if (request.size <= 0 || request.cellWidth <= 0) {
        empty_ = GlyphMask{};
        return empty_;
    }
    Key key{LowerGbk(request.face), request.size, request.weight, request.cellWidth, request.italic, request.codePoint};
    auto found = cache_.find(key);
    if (found != cache_.end())
        return found->second;
    if (cache_.size() >= options_.cacheLimit)
        cache_.clear();

    GlyphMask& mask = cache_[key];
    const FontChain& chain = ChainOf(request.face, request.weight, request.italic);
    int i = resolver_.FaceFor(chain, request.codePoint);
    RasterStyle style;
    style.size = request.size;
    style.cellWidth = request.cellWidth;
    style.bitmapStrikes = options_.bitmapStrikes;
    if (i >= 0) {
        const FontFace& face = chain.faces[static_cast<size_t>(i)];
        style.emboldenBold = request.weight >= 600 && face.weight < kFcWeightSemiBold;
        style.slant = request.italic && !face.italic;
        rasteriser_.Render(face.file, face.index, request.codePoint, style, mask);
    } else if (!chain.faces.empty()) {
        // Nothing has the character: an empty cell that still knows where the underline goes.
        rasteriser_.Render(chain.faces[0].file, chain.faces[0].index, 0, style, mask);
    } else {
        mask.width = request.cellWidth;
        mask.height = request.size;
        mask.coverage.assign(static_cast<size_t>(mask.width) * mask.height, 0);
        mask.underlineTop = mask.height - 1;
    }
    return mask;
}

} // namespace platform
