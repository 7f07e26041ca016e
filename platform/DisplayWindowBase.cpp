#include "platform/DisplayWindowBase.h"

#include "platform/TextInput.h"

namespace platform {

void DisplayWindowBase::Invalidate(const Rect& rect)
{
    const Rect r = rect.Intersect({0, 0, ClientWidth(), ClientHeight()});
    if (r.Empty() || destroyed_)
        return;
    for (Rect& d : damage_) {
        if (d.Intersect(r) == r)
            return;
        if (r.Intersect(d) == d) {
            d = r;
            return;
        }
    }
    damage_.push_back(r);
    if (damage_.size() == 1 && damageListener_)
        damageListener_();
    if (damage_.size() > kMaxDamageRects) {
        Rect all;
        for (const Rect& d : damage_)
            all = all.Union(d);
        damage_.assign(1, all);
    }
}

bool DisplayWindowBase::DispatchPaint()
{
    if (damage_.empty() || destroyed_)
        return false;
    painting_.swap(damage_);
    damage_.clear();
    if (handler_)
        handler_->OnPaint();
    painting_.clear();
    return true;
}

int DisplayWindowBase::ShowCursor(bool show)
{
    const bool before = cursorCount_ >= 0;
    cursorCount_ += show ? 1 : -1;
    const bool after = cursorCount_ >= 0;
    if (before != after)
        ApplyCursorVisible(after);
    return cursorCount_;
}

uint32_t DisplayWindowBase::MouseFlags() const
{
    uint32_t flags = buttons_;
    if (IsKeyDown(vk::kShift))
        flags |= mouse_flag::kShift;
    if (IsKeyDown(vk::kControl))
        flags |= mouse_flag::kControl;
    return flags;
}

void DisplayWindowBase::RawMouseMove(int x, int y)
{
    pointer_ = {x, y};
    if (!handler_ || destroyed_)
        return;
    if (!CapturedNow())
        handler_->OnSetCursor();
    handler_->OnMouseMove(x, y, MouseFlags());
}

void DisplayWindowBase::RawMouseButton(MouseButton button, bool down, int x, int y, uint64_t timeMs)
{
    const uint32_t bit = button == MouseButton::Left    ? mouse_flag::kLeft
                         : button == MouseButton::Right ? mouse_flag::kRight
                                                        : mouse_flag::kMiddle;
    pointer_ = {x, y};
    if (down)
        buttons_ |= bit;
    else
        buttons_ &= ~bit;
    if (!handler_ || destroyed_)
        return;
    if (!down) {
        handler_->OnMouseUp(button, x, y, MouseFlags());
        return;
    }
    const bool pair = doubleClick_.Press(button, x, y, timeMs);
    if (pair && style_.wantDoubleClicks)
        handler_->OnMouseDoubleClick(button, x, y, MouseFlags());
    else
        handler_->OnMouseDown(button, x, y, MouseFlags());
}

void DisplayWindowBase::RawWheel(int notches)
{
    if (notches != 0 && handler_ && !destroyed_)
        handler_->OnMouseWheel(pointer_.x, pointer_.y, notches * kWheelDelta, MouseFlags());
}

void DisplayWindowBase::RawKey(uint32_t vk, bool down, bool repeat, uint32_t scan, bool extended)
{
    if (vk == 0 || vk >= keys_.size())
        return;
    const bool wasDown = keys_[vk];
    keys_[vk] = down;
    uint32_t flags = (scan & key_flag::kScanMask) | (extended ? key_flag::kExtended : 0);
    if (!down)
        flags |= key_flag::kPreviousDown | key_flag::kKeyUp;
    else if (repeat || wasDown)
        flags |= key_flag::kPreviousDown;
    if (!handler_ || destroyed_)
        return;
    if (!down) {
        handler_->OnKeyUp(vk, 1, flags);
        return;
    }
    handler_->OnKeyDown(vk, 1, flags);
    // The system gives no text for these keys; the program expects them as characters.
    uint32_t ch = 0;
    if (vk == vk::kBack || vk == vk::kTab || vk == vk::kReturn || vk == vk::kEscape)
        ch = vk;
    else if (IsKeyDown(vk::kControl) && !IsKeyDown(vk::kMenu) && vk >= vk::kA && vk <= vk::kA + 25)
        ch = vk - vk::kA + 1;
    if (ch != 0 && handler_ && !destroyed_)
        handler_->OnChar(ch, 1, flags);
}

void DisplayWindowBase::RawText(std::string_view utf8) { RawGbkText(TypedTextToGbk(utf8)); }

void DisplayWindowBase::RawGbkText(std::string_view gbk)
{
    for (char c : gbk) {
        if (!handler_ || destroyed_)
            return;
        handler_->OnChar(static_cast<unsigned char>(c), 1, 0);
    }
}

void DisplayWindowBase::RawFocus(bool gained)
{
    if (gained == focused_)
        return;
    focused_ = gained;
    if (!gained) {
        // Keys released while another window had the focus never reach us.
        keys_.fill(false);
        buttons_ = 0;
        doubleClick_.Reset();
    }
    if (!handler_ || destroyed_)
        return;
    if (gained)
        handler_->OnSetFocus();
    else
        handler_->OnKillFocus();
}

void DisplayWindowBase::RawSize(int width, int height)
{
    if (handler_ && !destroyed_)
        handler_->OnSize(width, height);
}

void DisplayWindowBase::RawClose()
{
    if (handler_ && !destroyed_)
        handler_->OnClose();
}

void DisplayWindowBase::MarkDestroyed()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    damage_.clear();
    if (handler_)
        handler_->OnDestroy();
    handler_ = nullptr;
}

} // namespace platform
