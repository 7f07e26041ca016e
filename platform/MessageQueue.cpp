#include "platform/MessageQueue.h"

#include "platform/Clock.h"
#include "platform/Window.h"

#include <algorithm>
#include <unordered_map>

namespace platform {

void SentCall::Finish(std::optional<intptr_t> value)
{
    result = value.value_or(0);
    ran = value.has_value();
    done.store(true, std::memory_order_release);
    if (sender)
        sender->Bump();
}

MessageQueue::MessageQueue(ThreadId owner) : owner_(owner) {}

bool MessageQueue::Post(const Message& message)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        posted_.push_back(message);
    }
    signal_->Bump();
    return true;
}

bool MessageQueue::Send(std::shared_ptr<SentCall> call)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        sent_.push_back(std::move(call));
        sentCount_.fetch_add(1, std::memory_order_release);
    }
    signal_->Bump();
    return true;
}

void MessageQueue::PostQuit(int exitCode)
{
    {
        std::lock_guard lock(mutex_);
        quitCode_ = exitCode;
    }
    signal_->Bump();
}

void MessageQueue::Invalidate(WindowId window)
{
    {
        std::lock_guard lock(mutex_);
        if (std::find(invalid_.begin(), invalid_.end(), window) != invalid_.end())
            return;
        invalid_.push_back(window);
    }
    signal_->Bump();
}

std::shared_ptr<SentCall> MessageQueue::PopSent()
{
    // Without a lock when none waits (nearly always): a call sent meanwhile bumps the signal, so
    // the owner looks again.
    if (sentCount_.load(std::memory_order_acquire) == 0)
        return nullptr;
    std::lock_guard lock(mutex_);
    if (sent_.empty())
        return nullptr;
    auto call = std::move(sent_.front());
    sent_.pop_front();
    sentCount_.fetch_sub(1, std::memory_order_relaxed);
    return call;
}

void MessageQueue::RunSentCalls()
{
    while (auto call = PopSent()) {
        std::optional<intptr_t> result;
        try {
            result = call->work();
        } catch (...) {
            call->Finish(std::nullopt); // the sender must not wait for ever
            throw;
        }
        call->Finish(result);
    }
}

bool MessageQueue::HasSentCalls() const
{
    return sentCount_.load(std::memory_order_acquire) != 0;
}

std::optional<Message> MessageQueue::TakePosted(bool remove)
{
    RunSentCalls();
    std::lock_guard lock(mutex_);
    if (!posted_.empty()) {
        Message m = posted_.front();
        if (remove)
            posted_.pop_front();
        return m;
    }
    if (quitCode_) {
        Message m{0, kMsgQuit, static_cast<uintptr_t>(*quitCode_), 0};
        if (remove)
            quitCode_.reset();
        return m;
    }
    return std::nullopt;
}

std::optional<Message> MessageQueue::Take(bool remove)
{
    if (auto m = TakePosted(remove))
        return m;
    // The display's input before paint requests and timers: a timer whose work outlasts its
    // period is due again at once, and input looked at only when nothing is due would wait for
    // ever (a slow frame tick would leave every click unanswered).
    if (remove && signal_->PumpExternal())
        if (auto m = TakePosted(remove))
            return m;
    std::lock_guard lock(mutex_);
    if (!invalid_.empty()) {
        Message m{invalid_.front(), kMsgPaint, 0, 0};
        if (remove)
            invalid_.erase(invalid_.begin());
        return m;
    }
    if (!timers_.Empty())
        return timers_.TakeDue(CurrentClock().NowMs(), remove);
    return std::nullopt;
}

void MessageQueue::SetTimer(WindowId window, uint32_t timerId, uint32_t periodMs)
{
    {
        std::lock_guard lock(mutex_);
        timers_.Set(window, timerId, periodMs, CurrentClock().NowMs());
    }
    signal_->Bump(); // a sleeping owner must take the new deadline into account
}

bool MessageQueue::KillTimer(WindowId window, uint32_t timerId)
{
    std::lock_guard lock(mutex_);
    return timers_.Kill(window, timerId);
}

void MessageQueue::ForgetWindow(WindowId window)
{
    std::lock_guard lock(mutex_);
    timers_.KillAll(window);
    std::erase(invalid_, window);
}

std::optional<uint64_t> MessageQueue::NextTimerDeadline() const
{
    std::lock_guard lock(mutex_);
    return timers_.NextDeadline();
}

void MessageQueue::Close(std::deque<Message>* taken)
{
    std::deque<std::shared_ptr<SentCall>> orphans;
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        closed_ = true;
        if (taken)
            taken->swap(posted_);
        posted_.clear();
        orphans.swap(sent_);
        sentCount_.store(0, std::memory_order_relaxed);
    }
    for (auto& call : orphans)
        call->Finish(std::nullopt);
}

bool MessageQueue::Closed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

namespace {

std::mutex g_registryMutex;
std::unordered_map<ThreadId, std::shared_ptr<MessageQueue>>& Registry()
{
    static auto* registry = new std::unordered_map<ThreadId, std::shared_ptr<MessageQueue>>;
    return *registry;
}

// Owns the calling thread's queue and closes it when the thread ends.
struct QueueHolder {
    std::shared_ptr<MessageQueue> queue;
    ~QueueHolder() { Release(); }
    void Release(std::deque<Message>* taken = nullptr)
    {
        if (!queue)
            return;
        queue->Close(taken); // first, so that no post succeeds into a queue nobody will read
        {
            std::lock_guard lock(g_registryMutex);
            Registry().erase(queue->Owner());
        }
        detail::ForgetThreadWindows(queue->Owner());
        queue.reset();
    }
};
thread_local QueueHolder t_queue;

} // namespace

std::shared_ptr<MessageQueue> CurrentQueueShared()
{
    if (!t_queue.queue) {
        auto queue = std::make_shared<MessageQueue>(CurrentThreadId());
        std::lock_guard lock(g_registryMutex);
        Registry()[queue->Owner()] = queue;
        t_queue.queue = std::move(queue);
    }
    return t_queue.queue;
}

MessageQueue& CurrentQueue()
{
    if (!t_queue.queue)
        CurrentQueueShared();
    return *t_queue.queue;
}

std::shared_ptr<MessageQueue> FindQueue(ThreadId thread)
{
    std::lock_guard lock(g_registryMutex);
    auto it = Registry().find(thread);
    return it == Registry().end() ? nullptr : it->second;
}

void CloseCurrentQueue() { t_queue.Release(); }

std::deque<Message> CloseCurrentQueueTakingPosted()
{
    std::deque<Message> taken;
    t_queue.Release(&taken);
    return taken;
}

} // namespace platform
