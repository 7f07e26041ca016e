#pragma once
// What every window back end shares: turning raw pointer, key and text input into the
// messages of DisplayWindowHandler (double clicks, set-cursor before moves, key flags, control
// characters from keys, GBK text bytes), the key-state table, the cursor display counter
// and the damage list that feeds OnPaint.
#include "platform/DoubleClick.h"
#include "platform/DisplayWindow.h"
#include "platform/DisplayWindowHandler.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace platform {

class DisplayWindowBase : public DisplayWindow {
public:
    explicit DisplayWindowBase(const WindowStyle& style) : style_(style) {}

    void SetHandler(DisplayWindowHandler* handler) override { handler_ = handler; }
    const WindowStyle& Style() const override { return style_; }

    void Invalidate(const Rect& rect) override;
    std::vector<Rect> PendingDamage() const override { return damage_; }
    int ShowCursor(bool show) override;
    bool IsKeyDown(uint32_t vk) const override { return vk < keys_.size() && keys_[vk]; }
    Point CursorPos() const override { return pointer_; }
    bool PointerInside() const override { return pointerInside_; }
    bool HasFocus() const override { return focused_; }
    bool IsDestroyed() const override { return destroyed_; }

    bool DispatchPaint() override;
    void SetDamageListener(std::function<void()> listener) override { damageListener_ = std::move(listener); }
    const std::vector<Rect>& PaintingDamage() const override { return painting_; }

    // The number of merged damage rectangles above which they collapse into their bounding box:
    // as many as the engine's frame may carry (its changed area cut into disjoint pieces), so that
    // one frame of scattered small changes (a win's sparks) is not shown as the box around them all.
    static constexpr size_t kMaxDamageRects = 256;

protected:
    // Raw input from the back end. Times are milliseconds of a monotonic clock.
    void RawMouseMove(int x, int y);
    void RawMouseButton(MouseButton button, bool down, int x, int y, uint64_t timeMs);
    void RawWheel(int notches);
    void RawKey(uint32_t vk, bool down, bool repeat, uint32_t scan, bool extended);
    void RawText(std::string_view utf8);
    void RawGbkText(std::string_view gbk);
    void RawFocus(bool gained);
    void RawPointerInside(bool inside) { pointerInside_ = inside; }
    void RawSize(int width, int height);
    void RawClose();
    void MarkDestroyed();

    uint32_t MouseFlags() const;
    // The rectangle grown at its right and bottom to the style's smallest size.
    Rect AtLeastSmallest(const Rect& rect) const
    {
        return {rect.left, rect.top, rect.left + std::max(rect.Width(), style_.minWidth),
                rect.top + std::max(rect.Height(), style_.minHeight)};
    }
    // The back end shows or hides its pointer when the counter crosses zero.
    virtual void ApplyCursorVisible(bool visible) = 0;
    virtual bool CapturedNow() const = 0;

    DisplayWindowHandler* handler_ = nullptr;
    WindowStyle style_;
    std::vector<Rect> damage_;
    std::vector<Rect> painting_;
    Point pointer_;
    bool pointerInside_ = false;
    bool focused_ = false;
    bool destroyed_ = false;
    int cursorCount_ = 0;

private:
    std::function<void()> damageListener_;
    std::array<bool, 256> keys_{};
    uint32_t buttons_ = 0;
    DoubleClickDetector doubleClick_;
};

} // namespace platform
