#include "platform/ImageDecode.h"

namespace platform {

bool DecodePicture(PictureFormat format, const uint8_t* data, size_t size, DecodedPicture& out) {
    out = DecodedPicture{};
    if (!data || size == 0) return false;
    DecodedPicture pic;
    bool ok = false;
    switch (format) {
    case PictureFormat::Bmp: ok = DecodeBmp(data, size, pic); break;
    case PictureFormat::Gif: ok = DecodeGif(data, size, pic); break;
    case PictureFormat::Jpeg: ok = DecodeJpeg(data, size, pic); break;
    case PictureFormat::Png: ok = DecodePng(data, size, pic); break;
    }
    if (ok) out = std::move(pic);
    return ok;
}

} // namespace platform
