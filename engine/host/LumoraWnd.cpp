#include "engine/host/LumoraWnd.h"

#include "engine/gui/CGameBase.h"
#include "engine/gui/CLumoraMouse.h"
#include "engine/input/InputModule.h"
#include "engine/music/MusicModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceModule.h"
#include "engine/util/HostServices.h"
#include "platform/DesktopServices.h"
#include "platform/RealWindow.h"
#include "platform/StartTrace.h"
#include "platform/Window.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace Lumora {
namespace {

// Frame timer ids are unique in the process: each engine start takes the next.
std::atomic<uint32_t> g_nextTimerId{CLumoraWnd::kFirstTimerId};
CLumoraWnd::FrameWatcher* g_frameWatcher = nullptr;

platform::Rect ToPlatform(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

} // namespace

CLumoraWnd::CLumoraWnd() = default;

void CLumoraWnd::SetFrameWatcher(FrameWatcher* watcher) { g_frameWatcher = watcher; }

CLumoraWnd::~CLumoraWnd()
{
    DestroyWindow();
}

bool CLumoraWnd::Create(const std::string& gbkName, const platform::WindowStyle& style, const platform::Rect& rect)
{
    return Attach(platform::CreateRealWindow(gbkName, rect, style));
}

bool CLumoraWnd::Create(std::unique_ptr<platform::DisplayWindow> window) { return Attach(std::move(window)); }

bool CLumoraWnd::Attach(std::unique_ptr<platform::DisplayWindow> window)
{
    if (!window || window_)
        return false;
    window_ = std::move(window);
    window_->SetHandler(this);
    desktop_ = std::make_unique<platform::WindowDesktopServices>(*window_);
    messageWindow_ = platform::MakeWindow([this](platform::WindowId, uint32_t message, uintptr_t wparam, intptr_t lparam) {
        if (message == platform::kMsgTimer && wparam == timerId_ && timerId_ != 0) {
            OnEngineTimer();
            return intptr_t{0};
        }
        if (message == kMsgTickNow) {
            tickNowPosted_ = false;
            if (timerId_ != 0)
                OnEngineTimer();
            return intptr_t{0};
        }
        if (message == platform::kMsgPaint) {
            if (window_)
                window_->DispatchPaint();
            return intptr_t{0};
        }
        if (message == platform::kMsgDestroy)
            return intptr_t{0};
        return OnMessage(message, wparam, lparam);
    });
    // Damage on the display (a frame, an expose) becomes one paint request on our queue, taken
    // after posted messages and before timers.
    const platform::WindowId id = messageWindow_;
    window_->SetDamageListener([id] { platform::InvalidateWindow(id); });
    // The sizes seen while the window came up.
    OnSize(window_->ClientWidth(), window_->ClientHeight());
    return true;
}

intptr_t CLumoraWnd::OnMessage(uint32_t, uintptr_t, intptr_t) { return 0; }

InputModule* CLumoraWnd::Input() { return static_cast<InputModule*>(core_.GetModule(LUMORA_MODULE_INPUT)); }
PaintModuleGDI* CLumoraWnd::Paint() { return static_cast<PaintModuleGDI*>(core_.GetModule(LUMORA_MODULE_PAINT)); }
ObjectModule* CLumoraWnd::Objects() { return static_cast<ObjectModule*>(core_.GetModule(LUMORA_MODULE_OBJECT)); }

uint32_t CLumoraWnd::StartEngine(CGameBase* gameObject, ResourceModule* resources)
{
    // The modules are looked up by id after loading: a module that fails to load is deleted by
    // the core, so the pointers made here are not kept.
    BaseModule* made[] = {resources ? static_cast<BaseModule*>(resources) : new ResourceModule(), new ObjectModule(),
                          new PaintModuleGDI(), new MusicModule(), new InputModule()};
    core_.Init(static_cast<HostWindowHandle>(messageWindow_));
    const int run[] = {1, 1, 1, 1, 1};
    const int guard[] = {1, 0, 1, 0, 1};
    for (int i = 0; i < 5; ++i)
        core_.LoadModule(made[i], run[i], guard[i]);

    core_.SetFaultHandler([this](const std::string& text) {
        if (window_)
            window_->MessageBox(text, "", platform::MessageBoxButtons::Ok);
    });
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption) {
        if (window_)
            window_->MessageBox(text, caption, platform::MessageBoxButtons::Ok);
    });
    CLumoraMouse::SetCursorApplier([this](const platform::Cursor& cursor) {
        if (window_)
            window_->SetCursor(cursor);
    });
    SetFlashHandler([this] {
        if (window_ && !window_->IsForeground())
            window_->Flash();
    });
    if (InputModule* input = Input()) {
        input->SetWindow(window_.get());
    }
    if (PaintModuleGDI* paint = Paint()) {
        paint->SetPresenter([this](const uint8_t* pixels, int width, int height, size_t stride, const std::vector<Rect>&) {
            PresentFrame(pixels, width, height, stride);
        });
    }
    PaintModuleGDI* paint = Paint();
    ObjectModule* objects = Objects();
    if (paint && objects) {
        paint->CreateBackBuffer(clientWidth_, clientHeight_);
        AdoptFrameStore();
        objects->SetViewportCentre(clientWidth_ / 2, clientHeight_ / 2);
        objects->SetViewportSize(clientWidth_, clientHeight_);
        objects->SetCursorClipHost(this);
        gameObject_ = gameObject;
        if (gameObject_) {
            objects->RegisterObject(gameObject_, nullptr);
            gameObject_->OnSize();
        }
        objects->FullRedraw();
        ScheduleFramePaint();
    }
    timerId_ = g_nextTimerId.fetch_add(1);
    tickPeriod_ = kFrameIntervalMs;
    platform::StartTimer(messageWindow_, timerId_, kFrameIntervalMs);
    core_.SetTickRequestHandler([this] { WakeTick(); });
    return timerId_;
}

void CLumoraWnd::OnEngineResize()
{
    if (PaintModuleGDI* paint = Paint()) {
        paint->CreateBackBuffer(clientWidth_, clientHeight_);
        AdoptFrameStore();
    }
    if (ObjectModule* objects = Objects()) {
        objects->SetViewportCentre(clientWidth_ / 2, clientHeight_ / 2);
        objects->SetViewportSize(clientWidth_, clientHeight_);
        if (gameObject_)
            gameObject_->OnSize();
        objects->FullRedraw();
    }
    ScheduleFramePaint();
}

void CLumoraWnd::OnEngineTimer()
{
    FollowFrameStore();
    core_.FrameTick();
    ScheduleFramePaint();
    PlanNextTick();
}

void CLumoraWnd::PlanNextTick()
{
    if (timerId_ == 0)
        return;
    uint32_t period = 0;
    if (const std::optional<uint32_t> due = core_.NextDue()) {
        const uint32_t wait = static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>(*due - core_.GetTime())));
        period = std::max(kFrameIntervalMs, (wait + kFrameIntervalMs - 1) / kFrameIntervalMs * kFrameIntervalMs);
    }
    if (period == tickPeriod_)
        return; // an unchanged timer keeps its cadence
    tickPeriod_ = period;
    if (period == 0)
        platform::StopTimer(messageWindow_, timerId_);
    else
        platform::StartTimer(messageWindow_, timerId_, period);
}

void CLumoraWnd::WakeTick()
{
    if (timerId_ == 0 || tickPeriod_ == kFrameIntervalMs)
        return;
    tickPeriod_ = kFrameIntervalMs;
    platform::StartTimer(messageWindow_, timerId_, kFrameIntervalMs);
}

void CLumoraWnd::TickNow()
{
    if (timerId_ == 0 || tickNowPosted_)
        return;
    tickNowPosted_ = platform::PostToWindow(messageWindow_, kMsgTickNow);
}

// What the painting module composed since the last paint becomes damage on the display.
void CLumoraWnd::ScheduleFramePaint()
{
    PaintModuleGDI* paint = Paint();
    if (!paint || !window_)
        return;
    for (const Rect& r : paint->InvalidRects())
        window_->Invalidate(ToPlatform(r));
}

bool CLumoraWnd::AdoptFrameStore()
{
    PaintModuleGDI* paint = Paint();
    if (!paint || !window_)
        return false;
    const platform::PixelStore store = window_->LendPixels();
    // Offered again when the window lends another store, or when a new back buffer dropped it.
    if (store == offeredStore_ && paint->FrameInStore() == storeTaken_)
        return false;
    offeredStore_ = store;
    const bool hadStore = paint->FrameInStore();
    storeTaken_ = paint->UseFrameStore(store.pixels, store.width, store.height);
    return storeTaken_ || hadStore;
}

void CLumoraWnd::FollowFrameStore()
{
    if (!AdoptFrameStore())
        return;
    if (ObjectModule* objects = Objects())
        objects->FullRedraw();
    ScheduleFramePaint();
}

void CLumoraWnd::OnPaint()
{
    FollowFrameStore();
    core_.SendMessage(LUMORA_MODULE_PAINT, LUMORA_MSG_REPAINT, 0, 0);
}

void CLumoraWnd::PresentFrame(const uint8_t* pixels, int width, int height, size_t stride)
{
    if (!window_ || !pixels || stride != static_cast<size_t>(width) * 4)
        return;
    // Everything damaged since the last paint (new frames and exposed parts alike) is shown
    // from the latest frame.
    const std::vector<platform::Rect>& damage = window_->PaintingDamage();
    window_->Present(reinterpret_cast<const uint32_t*>(pixels), width, height, damage);
    platform::StartTraceFrame();
    if (FrameWatcher* watcher = g_frameWatcher)
        watcher->OnFrameShown(*this);
}

void CLumoraWnd::OnSize(int width, int height)
{
    if (ObjectModule* objects = Objects())
        objects->SetHostMinimised(width == 0 || height == 0);
    if (width == 0 || height == 0 || (width == clientWidth_ && height == clientHeight_))
        return;
    clientWidth_ = width;
    clientHeight_ = height;
    OnEngineResize();
}

void CLumoraWnd::OnDestroy()
{
    // The window's pixels go with it, but the modules may stay to the end of the tick (a
    // destroy from inside one): no frame is composed in them after this.
    if (PaintModuleGDI* paint = Paint())
        paint->UseFrameStore(nullptr, 0, 0);
    offeredStore_ = {};
    storeTaken_ = false;
    core_.SetTickRequestHandler(nullptr);
    core_.UnloadAllModules();
    gameObject_ = nullptr;
    if (timerId_ != 0)
        platform::StopTimer(messageWindow_, timerId_);
    timerId_ = 0;
}

void CLumoraWnd::DestroyWindow()
{
    if (destroying_)
        return;
    destroying_ = true;
    if (window_) {
        window_->Destroy();  // OnDestroy runs from here
        window_->SetDamageListener(nullptr);
    }
    desktop_.reset();
    SetMessageBoxHandler(nullptr);
    SetFlashHandler(nullptr);
    CLumoraMouse::SetCursorApplier(nullptr);
    core_.SetFaultHandler(nullptr);
    if (messageWindow_ != 0)
        platform::DestroyWindow(messageWindow_);
    messageWindow_ = 0;
    window_.reset();
}

void CLumoraWnd::OnCopyData(uint32_t code, std::span<const uint8_t> bytes)
{
    if (gameObject_)
        gameObject_->OnCopyData(code, bytes);
}

bool CLumoraWnd::OnSetCursor()
{
    if (InputModule* input = Input())
        input->OnSetCursor();
    return false;
}

void CLumoraWnd::OnMouseMove(int x, int y, uint32_t flags)
{
    if (InputModule* input = Input())
        input->OnMouseMove(x, y, flags);
}

void CLumoraWnd::OnMouseDown(platform::MouseButton button, int x, int y, uint32_t flags)
{
    InputModule* input = Input();
    if (!input)
        return;
    switch (button) {
    case platform::MouseButton::Left:
        window_->SetFocus();
        window_->SetCapture();
        input->OnLButtonDown(x, y, flags);
        break;
    case platform::MouseButton::Right:
        window_->SetCapture();
        input->OnRButtonDown(x, y, flags);
        break;
    case platform::MouseButton::Middle:
        input->OnMButtonDown(x, y, flags);
        break;
    }
    TickNow();
}

void CLumoraWnd::OnMouseUp(platform::MouseButton button, int x, int y, uint32_t flags)
{
    InputModule* input = Input();
    if (!input)
        return;
    switch (button) {
    case platform::MouseButton::Left:
        window_->ReleaseCapture();
        input->OnLButtonUp(x, y, flags);
        break;
    case platform::MouseButton::Right:
        window_->ReleaseCapture();
        input->OnRButtonUp(x, y, flags);
        break;
    case platform::MouseButton::Middle:
        input->OnMButtonUp(x, y, flags);
        break;
    }
    TickNow();
}

void CLumoraWnd::OnMouseDoubleClick(platform::MouseButton button, int x, int y, uint32_t flags)
{
    InputModule* input = Input();
    if (!input)
        return;
    // Only the left button's pair has a handler; the others arrive as plain presses.
    if (button == platform::MouseButton::Left) {
        input->OnLButtonDblClk(x, y, flags);
        TickNow();
    } else {
        OnMouseDown(button, x, y, flags);
    }
}

void CLumoraWnd::OnMouseWheel(int x, int y, int delta, uint32_t flags)
{
    if (InputModule* input = Input())
        input->OnMouseWheel(x, y, delta, flags);
    TickNow();
}

void CLumoraWnd::OnKeyDown(uint32_t vk, uint32_t repeat, uint32_t flags)
{
    if (InputModule* input = Input())
        input->OnKeyDown(vk, repeat, flags);
    TickNow();
}

void CLumoraWnd::OnKeyUp(uint32_t vk, uint32_t repeat, uint32_t flags)
{
    if (InputModule* input = Input())
        input->OnKeyUp(vk, repeat, flags);
    TickNow();
}

void CLumoraWnd::OnChar(uint32_t byte, uint32_t repeat, uint32_t flags)
{
    if (InputModule* input = Input())
        input->OnChar(byte, repeat, flags);
    TickNow();
}

void CLumoraWnd::OnKillFocus()
{
    if (InputModule* input = Input())
        input->OnKillFocus();
}

Rect CLumoraWnd::GetCursorClip() const
{
    if (cursorClip_)
        return *cursorClip_;
    const platform::Rect all = window_ ? window_->WorkArea() : platform::Rect{};
    return {all.left, all.top, all.right, all.bottom};
}

void CLumoraWnd::SetCursorClip(const Rect& screen)
{
    if (!window_)
        return;
    const platform::Rect work = window_->WorkArea();
    const bool everything = screen.left <= work.left && screen.top <= work.top && screen.right >= work.right &&
                            screen.bottom >= work.bottom;
    if (everything) {
        cursorClip_.reset();
        window_->ReleaseCursor();
        return;
    }
    cursorClip_ = screen;
    const platform::Point origin = window_->ClientToScreen({0, 0});
    window_->ConfineCursor({screen.left - origin.x, screen.top - origin.y, screen.right - origin.x, screen.bottom - origin.y});
}

CursorClipHost::Origin CLumoraWnd::ClientOrigin() const
{
    const platform::Point origin = window_ ? window_->ClientToScreen({0, 0}) : platform::Point{};
    return {origin.x, origin.y};
}

} // namespace Lumora
