#pragma once
// CRC-32 of frames (the reflected 0xEDB88320 polynomial, as zlib and Ethernet use it).
#include <cstddef>
#include <cstdint>

namespace net {

// Zero for a null pointer or an empty range, as the frame code expects.
uint32_t Crc32(const void* data, size_t length);

// Continues a CRC over further bytes (start from 0); lets callers skip copying a frame
// just to zero two of its fields.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);

} // namespace net
