// Pps pictures come from packs and files: decoding must never pass the bytes or the pixels.
#include <cstddef>
#include <cstdint>

#include "engine/paint/Pps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lumora::ImageRecord image;
    if (Lumora::DecodePps(data, size, image))
        (void)Lumora::EncodePps(image, 6);
    return 0;
}
