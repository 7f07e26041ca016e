#include "platform/ScreenshotPng.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace platform {

bool WriteBgraPng(const std::string& path, const uint32_t* bgra, int width, int height)
{
    if (!bgra || width <= 0 || height <= 0)
        return false;
    // The window's alpha byte means nothing on screen: write every pixel opaque.
    std::vector<uint32_t> opaque(bgra, bgra + static_cast<size_t>(width) * height);
    for (uint32_t& p : opaque)
        p |= 0xFF000000u;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), 0, nullptr);
    png_image_free(&image);
    return ok != 0;
}

} // namespace platform
