#include "platform/SocketListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

namespace platform {

SocketListener::SocketListener(uint16_t port, int backlog) : socket_(TcpSocket::Open())
{
    if (!socket_.Valid())
        return;
    const int on = 1;
    ::setsockopt(socket_.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = LoopbackAddress();
    a.sin_port = htons(port);
    if (::bind(socket_.Fd(), reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(socket_.Fd(), backlog) != 0) {
        socket_.Close();
        return;
    }
    port_ = socket_.LocalEndpoint().port;
}

TcpSocket SocketListener::Accept(int timeoutMs)
{
    if (!socket_.WaitReadable(timeoutMs))
        return TcpSocket();
    int fd;
    do {
        fd = ::accept4(socket_.Fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return TcpSocket(fd);
}

} // namespace platform
