// Text drawn by the engine may carry markup from anywhere: laying it out, measuring it and
// wrapping it must end, stay inside the picture and never read past the text.
#include "engine/text/TextSurface.h"
#include "tests/support/SolidGlyphSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Lumora::TextSurface surface(std::make_shared<testsupport::SolidGlyphSource>());
    if (size < 4)
        return 0;
    // The first bytes choose the box and the style; the rest is the text.
    Lumora::TextStyle style;
    style.SetFace("宋体");
    style.size = data[0] % 40;
    style.weight = 400;
    style.wrap = data[1] & 1;
    style.leftMargin = data[1] >> 4;
    style.rightMargin = data[2] >> 4;
    style.pitch = data[2] & 7;
    style.opacity = 255;
    const int width = 1 + data[3] % 64, height = 1 + data[3] / 4;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    Lumora::TextSurface::StyledCall call(surface, style);
    surface.RenderText(pixels.data(), width, height, 0, 0, text);
    surface.MeasureText(width, text);
    surface.RenderText(pixels.data(), width, height, width / 2, height / 2, 0, 0, text);
    surface.ClearLines();
    return 0;
}
