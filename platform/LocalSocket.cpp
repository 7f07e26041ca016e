// Local sockets by address text: the address's form, connect and listen, the peer's user.
#include "platform/LocalSocket.h"

#include "platform/RandomBytes.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// The address's sockaddr and its exact length: an abstract name is every byte the length
// counts, so a connect must give the same length its listener bound with, no padding.
bool Fill(const std::string& address, sockaddr_un& addr, socklen_t& length)
{
    addr = {};
    addr.sun_family = AF_UNIX;
    const bool abstract = address.starts_with('@');
    if (address.size() <= (abstract ? 1u : 0u) || address.size() > kLocalAddressMax ||
        address.find('\0') != std::string::npos) {
        errno = address.size() > kLocalAddressMax ? ENAMETOOLONG : EINVAL;
        return false;
    }
    std::memcpy(addr.sun_path, address.data(), address.size());
    if (abstract)
        addr.sun_path[0] = '\0';
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size() + (abstract ? 0 : 1));
    return true;
}

// A new socket of the kind and the address it is to bind or connect to; -1 for an address of
// no form or a socket not made.
int Open(const std::string& address, LocalKind kind, sockaddr_un& addr, socklen_t& length)
{
    if (!Fill(address, addr, length))
        return -1;
    return ::socket(AF_UNIX, (kind == LocalKind::Packets ? SOCK_SEQPACKET : SOCK_STREAM) | SOCK_CLOEXEC, 0);
}

// Closes the socket keeping the errno of what failed.
int Fail(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
}

} // namespace

int ConnectLocal(const std::string& address, LocalKind kind)
{
    sockaddr_un addr;
    socklen_t length = 0;
    const int fd = Open(address, kind, addr, length);
    if (fd < 0)
        return -1;
    while (::connect(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0)
        if (errno != EINTR)
            return Fail(fd);
    return fd;
}

int ListenLocal(const std::string& address, LocalKind kind, int backlog)
{
    sockaddr_un addr;
    socklen_t length = 0;
    const int fd = Open(address, kind, addr, length);
    if (fd < 0)
        return -1;
    if (!address.starts_with('@'))
        ::unlink(address.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, backlog) != 0)
        return Fail(fd);
    return fd;
}

bool PeerIsOwnUser(int fd)
{
    ucred peer{};
    socklen_t len = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) == 0 && peer.uid == ::getuid();
}

std::string PrivateLocalName(const std::string& tag)
{
    uint8_t random[8] = {};
    RandomBytes(random, sizeof random);
    std::string name = "@xl-" + tag + "-" + std::to_string(::getpid()) + "-";
    for (uint8_t b : random) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        name += hex;
    }
    return name;
}

} // namespace platform
