#include "platform/Window.h"

#include "platform/ClickTrace.h"
#include "platform/MessageQueue.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

struct WindowRecord {
    WindowId id;
    std::weak_ptr<MessageQueue> queue;
    ThreadId owner;
    WindowHandler handler;
};

class WindowRegistry {
public:
    WindowId Add(std::shared_ptr<WindowRecord> record)
    {
        std::lock_guard lock(mutex_);
        record->id = nextId_++;
        if (nextId_ == 0)
            nextId_ = kFirstId;
        const WindowId id = record->id;
        windows_[id] = std::move(record);
        return id;
    }

    std::shared_ptr<WindowRecord> Find(WindowId id) const
    {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    void Remove(WindowId id)
    {
        std::lock_guard lock(mutex_);
        windows_.erase(id);
    }

    void RemoveThread(ThreadId thread)
    {
        std::lock_guard lock(mutex_);
        std::erase_if(windows_, [&](const auto& entry) { return entry.second->owner == thread; });
    }

private:
    // Ids are not reused until the counter wraps, so a stale id finds nothing.
    static constexpr WindowId kFirstId = 0x10000;
    mutable std::mutex mutex_;
    std::unordered_map<WindowId, std::shared_ptr<WindowRecord>> windows_;
    WindowId nextId_ = kFirstId;
};

WindowRegistry& Registry()
{
    static auto* registry = new WindowRegistry;
    return *registry;
}

// The window's record and its owner's queue, both alive, or nothing.
struct LiveWindow {
    std::shared_ptr<WindowRecord> record;
    std::shared_ptr<MessageQueue> queue;
    explicit operator bool() const { return record && queue; }
};

LiveWindow FindLive(WindowId id)
{
    LiveWindow w;
    if (id == 0 || !(w.record = Registry().Find(id)))
        return {};
    w.queue = w.record->queue.lock();
    return w;
}

LiveWindow FindOwn(WindowId id)
{
    LiveWindow w = FindLive(id);
    if (!w || w.record->owner != CurrentThreadId())
        return {};
    return w;
}

} // namespace

WindowId MakeWindow(WindowHandler handler)
{
    auto record = std::make_shared<WindowRecord>();
    record->queue = CurrentQueueShared();
    record->owner = CurrentThreadId();
    record->handler = std::move(handler);
    return Registry().Add(std::move(record));
}

bool DestroyWindow(WindowId window)
{
    LiveWindow w = FindOwn(window);
    if (!w)
        return false;
    if (w.record->handler)
        w.record->handler(window, kMsgDestroy, 0, 0);
    Registry().Remove(window);
    w.queue->ForgetWindow(window);
    return true;
}

bool IsWindowAlive(WindowId window) { return static_cast<bool>(FindLive(window)); }

ThreadId WindowThread(WindowId window)
{
    LiveWindow w = FindLive(window);
    return w ? w.record->owner : 0;
}

bool PostToWindow(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    LiveWindow w = FindLive(window);
    return w && w.queue->Post(Message{window, message, wparam, lparam});
}

bool PostToThread(ThreadId thread, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    auto queue = FindQueue(thread);
    return queue && queue->Post(Message{0, message, wparam, lparam});
}

intptr_t SendToWindow(WindowId window, uint32_t message, uintptr_t wparam, intptr_t lparam, bool* delivered)
{
    if (delivered)
        *delivered = false;
    LiveWindow w = FindLive(window);
    if (!w)
        return 0;
    if (w.record->owner == CurrentThreadId()) {
        if (delivered)
            *delivered = true;
        return w.record->handler ? w.record->handler(window, message, wparam, lparam) : 0;
    }
    MessageQueue& own = CurrentQueue();
    auto call = std::make_shared<SentCall>();
    call->sender = own.Signal();
    call->work = [window, message, wparam, lparam]() -> std::optional<intptr_t> {
        // Looked up again on the owner thread: the window may have gone meanwhile.
        LiveWindow target = FindLive(window);
        if (!target)
            return std::nullopt;
        if (!target.record->handler)
            return 0;
        return target.record->handler(window, message, wparam, lparam);
    };
    if (!w.queue->Send(call))
        return 0;
    w = {}; // hold nothing of the target while waiting
    for (;;) {
        const uint64_t seen = own.Signal()->Seq();
        if (call->done.load(std::memory_order_acquire))
            break;
        if (own.HasSentCalls()) {
            own.RunSentCalls();
            continue;
        }
        own.Signal()->WaitChanged(seen, std::nullopt);
    }
    if (delivered)
        *delivered = call->ran;
    return call->result;
}

intptr_t Dispatch(const Message& message)
{
    if (message.window == 0)
        return 0;
    auto record = Registry().Find(message.window);
    if (!record || !record->handler)
        return 0;
    ClickTraceSpan span("msg", message.id);
    return record->handler(message.window, message.id, message.wparam, message.lparam);
}

bool StartTimer(WindowId window, uint32_t timerId, uint32_t periodMs)
{
    LiveWindow w = FindOwn(window);
    if (!w)
        return false;
    w.queue->SetTimer(window, timerId, periodMs);
    return true;
}

bool StopTimer(WindowId window, uint32_t timerId)
{
    LiveWindow w = FindOwn(window);
    return w && w.queue->KillTimer(window, timerId);
}

bool InvalidateWindow(WindowId window)
{
    LiveWindow w = FindLive(window);
    if (!w)
        return false;
    w.queue->Invalidate(window);
    return true;
}

namespace detail {
void ForgetThreadWindows(ThreadId thread) { Registry().RemoveThread(thread); }
} // namespace detail

} // namespace platform
