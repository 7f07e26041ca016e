// PNG, JPEG, GIF and BMP files from packs: the first byte picks the decoder.
#include <cstddef>
#include <cstdint>

#include "platform/ImageDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    platform::DecodedPicture picture;
    platform::DecodePicture(static_cast<platform::PictureFormat>(data[0] % 4), data + 1, size - 1, picture);
    return 0;
}
