#include "platform/Event.h"

#include "platform/Clock.h"
#include "platform/WakeSignal.h"

#include <algorithm>

namespace platform {

Event::Event(Mode mode, bool initiallySet) : manual_(mode == Mode::kManual), set_(initiallySet) {}

void Event::Set()
{
    // Usually one waiter: its signal is held here without touching the heap.
    std::shared_ptr<WakeSignal> first;
    std::vector<std::shared_ptr<WakeSignal>> more;
    {
        std::lock_guard lock(mutex_);
        set_ = true;
        if (watchers_.empty())
            return;
        first = watchers_.front();
        if (watchers_.size() > 1)
            more.assign(watchers_.begin() + 1, watchers_.end());
    }
    first->Bump();
    for (const auto& w : more)
        w->Bump();
}

void Event::Reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::IsSet() const
{
    std::lock_guard lock(mutex_);
    return set_;
}

bool Event::TryTake()
{
    std::lock_guard lock(mutex_);
    if (!set_)
        return false;
    if (!manual_)
        set_ = false;
    return true;
}

void Event::AddWatcher(const std::shared_ptr<WakeSignal>& signal)
{
    std::lock_guard lock(mutex_);
    watchers_.push_back(signal);
}

void Event::RemoveWatcher(const WakeSignal* signal)
{
    std::lock_guard lock(mutex_);
    auto it = std::find_if(watchers_.begin(), watchers_.end(), [signal](const auto& w) { return w.get() == signal; });
    if (it != watchers_.end())
        watchers_.erase(it);
}

bool Event::Wait(uint32_t timeoutMs)
{
    Event* self = this;
    return WaitAny(std::span<Event* const>(&self, 1), timeoutMs) == 0;
}

EventWatch::EventWatch(std::span<Event* const> events, const std::shared_ptr<WakeSignal>& signal)
    : events_(events), signal_(signal)
{
    for (Event* e : events_)
        e->AddWatcher(signal_);
}

EventWatch::~EventWatch()
{
    for (Event* e : events_)
        e->RemoveWatcher(signal_.get());
}

int EventWatch::TakeFirst() const
{
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i]->TryTake())
            return static_cast<int>(i);
    return -1;
}

std::optional<uint64_t> DeadlineAfter(uint32_t timeoutMs)
{
    if (timeoutMs == kInfinite)
        return std::nullopt;
    return CurrentClock().NowMs() + timeoutMs;
}

int WaitAny(std::span<Event* const> events, uint32_t timeoutMs)
{
    const auto deadline = DeadlineAfter(timeoutMs);
    // One signal per thread, made once: a late bump from a Set that raced with the last wait
    // only makes the next wait look again.
    thread_local const std::shared_ptr<WakeSignal> signal = std::make_shared<WakeSignal>();
    EventWatch watch(events, signal);
    for (;;) {
        const uint64_t seen = signal->Seq();
        if (int i = watch.TakeFirst(); i >= 0)
            return i;
        if (!signal->WaitChanged(seen, deadline)) {
            const int i = watch.TakeFirst();
            return i >= 0 ? i : kWaitTimeout;
        }
    }
}

} // namespace platform
