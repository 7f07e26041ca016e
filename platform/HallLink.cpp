// The hall link: connection, reader thread, routing of the hall's records, and the waits of the
// game's sends.
#include "platform/HallLink.h"

#include "platform/BusyPump.h"
#include "platform/Event.h"
#include "platform/LocalSocket.h"
#include "platform/Message.h"
#include "platform/Window.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace platform {

struct HallLink::State {
    int fd = -1;
    std::atomic<bool> alive{true};
    std::atomic<bool> closing{false}; // our own close is no hall gone
    std::atomic<uint32_t> nextSequence{1};
    std::mutex sendMutex;
    struct Pending {
        Event done{Event::Mode::kManual};
        std::atomic<int> result{-1}; // -1 gone, 0 not handled, 1 handled
    };
    std::mutex pendingMutex;
    std::map<uint32_t, std::shared_ptr<Pending>> pending;
    ReaderHook hook;
    std::function<void()> gone;
    std::thread reader;

    bool Send(const HallFrame& frame)
    {
        auto bytes = EncodeHallFrame(frame);
        if (bytes.empty() || !alive)
            return false;
        std::lock_guard lock(sendMutex);
        return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    void Ack(uint32_t sequence, uint32_t result)
    {
        HallFrame ack;
        ack.kind = HallFrameKind::Ack;
        ack.sequence = sequence;
        ack.lparam = result;
        Send(ack);
    }

    void Route(const HallFrame& f)
    {
        switch (f.kind) {
        case HallFrameKind::Ack: {
            std::lock_guard lock(pendingMutex);
            auto it = pending.find(f.sequence);
            if (it != pending.end()) {
                it->second->result = f.lparam != 0 ? 1 : 0;
                it->second->done.Set();
            }
            return;
        }
        case HallFrameKind::CopyData: {
            if (hook && hook(f)) {
                Ack(f.sequence, 1);
                return;
            }
            auto* data = new CopyData{f.message, f.payload};
            bool posted = f.target != 0 && IsWindowAlive(f.target) &&
                          PostToWindow(f.target, kMsgCopyData, f.wparam, reinterpret_cast<intptr_t>(data));
            if (!posted)
                delete data;
            Ack(f.sequence, posted ? 1 : 0);
            return;
        }
        case HallFrameKind::Post:
            if (f.target != 0)
                PostToWindow(f.target, f.message, f.wparam, f.lparam);
            return;
        case HallFrameKind::Hello:
            return;
        }
    }

    void Read()
    {
        std::vector<uint8_t> buffer(HallFrame::kMaxSize + 1);
        for (;;) {
            ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_TRUNC);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            HallFrameError error;
            auto frame = DecodeHallFrame(std::span(buffer.data(), std::min<size_t>(n, buffer.size())), &error);
            if (!frame || static_cast<size_t>(n) > HallFrame::kMaxSize) {
                std::fprintf(stderr, "hall link: frame of %zd bytes refused (%d)\n", n, static_cast<int>(error));
                continue;
            }
            Route(*frame);
        }
        alive = false;
        {
            std::lock_guard lock(pendingMutex);
            for (auto& [seq, p] : pending)
                p->done.Set();
        }
        if (gone && !closing)
            gone();
    }
};

void FreeCopyData(intptr_t lparam)
{
    delete reinterpret_cast<CopyData*>(lparam);
}

std::string HallLink::EndpointPath(uint32_t hallWindow)
{
    if (const char* path = std::getenv("XL_HALL_SOCKET"); path && *path)
        return path;
    const std::string window = std::to_string(hallWindow);
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return std::string(run) + "/xlhall/" + window + ".sock";
    // No private folder: a name, not a path under TMPDIR, which may be too long to bind.
    return "@xlhall-" + std::to_string(getuid()) + "-" + window;
}

HallLink::HallLink(int fd) : state_(std::make_shared<State>())
{
    state_->fd = fd;
}

std::unique_ptr<HallLink> HallLink::Connect(const std::string& path, ConnectError* error)
{
    auto fail = [&](ConnectError e) {
        if (error)
            *error = e;
        return nullptr;
    };
    const int fd = ConnectLocal(path, LocalKind::Packets);
    if (fd < 0)
        return fail(errno == ENOENT || errno == ENAMETOOLONG || errno == EINVAL ? ConnectError::NoEndpoint
                                                                              : ConnectError::Refused);
    if (!PeerIsOwnUser(fd)) {
        ::close(fd);
        return fail(ConnectError::WrongPeer);
    }
    if (error)
        *error = ConnectError::None;
    return std::unique_ptr<HallLink>(new HallLink(fd));
}

std::unique_ptr<HallLink> HallLink::Adopt(int fd)
{
    return std::unique_ptr<HallLink>(new HallLink(fd));
}

HallLink::~HallLink()
{
    Close();
    if (state_->reader.joinable())
        state_->reader.join();
    ::close(state_->fd);
}

void HallLink::SetReaderHook(ReaderHook hook) { state_->hook = std::move(hook); }
void HallLink::SetGoneHandler(std::function<void()> gone) { state_->gone = std::move(gone); }

void HallLink::Start()
{
    if (!state_->reader.joinable())
        state_->reader = std::thread([s = state_] { s->Read(); });
}

bool HallLink::Hello(uint32_t processId, uint32_t userId, uint32_t mainWindow)
{
    HallFrame f;
    f.kind = HallFrameKind::Hello;
    f.sequence = state_->nextSequence++;
    f.payload.resize(12);
    const uint32_t words[3] = {processId, userId, mainWindow};
    for (int w = 0; w < 3; ++w)
        for (int i = 0; i < 4; ++i)
            f.payload[w * 4 + i] = static_cast<uint8_t>(words[w] >> (8 * i));
    return state_->Send(f);
}

bool HallLink::Post(uint32_t message, uint32_t wparam, uint32_t lparam, uint32_t target)
{
    HallFrame f;
    f.kind = HallFrameKind::Post;
    f.sequence = state_->nextSequence++;
    f.target = target;
    f.message = message;
    f.wparam = wparam;
    f.lparam = lparam;
    return state_->Send(f);
}

HallLink::SendResult HallLink::SendCopyData(uint32_t dwData, uint32_t senderWindow, std::span<const uint8_t> payload,
                                            uint32_t timeoutMs, uint32_t target)
{
    HallFrame f;
    f.kind = HallFrameKind::CopyData;
    f.sequence = state_->nextSequence++;
    f.target = target;
    f.message = dwData;
    f.wparam = senderWindow;
    f.payload.assign(payload.begin(), payload.end());
    auto pending = std::make_shared<State::Pending>();
    {
        std::lock_guard lock(state_->pendingMutex);
        state_->pending[f.sequence] = pending;
    }
    SendResult result = SendResult::Gone;
    if (state_->Send(f)) {
        bool answered = WaitBusy(pending->done, timeoutMs);
        int r = pending->result.load();
        result = !answered ? SendResult::TimedOut : r < 0 ? SendResult::Gone
                                                  : r ? SendResult::Handled : SendResult::NotHandled;
    }
    std::lock_guard lock(state_->pendingMutex);
    state_->pending.erase(f.sequence);
    return result;
}

bool HallLink::IsAlive() const
{
    return state_->alive.load();
}

void HallLink::Close()
{
    // Wakes the reader, which then fails the waiting sends.
    state_->closing = true;
    ::shutdown(state_->fd, SHUT_RDWR);
}

namespace {
std::atomic<HallLink*> g_link{nullptr};
}

HallLink* GetHallLink() { return g_link.load(std::memory_order_acquire); }
void SetHallLink(HallLink* link) { g_link.store(link, std::memory_order_release); }

} // namespace platform
