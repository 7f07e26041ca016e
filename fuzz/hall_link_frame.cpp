// The hall link's packets come from another process: any bytes are one well-formed frame or
// refused, and a frame that is read encodes back to the same bytes.
#include "platform/HallFrame.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto frame = platform::DecodeHallFrame(std::span(data, size));
    if (!frame)
        return 0;
    auto again = platform::EncodeHallFrame(*frame);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0)
        std::abort();
    return 0;
}
