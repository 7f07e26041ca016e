// Decoding of common picture files into 32-bit B, G, R, A pixels or palette indexes, with
// frames, delays and transparency: the contract the engine's picture cache relies on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

enum class PictureFormat { Bmp, Gif, Jpeg, Png };

struct DecodedPicture {
    enum Flags : uint32_t { kTransparent = 0x1, kPaletted = 0x4, kAlpha = 0x8, kAnimated = 0x10 };
    uint32_t width = 0, height = 0;  // height of one frame
    uint32_t frames = 1;
    uint32_t flags = 0;
    // True colour: 0x00BBGGRR of the transparent colour; paletted: index, 256 for none.
    uint32_t transparent = 256;
    // True colour B, G, R, A; paletted one index byte, or index and alpha with kAlpha.
    // Rows top to bottom, frames stacked.
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette;   // R, G, B per entry
    std::vector<uint32_t> delays;   // ms per frame, only when frames > 1
};

// Largest picture accepted (all frames, decoded): damaged headers cannot ask for more.
constexpr uint64_t kMaxDecodedBytes = 256u << 20;

// False on a damaged, truncated or unsupported file; `out` is then left empty.
bool DecodePicture(PictureFormat format, const uint8_t* data, size_t size, DecodedPicture& out);
bool DecodePng(const uint8_t* data, size_t size, DecodedPicture& out);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedPicture& out);
bool DecodeGif(const uint8_t* data, size_t size, DecodedPicture& out);
bool DecodeBmp(const uint8_t* data, size_t size, DecodedPicture& out);

} // namespace platform
