#include "platform/DoubleClick.h"

#include <cstdlib>

namespace platform {

bool DoubleClickDetector::Press(MouseButton button, int x, int y, uint64_t timeMs)
{
    if (armed_ && button == button_ && timeMs >= timeMs_ && timeMs - timeMs_ <= kIntervalMs &&
        std::abs(x - x_) <= kSlop && std::abs(y - y_) <= kSlop) {
        armed_ = false;
        return true;
    }
    armed_ = true;
    button_ = button;
    x_ = x;
    y_ = y;
    timeMs_ = timeMs;
    return false;
}

} // namespace platform
