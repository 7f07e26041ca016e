#include "OwnerThread.h"

#include "net/SocketClient.h"
#include "platform/Event.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

#include <chrono>

namespace nettest {

namespace {
constexpr uint32_t kStop = platform::kMsgUser + 77;
}

OwnerThread::OwnerThread()
{
    platform::Event ready(platform::Event::Mode::kManual);
    thread_ = std::make_unique<platform::MessageThread>([this, &ready] {
        platform::CurrentQueue();
        ready.Set();
        platform::Message m;
        while (platform::GetNextMessage(m) && m.id != kStop) {
            if (m.id != net::WM_SOCKET_NOTIFY)
                continue;
            const auto* context = reinterpret_cast<const net::SocketContextRecord*>(m.wparam);
            const auto* message = reinterpret_cast<const net::SocketMessageRecord*>(m.lparam);
            Delivered d{message->head.Id(), {}, context->tag};
            if (message->length > 0)
                d.data.assign(message->data, message->data + message->length);
            net::ReleaseSocketNotify(m.wparam, m.lparam);
            std::lock_guard lock(lock_);
            got_.push_back(std::move(d));
            changed_.notify_all();
        }
        // Records still queued when the owner goes are freed as well.
        while (platform::PeekNextMessage(m))
            if (m.id == net::WM_SOCKET_NOTIFY)
                net::ReleaseSocketNotify(m.wparam, m.lparam);
    });
    ready.Wait();
}

OwnerThread::~OwnerThread()
{
    platform::PostToThread(thread_->Id(), kStop);
    thread_.reset();
}

bool OwnerThread::WaitUntil(const std::function<bool(const std::vector<Delivered>&)>& done, int timeoutMs)
{
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(got_); });
}

bool OwnerThread::WaitCount(size_t n, int timeoutMs)
{
    return WaitUntil([n](const std::vector<Delivered>& v) { return v.size() >= n; }, timeoutMs);
}

std::vector<Delivered> OwnerThread::Taken()
{
    std::lock_guard lock(lock_);
    return got_;
}

size_t OwnerThread::Notices()
{
    std::lock_guard lock(lock_);
    size_t n = 0;
    for (const auto& d : got_)
        n += (d.id == net::kNoticePeerClosed || d.id == net::kNoticeSocketError) ? 1 : 0;
    return n;
}

} // namespace nettest
