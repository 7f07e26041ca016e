#pragma once
// Readiness of one socket as a stream of notices (read, write, close, error) for the thread
// that serves it, with a wake-up descriptor so that other threads can interrupt the wait.
//
// The notices keep the behaviour socket threads rely on: a write notice comes once after the
// poller starts and then only after WantWrite (a send that would block), so an idle writable
// socket never spins; data still buffered when the peer closes is announced by a read notice
// before the one close notice; after close or error the socket is no longer watched, so an
// end of stream is reported exactly once and never busy-loops.
#include <atomic>
#include <vector>

namespace platform {

enum class SocketEvent { Read, Write, Close, Error };

struct SocketNotice {
    SocketEvent event;
    int error; // errno for Error, else 0
};

class SocketPoller {
public:
    explicit SocketPoller(int socketFd); // the descriptor stays the caller's
    ~SocketPoller();
    SocketPoller(const SocketPoller&) = delete;
    SocketPoller& operator=(const SocketPoller&) = delete;

    // False when the wake-up descriptor could not be made.
    bool Valid() const { return wakeFd_ >= 0; }

    // Any thread: ask for one write notice when the socket can take more bytes.
    void WantWrite();
    // Any thread: make a waiting Wait return.
    void Wake();

    // Waits up to timeoutMs (-1 without limit) and appends the notices that are due. Returns
    // early, possibly with none, when woken. Only one thread may wait.
    void Wait(int timeoutMs, std::vector<SocketNotice>& out);

    // True once the close or error notice has been given.
    bool Finished() const { return finished_; }

private:
    int socketFd_;
    int wakeFd_ = -1;
    std::atomic<bool> wantWrite_{true};
    bool finished_ = false;
};

} // namespace platform
