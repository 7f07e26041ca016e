// Picture files come from skin packs and from the network: no input may crash a decoder.
#include "engine/paint/ImageRecord.h"
#include "engine/paint/Pps.h"
#include "platform/ImageDecode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t* body = data + 1;
    const size_t n = size - 1;
    switch (data[0] % 5) {
    case 0: {
        Lumora::ImageRecord record;
        Lumora::DecodePps(body, n, record);
        break;
    }
    default: {
        platform::DecodedPicture picture;
        static constexpr platform::PictureFormat kFormats[] = {platform::PictureFormat::Bmp, platform::PictureFormat::Gif,
                                                               platform::PictureFormat::Jpeg, platform::PictureFormat::Png};
        platform::DecodePicture(kFormats[data[0] % 5 - 1], body, n, picture);
        break;
    }
    }
    return 0;
}
