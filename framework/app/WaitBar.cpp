// The wait bar's band colours.
#include "framework/app/WaitBar.h"

namespace {

int Channel(uint32_t colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

// One step from the inner neighbour towards the background, never past it.
int StepTowards(int inner, int step, int background)
{
    int v = inner - step;
    if ((step > 0 && v < background) || (step < 0 && v > background))
        v = background;
    return v;
}

} // namespace

void WaitBarColours::SetColors(uint32_t fg, uint32_t bg)
{
    foreground = fg;
    background = bg;
    bands[kCentre] = fg;
    int steps[3];
    for (int c = 0; c < 3; ++c)
        steps[c] = (Channel(fg, c * 8) - Channel(bg, c * 8)) / kCentre; // cut towards zero
    auto next = [&](uint32_t inner) {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= static_cast<uint32_t>(StepTowards(Channel(inner, c * 8), steps[c], Channel(bg, c * 8))) << (c * 8);
        return out;
    };
    for (int i = kCentre - 1; i >= 0; --i)
        bands[i] = next(bands[i + 1]);
    for (int i = kCentre + 1; i < kBands; ++i)
        bands[i] = next(bands[i - 1]);
}

std::array<uint32_t, WaitBarColours::kBands> WaitBarColours::Rotated(uint64_t steps) const
{
    std::array<uint32_t, kBands> out{};
    for (int i = 0; i < kBands; ++i)
        out[(i + steps) % kBands] = bands[i];
    return out;
}
