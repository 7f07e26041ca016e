// The relay's gate and the process's instance of it.
#include "framework/app/NotifyGate.h"

#include <atomic>

void NotifyGate::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
}

void NotifyGate::Open()
{
    {
        std::lock_guard lock(mutex_);
        if (!closed_)
            return;
        // Under the lock: the relay cannot pass until the hook's post is queued.
        if (openingHook_)
            openingHook_();
        closed_ = false;
    }
    changed_.notify_all();
}

void NotifyGate::SetOpeningHook(std::function<void()> hook)
{
    std::lock_guard lock(mutex_);
    openingHook_ = std::move(hook);
}

bool NotifyGate::IsClosed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

bool NotifyGate::WaitOpen()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !closed_ || stopped_; });
    return !stopped_;
}

void NotifyGate::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

void NotifyGate::Restart()
{
    std::lock_guard lock(mutex_);
    stopped_ = false;
}

namespace {
std::atomic<NotifyGate*> g_gate{nullptr};
}

NotifyGate* GetNotifyGate()
{
    return g_gate.load(std::memory_order_acquire);
}

void SetNotifyGate(NotifyGate* gate)
{
    g_gate.store(gate, std::memory_order_release);
}
