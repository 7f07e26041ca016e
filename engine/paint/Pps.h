// Our own "pps" picture format: true colour or paletted frames with optional alpha, delays and
// an anchor, coded with two run codes and zlib, with optional XOR deltas between frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/paint/ImageRecord.h"

namespace Lumora {

constexpr size_t kPpsHeaderSize = 32;
constexpr size_t kPpsFrameHeaderSize = 20;

enum PpsFrameFlags : uint32_t {
    kPpsFrameIndex = 0x1,
    kPpsFrameAlpha = 0x4,
    kPpsFrameRunCoded = 0x10,
    kPpsFrameZlib = 0x20,
    kPpsFrameXor = 0x40,
};

// Run decoders: fill exactly outSize bytes from exactly the given input, else false.
bool RleDecode8(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);
bool RleDecode24(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);
std::vector<uint8_t> RleEncode8(const uint8_t* in, size_t size);
std::vector<uint8_t> RleEncode24(const uint8_t* in, size_t size);  // size a multiple of 3

// Decodes a whole pps file. Every size is checked against the bytes present; on failure the
// record is left empty and false is returned.
bool DecodePps(const uint8_t* data, size_t size, ImageRecord& out);
// Encodes a consistent record with method 1, 3, 4, 5 or 6; empty on a record it cannot write.
std::vector<uint8_t> EncodePps(const ImageRecord& image, uint8_t method = 6);

} // namespace Lumora
