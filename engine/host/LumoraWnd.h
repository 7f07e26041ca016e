#pragma once
// CLumoraWnd: the window whose client area the engine owns. It embeds the GameCore, makes and
// loads the five modules, registers the game object, drives the 5 ms frame tick from a timer,
// turns the window's mouse, key, focus, paint, size and hand-over messages into calls on the
// modules, and shows each frame by presenting only the rectangles that changed. Where the window
// lends its own pixels the frames are composed in them, and presenting copies nothing.
#include "engine/GameCore.h"
#include "engine/object/CursorClipHost.h"
#include "platform/DisplayWindow.h"
#include "platform/DisplayWindowHandler.h"
#include "platform/Message.h"

namespace platform {
class WindowDesktopServices;
}

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Lumora {

class CGameBase;
class InputModule;
class ObjectModule;
class PaintModuleGDI;
class PObject;
class ResourceModule;

class CLumoraWnd : public platform::DisplayWindowHandler, public CursorClipHost {
public:
    // Told on the UI thread after each frame the window shows, with the window. One watcher for
    // the process (there is one host window); none by default, and then showing costs one load.
    class FrameWatcher {
    public:
        virtual ~FrameWatcher() = default;
        virtual void OnFrameShown(CLumoraWnd& window) = 0;
    };
    // Installs the watcher (null: none); it must outlive the windows it watches or be removed.
    static void SetFrameWatcher(FrameWatcher* watcher);

    static constexpr uint32_t kFrameIntervalMs = 5;
    static constexpr uint32_t kFirstTimerId = 19840323;
    // Posted to this window by a press, a release or a key: one frame tick at once, so that the
    // input reaches its object without waiting for the timer.
    static constexpr uint32_t kMsgTickNow = 0x7E11;

    CLumoraWnd();
    ~CLumoraWnd() override;
    CLumoraWnd(const CLumoraWnd&) = delete;
    CLumoraWnd& operator=(const CLumoraWnd&) = delete;

    // A window on the display; the window class asks for no double clicks unless `style` does.
    virtual bool Create(const std::string& gbkName, const platform::WindowStyle& style, const platform::Rect& rect);
    // A window made elsewhere (the headless one in tests).
    bool Create(std::unique_ptr<platform::DisplayWindow> window);

    // Modules, back buffer, viewport, game object, frame timer. Returns the frame timer's id.
    virtual uint32_t StartEngine(CGameBase* gameObject, ResourceModule* resources = nullptr);
    virtual void OnEngineResize();
    virtual void OnEngineTimer();
    virtual int GetClientWidth() const { return clientWidth_; }
    virtual int GetClientHeight() const { return clientHeight_; }

    CGameBase* GetGameObject() const { return gameObject_; }
    GameCore& GetCore() { return core_; }
    platform::DisplayWindow* GetWindow() const { return window_.get(); }
    // The id other threads post to; this window's platform messages arrive in OnMessage.
    platform::WindowId GetMessageWindow() const { return messageWindow_; }
    uint32_t GetEngineTimerId() const { return timerId_; }
    // The frame timer's current period: 5 ms while the engine has work every tick, longer while
    // it sleeps until its next due work, 0 while nothing is due until something arrives.
    uint32_t GetTickPeriod() const { return tickPeriod_; }
    // Ends the window (the modules are unloaded, the timer stops).
    void DestroyWindow();

    // Window messages.
    void OnSize(int width, int height) override;
    void OnPaint() override;
    void OnDestroy() override;
    void OnCopyData(uint32_t code, std::span<const uint8_t> bytes) override;
    bool OnSetCursor() override;
    void OnMouseMove(int x, int y, uint32_t flags) override;
    void OnMouseDown(platform::MouseButton button, int x, int y, uint32_t flags) override;
    void OnMouseUp(platform::MouseButton button, int x, int y, uint32_t flags) override;
    void OnMouseDoubleClick(platform::MouseButton button, int x, int y, uint32_t flags) override;
    void OnMouseWheel(int x, int y, int delta, uint32_t flags) override;
    void OnKeyDown(uint32_t vk, uint32_t repeat, uint32_t flags) override;
    void OnKeyUp(uint32_t vk, uint32_t repeat, uint32_t flags) override;
    void OnChar(uint32_t byte, uint32_t repeat, uint32_t flags) override;
    void OnKillFocus() override;

    // Cursor confinement for objects held with the mouse (screen coordinates).
    Rect GetCursorClip() const override;
    void SetCursorClip(const Rect& screenRect) override;
    Origin ClientOrigin() const override;

protected:
    // Platform messages to this window other than the frame timer and paint (timers of derived
    // windows, posts from other threads).
    virtual intptr_t OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam);

private:
    bool Attach(std::unique_ptr<platform::DisplayWindow> window);
    InputModule* Input();
    PaintModuleGDI* Paint();
    ObjectModule* Objects();
    void ScheduleFramePaint();
    // After a tick: sleep until the engine's next due work (on the 5 ms grid), or wake.
    void PlanNextTick();
    void WakeTick();
    void TickNow();
    void PresentFrame(const uint8_t* pixels, int width, int height, size_t stride);
    // Gives the painting module the window's pixels to compose in when the window lends another
    // store than last time (or stops lending); true when the store changed, and then the view
    // has to be drawn whole.
    bool AdoptFrameStore();
    // Before the engine draws or shows: a new store gets the whole view at once.
    void FollowFrameStore();

    CGameBase* gameObject_ = nullptr;
    uint32_t timerId_ = 0;
    uint32_t tickPeriod_ = 0;
    bool tickNowPosted_ = false;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    GameCore core_;
    std::unique_ptr<platform::DisplayWindow> window_;
    // The clipboard, input-method point and Ctrl state of this window, current while it lives.
    std::unique_ptr<platform::WindowDesktopServices> desktop_;
    platform::WindowId messageWindow_ = 0;
    std::optional<Rect> cursorClip_;  // screen coordinates; none: the whole screen
    bool destroying_ = false;
    platform::PixelStore offeredStore_; // what the window lent when last asked
    bool storeTaken_ = false; // and whether the frames are composed in it
};

} // namespace Lumora
