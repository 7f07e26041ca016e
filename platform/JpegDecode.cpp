// JPEG through libjpeg-turbo: straight to B, G, R, A; CMYK converted here.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "platform/ImageDecode.h"

namespace platform {
namespace {

struct ErrorJump {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }
void NoMessage(j_common_ptr) {}

struct JpegGuard {
    jpeg_decompress_struct cinfo{};
    bool created = false;
    ~JpegGuard() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& out) {
    JpegGuard g;
    ErrorJump err;
    g.cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOut;
    err.mgr.output_message = NoMessage;
    if (setjmp(err.jump)) return false;
    jpeg_create_decompress(&g.cinfo);
    g.created = true;
    jpeg_mem_src(&g.cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&g.cinfo, TRUE) != JPEG_HEADER_OK) return false;
    // Checked before jpeg_start_decompress, which sizes a progressive picture's whole-image
    // coefficient arrays from the header; libjpeg's own working memory is held to the cap too.
    const uint64_t declared = uint64_t(g.cinfo.image_width) * g.cinfo.image_height * 4;
    if (declared == 0 || declared > kMaxDecodedBytes) return false;
    g.cinfo.mem->max_memory_to_use = long(kMaxDecodedBytes);
    const bool cmyk = g.cinfo.jpeg_color_space == JCS_CMYK || g.cinfo.jpeg_color_space == JCS_YCCK;
    g.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&g.cinfo);
    const uint32_t w = g.cinfo.output_width, h = g.cinfo.output_height;
    if (w == 0 || h == 0 || uint64_t(w) * h * 4 > kMaxDecodedBytes || g.cinfo.output_components != 4) return false;
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * h * 4);
    const bool inverted = g.cinfo.saw_Adobe_marker;  // Adobe writes CMYK inverted
    while (g.cinfo.output_scanline < h) {
        JSAMPROW dst = out.pixels.data() + size_t(g.cinfo.output_scanline) * w * 4;
        jpeg_read_scanlines(&g.cinfo, &dst, 1);
        if (!cmyk) continue;
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = dst + 4 * x;
            uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
            if (!inverted) { c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k; }
            const uint8_t r = uint8_t(c * k / 255), gr = uint8_t(m * k / 255), b = uint8_t(y * k / 255);
            p[0] = b;
            p[1] = gr;
            p[2] = r;
            p[3] = 255;
        }
    }
    jpeg_finish_decompress(&g.cinfo);
    return true;
}

} // namespace platform
