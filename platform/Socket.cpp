#include "platform/Socket.h"

#include "platform/ClickTrace.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace platform {

namespace {

sockaddr_in ToSockaddr(const Ipv4Endpoint& e)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = e.address;
    a.sin_port = htons(e.port);
    return a;
}

Ipv4Endpoint FromSockaddr(const sockaddr_in& a)
{
    return Ipv4Endpoint{a.sin_addr.s_addr, ntohs(a.sin_port)};
}

// getsockname or getpeername, as an endpoint; port 0 on failure.
Ipv4Endpoint EndpointOf(int fd, int (*query)(int, sockaddr*, socklen_t*))
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (fd < 0 || query(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return {};
    return FromSockaddr(a);
}

bool WaitFor(int fd, short events, int timeoutMs)
{
    if (fd < 0)
        return false;
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

using Steady = std::chrono::steady_clock;

int RemainingMs(Steady::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

IoResult FromErrno()
{
    const int e = errno;
    if (e == EAGAIN || e == EWOULDBLOCK)
        return {IoStatus::WouldBlock, 0, e};
    return {IoStatus::Failed, 0, e};
}

} // namespace

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

TcpSocket TcpSocket::Open()
{
    return TcpSocket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
}

int TcpSocket::Release() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void TcpSocket::Close() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void TcpSocket::Shutdown() noexcept
{
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_RDWR);
}

IoResult TcpSocket::StartConnect(const Ipv4Endpoint& to)
{
    if (fd_ < 0)
        return {IoStatus::Failed, 0, EBADF};
    if (to.address == 0 || to.port == 0)
        return {IoStatus::Failed, 0, EINVAL};
    const sockaddr_in a = ToSockaddr(to);
    int rc;
    do {
        rc = ::connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return {IoStatus::Done, 0, 0};
    if (errno == EINPROGRESS)
        return {IoStatus::WouldBlock, 0, EINPROGRESS};
    return {IoStatus::Failed, 0, errno};
}

int TcpSocket::Connect(const Ipv4Endpoint& to, int timeoutMs)
{
    const IoResult started = StartConnect(to);
    if (started.status == IoStatus::Done)
        return 0;
    if (started.status == IoStatus::Failed)
        return started.error;
    if (!WaitWritable(timeoutMs))
        return ETIMEDOUT;
    return TakePendingError();
}

int TcpSocket::TakePendingError() const
{
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        return errno;
    return error;
}

IoResult TcpSocket::Send(const void* data, size_t size)
{
    if (fd_ < 0)
        return {IoStatus::Failed, 0, EBADF};
    for (;;) {
        const double asked = ClickTraceOn() ? ClickTraceNow() : 0;
        const ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (n >= 0) {
            ClickTraceSend(asked, static_cast<size_t>(n));
            return {IoStatus::Done, static_cast<size_t>(n), 0};
        }
        if (errno != EINTR)
            return FromErrno();
    }
}

IoResult TcpSocket::Receive(void* data, size_t size)
{
    if (fd_ < 0)
        return {IoStatus::Failed, 0, EBADF};
    for (;;) {
        const ssize_t n = ::recv(fd_, data, size, 0);
        if (n > 0)
            return {IoStatus::Done, static_cast<size_t>(n), 0};
        if (n == 0)
            return {size == 0 ? IoStatus::Done : IoStatus::Closed, 0, 0};
        if (errno != EINTR)
            return FromErrno();
    }
}

bool TcpSocket::WaitReadable(int timeoutMs) const
{
    return WaitFor(fd_, POLLIN, timeoutMs);
}

bool TcpSocket::WaitWritable(int timeoutMs) const
{
    return WaitFor(fd_, POLLOUT, timeoutMs);
}

bool TcpSocket::SendAll(const void* data, size_t size, int timeoutMs)
{
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const IoResult r = Send(p, size);
        if (r.status == IoStatus::Done) {
            p += r.bytes;
            size -= r.bytes;
        } else if (r.status != IoStatus::WouldBlock || !WaitWritable(RemainingMs(deadline))) {
            return false;
        }
    }
    return true;
}

bool TcpSocket::ReceiveExact(void* data, size_t size, int timeoutMs)
{
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const IoResult r = Receive(p, size);
        if (r.status == IoStatus::Done) {
            p += r.bytes;
            size -= r.bytes;
        } else if (r.status != IoStatus::WouldBlock || !WaitReadable(RemainingMs(deadline))) {
            return false;
        }
    }
    return true;
}

bool TcpSocket::IsConnected() const
{
    return PeerEndpoint().port != 0;
}

bool TcpSocket::SetNoDelay(bool on)
{
    const int v = on ? 1 : 0;
    return ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &v, sizeof v) == 0;
}

Ipv4Endpoint TcpSocket::LocalEndpoint() const
{
    return EndpointOf(fd_, ::getsockname);
}

Ipv4Endpoint TcpSocket::PeerEndpoint() const
{
    return EndpointOf(fd_, ::getpeername);
}

} // namespace platform
