#pragma once
// Decides whether a button press completes a double click, by the classic rules: the same
// button pressed again within 500 ms, no more than 2 pixels away each way; the press after a
// double click starts afresh.
#include "platform/WindowTypes.h"

#include <cstdint>

namespace platform {

class DoubleClickDetector {
public:
    static constexpr uint32_t kIntervalMs = 500;
    static constexpr int kSlop = 2;  // half of the 4 x 4 pixel box

    // True when this press is the second of a pair.
    bool Press(MouseButton button, int x, int y, uint64_t timeMs);
    void Reset() { armed_ = false; }

private:
    bool armed_ = false;
    MouseButton button_ = MouseButton::Left;
    int x_ = 0;
    int y_ = 0;
    uint64_t timeMs_ = 0;
};

} // namespace platform
