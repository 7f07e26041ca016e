#pragma once
// A non-blocking IPv4 TCP socket that owns its descriptor. Connects with a time-out that
// reports the real outcome, and sends and receives without ever blocking the caller.
#include "platform/SocketAddress.h"

#include <cstddef>
#include <cstdint>

namespace platform {

enum class IoStatus {
    Done,       // some bytes moved (bytes > 0), or the operation completed
    WouldBlock, // nothing can move now; wait for readiness
    Closed,     // the peer closed its side (receive returned 0)
    Failed,     // error holds the errno value
};

struct IoResult {
    IoStatus status = IoStatus::Failed;
    size_t bytes = 0;
    int error = 0;
};

class TcpSocket {
public:
    TcpSocket() = default;
    explicit TcpSocket(int fd) noexcept : fd_(fd) {} // adopts the descriptor
    ~TcpSocket() { Close(); }
    TcpSocket(TcpSocket&& other) noexcept : fd_(other.Release()) {}
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // A new non-blocking stream socket; invalid (errno set) when the system refuses.
    static TcpSocket Open();

    bool Valid() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // Gives up ownership: the caller now closes the descriptor.
    int Release() noexcept;
    // Closes once; later calls do nothing.
    void Close() noexcept;
    // Ends both directions but keeps the descriptor (others may still hold it in a call).
    void Shutdown() noexcept;

    // Starts a connection: Done when connected at once, WouldBlock while it is in progress.
    // The unspecified address (0.0.0.0) is refused with EINVAL rather than reaching this host.
    IoResult StartConnect(const Ipv4Endpoint& to);
    // Connects and waits up to timeoutMs. Returns 0 or the errno of the failure (ETIMEDOUT
    // when the time ran out); a writable socket counts only when SO_ERROR is clear.
    int Connect(const Ipv4Endpoint& to, int timeoutMs);
    // SO_ERROR, which reading clears.
    int TakePendingError() const;

    IoResult Send(const void* data, size_t size);
    IoResult Receive(void* data, size_t size);

    // Waits for readiness up to timeoutMs (-1 without limit). True when ready (an error or
    // hang-up counts as ready, so that the next call reports it).
    bool WaitReadable(int timeoutMs) const;
    bool WaitWritable(int timeoutMs) const;

    // Whole-buffer helpers for simple peers: false on failure, close or time-out.
    bool SendAll(const void* data, size_t size, int timeoutMs);
    bool ReceiveExact(void* data, size_t size, int timeoutMs);

    // True while the socket has a connected peer.
    bool IsConnected() const;
    bool SetNoDelay(bool on);
    // The local and the peer endpoint; port 0 on failure.
    Ipv4Endpoint LocalEndpoint() const;
    Ipv4Endpoint PeerEndpoint() const;

private:
    int fd_ = -1;
};

} // namespace platform
