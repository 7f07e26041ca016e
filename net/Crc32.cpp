#include "net/Crc32.h"

#include <zlib.h>

namespace net {

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length)
{
    const auto* p = static_cast<const Bytef*>(data);
    // zlib takes uInt lengths; feed large ranges in slices.
    while (length > 0) {
        const uInt n = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(::crc32(crc, p, n));
        p += n;
        length -= n;
    }
    return crc;
}

uint32_t Crc32(const void* data, size_t length)
{
    if (data == nullptr || length == 0)
        return 0;
    return Crc32Update(0, data, length);
}

} // namespace net
