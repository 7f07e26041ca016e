#pragma once
// A listening TCP socket on the loopback address, for local peers (test servers, relays).
#include "platform/Socket.h"

#include <cstdint>

namespace platform {

class SocketListener {
public:
    // Listens on 127.0.0.1 at the port (0 picks a free one). Check Valid().
    explicit SocketListener(uint16_t port = 0, int backlog = 16);

    bool Valid() const { return socket_.Valid(); }
    uint16_t Port() const { return port_; }
    int Fd() const { return socket_.Fd(); }

    // Waits up to timeoutMs for a connection; the accepted socket is non-blocking and invalid
    // on time-out or failure.
    TcpSocket Accept(int timeoutMs);
    void Close() { socket_.Close(); }

private:
    TcpSocket socket_;
    uint16_t port_ = 0;
};

} // namespace platform
