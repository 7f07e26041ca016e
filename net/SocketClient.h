#pragma once
// CSocketClient: the client side of the game channel. One TCP connection, one socket thread
// that receives, reassembles and delivers, senders on any thread, and every whole pushed
// message (and the connection notices 1 and 2) handed to an owner thread or window as
// WM_SOCKET_NOTIFY with two heap records that the receiver frees (ReleaseSocketNotify).
//
// The connection's state lives in one shared object: the socket thread, Close and every
// sender in flight each hold it, so nothing it owns (socket, events, buffers) is freed or
// closed while one of them may still touch it.
#include "net/Message.h"
#include "platform/Message.h"
#include "platform/Socket.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace net {

inline constexpr uint32_t WM_SOCKET_NOTIFY = 2025;
inline constexpr uint32_t kNoticePeerClosed = 1;
inline constexpr uint32_t kNoticeSocketError = 2;
inline constexpr uint32_t kReceiveBlockSize = 4096;

// Frees what one WM_SOCKET_NOTIFY carries: the message data, then both records.
void ReleaseSocketNotify(uintptr_t wparam, intptr_t lparam);

// Start-up and exit hooks of the transport. The socket thread here needs no window of its own,
// so there is nothing to register; both succeed.
inline bool RegisterSocketWindowClass() { return true; }
inline void UnregisterSocketWindowClass() {}

class CSocketClient {
public:
    // The key (keyBits / 8 bytes, at most 32) is copied here and by SetKey; null means none.
    CSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags,
                  uint32_t checksumOption, uint32_t maxPieceSize);
    virtual ~CSocketClient();
    CSocketClient(const CSocketClient&) = delete;
    CSocketClient& operator=(const CSocketClient&) = delete;

    // Connects (time-out in seconds), then sends the greeting block as [u32 length][bytes] or,
    // with waitGreeting, waits up to greetingTimeoutMs for the server's first data instead.
    // Give an owner thread or an owner window; with both, only the thread receives.
    virtual bool Create(const std::string& host, uint16_t port, int connectTimeoutSeconds,
                        platform::WindowId ownerWindow, platform::ThreadId ownerThread, bool waitGreeting,
                        const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs, int spare = 0);
    // Adopts a socket that is already connected (through a proxy) and owns it from now on.
    virtual bool Attach(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                        bool waitGreeting, const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs,
                        const std::string& host, uint16_t port, int connectTimeoutSeconds);
    // Both stop the connection and always join the socket thread (which never blocks for
    // long); waiting requests are woken at once. Close waits at most 3 s for senders still in
    // flight to leave, CloseWait as long as they take. Safe to repeat.
    virtual void Close();
    virtual void CloseWait();

    // Packs and sends the request; with context.needsReply, waits up to timeoutMs for the
    // reply to this very message and hands it to *reply (the caller frees its data). False on
    // any failure; *timedOut = 1 when the reply did not come (or the connection closed).
    // Flags 0 mean the client's defaults. Only one request that awaits a reply is in flight
    // at a time; others wait their turn within their own time-out.
    virtual bool SendRequest(const SocketContextRecord& context, const SocketMessageRecord& request,
                             SocketMessageRecord* reply, int* timedOut, uint32_t timeoutMs, uint32_t encryptFlags,
                             uint32_t compressFlags, int checksumRequest, const std::string& host = "",
                             uint16_t port = 0);

    virtual int GetSocket() const;
    int32_t GetConnectionTag() const { return tag_.load(); }
    void SetConnectionTag(int32_t tag) { tag_.exchange(tag); }
    virtual bool IsConnected() const;
    virtual bool SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);

    // Totals since the connection opened.
    uint32_t BytesReceived() const { return bytesReceived_.load(); }
    uint32_t ReceiveEvents() const { return receiveEvents_.load(); }

protected:
    struct Connection;

    // Hook on every block read; true means consumed (not buffered).
    virtual bool OnRawData(Connection&, const uint8_t*, size_t) { return false; }
    // With the wait-greeting flag: the first data is the greeting; wakes the waiter.
    virtual bool OnFirstData(Connection& c);

private:
    bool Connect(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                 bool waitGreeting, const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs,
                 const std::string& host, uint16_t port, int connectTimeoutSeconds, bool alreadyConnected);
    bool ConnectTimeout(Connection& c, const std::string& host, uint16_t port, int seconds, bool alreadyConnected);
    void Stop(bool waitWithoutLimit);
    std::shared_ptr<Connection> Current() const;

    void SocketThreadLoop(const std::shared_ptr<Connection>& c);
    bool OnReceive(Connection& c);
    size_t ReceiveLoop(Connection& c, bool& ok);
    bool TakeFrames(Connection& c);
    void OnConnectionNotice(Connection& c, uint32_t notice);
    bool Unpack(const CBuffer& reassembled, SocketContextRecord& context, SocketMessageRecord& message) const;
    bool DeliverPush(Connection& c, const CBuffer& reassembled);
    bool DeliverReply(Connection& c, const CBuffer& reassembled);
    bool PostToOwner(SocketContextRecord* context, SocketMessageRecord* message);

    bool SendRaw(Connection& c, const void* block, uint32_t length);
    bool SendLoop(Connection& c, const uint8_t* bytes, size_t size);
    bool WaitGreeting(Connection& c, uint32_t timeoutMs);
    bool WaitReply(Connection& c, uint32_t messageId, uint32_t timeoutMs, SocketMessageRecord* reply);

    // A copy of the key material, so that a caller's buffer may go away after SetKey.
    struct Keys {
        Keys(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
        const uint8_t* Key() const { return hasKey ? bytes.data() : nullptr; }

        std::array<uint8_t, 32> bytes{}; // AES keys are at most 256 bits
        bool hasKey = false;
        uint32_t keyBits = 0;
        uint32_t encryptFlags = 0;
        uint32_t compressFlags = 0;
    };
    Keys CurrentKeys() const;

    mutable std::mutex keyLock_; // SetKey may run while the socket thread unpacks
    Keys keys_;
    const uint32_t checksumOption_;
    const uint32_t maxPieceSize_;

    bool waitGreeting_ = false;
    platform::WindowId ownerWindow_ = 0;
    platform::ThreadId ownerThread_ = 0;

    std::atomic<int32_t> tag_{0};
    std::atomic<uint32_t> bytesReceived_{0};
    std::atomic<uint32_t> receiveEvents_{0};
    std::atomic<int32_t> busy_{0};

    mutable std::mutex connectionLock_; // guards connection_ itself, never held while waiting
    std::shared_ptr<Connection> connection_;
    std::timed_mutex requestLock_; // one awaiting request at a time
    std::thread socketThread_;
};

// The game connection's client: checksums on every frame, pieces of at most 4000 bytes, and
// keys from the built-in key table.
class CDefSocketClient : public CSocketClient {
public:
    CDefSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
    // A null key selects the first block of the key table (128 bits).
    bool SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags) override;
    // Keys with block `index` of the key table; false for an index outside it.
    virtual bool SelectKey(size_t index, uint32_t encryptFlags, uint32_t compressFlags);
};

} // namespace net
