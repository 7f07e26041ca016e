#pragma once
// The link between the game and the hall program: a Unix-domain SOCK_SEQPACKET connection that
// carries the frames of HallFrame.h where the classic design sends window messages. The hall
// listens on the address in XL_HALL_SOCKET (a path, or "@name" in the abstract namespace:
// LocalSocket.h), else $XDG_RUNTIME_DIR/xlhall/<hall window id>.sock, else the name
// "@xlhall-<uid>-<hall window id>"; the client connects right after reading its command line,
// checks that the peer runs as the same user, and keeps the connection for its life.
//
// Records the hall sends to a window (COPYDATA) are copied and posted to that window as
// kMsgCopyData (wparam: the hall's window id, lparam: a CopyData the handler frees with
// FreeCopyData) and acknowledged at once: 1 when posted, 0 for an unknown window (the record is
// dropped). A reader hook may take a record first on the reader thread (the web-sign answer).
// A record the game sends waits up to 5000 ms for the hall's acknowledgement; posts are fire and
// forget. When the hall goes (the socket closes), the gone handler runs once on the reader
// thread, every waiting send returns Gone, and later sends and posts fail. Writing never raises
// SIGPIPE.
//
// Threads: sends and posts from any thread; hooks run on the reader thread.
#include "platform/HallFrame.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace platform {

struct CopyData {
    uint32_t dwData = 0;
    std::vector<uint8_t> bytes;
};
void FreeCopyData(intptr_t lparam);

class HallLink {
public:
    static constexpr uint32_t kSendTimeoutMs = 5000;

    enum class ConnectError { None, NoEndpoint, Refused, WrongPeer };
    enum class SendResult { Handled, NotHandled, TimedOut, Gone };
    using ReaderHook = std::function<bool(const HallFrame&)>;

    // The endpoint of the hall whose window id is the command line's field 3 (an address as
    // LocalSocket.h reads it).
    static std::string EndpointPath(uint32_t hallWindow);
    static std::unique_ptr<HallLink> Connect(const std::string& path, ConnectError* error = nullptr);
    // Takes a connected socket (a socketpair end in tests).
    static std::unique_ptr<HallLink> Adopt(int fd);
    ~HallLink(); // closes and joins the reader

    // Set both before Start.
    void SetReaderHook(ReaderHook hook);
    void SetGoneHandler(std::function<void()> gone);
    void Start();

    bool Hello(uint32_t processId, uint32_t userId, uint32_t mainWindow);
    bool Post(uint32_t message, uint32_t wparam, uint32_t lparam, uint32_t target = 0);
    // Blocks up to the time-out for the hall's acknowledgement (pumping on the UI thread).
    SendResult SendCopyData(uint32_t dwData, uint32_t senderWindow, std::span<const uint8_t> payload,
                            uint32_t timeoutMs = kSendTimeoutMs, uint32_t target = 0);
    bool IsAlive() const;
    void Close();

    struct State;

private:
    explicit HallLink(int fd);
    std::shared_ptr<State> state_;
};

// The process's link; null without a hall (test mode) or before it is connected.
HallLink* GetHallLink();
void SetHallLink(HallLink* link);

} // namespace platform
