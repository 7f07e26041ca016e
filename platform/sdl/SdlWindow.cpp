// The real window: SDL2 underneath, DisplayWindowBase's message rules on top.
#include "platform/Charset.h"
#include "platform/ClickTrace.h"
#include "platform/MessageQueue.h"
#include "platform/RealWindow.h"
#include "platform/DisplayWindowBase.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlSubsystems.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

class SdlWindow;

struct Registry {
    bool open = false;
    std::atomic<Uint32> wakeEvent{0};
    std::map<Uint32, SdlWindow*> windows;  // by SDL window id
    // The display's capture is let go when the thread next waits, after the release's own
    // messages (the engine's tick, which sends a click's request) ran: letting go takes several
    // round trips to the X server, which would otherwise come first.
    bool releaseCapture = false;
};

Registry& Reg()
{
    static Registry r;
    return r;
}

// Lets go of the display's capture that a window released.
void ApplyCaptureRelease()
{
    Registry& r = Reg();
    if (!r.releaseCapture)
        return;
    r.releaseCapture = false;
    SDL_CaptureMouse(SDL_FALSE);
}

SDL_SystemCursor ToSdlCursor(int id)
{
    switch (id) {
    case system_cursor::kIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case system_cursor::kWait: return SDL_SYSTEM_CURSOR_WAIT;
    case system_cursor::kCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case system_cursor::kSizeNwse: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case system_cursor::kSizeNesw: return SDL_SYSTEM_CURSOR_SIZENESW;
    case system_cursor::kSizeWe: return SDL_SYSTEM_CURSOR_SIZEWE;
    case system_cursor::kSizeNs: return SDL_SYSTEM_CURSOR_SIZENS;
    case system_cursor::kSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    case system_cursor::kNo: return SDL_SYSTEM_CURSOR_NO;
    case system_cursor::kHand: return SDL_SYSTEM_CURSOR_HAND;
    case system_cursor::kAppStarting: return SDL_SYSTEM_CURSOR_WAITARROW;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

// SDL cursors live as long as the display connection; made once per shape or picture set.
class CursorCache {
public:
    SDL_Cursor* Get(const Cursor& cursor)
    {
        if (cursor.IsSystem()) {
            auto [it, fresh] = system_.try_emplace(cursor.SystemId(), nullptr);
            if (fresh)
                it->second = SDL_CreateSystemCursor(ToSdlCursor(cursor.SystemId()));
            return it->second;
        }
        auto it = pictures_.find(cursor.Identity());
        if (it != pictures_.end())
            return it->second.second;
        // Animated cursors show their first frame.
        const CursorFrame& f = cursor.Frames().front();
        SDL_Surface* s = SDL_CreateRGBSurfaceFrom(const_cast<uint32_t*>(f.bgra.data()), f.width, f.height, 32,
                                                  f.width * 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
        SDL_Cursor* c = s ? SDL_CreateColorCursor(s, f.hotX, f.hotY) : nullptr;
        if (s)
            SDL_FreeSurface(s);
        pictures_.emplace(cursor.Identity(), std::make_pair(cursor, c));
        return c;
    }
    void Clear()
    {
        for (auto& [id, c] : system_)
            if (c)
                SDL_FreeCursor(c);
        for (auto& [key, pair] : pictures_)
            if (pair.second)
                SDL_FreeCursor(pair.second);
        system_.clear();
        pictures_.clear();
    }

private:
    std::map<int, SDL_Cursor*> system_;
    std::map<const void*, std::pair<Cursor, SDL_Cursor*>> pictures_;  // the Cursor copy keeps its pictures alive
};

CursorCache& Cursors()
{
    static CursorCache c;
    return c;
}

class SdlWindow final : public DisplayWindowBase {
public:
    SdlWindow(SDL_Window* w, const WindowStyle& style) : DisplayWindowBase(style), window_(w)
    {
        Reg().windows[SDL_GetWindowID(w)] = this;
        SDL_GetWindowSize(w, &width_, &height_);
    }
    ~SdlWindow() override { Destroy(); }

    void Show(bool visible) override { visible ? SDL_ShowWindow(window_) : SDL_HideWindow(window_); }
    void Move(const Rect& requested) override
    {
        if (!window_)
            return;
        const Rect r = AtLeastSmallest(requested);
        SDL_SetWindowPosition(window_, r.left, r.top);
        SDL_SetWindowSize(window_, std::max(1, r.Width()), std::max(1, r.Height()));
        SyncSize(true); // setting a size drops the surface even when the size stays
    }
    Rect ScreenRect() const override
    {
        int x = 0, y = 0, w = 0, h = 0;
        if (window_) {
            SDL_GetWindowPosition(window_, &x, &y);
            SDL_GetWindowSize(window_, &w, &h);
        }
        return {x, y, x + w, y + h};
    }
    int ClientWidth() const override { return IsMinimised() ? 0 : width_; }
    int ClientHeight() const override { return IsMinimised() ? 0 : height_; }
    Point ClientToScreen(Point p) const override
    {
        const Rect r = ScreenRect();
        return {p.x + r.left, p.y + r.top};
    }
    Rect WorkArea() const override
    {
        SDL_Rect r{0, 0, 0, 0};
        const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
        if (SDL_GetDisplayUsableBounds(display, &r) != 0)
            SDL_GetDisplayBounds(display, &r);
        return {r.x, r.y, r.x + r.w, r.y + r.h};
    }
    void Minimise() override { if (window_) SDL_MinimizeWindow(window_); }
    void Maximise() override { if (window_) SDL_MaximizeWindow(window_); }
    void Restore() override { if (window_) SDL_RestoreWindow(window_); }
    bool IsMinimised() const override { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED); }
    bool IsForeground() const override { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS); }
    void Flash() override { if (window_) SDL_FlashWindow(window_, SDL_FLASH_UNTIL_FOCUSED); }
    Point ScreenCursorPos() const override
    {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return {x, y};
    }
    void BringToFront() override { if (window_) SDL_RaiseWindow(window_); }
    void SetTitle(const std::string& gbk) override
    {
        if (window_)
            SDL_SetWindowTitle(window_, GbkToUtf8(gbk).c_str());
    }

    void Present(const uint32_t* bgra, int width, int height, std::span<const Rect> rects) override
    {
        if (!window_ || !bgra || IsMinimised())
            return;
        // The lent surface after SDL dropped it: asking for the new one would free the pixels
        // given here. The borrower asks for it before its next frame and redraws.
        if (surfaceDropped_ && surface_ && bgra == surface_->pixels)
            return;
        SDL_Surface* s = Surface();
        if (!s)
            return;
        const Rect bounds = Rect{0, 0, width, height}.Intersect({0, 0, s->w, s->h});
        std::vector<SDL_Rect> updated;
        if (bgra == s->pixels && Lendable(*s)) {
            // The frame was composed in the surface: only the display has to be told.
            for (const Rect& asked : rects)
                if (const Rect r = asked.Intersect(bounds); !r.Empty())
                    updated.push_back({r.left, r.top, r.Width(), r.Height()});
            if (!updated.empty())
                SDL_UpdateWindowSurfaceRects(window_, updated.data(), static_cast<int>(updated.size()));
            return;
        }
        const bool sameLayout = SameChannels(*s->format);
        if (SDL_MUSTLOCK(s))
            SDL_LockSurface(s);
        for (const Rect& asked : rects) {
            const Rect r = asked.Intersect(bounds);
            if (r.Empty())
                continue;
            const uint32_t* src = bgra + static_cast<size_t>(r.top) * width + r.left;
            auto* dst = static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(r.top) * s->pitch +
                        static_cast<size_t>(r.left) * s->format->BytesPerPixel;
            if (sameLayout) {
                for (int y = 0; y < r.Height(); ++y)
                    std::copy_n(src + static_cast<size_t>(y) * width, r.Width(),
                                reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * s->pitch));
            } else {
                SDL_ConvertPixels(r.Width(), r.Height(), SDL_PIXELFORMAT_ARGB8888, src, width * 4,
                                  s->format->format, dst, s->pitch);
            }
            updated.push_back({r.left, r.top, r.Width(), r.Height()});
        }
        if (SDL_MUSTLOCK(s))
            SDL_UnlockSurface(s);
        if (!updated.empty())
            SDL_UpdateWindowSurfaceRects(window_, updated.data(), static_cast<int>(updated.size()));
    }

    PixelStore LendPixels() override
    {
        SDL_Surface* s = window_ ? Surface() : nullptr;
        if (!s || !Lendable(*s))
            return {};
        return {static_cast<uint32_t*>(s->pixels), s->w, s->h, surfaceVersion_};
    }

    void SetCapture() override
    {
        captured_ = true;
        Reg().releaseCapture = false;
        SDL_CaptureMouse(SDL_TRUE);
    }
    void ReleaseCapture() override
    {
        if (!captured_)
            return;
        captured_ = false;
        Reg().releaseCapture = true;
    }
    bool HasCapture() const override { return captured_; }
    void SetFocus() override
    {
        if (window_)
            SDL_SetWindowInputFocus(window_);
    }
    void ConfineCursor(const Rect& r) override
    {
        const Rect c = r.Intersect({0, 0, width_, height_});
        const SDL_Rect sr{c.left, c.top, c.Width(), c.Height()};
        if (window_)
            SDL_SetWindowMouseRect(window_, c.Empty() ? nullptr : &sr);
    }
    void ReleaseCursor() override
    {
        if (window_)
            SDL_SetWindowMouseRect(window_, nullptr);
    }
    void SetCursor(const Cursor& cursor) override
    {
        if (SDL_Cursor* c = Cursors().Get(cursor))
            SDL_SetCursor(c);
    }
    void SetTextInputRect(const Rect& r) override
    {
        SDL_Rect sr{r.left, r.top, r.Width(), r.Height()};
        SDL_SetTextInputRect(&sr);
    }
    void SetClipboardText(const std::string& gbk) override
    {
        SDL_SetClipboardText(GbkToUtf8(gbk).c_str());
        // On X11 taking the selection is only queued; asking who owns it is a round trip, after
        // which the server has made this window the owner. Without it a program started right
        // after the copy may ask before the queue is sent, and find the clipboard without owner.
        SDL_HasClipboardText();
    }
    std::string ClipboardText() const override
    {
        char* text = SDL_GetClipboardText();
        std::string gbk = text ? Utf8ToGbk(text) : std::string();
        SDL_free(text);
        return gbk;
    }
    MessageBoxAnswer MessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons) override
    {
        std::vector<SDL_MessageBoxButtonData> b;
        auto add = [&](MessageBoxAnswer a, const char* label, Uint32 flags) {
            b.push_back({flags, static_cast<int>(a), label});
        };
        switch (buttons) {
        case MessageBoxButtons::Ok: add(MessageBoxAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT); break;
        case MessageBoxButtons::OkCancel:
            add(MessageBoxAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
            add(MessageBoxAnswer::Cancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
            break;
        case MessageBoxButtons::YesNo:
            add(MessageBoxAnswer::Yes, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
            add(MessageBoxAnswer::No, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
            break;
        case MessageBoxButtons::YesNoCancel:
            add(MessageBoxAnswer::Yes, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
            add(MessageBoxAnswer::No, "No", 0);
            add(MessageBoxAnswer::Cancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
            break;
        }
        const std::string utfText = GbkToUtf8(text), utfCaption = GbkToUtf8(caption);
        const SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, window_, utfCaption.c_str(), utfText.c_str(),
                                      static_cast<int>(b.size()), b.data(), nullptr};
        int pressed = -1;
        ApplyCaptureRelease(); // the box's own loop needs the pointer
        if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0)
            return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok
                   : buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No
                                                         : MessageBoxAnswer::Cancel;
        return static_cast<MessageBoxAnswer>(pressed);
    }
    void Destroy() override
    {
        if (!window_)
            return;
        Reg().windows.erase(SDL_GetWindowID(window_));
        if (captured_) {
            captured_ = false;
            Reg().releaseCapture = true;
        }
        ApplyCaptureRelease();
        MarkDestroyed();
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    void Handle(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_MOUSEMOTION:
            RawPointerInside(true);
            RawMouseMove(e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const MouseButton b = e.button.button == SDL_BUTTON_LEFT    ? MouseButton::Left
                                  : e.button.button == SDL_BUTTON_RIGHT ? MouseButton::Right
                                                                        : MouseButton::Middle;
            if (e.button.button <= SDL_BUTTON_RIGHT)
                RawMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y, e.button.timestamp);
            break;
        }
        case SDL_MOUSEWHEEL:
            RawWheel(e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const sdl::VirtualKey k = sdl::ToVirtualKey(e.key.keysym.sym, e.key.keysym.scancode);
            RawKey(k.vk, e.type == SDL_KEYDOWN, e.key.repeat != 0, 0, k.extended);
            break;
        }
        case SDL_TEXTINPUT:
            RawText(e.text.text);
            break;
        case SDL_WINDOWEVENT:
            HandleWindowEvent(e.window);
            break;
        default:
            break;
        }
    }

private:
    void HandleWindowEvent(const SDL_WindowEvent& w)
    {
        switch (w.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // Without a window manager to keep to the smallest size, a resize by another program
            // may go below it: the window takes that size back before it lays out again.
            if (w.data1 < style_.minWidth || w.data2 < style_.minHeight)
                SDL_SetWindowSize(window_, std::max(int(w.data1), style_.minWidth),
                                  std::max(int(w.data2), style_.minHeight));
            SyncSize(true);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            damage_.clear();
            RawSize(0, 0);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            SyncSize(false);
            RawSize(width_, height_);
            InvalidateAll();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            InvalidateAll();
            break;
        case SDL_WINDOWEVENT_ENTER:
            RawPointerInside(true);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            RawPointerInside(false);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            RawFocus(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (captured_)
                ReleaseCapture();
            RawFocus(false);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            RawClose();
            break;
        default:
            break;
        }
    }

    // After a size event. SDL drops the surface on every size change it reports, even one back
    // to the same size, and makes a new one (freeing the old) when next asked for it.
    void SyncSize(bool surfaceDropped)
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        const bool resized = w != width_ || h != height_;
        if (!resized && !surfaceDropped)
            return;
        surfaceDropped_ = true;
        width_ = w;
        height_ = h;
        if (resized)
            RawSize(w, h);
        InvalidateAll();
    }

    // The window's surface. Only here is SDL asked for it, and only for the borrower or for a
    // copy from a buffer of the program's own, so a lent surface lives until the borrower
    // learns of its successor (a new version).
    SDL_Surface* Surface()
    {
        if (surface_ && !surfaceDropped_)
            return surface_;
        surface_ = SDL_GetWindowSurface(window_);
        surfaceDropped_ = false;
        ++surfaceVersion_;
        return surface_;
    }

    // Whether the engine's own pixel layout is the surface's, row for row.
    bool Lendable(const SDL_Surface& s) const
    {
        return SameChannels(*s.format) && s.format->Amask == 0 && s.pitch == s.w * 4 && !SDL_MUSTLOCK(&s) && s.pixels;
    }

    // Four bytes a pixel with blue, green and red where the engine keeps them.
    static bool SameChannels(const SDL_PixelFormat& f)
    {
        return f.BytesPerPixel == 4 && f.Rmask == 0x00FF0000 && f.Gmask == 0x0000FF00 && f.Bmask == 0x000000FF;
    }

    void ApplyCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
    bool CapturedNow() const override { return captured_; }

    SDL_Window* window_;
    int width_ = 0;
    int height_ = 0;
    bool captured_ = false;
    SDL_Surface* surface_ = nullptr;
    bool surfaceDropped_ = false;
    uint64_t surfaceVersion_ = 0;
};

SdlWindow* WindowOf(const SDL_Event& e)
{
    Uint32 id = 0;
    switch (e.type) {
    case SDL_MOUSEMOTION: id = e.motion.windowID; break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: id = e.button.windowID; break;
    case SDL_MOUSEWHEEL: id = e.wheel.windowID; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: id = e.key.windowID; break;
    case SDL_TEXTINPUT: id = e.text.windowID; break;
    case SDL_WINDOWEVENT: id = e.window.windowID; break;
    default: return nullptr;
    }
    auto it = Reg().windows.find(id);
    return it == Reg().windows.end() ? nullptr : it->second;
}

// The windows' thread sleeps in the display library, so that both its own queue and the
// display's input wake it; input that arrives is handed to the windows before it sleeps again.
// A display without input of its own (the dummy and offscreen drivers) has no wait in the
// library, which would then poll every millisecond: the thread sleeps on its own condition instead.
class DisplayWaiter final : public ExternalWaiter {
public:
    void Wait(std::optional<uint32_t> timeoutMs) override
    {
        ApplyCaptureRelease();
        if (PumpRealWindows(0))
            return;
        if (withoutInput_) {
            std::unique_lock lock(mutex_);
            if (!woken_) {
                if (timeoutMs)
                    wake_.wait_for(lock, std::chrono::milliseconds(*timeoutMs), [this] { return woken_; });
                else
                    wake_.wait(lock, [this] { return woken_; });
            }
            woken_ = false;
        } else {
            ClickTraceSpan span("wait", timeoutMs.value_or(0));
            SDL_WaitEventTimeout(nullptr, timeoutMs ? static_cast<int>(std::min<uint32_t>(*timeoutMs, 0x7FFFFFFF)) : -1);
        }
        PumpRealWindows(0);
    }
    bool Pump() override { return PumpRealWindows(0); }
    void Wake() override
    {
        if (withoutInput_) {
            {
                std::lock_guard lock(mutex_);
                woken_ = true;
            }
            wake_.notify_all();
        } else {
            WakeRealWindows();
        }
    }
    // After the video subsystem started: whether its driver delivers no input.
    void UseDriver(const char* name)
    {
        const std::string driver = name ? name : "";
        withoutInput_ = driver == "dummy" || driver == "offscreen";
    }

private:
    std::atomic<bool> withoutInput_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

DisplayWaiter g_waiter;
std::shared_ptr<WakeSignal> g_waitingSignal;  // the queue signal the waiter is installed on

} // namespace

bool OpenRealWindows()
{
    Registry& r = Reg();
    if (r.open)
        return true;
    // No high-DPI scaling: one buffer pixel is one window pixel. Double clicks are ours.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The engine draws in software: present through the display's own framebuffer, so that no
    // GL driver is loaded just to copy pixels.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!sdl::StartSubsystems(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) {
        std::fprintf(stderr, "display: no windows (%s)\n", SDL_GetError());
        return false;
    }
    r.wakeEvent = SDL_RegisterEvents(1);
    r.open = true;
    SDL_StartTextInput();
    g_waiter.UseDriver(SDL_GetCurrentVideoDriver());
    g_waitingSignal = CurrentQueue().Signal();
    g_waitingSignal->SetExternalWaiter(&g_waiter);
    return true;
}

void CloseRealWindows()
{
    Registry& r = Reg();
    if (!r.open)
        return;
    if (g_waitingSignal) {
        g_waitingSignal->SetExternalWaiter(nullptr);
        g_waitingSignal.reset();
    }
    ApplyCaptureRelease();
    Cursors().Clear();
    SDL_StopTextInput();
    sdl::StopSubsystems(SDL_INIT_VIDEO | SDL_INIT_EVENTS, true);
    r.open = false;
}

std::unique_ptr<DisplayWindow> CreateRealWindow(const std::string& gbkTitle, const Rect& rect, const WindowStyle& style)
{
    if (!OpenRealWindows())
        return nullptr;
    Uint32 flags = style.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (style.borderless)
        flags |= SDL_WINDOW_BORDERLESS;
    if (style.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* w = SDL_CreateWindow(GbkToUtf8(gbkTitle).c_str(), rect.left, rect.top, std::max(1, rect.Width()),
                                     std::max(1, rect.Height()), flags);
    if (!w)
        return nullptr;
    if (style.minWidth > 0 || style.minHeight > 0)
        SDL_SetWindowMinimumSize(w, std::max(1, style.minWidth), std::max(1, style.minHeight));
    // A window made hidden is built before it is shown, often while the program waits for
    // others: its pixel memory is made and touched now rather than at its first paint.
    if (!style.visible)
        if (SDL_Surface* s = SDL_GetWindowSurface(w))
            std::memset(s->pixels, 0, static_cast<size_t>(s->pitch) * static_cast<size_t>(s->h));
    return std::make_unique<SdlWindow>(w, style);
}

bool PumpRealWindows(int timeoutMs)
{
    Registry& r = Reg();
    if (!r.open)
        return false;
    bool damaged = false;
    for (auto& [id, w] : r.windows)
        damaged = damaged || !w->PendingDamage().empty();
    bool handled = false;
    SDL_Event e;
    int got = damaged || timeoutMs <= 0 ? SDL_PollEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
    while (got) {
        handled = true;
        const bool button = e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP;
        if (button)
            ClickTraceButton(e.type == SDL_MOUSEBUTTONDOWN, SDL_GetTicks() - e.button.timestamp);
        if (SdlWindow* w = WindowOf(e)) {
            ClickTraceSpan span(button ? "button" : "event", e.type);
            w->Handle(e);
        }
        ClickTraceSpan poll("poll", 0);
        got = SDL_PollEvent(&e);
    }
    // Windows may go away while painting; walk a copy.
    std::vector<SdlWindow*> all;
    for (auto& [id, w] : r.windows)
        all.push_back(w);
    for (SdlWindow* w : all) {
        const bool alive = std::any_of(r.windows.begin(), r.windows.end(), [w](auto& kv) { return kv.second == w; });
        if (!alive)
            continue;
        ClickTraceSpan span("paint", 0);
        handled = w->DispatchPaint() || handled;
    }
    return handled;
}

void WakeRealWindows()
{
    const Uint32 type = Reg().wakeEvent;
    if (type == 0 || type == static_cast<Uint32>(-1))
        return;
    SDL_Event e{};
    e.type = type;
    SDL_PushEvent(&e);
}

} // namespace platform
