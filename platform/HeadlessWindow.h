#pragma once
// A window with no screen, for tests: it keeps its picture in memory (a presented buffer is
// copied only where damage was pending, so a forgotten invalidate shows; a program that
// composes in the lent store writes the picture itself), records
// capture, focus, cursors, confinement, flashes and message boxes, and lets a test inject
// mouse, key and text input.
#include "platform/DisplayWindowBase.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace platform {

class HeadlessWindow final : public DisplayWindowBase {
public:
    HeadlessWindow(const Rect& screenRect, const WindowStyle& style = {});
    ~HeadlessWindow() override;

    // DisplayWindow
    void Show(bool visible) override { visible_ = visible; }
    void Move(const Rect& screenRect) override;
    Rect ScreenRect() const override { return screen_; }
    int ClientWidth() const override { return minimised_ ? 0 : screen_.Width(); }
    int ClientHeight() const override { return minimised_ ? 0 : screen_.Height(); }
    Point ClientToScreen(Point p) const override { return {p.x + screen_.left, p.y + screen_.top}; }
    Rect WorkArea() const override { return workArea_; }
    void Minimise() override;
    void Maximise() override { Move(workArea_); }
    void Restore() override;
    bool IsMinimised() const override { return minimised_; }
    bool IsForeground() const override { return focused_; }
    void Flash() override { ++flashes_; }
    void BringToFront() override { ++raises_; }
    void SetTitle(const std::string& gbkTitle) override { title_ = gbkTitle; }
    void Present(const uint32_t* bgra, int width, int height, std::span<const Rect> rects) override;
    // Always: the picture itself, at the size it was last made (kept while minimised).
    PixelStore LendPixels() override;
    void SetCapture() override { captured_ = true; }
    void ReleaseCapture() override { captured_ = false; }
    bool HasCapture() const override { return captured_; }
    void SetFocus() override { RawFocus(true); }
    void ConfineCursor(const Rect& clientRect) override { confine_ = clientRect; }
    void ReleaseCursor() override { confine_.reset(); }
    void SetCursor(const Cursor& cursor) override;
    void SetTextInputRect(const Rect& clientRect) override { textInputRect_ = clientRect; }
    void SetClipboardText(const std::string& gbk) override { clipboard_ = gbk; }
    std::string ClipboardText() const override { return clipboard_; }
    MessageBoxAnswer MessageBox(const std::string& gbkText, const std::string& gbkCaption,
                                MessageBoxButtons buttons) override;
    void Destroy() override { MarkDestroyed(); }

    // Input a test injects; times come from the test's clock.
    void InjectMouseMove(int x, int y);
    void InjectMouseDown(MouseButton button, int x, int y, uint64_t timeMs);
    void InjectMouseUp(MouseButton button, int x, int y, uint64_t timeMs);
    void InjectWheel(int notches) { RawWheel(notches); }
    void InjectKey(uint32_t vk, bool down, bool repeat = false, uint32_t scan = 0, bool extended = false)
    {
        RawKey(vk, down, repeat, scan, extended);
    }
    void InjectText(std::string_view gbk) { RawGbkText(gbk); }
    void InjectUtf8Text(std::string_view utf8) { RawText(utf8); }
    void InjectFocus(bool gained) { RawFocus(gained); }
    void InjectPointerInside(bool inside) { RawPointerInside(inside); }
    void InjectClose() { RawClose(); }
    // The user resizes the window: new client size, OnSize, everything damaged.
    void Resize(int width, int height);
    // The display makes the store behind the screen anew, as a window system may remake a
    // window's surface: a new version, cleared, at this size (another than the client's while a
    // resize is under way), and everything damaged; no size message.
    void RemakeStore(int width, int height);
    // The desktop the window stands on: its work area (1920 x 1040 unless set).
    void SetWorkArea(const Rect& workArea) { workArea_ = workArea; }

    // What the screen shows.
    const std::vector<uint32_t>& Framebuffer() const { return pixels_; }
    uint32_t Pixel(int x, int y) const;
    uint64_t FramebufferHash() const;
    bool ScreenshotPng(const std::string& path) const;

    // What the program asked for.
    const std::optional<Rect>& Confinement() const { return confine_; }
    const Cursor& CurrentCursor() const { return cursor_; }
    int CursorChanges() const { return cursorChanges_; }
    bool CursorVisible() const { return cursorCount_ >= 0; }
    int CursorCount() const { return cursorCount_; }
    int Flashes() const { return flashes_; }
    int Raises() const { return raises_; }
    bool Visible() const { return visible_; }
    const std::string& Title() const { return title_; }
    const Rect& TextInputRect() const { return textInputRect_; }
    int Presents() const { return presents_; }
    uint64_t PresentedPixels() const { return presentedPixels_; }
    struct Box {
        std::string text;
        std::string caption;
        MessageBoxButtons buttons;
    };
    const std::vector<Box>& MessageBoxes() const { return boxes_; }
    // Answers given to the next message boxes, in order; Ok (or Yes) when none is left.
    void QueueMessageBoxAnswer(MessageBoxAnswer answer) { answers_.push_back(answer); }

private:
    void ApplyCursorVisible(bool) override {}
    bool CapturedNow() const override { return captured_; }
    void ResizeBuffer();

    Rect screen_;
    Rect restored_;
    Rect workArea_{0, 0, 1920, 1040};
    std::vector<uint32_t> pixels_;
    int pixelsWidth_ = 0;
    int pixelsHeight_ = 0;
    uint64_t pixelsVersion_ = 0;
    bool visible_ = true;
    bool minimised_ = false;
    bool captured_ = false;
    std::optional<Rect> confine_;
    Cursor cursor_;
    int cursorChanges_ = 0;
    int flashes_ = 0;
    int raises_ = 0;
    int presents_ = 0;
    uint64_t presentedPixels_ = 0;
    std::string title_;
    std::string clipboard_;
    Rect textInputRect_;
    std::vector<Box> boxes_;
    std::deque<MessageBoxAnswer> answers_;
};

} // namespace platform
