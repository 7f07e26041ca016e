// PNG through libpng: true colour with alpha, a key colour from tRNS, or palette indexes.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/ImageDecode.h"
#include "platform/MemoryReader.h"

namespace platform {
namespace {

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (n > r->size - r->pos) png_error(png, "truncated");
    r->Take(out, n);
}

void Quiet(png_structp, png_const_charp) {}
[[noreturn]] void JumpOut(png_structp png, png_const_charp) { png_longjmp(png, 1); }

struct PngGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Reads the rows; the buffer outlives any longjmp out of libpng.
void ReadRows(png_structp png, std::vector<uint8_t>& buffer, std::vector<png_bytep>& rows, uint32_t height,
              size_t rowBytes) {
    buffer.resize(size_t(height) * rowBytes);
    rows.resize(height);
    for (uint32_t y = 0; y < height; ++y) rows[y] = buffer.data() + size_t(y) * rowBytes;
    png_read_image(png, rows.data());
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedPicture& out) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    PngGuard g;
    g.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOut, Quiet);
    if (!g.png) return false;
    g.info = png_create_info_struct(g.png);
    if (!g.info) return false;
    MemoryReader reader{data, size, 0};
    // Everything libpng may jump out of lives outside this frame or in `out`.
    DecodedPicture& pic = out;
    std::vector<uint8_t> raw;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(g.png))) return false;
    png_set_read_fn(g.png, &reader, ReadFromMemory);
    png_read_info(g.png, g.info);
    const png_uint_32 w = png_get_image_width(g.png, g.info), h = png_get_image_height(g.png, g.info);
    const int depth = png_get_bit_depth(g.png, g.info), type = png_get_color_type(g.png, g.info);
    if (w == 0 || h == 0 || uint64_t(w) * h * 4 > kMaxDecodedBytes) return false;
    // Deflate expands at most 1032 to 1: a file cannot hold more pixel bytes than that, so a
    // small file with a large header is refused before any buffer is sized from it.
    const uint64_t pixelBits = uint64_t(w) * h * png_get_channels(g.png, g.info) * uint64_t(depth);
    if (pixelBits / 8 > uint64_t(size) * 1032) return false;
    pic.width = w;
    pic.height = h;
    png_set_strip_16(g.png);
    png_set_interlace_handling(g.png);
    png_bytep trans = nullptr;
    int numTrans = 0;
    png_color_16p transColour = nullptr;
    const bool hasTrns = png_get_tRNS(g.png, g.info, &trans, &numTrans, &transColour) != 0;

    if (type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int entries = 0;
        png_get_PLTE(g.png, g.info, &plte, &entries);
        png_set_packing(g.png);
        png_read_update_info(g.png, g.info);
        ReadRows(g.png, raw, rows, h, w);
        pic.flags = DecodedPicture::kPaletted;
        for (int i = 0; i < entries; ++i) pic.palette.insert(pic.palette.end(), {plte[i].red, plte[i].green, plte[i].blue});
        int zeros = 0, zeroAt = -1, opaque = 0;
        for (int i = 0; hasTrns && i < numTrans; ++i) {
            if (trans[i] == 0) { ++zeros; zeroAt = i; }
            else if (trans[i] == 255) ++opaque;
        }
        if (!hasTrns) {
            pic.transparent = 256;
            pic.pixels = std::move(raw);
        } else if (zeros == 1 && zeros + opaque == numTrans) {
            pic.flags |= DecodedPicture::kTransparent;
            pic.transparent = uint32_t(zeroAt);
            pic.pixels = std::move(raw);
            if (std::memchr(pic.pixels.data(), zeroAt, pic.pixels.size()) == nullptr)
                pic.flags &= ~DecodedPicture::kTransparent;
        } else {
            pic.flags |= DecodedPicture::kAlpha;
            pic.transparent = 256;
            pic.pixels.resize(raw.size() * 2);
            for (size_t i = 0; i < raw.size(); ++i) {
                pic.pixels[2 * i] = raw[i];
                pic.pixels[2 * i + 1] = raw[i] < numTrans ? trans[raw[i]] : 255;
            }
        }
        png_read_end(g.png, nullptr);
        return true;
    }

    const bool gray = !(type & PNG_COLOR_MASK_COLOR);
    const bool alpha = type & PNG_COLOR_MASK_ALPHA;
    if (gray && depth < 8) png_set_expand_gray_1_2_4_to_8(g.png);
    if (gray) png_set_gray_to_rgb(g.png);
    png_set_bgr(g.png);
    if (!alpha) png_set_filler(g.png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(g.png, g.info);
    if (png_get_rowbytes(g.png, g.info) != size_t(w) * 4) return false;
    ReadRows(g.png, pic.pixels, rows, h, size_t(w) * 4);
    png_read_end(g.png, nullptr);
    if (alpha) {
        pic.flags = DecodedPicture::kAlpha;
        return true;
    }
    if (!hasTrns || !transColour) return true;
    // The key in 8-bit terms, as the pixels were widened or narrowed.
    auto scale = [depth](uint32_t v) -> uint32_t {
        if (depth == 16) return v >> 8;
        if (depth < 8) return v * 255 / ((1u << depth) - 1);
        return v;
    };
    uint32_t r, gch, b;
    if (gray) r = gch = b = scale(transColour->gray);
    else { r = scale(transColour->red); gch = scale(transColour->green); b = scale(transColour->blue); }
    pic.transparent = r | gch << 8 | b << 16;
    bool any = false;
    for (size_t i = 0; i < pic.pixels.size(); i += 4) {
        uint8_t* p = &pic.pixels[i];
        if (p[0] == b && p[1] == gch && p[2] == r) {
            p[3] = 0;
            any = true;
        }
    }
    if (any) pic.flags |= DecodedPicture::kTransparent;
    return true;
}

} // namespace platform
