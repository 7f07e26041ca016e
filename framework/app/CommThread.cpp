// The communication thread: relay of server messages through the gate, and the wait dialog's
// state.
#include "framework/app/CommThread.h"

#include "framework/app/AppMessages.h"
#include "net/SocketClient.h"
#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/ThreadId.h"
#include "platform/Window.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

struct CGameCommThread::Shared {
    NotifyGate* gate = nullptr;
    std::shared_ptr<NotifyGate> gateOwner; // keeps the gate for a thread that outlives its stop
    std::atomic<platform::ThreadId> id{0};
    std::atomic<platform::WindowId> dialog{0};
    std::atomic<platform::WindowId> target{0};
    std::atomic<bool> stopping{false};
    platform::Event started{platform::Event::Mode::kManual};
    platform::Event finished{platform::Event::Mode::kManual};

    mutable std::mutex dialogMutex;
    std::string text;
    bool shown = false;
    uint64_t shownAtMs = 0;
    uint64_t hideAtMs = 0; // 0: no timed hide
    WaitBarColours bar;
};

namespace {

// Frees what a queued message carries when it is dropped.
void FreeDropped(const platform::Message& m)
{
    if (m.id == net::WM_SOCKET_NOTIFY)
        net::ReleaseSocketNotify(m.wparam, m.lparam);
    else if (m.id == app_msg::kCommWaitText)
        FreeWaitText(m.wparam);
}

void Relay(CGameCommThread::Shared& s, const platform::Message& m)
{
    // Waits while the scene holds the gate; a stop wakes it and the records are dropped.
    bool open = s.gate->WaitOpen();
    platform::WindowId target = s.target.load();
    if (open && !s.stopping.load() && target != 0 &&
        platform::PostToWindow(target, net::WM_SOCKET_NOTIFY, m.wparam, m.lparam))
        return;
    net::ReleaseSocketNotify(m.wparam, m.lparam);
}

void SetText(CGameCommThread::Shared& s, const platform::Message& m)
{
    std::lock_guard lock(s.dialogMutex);
    if (m.wparam == 0) {
        s.shown = false;
        s.hideAtMs = 0;
        return;
    }
    s.text = reinterpret_cast<const char*>(m.wparam);
    FreeWaitText(m.wparam);
    uint64_t now = platform::CurrentClock().NowMs();
    if (!s.shown)
        s.shownAtMs = now;
    s.shown = true;
    // A new text restarts the hide timer.
    s.hideAtMs = m.lparam > 0 ? now + static_cast<uint64_t>(m.lparam) * 1000 : 0;
}

void Run(std::shared_ptr<CGameCommThread::Shared> s)
{
    s->id = platform::CurrentThreadId();
    platform::CurrentQueue();
    s->dialog = platform::MakeWindow([](platform::WindowId, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    s->started.Set();
    platform::Message m;
    while (platform::GetNextMessage(m)) {
        if (m.id == app_msg::kCommQuit)
            break;
        switch (m.id) {
        case net::WM_SOCKET_NOTIFY:
            Relay(*s, m);
            break;
        case app_msg::kCommSetTarget:
            s->target = static_cast<platform::WindowId>(m.wparam);
            break;
        case app_msg::kCommWaitText:
            SetText(*s, m);
            break;
        default:
            platform::Dispatch(m);
        }
    }
    platform::DestroyWindow(s->dialog);
    for (const auto& left : platform::CloseCurrentQueueTakingPosted())
        FreeDropped(left);
    s->finished.Set();
}

std::atomic<CGameCommThread*> g_commThread{nullptr};

} // namespace

CGameCommThread::CGameCommThread(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

std::unique_ptr<CGameCommThread> CGameCommThread::Start(std::shared_ptr<NotifyGate> gate)
{
    if (!gate)
        return nullptr;
    NotifyGate& held = *gate;
    return Start(held, std::move(gate));
}

std::unique_ptr<CGameCommThread> CGameCommThread::Start(NotifyGate& gate, std::shared_ptr<NotifyGate> owner)
{
    auto shared = std::make_shared<Shared>();
    shared->gate = &gate;
    shared->gateOwner = std::move(owner);
    shared->bar.SetColors(kWaitBarForeground, kWaitBarBackground);
    gate.Restart();
    try {
        // The thread keeps its own reference, so a thread left running after a stop that took
        // too long still finds everything it touches.
        std::thread(Run, shared).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    shared->started.Wait();
    return std::unique_ptr<CGameCommThread>(new CGameCommThread(std::move(shared)));
}

CGameCommThread::~CGameCommThread()
{
    Stop();
}

platform::ThreadId CGameCommThread::Id() const { return shared_->id.load(); }
platform::WindowId CGameCommThread::DialogWindow() const { return shared_->dialog.load(); }
platform::WindowId CGameCommThread::Target() const { return shared_->target.load(); }

void CGameCommThread::SetBarColours(uint32_t foreground, uint32_t background)
{
    std::lock_guard lock(shared_->dialogMutex);
    shared_->bar.SetColors(foreground, background);
}

WaitDialogState CGameCommThread::Snapshot(uint64_t nowMs) const
{
    const Shared& s = *shared_;
    std::lock_guard lock(s.dialogMutex);
    WaitDialogState out;
    out.visible = s.shown && (s.hideAtMs == 0 || nowMs < s.hideAtMs);
    out.text = s.text;
    uint64_t elapsed = nowMs > s.shownAtMs ? nowMs - s.shownAtMs : 0;
    out.bands = s.bar.Rotated(elapsed / WaitBarColours::kRotatePeriodMs);
    out.background = s.bar.background;
    return out;
}

bool CGameCommThread::Stop(uint32_t limitMs)
{
    Shared& s = *shared_;
    if (s.finished.IsSet())
        return true;
    s.stopping = true;
    s.gate->Stop();
    platform::PostToThread(s.id, app_msg::kCommQuit);
    return s.finished.Wait(limitMs);
}

uintptr_t MakeWaitText(const char* text)
{
    size_t n = std::strlen(text);
    char* copy = new char[n + 2]();
    std::memcpy(copy, text, n);
    return reinterpret_cast<uintptr_t>(copy);
}

void FreeWaitText(uintptr_t text)
{
    delete[] reinterpret_cast<char*>(text);
}

CGameCommThread* GetCommThread()
{
    return g_commThread.load(std::memory_order_acquire);
}

void SetCommThread(CGameCommThread* thread)
{
    g_commThread.store(thread, std::memory_order_release);
}

void ShowWaitText(const char* text, bool show)
{
    CGameCommThread* t = GetCommThread();
    if (!t)
        return;
    uintptr_t copy = show && text ? MakeWaitText(text) : 0;
    if (!platform::PostToThread(t->Id(), app_msg::kCommWaitText, copy, 0))
        FreeWaitText(copy);
}

void ShowWaitTextTimed(const char* text, int seconds)
{
    CGameCommThread* t = GetCommThread();
    if (!t || !text)
        return;
    uintptr_t copy = MakeWaitText(text);
    if (!platform::PostToThread(t->Id(), app_msg::kCommWaitText, copy, seconds))
        FreeWaitText(copy);
}
