#pragma once
// Server messages as the socket thread hands them to the communication thread, and a main
// window on the test thread that records the ids relayed to it: the relay tests of the
// framework and of the table scene use them.
#include "net/Message.h"
#include "net/SocketClient.h"
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <chrono>
#include <thread>
#include <vector>

namespace testsupport {

inline void PostServerMessage(platform::ThreadId thread, uint32_t id, size_t bytes = 64)
{
    auto* context = new net::SocketContextRecord;
    auto* message = new net::SocketMessageRecord;
    message->head = net::MessageHead::WithId(id);
    message->length = static_cast<int32_t>(bytes);
    message->data = new uint8_t[bytes]();
    if (!platform::PostToThread(thread, net::WM_SOCKET_NOTIFY, reinterpret_cast<uintptr_t>(context),
                                reinterpret_cast<intptr_t>(message)))
        net::ReleaseSocketNotify(reinterpret_cast<uintptr_t>(context), reinterpret_cast<intptr_t>(message));
}

// A main window on the test thread that records the ids it receives and frees the records.
struct RelayedWindow {
    std::vector<uint32_t> ids;
    platform::WindowId id = platform::MakeWindow([this](platform::WindowId, uint32_t msg, uintptr_t w, intptr_t l) {
        if (msg == net::WM_SOCKET_NOTIFY) {
            ids.push_back(reinterpret_cast<net::SocketMessageRecord*>(l)->head.Id());
            net::ReleaseSocketNotify(w, l);
        }
        return intptr_t{0};
    });
    ~RelayedWindow() { platform::DestroyWindow(id); }

    // Dispatches this thread's messages until `count` arrived or the limit passed.
    bool PumpUntil(size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(2000))
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        platform::Message m;
        while (ids.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (platform::PeekNextMessage(m))
                platform::Dispatch(m);
            else
                std::this_thread::yield();
        }
        return ids.size() >= count;
    }
};

} // namespace testsupport
