#pragma once
// Plain values shared by every window back end: rectangles, mouse and key flags, key codes,
// stock cursor ids and message-box choices, with the numbers the engine's callers expect.
#include <algorithm>
#include <cstdint>

namespace platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Half-open: [left, right) x [top, bottom).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect Intersect(const Rect& o) const
    {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.Empty() ? Rect{} : r;
    }
    Rect Union(const Rect& o) const
    {
        if (Empty())
            return o;
        if (o.Empty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Button and modifier state carried by every mouse message.
namespace mouse_flag {
inline constexpr uint32_t kLeft = 0x1;
inline constexpr uint32_t kRight = 0x2;
inline constexpr uint32_t kShift = 0x4;
inline constexpr uint32_t kControl = 0x8;
inline constexpr uint32_t kMiddle = 0x10;
} // namespace mouse_flag

enum class MouseButton { Left, Right, Middle };

// One notch of the wheel; positive turns away from the user.
inline constexpr int kWheelDelta = 120;

// Bits of the flags word that comes with key messages.
namespace key_flag {
inline constexpr uint32_t kScanMask = 0xFF;
inline constexpr uint32_t kExtended = 0x100;
inline constexpr uint32_t kPreviousDown = 0x4000;
inline constexpr uint32_t kKeyUp = 0x8000;
} // namespace key_flag

// Virtual key codes the engine and the widgets test for.
namespace vk {
inline constexpr uint32_t kBack = 8, kTab = 9, kReturn = 13, kShift = 16, kControl = 17, kMenu = 18,
                          kPause = 19, kCapital = 20, kEscape = 27, kSpace = 32, kPrior = 33, kNext = 34,
                          kEnd = 35, kHome = 36, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kInsert = 45,
                          kDelete = 46, k0 = 48, kA = 65, kNumpad0 = 96, kMultiply = 106, kAdd = 107,
                          kSubtract = 109, kDecimal = 110, kDivide = 111, kF1 = 112, kNumLock = 144;
} // namespace vk

// Stock cursors, by the numbers callers load them with.
namespace system_cursor {
inline constexpr int kArrow = 32512, kIBeam = 32513, kWait = 32514, kCross = 32515, kSizeNwse = 32642,
                     kSizeNesw = 32643, kSizeWe = 32644, kSizeNs = 32645, kSizeAll = 32646, kNo = 32648,
                     kHand = 32649, kAppStarting = 32650;
} // namespace system_cursor

struct WindowStyle {
    bool wantDoubleClicks = false;  // the second press of a pair arrives as a double click
    bool borderless = true;         // the frame draws its own caption
    bool resizable = false;
    bool visible = true;
    // The smallest client area the window takes (0: no limit): the user cannot drag it smaller,
    // and a move asking for less gets this much.
    int minWidth = 0;
    int minHeight = 0;
};

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageBoxAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

} // namespace platform
