#pragma once
// The style block shared by plane objects and the text surface: face, colour, size, spacing,
// margins and the switches that the engine markup changes in the middle of a text.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Lumora {

struct TextStyle {
    char face[32] = {};     // GBK, zero-terminated; at most 31 bytes
    uint32_t colour = 0;    // COLORREF 0x00BBGGRR
    int32_t size = 0;       // em height in pixels
    int32_t lineSize = 0;   // follows size whenever a font is chosen
    int32_t weight = 0;     // 400 normal, 700 bold
    int32_t pitch = 0;      // extra pixels between characters
    int32_t rowSpace = 0;   // extra pixels between lines
    int32_t leftMargin = 0;
    int32_t rightMargin = 0;
    uint32_t wrap = 0;      // nonzero: wrap at the right margin; zero: stop there
    uint32_t underline = 0;
    uint32_t italic = 0;
    uint32_t opacity = 0;   // 0-255

    std::string_view Face() const { return std::string_view(face, strnlen(face, sizeof face)); }
    // Copies at most 31 bytes and never cuts a two-byte character in half.
    void SetFace(std::string_view name);
    bool operator==(const TextStyle&) const = default;
};

} // namespace Lumora
