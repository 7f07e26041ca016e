#include "platform/Cursor.h"

#include "platform/Paths.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace platform {
namespace {

uint16_t U16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t U32(std::span<const uint8_t> b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::optional<CursorFrame> DecodePng(std::span<const uint8_t> data)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA;
    if (image.width == 0 || image.height == 0 || image.width > 256 || image.height > 256) {
        png_image_free(&image);
        return std::nullopt;
    }
    CursorFrame frame;
    frame.width = static_cast<int>(image.width);
    frame.height = static_cast<int>(image.height);
    frame.bgra.resize(static_cast<size_t>(frame.width) * frame.height);
    if (!png_image_finish_read(&image, nullptr, frame.bgra.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return frame;
}

// A device-independent bitmap as stored in icon files: header, palette, colour rows and a
// one-bit transparency mask, both bottom-up with rows padded to four bytes.
std::optional<CursorFrame> DecodeDib(std::span<const uint8_t> data)
{
    if (data.size() < 40)
        return std::nullopt;
    const uint32_t headerSize = U32(data, 0);
    const int32_t width = static_cast<int32_t>(U32(data, 4));
    const int32_t doubleHeight = static_cast<int32_t>(U32(data, 8));
    const uint16_t bpp = U16(data, 14);
    const uint32_t compression = U32(data, 16);
    uint32_t colours = U32(data, 32);
    if (headerSize < 40 || headerSize > data.size() || width <= 0 || width > 256 || doubleHeight <= 0 ||
        doubleHeight > 512 || compression != 0)
        return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return std::nullopt;
    const int height = doubleHeight / 2;
    if (height == 0)
        return std::nullopt;
    if (bpp <= 8 && (colours == 0 || colours > (1u << bpp)))
        colours = 1u << bpp;
    if (bpp > 8)
        colours = 0;
    const size_t paletteAt = headerSize;
    const size_t colourAt = paletteAt + colours * 4;
    const size_t colourStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const size_t maskAt = colourAt + colourStride * height;
    const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const bool hasMask = maskAt + maskStride * height <= data.size();
    if (maskAt > data.size() || (bpp != 32 && !hasMask))
        return std::nullopt;

    CursorFrame frame;
    frame.width = width;
    frame.height = height;
    frame.bgra.resize(static_cast<size_t>(width) * height);
    bool anyAlpha = false;
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = data.data() + colourAt + colourStride * (height - 1 - row);
        uint32_t* dst = frame.bgra.data() + static_cast<size_t>(row) * width;
        for (int x = 0; x < width; ++x) {
            uint32_t pixel;
            if (bpp == 32) {
                pixel = U32(std::span(src + x * 4, 4), 0);
                anyAlpha = anyAlpha || (pixel >> 24) != 0;
            } else if (bpp == 24) {
                pixel = src[x * 3] | src[x * 3 + 1] << 8 | src[x * 3 + 2] << 16;
            } else {
                const int perByte = 8 / bpp;
                const int shift = (perByte - 1 - x % perByte) * bpp;
                const uint32_t index = (src[x / perByte] >> shift) & ((1u << bpp) - 1);
                pixel = index < colours ? U32(data, paletteAt + index * 4) & 0xFFFFFF : 0;
            }
            dst[x] = pixel;
        }
    }
    if (bpp == 32 && anyAlpha)
        return frame;
    // No alpha channel: the mask decides. Mask 1 over black is see-through; mask 1 over a
    // colour would invert the screen, which we cannot do, so it shows as opaque black.
    for (int row = 0; row < height; ++row) {
        const uint8_t* mask = hasMask ? data.data() + maskAt + maskStride * (height - 1 - row) : nullptr;
        uint32_t* dst = frame.bgra.data() + static_cast<size_t>(row) * width;
        for (int x = 0; x < width; ++x) {
            const bool see = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
            const uint32_t colour = dst[x] & 0xFFFFFF;
            if (!see)
                dst[x] = 0xFF000000u | colour;
            else
                dst[x] = colour == 0 ? 0 : 0xFF000000u;
        }
    }
    return frame;
}

std::optional<std::vector<uint8_t>> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

std::optional<CursorFrame> ParseCursorImage(std::span<const uint8_t> b)
{
    if (b.size() < 6 || U16(b, 0) != 0 || (U16(b, 2) != 1 && U16(b, 2) != 2))
        return std::nullopt;
    const bool isCursor = U16(b, 2) == 2;
    const uint16_t count = U16(b, 4);
    if (count == 0 || 6 + static_cast<size_t>(count) * 16 > b.size())
        return std::nullopt;
    int best = -1;
    long bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const size_t e = 6 + static_cast<size_t>(i) * 16;
        const int w = b[e] ? b[e] : 256;
        const int h = b[e + 1] ? b[e + 1] : 256;
        const int depth = isCursor ? 0 : U16(b, e + 6);
        const long score = -1000L * (std::abs(w - 32) + std::abs(h - 32)) + depth;
        if (best < 0 || score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    const size_t e = 6 + static_cast<size_t>(best) * 16;
    const uint32_t size = U32(b, e + 8);
    const uint32_t offset = U32(b, e + 12);
    if (offset > b.size() || size > b.size() - offset || size < 8)
        return std::nullopt;
    const auto image = b.subspan(offset, size);
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    auto frame = std::memcmp(image.data(), kPng, 4) == 0 ? DecodePng(image) : DecodeDib(image);
    if (frame && isCursor) {
        frame->hotX = std::min<int>(U16(b, e + 4), frame->width - 1);
        frame->hotY = std::min<int>(U16(b, e + 6), frame->height - 1);
    }
    return frame;
}

std::optional<std::vector<CursorFrame>> ParseAnimatedCursor(std::span<const uint8_t> b)
{
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "ACON", 4) != 0)
        return std::nullopt;
    const size_t end = std::min<size_t>(b.size(), 8 + static_cast<size_t>(U32(b, 4)));
    std::vector<CursorFrame> icons;
    std::vector<uint32_t> rates, sequence;
    uint32_t steps = 0, defaultRate = 0;
    // Walks the chunks of [from, to); LIST chunks are entered.
    auto walk = [&](auto&& self, size_t from, size_t to) -> bool {
        size_t at = from;
        while (at + 8 <= to) {
            const uint32_t size = U32(b, at + 4);
            const size_t body = at + 8;
            if (size > to - body)
                return false;
            const auto chunk = b.subspan(body, size);
            if (std::memcmp(b.data() + at, "anih", 4) == 0 && size >= 36) {
                steps = U32(chunk, 8);
                defaultRate = U32(chunk, 28);
            } else if (std::memcmp(b.data() + at, "rate", 4) == 0) {
                for (size_t i = 0; i + 4 <= size; i += 4)
                    rates.push_back(U32(chunk, i));
            } else if (std::memcmp(b.data() + at, "seq ", 4) == 0) {
                for (size_t i = 0; i + 4 <= size; i += 4)
                    sequence.push_back(U32(chunk, i));
            } else if (std::memcmp(b.data() + at, "LIST", 4) == 0 && size >= 4) {
                if (!self(self, body + 4, body + size))
                    return false;
            } else if (std::memcmp(b.data() + at, "icon", 4) == 0) {
                auto frame = ParseCursorImage(chunk);
                if (!frame)
                    return false;
                icons.push_back(std::move(*frame));
            }
            at = body + size + (size & 1);
        }
        return true;
    };
    if (!walk(walk, 12, end) || icons.empty())
        return std::nullopt;
    if (steps == 0 || steps > 4096)
        steps = static_cast<uint32_t>(sequence.empty() ? icons.size() : sequence.size());
    std::vector<CursorFrame> frames;
    for (uint32_t step = 0; step < steps; ++step) {
        const uint32_t index = step < sequence.size() ? sequence[step] : step;
        if (index >= icons.size())
            return std::nullopt;
        CursorFrame frame = icons[index];
        const uint32_t jiffies = step < rates.size() ? rates[step] : defaultRate;
        frame.durationMs = std::max<uint32_t>(1, jiffies * 1000 / 60);
        frames.push_back(std::move(frame));
    }
    return frames;
}

Cursor Cursor::System(int id)
{
    Cursor c;
    c.systemId_ = id;
    return c;
}

std::span<const CursorFrame> Cursor::Frames() const
{
    if (!frames_)
        return {};
    return *frames_;
}

std::optional<Cursor> Cursor::FromFileBytes(std::span<const uint8_t> bytes)
{
    std::vector<CursorFrame> frames;
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        auto animated = ParseAnimatedCursor(bytes);
        if (!animated)
            return std::nullopt;
        frames = std::move(*animated);
    } else {
        auto still = ParseCursorImage(bytes);
        if (!still)
            return std::nullopt;
        frames.push_back(std::move(*still));
    }
    Cursor c;
    c.systemId_ = 0;
    c.frames_ = std::make_shared<const std::vector<CursorFrame>>(std::move(frames));
    return c;
}

std::optional<Cursor> Cursor::FromFile(const std::string& path)
{
    auto bytes = ReadFile(NativePath(path));
    if (!bytes)
        return std::nullopt;
    return FromFileBytes(*bytes);
}

std::optional<Cursor> Cursor::FromProgramResource(int id)
{
    for (const char* kind : {".cur", ".ani"})
        if (const std::string file = ShippedFile("cursors/" + std::to_string(id) + kind); !file.empty())
            if (auto c = FromFile(file))
                return c;
    return std::nullopt;
}

} // namespace platform
