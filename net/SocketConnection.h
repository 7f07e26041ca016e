#pragma once
// Inside the socket client: the state of one connection (its context), shared by the socket
// thread, Close and the senders in flight, and the proxied socket that Bind keeps waiting.
// Only the socket client's own files include this.
#include "net/AsyncProxySocket.h"
#include "net/FrameReceiver.h"
#include "net/FrameSender.h"
#include "net/SocketClient.h"
#include "platform/Event.h"
#include "platform/SocketPoller.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace net {

struct CSocketClient::Connection {
    Connection(platform::TcpSocket s, uint32_t maxPiece)
        : socket(std::move(s)), poller(socket.Fd()), sender(maxPiece), receiver(maxPiece)
    {
    }
    ~Connection()
    {
        if (hasReply)
            FreeMessageData(reply);
    }

    platform::TcpSocket socket; // closed when the last holder lets go
    platform::SocketPoller poller;
    platform::Event quit{platform::Event::Mode::kManual};
    platform::Event writable{platform::Event::Mode::kAuto};
    platform::Event ready{platform::Event::Mode::kManual};
    platform::Event event{platform::Event::Mode::kManual}; // reply arrived, or the greeting
    platform::Event lost{platform::Event::Mode::kManual};  // the peer closed or the socket failed
    std::atomic<bool> stop{false};
    std::atomic<int32_t> closing{0};
    int32_t tag = 0;
    std::string key; // host:port

    std::mutex sendLock; // one whole message at a time on the wire
    FrameSender sender;
    FrameReceiver receiver; // the socket thread's, except its reply assembler (locked)

    std::mutex replyLock; // the reply record, and the event's reset paired with the awaited id
    SocketMessageRecord reply{};
    uint32_t replyId = 0;
    bool hasReply = false;

    // Socket thread only. The buffers are kept from message to message.
    std::vector<uint8_t> block;
    CBuffer assembled; // the message whose last piece came
    CBuffer body;      // its pieces joined
    uint32_t receiveEvents = 0;
    bool noticed = false; // one connection notice per connection
    bool broken = false;  // after a frame error the stream is read and dropped
};

// The socket Bind leaves listening (through the proxy, or on the loopback without one) until
// AcceptBound takes the connection that comes in.
class CBindSocket final : public CAsyncProxySocket {
public:
    bool listening = false;
    bool accepted = false;
    bool failed = false;
    platform::Ipv4Endpoint bound;

    // Runs the socket's notices on the calling thread until `done` holds (true), it failed or
    // the time-out (ms) passed (false).
    bool DriveUntil(const std::function<bool()>& done, uint32_t timeoutMs);

protected:
    void OnProxyListenReady(uint32_t address, uint16_t port) override
    {
        listening = true;
        bound = {address, port};
    }
    void OnAccept(int) override { accepted = true; }
    void OnProxyFailed(int) override { failed = true; }
};

} // namespace net
