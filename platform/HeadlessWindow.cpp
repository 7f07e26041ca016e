#include "platform/HeadlessWindow.h"

#include "platform/ScreenshotPng.h"

#include <algorithm>

namespace platform {

HeadlessWindow::HeadlessWindow(const Rect& screenRect, const WindowStyle& style)
    : DisplayWindowBase(style), screen_(AtLeastSmallest(screenRect)), restored_(screen_), visible_(style.visible)
{
    ResizeBuffer();
}

HeadlessWindow::~HeadlessWindow() { MarkDestroyed(); }

void HeadlessWindow::ResizeBuffer()
{
    pixelsWidth_ = std::max(0, ClientWidth());
    pixelsHeight_ = std::max(0, ClientHeight());
    pixels_.assign(static_cast<size_t>(pixelsWidth_) * pixelsHeight_, 0);
    ++pixelsVersion_; // cleared, and maybe moved
}

PixelStore HeadlessWindow::LendPixels()
{
    if (pixels_.empty() || destroyed_)
        return {};
    return {pixels_.data(), pixelsWidth_, pixelsHeight_, pixelsVersion_};
}

void HeadlessWindow::Move(const Rect& requested)
{
    const Rect screenRect = AtLeastSmallest(requested);
    const bool resized = screenRect.Width() != screen_.Width() || screenRect.Height() != screen_.Height();
    screen_ = screenRect;
    if (!minimised_)
        restored_ = screenRect;
    if (resized && !minimised_) {
        ResizeBuffer();
        RawSize(ClientWidth(), ClientHeight());
        InvalidateAll();
    }
}

void HeadlessWindow::RemakeStore(int width, int height)
{
    pixelsWidth_ = std::max(0, width);
    pixelsHeight_ = std::max(0, height);
    pixels_.assign(static_cast<size_t>(pixelsWidth_) * pixelsHeight_, 0);
    ++pixelsVersion_;
    InvalidateAll();
}

void HeadlessWindow::Resize(int width, int height)
{
    Move({screen_.left, screen_.top, screen_.left + width, screen_.top + height});
}

void HeadlessWindow::Minimise()
{
    if (minimised_)
        return;
    minimised_ = true;
    damage_.clear();
    RawSize(0, 0);
}

void HeadlessWindow::Restore()
{
    if (!minimised_)
        return;
    minimised_ = false;
    screen_ = restored_;
    if (pixelsWidth_ != ClientWidth() || pixelsHeight_ != ClientHeight())
        ResizeBuffer();
    RawSize(ClientWidth(), ClientHeight());
    InvalidateAll();
}

void HeadlessWindow::Present(const uint32_t* bgra, int width, int height, std::span<const Rect> rects)
{
    if (!bgra || destroyed_ || minimised_)
        return;
    ++presents_;
    const Rect bounds = Rect{0, 0, width, height}
                            .Intersect({0, 0, ClientWidth(), ClientHeight()})
                            .Intersect({0, 0, pixelsWidth_, pixelsHeight_});
    if (bgra == pixels_.data()) {
        // The lent store: the frame is on the screen already.
        for (const Rect& asked : rects) {
            const Rect r = asked.Intersect(bounds);
            presentedPixels_ += static_cast<uint64_t>(r.Width()) * static_cast<uint64_t>(r.Height());
        }
        return;
    }
    // Only what was damaged reaches the screen, as on a real display that repaints on demand.
    const std::vector<Rect>& allowed = painting_.empty() ? damage_ : painting_;
    auto copy = [&](const Rect& c) {
        for (int y = c.top; y < c.bottom; ++y) {
            std::copy_n(bgra + static_cast<size_t>(y) * width + c.left, c.Width(),
                        pixels_.begin() + static_cast<ptrdiff_t>(y) * pixelsWidth_ + c.left);
            presentedPixels_ += static_cast<uint64_t>(c.Width());
        }
    };
    // The host shows the damage itself: each rectangle once, not again for every damaged
    // rectangle that overlaps it (a tile and its shadow).
    if (std::equal(rects.begin(), rects.end(), allowed.begin(), allowed.end())) {
        for (const Rect& asked : rects)
            copy(asked.Intersect(bounds));
        return;
    }
    for (const Rect& asked : rects) {
        const Rect r = asked.Intersect(bounds);
        for (const Rect& d : allowed)
            copy(r.Intersect(d));
    }
}

void HeadlessWindow::SetCursor(const Cursor& cursor)
{
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    ++cursorChanges_;
}

MessageBoxAnswer HeadlessWindow::MessageBox(const std::string& gbkText, const std::string& gbkCaption,
                                            MessageBoxButtons buttons)
{
    boxes_.push_back({gbkText, gbkCaption, buttons});
    if (!answers_.empty()) {
        const MessageBoxAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == MessageBoxButtons::YesNo || buttons == MessageBoxButtons::YesNoCancel ? MessageBoxAnswer::Yes
                                                                                            : MessageBoxAnswer::Ok;
}

void HeadlessWindow::InjectMouseMove(int x, int y)
{
    RawPointerInside(Rect{0, 0, ClientWidth(), ClientHeight()}.Contains(x, y));
    RawMouseMove(x, y);
}

void HeadlessWindow::InjectMouseDown(MouseButton button, int x, int y, uint64_t timeMs)
{
    RawMouseButton(button, true, x, y, timeMs);
}

void HeadlessWindow::InjectMouseUp(MouseButton button, int x, int y, uint64_t timeMs)
{
    RawMouseButton(button, false, x, y, timeMs);
}

uint32_t HeadlessWindow::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= std::min(ClientWidth(), pixelsWidth_) || y >= std::min(ClientHeight(), pixelsHeight_))
        return 0;
    return pixels_[static_cast<size_t>(y) * pixelsWidth_ + x];
}

uint64_t HeadlessWindow::FramebufferHash() const
{
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the pixel words
    for (uint32_t p : pixels_) {
        h ^= p;
        h *= 1099511628211ull;
    }
    return h;
}

bool HeadlessWindow::ScreenshotPng(const std::string& path) const
{
    return WriteBgraPng(path, pixels_.data(), ClientWidth(), ClientHeight());
}

} // namespace platform
