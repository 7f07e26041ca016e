#include "platform/SocketPoller.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

SocketPoller::SocketPoller(int socketFd)
    : socketFd_(socketFd), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

SocketPoller::~SocketPoller()
{
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void SocketPoller::WantWrite()
{
    wantWrite_.store(true, std::memory_order_release);
    Wake();
}

void SocketPoller::Wake()
{
    const uint64_t one = 1;
    // A full counter already means "woken"; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void SocketPoller::Wait(int timeoutMs, std::vector<SocketNotice>& out)
{
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
    const bool wantWrite = wantWrite_.load(std::memory_order_acquire);
    if (!finished_ && socketFd_ >= 0) {
        fds[1].fd = socketFd_;
        fds[1].events = POLLIN | POLLRDHUP | (wantWrite ? POLLOUT : 0);
    }
    const int n = ::poll(fds, 2, timeoutMs);
    if (n <= 0)
        return; // time-out or a signal: the caller simply waits again
    if (fds[0].revents & POLLIN) {
        uint64_t count;
        [[maybe_unused]] const ssize_t r = ::read(wakeFd_, &count, sizeof count);
    }
    const short ev = fds[1].revents;
    if (fds[1].fd < 0 || ev == 0)
        return;
    const bool broken = ev & (POLLERR | POLLHUP | POLLRDHUP | POLLNVAL);
    // A failed connect also polls writable; the error notice alone must tell it.
    if ((ev & POLLOUT) && !broken && wantWrite_.exchange(false, std::memory_order_acq_rel))
        out.push_back({SocketEvent::Write, 0});
    if (ev & POLLIN)
        out.push_back({SocketEvent::Read, 0});
    if (broken) {
        int error = 0;
        socklen_t len = sizeof error;
        if (ev & POLLNVAL)
            error = EBADF;
        else if (::getsockopt(socketFd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
            error = errno;
        if (error == 0 && (ev & POLLERR))
            error = EIO;
        out.push_back(error ? SocketNotice{SocketEvent::Error, error} : SocketNotice{SocketEvent::Close, 0});
        finished_ = true;
    }
}

} // namespace platform
