#pragma once
// The message queue of one thread. Any thread may post to it or hand it a call to run; only the
// owner thread takes from it. Retrieval order: calls sent by other threads (run at once, never
// returned), posted messages in posting order, a quit request, the display's input (handed to
// its windows by the signal's external waiter, never returned), paint requests, then due timers.
#include "platform/Message.h"
#include "platform/ThreadId.h"
#include "platform/TimerList.h"
#include "platform/WakeSignal.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// A call another thread waits on; run by the owner thread of the queue it was handed to.
struct SentCall {
    std::function<std::optional<intptr_t>()> work; // nullopt: the target was gone
    std::shared_ptr<WakeSignal> sender; // bumped when the call is done
    intptr_t result = 0;
    std::atomic<bool> done{false};
    bool ran = false; // false when the target thread went away first

    void Finish(std::optional<intptr_t> value);
};

class MessageQueue {
public:
    explicit MessageQueue(ThreadId owner);
    ThreadId Owner() const { return owner_; }
    const std::shared_ptr<WakeSignal>& Signal() const { return signal_; }

    // False once the owner thread has gone.
    bool Post(const Message& message);
    bool Send(std::shared_ptr<SentCall> call);
    void PostQuit(int exitCode);
    void Invalidate(WindowId window);

    // Owner thread only. Runs pending sent calls, then yields the next message if there is one.
    std::optional<Message> Take(bool remove);
    void RunSentCalls();
    bool HasSentCalls() const;

    void SetTimer(WindowId window, uint32_t timerId, uint32_t periodMs);
    bool KillTimer(WindowId window, uint32_t timerId);
    // Drops the timers and paint request of a window that is going away.
    void ForgetWindow(WindowId window);
    std::optional<uint64_t> NextTimerDeadline() const;

    // The owner thread ends: later posts and sends fail, calls still waiting are failed. The
    // posted messages still queued are dropped, or handed to `taken` when given, so that their
    // owner can free what they carry.
    void Close(std::deque<Message>* taken = nullptr);
    bool Closed() const;

private:
    std::shared_ptr<SentCall> PopSent();
    // Runs the sent calls, then yields a posted message or the quit request.
    std::optional<Message> TakePosted(bool remove);

    const ThreadId owner_;
    const std::shared_ptr<WakeSignal> signal_ = std::make_shared<WakeSignal>();
    mutable std::mutex mutex_;
    std::deque<Message> posted_;
    std::deque<std::shared_ptr<SentCall>> sent_;
    std::atomic<size_t> sentCount_{0}; // sent_.size(), readable without the lock
    std::vector<WindowId> invalid_;
    TimerList timers_;
    std::optional<int> quitCode_;
    bool closed_ = false;
};

// The calling thread's queue, made on first use (a thread has none until it asks, so posts to it
// fail until then). It is closed when the thread ends.
MessageQueue& CurrentQueue();
std::shared_ptr<MessageQueue> CurrentQueueShared();
// The queue of a live thread, or nullptr.
std::shared_ptr<MessageQueue> FindQueue(ThreadId thread);

// Closes the calling thread's queue now instead of at thread end.
void CloseCurrentQueue();
// The same, returning the posted messages that were still queued; no later post succeeds.
std::deque<Message> CloseCurrentQueueTakingPosted();

} // namespace platform
