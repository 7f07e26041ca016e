#pragma once
// A top-level window whose client area the program draws itself: the one interface that both
// the real window and the headless test window offer. Everything runs on the thread that
// created the window.
#include "platform/Cursor.h"
#include "platform/WindowTypes.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace platform {

class DisplayWindowHandler;

// The window's own pixels lent to the program, which composes its frames straight into them so
// that showing a frame copies nothing: 32-bit B,G,R,x, `width` x `height`, a stride of width*4.
// `version` changes whenever the store is made anew; its pixels are then not the last frame's.
struct PixelStore {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    uint64_t version = 0;
    friend bool operator==(const PixelStore&, const PixelStore&) = default;
};

class DisplayWindow {
public:
    virtual ~DisplayWindow() = default;

    virtual void SetHandler(DisplayWindowHandler* handler) = 0;
    virtual const WindowStyle& Style() const = 0;

    // Placement. Rectangles are in screen pixels; the client area covers the whole window.
    virtual void Show(bool visible) = 0;
    virtual void Move(const Rect& screenRect) = 0;
    virtual Rect ScreenRect() const = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    virtual Point ClientToScreen(Point client) const = 0;
    virtual Rect WorkArea() const = 0;
    virtual void Minimise() = 0;
    virtual void Maximise() = 0;
    virtual void Restore() = 0;
    virtual bool IsMinimised() const = 0;
    virtual bool IsForeground() const = 0;
    virtual void Flash() = 0;
    // The pointer in screen pixels wherever it is, and raising the window above the others.
    virtual Point ScreenCursorPos() const { return ClientToScreen(CursorPos()); }
    virtual void BringToFront() {}
    virtual void SetTitle(const std::string& gbkTitle) = 0;

    // Painting. Invalidate collects damage; the window later calls the handler's OnPaint once for
    // all of it. Present copies the given rectangles of a 32-bit B,G,R,A buffer to the screen.
    virtual void Invalidate(const Rect& rect) = 0;
    void InvalidateAll() { Invalidate({0, 0, ClientWidth(), ClientHeight()}); }
    virtual std::vector<Rect> PendingDamage() const = 0;
    // Inside OnPaint: the damage this paint is for (what Present should copy).
    virtual const std::vector<Rect>& PaintingDamage() const = 0;
    virtual void Present(const uint32_t* bgra, int width, int height, std::span<const Rect> rects) = 0;
    // The store behind the screen, when the window has one in that layout (none otherwise). It
    // lives until the version changes or the window is destroyed, and nothing but the borrower
    // writes it. Present given the store's own pixels only shows the rectangles.
    virtual PixelStore LendPixels() { return {}; }
    // Calls OnPaint once when damage is pending (the damage is validated after it); true when it did.
    virtual bool DispatchPaint() = 0;
    // Told whenever damage appears where there was none, so the owner can schedule a paint.
    virtual void SetDamageListener(std::function<void()> listener) = 0;

    // Mouse.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual bool HasCapture() const = 0;
    virtual void SetFocus() = 0;
    virtual bool HasFocus() const = 0;
    // Keeps the pointer inside a client rectangle; ReleaseCursor lets it go.
    virtual void ConfineCursor(const Rect& clientRect) = 0;
    virtual void ReleaseCursor() = 0;
    virtual void SetCursor(const Cursor& cursor) = 0;
    // A display counter: the cursor shows while the count is >= 0. Returns the new count.
    virtual int ShowCursor(bool show) = 0;
    // The pointer in client pixels, and whether it is over the window.
    virtual Point CursorPos() const = 0;
    virtual bool PointerInside() const = 0;
    // Whether a key (by virtual key code) is held, as the key messages left it.
    virtual bool IsKeyDown(uint32_t vk) const = 0;

    // Text entry: where the input method should show its composition.
    virtual void SetTextInputRect(const Rect& clientRect) = 0;
    // The clipboard holds text; both ways in GBK.
    virtual void SetClipboardText(const std::string& gbk) = 0;
    virtual std::string ClipboardText() const = 0;
    virtual MessageBoxAnswer MessageBox(const std::string& gbkText, const std::string& gbkCaption,
                                        MessageBoxButtons buttons) = 0;

    // Ends the window: the handler gets OnDestroy and nothing after it.
    virtual void Destroy() = 0;
    virtual bool IsDestroyed() const = 0;
};

} // namespace platform
