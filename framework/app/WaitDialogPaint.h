#pragma once
// The picture of the wait dialog: the background (the skin's "CommDlgBK" picture stretched over
// it, or the button-face colour), the text centred in its upper part, and the wait bar's six
// bands in a frame of the background colour below. No IO: the window layer presents the pixels.
#include "framework/app/CommThread.h"
#include "platform/GlyphSource.h"

#include <cstdint>
#include <vector>

struct WaitDialogPicture {
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 90;
    static constexpr int kTextSize = 12;
    static constexpr uint32_t kButtonFace = 0xF0F0F0; // 0x00BBGGRR

    int width = kWidth;
    int height = kHeight;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows top-down
};

// The background picture (0xAARRGGBB) when the skin has one; empty uses the button face.
WaitDialogPicture PaintWaitDialog(const WaitDialogState& state, platform::GlyphSource& glyphs,
                                  const std::vector<uint32_t>& background = {}, int backgroundWidth = 0,
                                  int backgroundHeight = 0);

// A colour value 0x00BBGGRR as an opaque pixel 0xAARRGGBB.
constexpr uint32_t ColourToPixel(uint32_t colour)
{
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}
