#pragma once
// The colour bar of the wait dialog: six bands, the centre band (index 3) in the foreground colour
// and the others fading towards the background colour band by band, rotated by one position
// every 200 ms while the dialog shows. The rotation is a function of the time since the dialog
// was shown, so it lands right however the repaints fall. No drawing here: the wait window
// paints the bands this gives.
#include <array>
#include <cstdint>

struct WaitBarColours {
    static constexpr int kBands = 6;
    static constexpr int kCentre = 3;
    static constexpr uint32_t kRotatePeriodMs = 200;

    std::array<uint32_t, kBands> bands{};
    uint32_t foreground = 0;
    uint32_t background = 0xFFFFFF;

    // Colours are 0x00BBGGRR.
    void SetColors(uint32_t fg, uint32_t bg);
    // The bands after `steps` rotations forward (the last colour moves to index 0 each step).
    std::array<uint32_t, kBands> Rotated(uint64_t steps) const;
};

// Default colours of the skin keys "WaitBarfg" and "WaitBarbg".
inline constexpr uint32_t kWaitBarForeground = 0x1A462E;
inline constexpr uint32_t kWaitBarBackground = 0x429473;
