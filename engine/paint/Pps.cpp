#include "engine/paint/Pps.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "engine/geometry/LittleEndian.h"

namespace Lumora {
namespace {

// Largest decoded picture accepted from a file; far above any skin picture.
constexpr uint64_t kMaxPixelBytes = 256u << 20;

template <size_t Unit>
bool RleDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    size_t i = 0, o = 0;
    while (i < inSize) {
        const uint8_t c = in[i++];
        size_t count = c >> 2;
        const unsigned kind = c & 3;
        if (kind >= 2) {
            if (i >= inSize) return false;
            count |= size_t(in[i++]) << 6;
        }
        if (count > (outSize - o) / Unit) return false;
        const size_t bytes = count * Unit;
        if (kind == 0 || kind == 2) {
            if (inSize - i < Unit) return false;
            for (size_t n = 0; n < count; ++n) std::memcpy(out + o + n * Unit, in + i, Unit);
            i += Unit;
        } else {
            if (inSize - i < bytes) return false;
            std::memcpy(out + o, in + i, bytes);
            i += bytes;
        }
        o += bytes;
    }
    return o == outSize;
}

void PutCount(std::vector<uint8_t>& out, size_t count, unsigned kind) {
    if (count < 64) {
        out.push_back(uint8_t(count << 2 | kind));
    } else {
        out.push_back(uint8_t((count & 63) << 2 | (kind + 2)));
        out.push_back(uint8_t(count >> 6));
    }
}

template <size_t Unit>
std::vector<uint8_t> RleEncode(const uint8_t* in, size_t size) {
    constexpr size_t kMax = 16383;
    std::vector<uint8_t> out;
    const size_t units = size / Unit;
    auto same = [&](size_t a, size_t b) { return std::memcmp(in + a * Unit, in + b * Unit, Unit) == 0; };
    size_t i = 0;
    while (i < units) {
        size_t run = 1;
        while (i + run < units && run < kMax && same(i, i + run)) ++run;
        if (run >= 2) {
            PutCount(out, run, 0);
            out.insert(out.end(), in + i * Unit, in + (i + 1) * Unit);
            i += run;
            continue;
        }
        size_t lit = 1;  // literals until the next pair of equal units
        while (i + lit < units && lit < kMax && !(i + lit + 1 < units && same(i + lit, i + lit + 1))) ++lit;
        PutCount(out, lit, 1);
        out.insert(out.end(), in + i * Unit, in + (i + lit) * Unit);
        i += lit;
    }
    return out;
}

bool Inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    uLongf len = outSize;
    return uncompress(out, &len, in, inSize) == Z_OK && len == outSize;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& in) {
    uLongf len = compressBound(in.size());
    std::vector<uint8_t> out(len);
    if (compress2(out.data(), &len, in.data(), in.size(), Z_BEST_COMPRESSION) != Z_OK) return {};
    out.resize(len);
    return out;
}

enum class Coding { Rle, Zlib };

bool DecodePlane(Coding coding, size_t unit, const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (coding == Coding::Zlib) return Inflate(in, inSize, out, outSize);
    return unit == 3 ? RleDecode24(in, inSize, out, outSize) : RleDecode8(in, inSize, out, outSize);
}

struct PpsHeader {
    uint8_t method;
    uint32_t flags;
    uint16_t frames, width, height;
    uint32_t transparent, pixelSize;
    uint16_t paletteCount;
};

// Decodes one frame's planes into its decoded layout.
bool DecodeFrame(const PpsHeader& h, uint32_t frameFlags, const uint8_t* data, uint32_t colourSize,
                 uint32_t alphaSize, uint8_t* out, size_t outSize) {
    if (h.method == 1) {
        if (uint64_t(colourSize) + alphaSize < outSize) return false;
        std::memcpy(out, data, outSize);
        return true;
    }
    const size_t pixels = size_t(h.width) * h.height;
    const bool paletted = h.flags & kImagePaletted;
    const bool alpha = frameFlags & kPpsFrameAlpha;
    const size_t unit = paletted ? 1 : 3;
    if (outSize != pixels * (paletted ? (alpha ? 2 : 1) : 4)) return false;
    Coding colourCoding = Coding::Rle, alphaCoding = Coding::Zlib;
    switch (h.method) {
    case 3: alphaCoding = Coding::Rle; break;
    case 4: break;
    case 5: colourCoding = Coding::Zlib; break;
    case 6: colourCoding = (frameFlags & kPpsFrameZlib) ? Coding::Zlib : Coding::Rle; break;
    default: return false;
    }
    std::vector<uint8_t> colour(pixels * unit), alphaPlane;
    if (!DecodePlane(colourCoding, unit, data, colourSize, colour.data(), colour.size())) return false;
    if (alpha) {
        alphaPlane.resize(pixels);
        if (!DecodePlane(alphaCoding, 1, data + colourSize, alphaSize, alphaPlane.data(), pixels)) return false;
    }
    if (paletted) {
        if (!alpha) {
            std::memcpy(out, colour.data(), pixels);
            return true;
        }
        for (size_t i = 0; i < pixels; ++i) {
            out[2 * i] = colour[i];
            out[2 * i + 1] = alphaPlane[i];
        }
        return true;
    }
    for (size_t i = 0; i < pixels; ++i) {
        std::memcpy(out + 4 * i, &colour[3 * i], 3);
        out[4 * i + 3] = alpha ? alphaPlane[i] : 255;
    }
    return true;
}

} // namespace

bool RleDecode8(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    return RleDecode<1>(in, inSize, out, outSize);
}

bool RleDecode24(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    return RleDecode<3>(in, inSize, out, outSize);
}

std::vector<uint8_t> RleEncode8(const uint8_t* in, size_t size) { return RleEncode<1>(in, size); }
std::vector<uint8_t> RleEncode24(const uint8_t* in, size_t size) { return RleEncode<3>(in, size); }

bool DecodePps(const uint8_t* data, size_t size, ImageRecord& out) {
    out = ImageRecord{};
    if (!data || size < kPpsHeaderSize || std::memcmp(data, "pps", 3) != 0) return false;
    LeReader r(data, size);
    r.Skip(3);
    PpsHeader h;
    h.method = r.U8();
    h.flags = r.U32() & 0x3F;
    h.frames = r.U16();
    h.width = r.U16();
    h.height = r.U16();
    r.Skip(2);
    h.transparent = r.U32();
    h.pixelSize = r.U32();
    r.Skip(4);
    h.paletteCount = r.U16();
    r.Skip(2);
    const bool paletted = h.flags & kImagePaletted;
    const uint32_t bpp = paletted ? ((h.flags & kImageAlpha) ? 2 : 1) : 4;
    const uint64_t frameBytes = uint64_t(h.width) * h.height * bpp;
    if (h.frames == 0 || h.width == 0 || h.height == 0) return false;
    if (uint64_t(h.pixelSize) != frameBytes * h.frames || h.pixelSize > kMaxPixelBytes) return false;
    if (uint64_t(h.pixelSize) > uint64_t(size) * 16384) return false;  // beyond any coding's reach

    ImageRecord img;
    img.width = h.width;
    img.height = h.height;
    img.frames = h.frames;
    img.flags = h.flags;
    img.transparent = h.transparent;
    if (h.flags & kImageBlock32) {
        if (!r.Bytes(img.palette, 32)) return false;
        if (!(h.flags & kImageTransparent)) img.transparent = kNoTransparentIndex;
        img.paletteSize = h.paletteCount;
    } else if (paletted) {
        if (!r.Bytes(img.palette, size_t(h.paletteCount) * 3)) return false;
        img.paletteSize = h.paletteCount;
    }
    if (h.flags & kImageAnimated) img.delays.assign(h.frames, 0);
    img.pixels.resize(h.pixelSize);
    for (uint32_t f = 0; f < h.frames; ++f) {
        const uint32_t frameFlags = r.U32(), delay = r.U32(), colourSize = r.U32(), alphaSize = r.U32(),
                       decoded = r.U32();
        if (!r.Ok() || decoded != frameBytes) return false;
        if (uint64_t(colourSize) + alphaSize > r.Remaining()) return false;
        uint8_t* dst = img.pixels.data() + frameBytes * f;
        if (!DecodeFrame(h, frameFlags, r.Here(), colourSize, alphaSize, dst, decoded)) return false;
        r.Skip(size_t(colourSize) + alphaSize);
        if ((frameFlags & kPpsFrameXor) && f > 0) {
            const uint8_t* prev = dst - frameBytes;
            for (size_t i = 0; i < frameBytes; ++i) dst[i] ^= prev[i];
        }
        if (h.flags & kImageAnimated) img.delays[f] = delay;
    }
    if (h.flags & kImageAnchor) {
        img.anchorSecond = int16_t(r.U16());
        img.anchorFirst = r.U16();
        if (!r.Ok()) return false;
    }
    out = std::move(img);
    return true;
}

namespace {

struct CodedFrame {
    uint32_t flags = 0;
    std::vector<uint8_t> colour, alpha;
    size_t Size() const { return colour.size() + alpha.size(); }
};

std::vector<uint8_t> CodePlane(uint8_t method, size_t unit, const std::vector<uint8_t>& plane, bool isAlpha,
                               uint32_t& flags) {
    auto rle = [&] { return unit == 3 ? RleEncode24(plane.data(), plane.size()) : RleEncode8(plane.data(), plane.size()); };
    switch (method) {
    case 3: return rle();
    case 4: return isAlpha ? Deflate(plane) : rle();
    case 5: return Deflate(plane);
    default:
        break;
    }
    if (isAlpha) return Deflate(plane);
    std::vector<uint8_t> run = rle(), packed = Deflate(plane);
    if (!packed.empty() && packed.size() < run.size()) {
        flags |= kPpsFrameZlib;
        return packed;
    }
    flags |= kPpsFrameRunCoded;
    return run;
}

CodedFrame CodeFrame(const ImageRecord& img, uint8_t method, const uint8_t* frame, size_t frameBytes) {
    CodedFrame out;
    const size_t pixels = size_t(img.width) * img.height;
    const bool paletted = img.IsPaletted();
    const bool alpha = paletted ? img.HasAlpha() : true;  // true colour always carries its alpha plane
    out.flags = (paletted ? uint32_t(kPpsFrameIndex) : 0u) | (alpha ? uint32_t(kPpsFrameAlpha) : 0u);
    if (method == 1) {
        out.colour.assign(frame, frame + frameBytes);
        return out;
    }
    const size_t unit = paletted ? 1 : 3, step = paletted ? (alpha ? 2 : 1) : 4;
    std::vector<uint8_t> colour(pixels * unit), alphaPlane(alpha ? pixels : 0);
    for (size_t i = 0; i < pixels; ++i) {
        std::memcpy(&colour[i * unit], frame + i * step, unit);
        if (alpha) alphaPlane[i] = frame[i * step + step - 1];
    }
    out.colour = CodePlane(method, unit, colour, false, out.flags);
    if (alpha) out.alpha = CodePlane(method, 1, alphaPlane, true, out.flags);
    return out;
}

} // namespace

std::vector<uint8_t> EncodePps(const ImageRecord& img, uint8_t method) {
    if (method != 1 && (method < 3 || method > 6)) return {};
    if (!img.IsConsistent() || img.width == 0 || img.height == 0 || img.frames == 0 || img.frames > 0xFFFF) return {};
    if (img.framesPerRow > 1) return {};
    const size_t frameBytes = size_t(img.width) * img.height * img.BytesPerPixel();
    uint32_t flags = img.flags & (kImageTransparent | kImageBlock32 | kImagePaletted | kImageAlpha | kImageAnchor);
    if (img.frames > 1) flags |= kImageAnimated;
    LeWriter w;
    w.Bytes("pps", 3);
    w.U8(method);
    w.U32(flags);
    w.U16(uint16_t(img.frames));
    w.U16(img.width);
    w.U16(img.height);
    w.U16(0);
    w.U32(img.IsPaletted() && !(flags & kImageTransparent) ? kNoTransparentIndex : img.transparent);
    w.U32(uint32_t(frameBytes * img.frames));
    const size_t fileSizeAt = w.Size();
    w.U32(0);
    const bool counted = img.IsPaletted() || (flags & kImageBlock32);
    const uint16_t paletteCount = counted ? uint16_t(std::min<uint32_t>(img.paletteSize, 0xFFFF)) : 0;
    w.U16(paletteCount);
    w.U16(0);
    if (flags & kImageBlock32) {
        uint8_t block[32] = {};
        std::memcpy(block, img.palette.data(), std::min<size_t>(32, img.palette.size()));
        w.Bytes(block, 32);
    } else if (flags & kImagePaletted) {
        w.Bytes(img.palette.data(), size_t(paletteCount) * 3);
    }
    std::vector<uint8_t> delta(frameBytes);
    for (uint32_t f = 0; f < img.frames; ++f) {
        const uint8_t* frame = img.pixels.data() + frameBytes * f;
        CodedFrame coded = CodeFrame(img, method, frame, frameBytes);
        if (f > 0) {
            const uint8_t* prev = frame - frameBytes;
            for (size_t i = 0; i < frameBytes; ++i) delta[i] = frame[i] ^ prev[i];
            CodedFrame x = CodeFrame(img, method, delta.data(), frameBytes);
            if (x.Size() < coded.Size()) {
                x.flags |= kPpsFrameXor;
                coded = std::move(x);
            }
        }
        uint32_t delay = 0;
        if (img.frames > 1) delay = (f < img.delays.size() && img.delays[f] > 0) ? img.delays[f] : 100;
        w.U32(coded.flags);
        w.U32(delay);
        w.U32(uint32_t(coded.colour.size()));
        w.U32(uint32_t(coded.alpha.size()));
        w.U32(uint32_t(frameBytes));
        w.Bytes(coded.colour.data(), coded.colour.size());
        w.Bytes(coded.alpha.data(), coded.alpha.size());
    }
    if (flags & kImageAnchor) w.U32(uint32_t(img.anchorFirst) << 16 | (uint32_t(uint16_t(img.anchorSecond)) & 0xFFFF));
    w.PatchU32(fileSizeAt, uint32_t(w.Size()));
    return w.Take();
}

} // namespace Lumora
