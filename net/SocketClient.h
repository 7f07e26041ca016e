#pragma once
// CSocketClient: the client side of the game channel. One TCP connection, one socket thread
// that receives, reassembles and delivers, senders on any thread, and every whole pushed
// message (and the connection notices 1 and 2) handed to an owner thread or window as
// WM_SOCKET_NOTIFY with two heap records that the receiver frees (ReleaseSocketNotify).
//
// The connection's state lives in one shared object (its "context"): the socket thread, Close
// and every sender in flight each hold it, so nothing it owns (socket, events, buffers) is freed
// or closed while one of them may still touch it.
//
// Every step of connecting, receiving and sending is a virtual operation, declared below in the
// order a connection class of the framework expects to find them, so that a subclass can
// override any one step and call the base for the rest. Which thread runs each is said beside it.
// A subclass that overrides a step of the socket thread closes in its own destructor, so that
// the thread has stopped before the subclass is gone.
#include "net/Buffer.h"
#include "net/Message.h"
#include "net/Reassembly.h"
#include "platform/Message.h"
#include "platform/Socket.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

class CBindSocket;

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
    // Both stop the connection and always join the socket thread (which never blocks for
    // long); waiting requests are woken at once. Close waits at most 3 s for senders still in
    // flight to leave, CloseWait as long as they take. Safe to repeat.
    virtual void Close();
    virtual void CloseWait();
    // Adopts a socket that is already connected (through a proxy) and owns it from now on.
    virtual bool Attach(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                        bool waitGreeting, const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs,
                        const std::string& host, uint16_t port, int connectTimeoutSeconds);
    // Any thread. Packs and sends the request; with context.needsReply, waits up to timeoutMs
    // for the reply to this very message and hands it to *reply (the caller frees its data).
    // False on any failure; *timedOut = 1 when the reply did not come in time (or the client
    // was closed); a connection that breaks meanwhile ends the wait at once with *timedOut = 0
    // and IsConnected() false. Flags 0 mean the client's defaults; a checksum request of 1 or the client's
    // checksum option puts a CRC on every frame. Only one request that awaits a reply is in
    // flight at a time; others wait their turn within their own time-out.
    virtual bool SendRequest(const SocketContextRecord& context, const SocketMessageRecord& request,
                             SocketMessageRecord* reply, int* timedOut, uint32_t timeoutMs, uint32_t encryptFlags,
                             uint32_t compressFlags, int checksumRequest, const std::string& host = "",
                             uint16_t port = 0);
    virtual int GetSocket() const;
    virtual int32_t GetConnectionTag() const;
    virtual void SetConnectionTag(int32_t tag);
    virtual bool IsConnected() const;
    virtual bool SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);

protected:
    struct Connection;
    using ConnectionPtr = std::shared_ptr<Connection>;

    // The calling thread, for Create and Attach: connect (unless already connected), make the
    // context, greet, start the socket thread and wait for it (and for the server's greeting).
    // Every failure closes what was opened.
    virtual bool Connect(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                         bool waitGreeting, const void* greeting, uint32_t greetingLength,
                         uint32_t greetingTimeoutMs, const std::string& host, uint16_t port,
                         int connectTimeoutSeconds, bool alreadyConnected);
    // Close: the context takes no more sends.
    virtual void MarkContextsClosing();
    // Close, once senders have left: the context lets go of its reply and buffers and goes.
    virtual void ClearContexts();
    // Makes the context under host:port fresh (receive state, awaited reply and reply record
    // emptied) before the socket thread starts. False when there is none.
    virtual bool InitContext(const std::string& host, uint16_t port);
    // The context under host:port (with its key text), else none. One connection has one
    // context, so callers fall back to FirstContext.
    virtual ConnectionPtr FindContext(const std::string& host, uint16_t port, std::string* key) const;
    virtual ConnectionPtr FirstContext(std::string* key) const;
    virtual void SetContext(const std::string& host, uint16_t port, ConnectionPtr context);
    virtual platform::TcpSocket NewSocket(int spare);
    // True at once when already connected. An empty host would mean "any address", which
    // reaches this very machine, so it is refused.
    virtual bool ConnectTimeout(const std::string& host, uint16_t port, int seconds, bool alreadyConnected);

public:
    // Asks the proxy set with SetBindProxy to listen for one connection coming from host
    // (a SOCKS bind; the port is not part of the request); without a proxy, listens on the
    // loopback itself. Blocks up to the bind time-out until the proxy listens; BoundEndpoint
    // then says where the peer must connect, and AcceptBound takes the connection.
    virtual bool Bind(const std::string& host, uint16_t port);

protected:
    // In place of a hidden window, the socket thread waits on the connection's socket poller:
    // true when it can; false ends the thread at once.
    virtual bool CreateSocketWindow(Connection& c);
    // True once the socket thread runs, false when it stopped or did not start in time.
    virtual bool WaitThreadReady(Connection& c);
    // The socket thread's body, until Close.
    virtual int SocketThreadLoop(const ConnectionPtr& c);
    // Socket thread, for one whole frame: its length, checksum and piece length.
    virtual bool ValidateFrame(const uint8_t* frame, size_t size, Connection& c);
    // Socket thread: reassembly of one valid frame, handing what completes to DeliverPush or
    // DeliverReply. False breaks the stream (notice 2).
    virtual bool OnFrame(const uint8_t* frame, size_t size, Connection& c);
    // Socket thread: unpack and post to the owner; false (nothing posted) when it will not unpack.
    virtual bool DeliverPush(const CBuffer& reassembled, Connection& c);
    // Socket thread: unpack into the reply record and wake the requester. A reply that will
    // not unpack is dropped and stays awaited, so its requester times out.
    virtual bool DeliverReply(const CBuffer& reassembled, Connection& c);
    // Socket thread: post the connection notice 2, or 1 (at most one per connection).
    virtual bool OnSocketError(Connection& c);
    virtual bool OnSocketClose(Connection& c);
    // Socket thread: read what came and take the frames out of it; false on a frame error.
    virtual bool OnReceive(Connection& c);
    virtual bool OnWritable(Connection& c);
    // Any thread: number the message, await its reply when asked (before anything goes out),
    // and send every piece of `pieces` ([u32 p][piece]...) as one frame. *messageId gets the
    // message's id.
    virtual bool SendMessage(Connection& c, const CBuffer& pieces, bool needsReply, int checksumRequest,
                             uint32_t* messageId);
    // Builds the frame of one piece (with its CRC when asked or when the client's option says
    // so) and adds it to the message's bytes, which SendMessage writes in one go.
    virtual bool SendChunk(Connection& c, const uint8_t* piece, uint32_t length, const ChunkHeader& header,
                           int checksumRequest, std::vector<uint8_t>& wire);
    // The greeting: [u32 length][block], all of it or false.
    virtual bool SendRaw(Connection& c, const void* block, uint32_t length);
    virtual platform::IoResult RawRecv(Connection& c, void* buffer, size_t size);
    virtual platform::IoResult RawSend(Connection& c, const void* buffer, size_t size);
    // Socket thread: reads blocks until the socket has no more for now; returns the bytes read.
    virtual size_t ReceiveLoop(Connection& c, bool& ok);
    // Any thread: writes all of it, waiting for room while the socket is full; false when the
    // connection stops first or the socket fails.
    virtual bool SendLoop(Connection& c, const uint8_t* bytes, size_t size);
    // Size of one read; 0 reads nothing.
    virtual size_t GetReceiveBlockSize() const;
    // Hook on every block read; true means consumed (not buffered).
    virtual bool OnRawData(Connection& c, const uint8_t* bytes, size_t size);
    // Awaits the reply to `messageId` (0: none), emptying what was assembled of another.
    virtual void SetAwaitedReply(uint32_t messageId, Connection& c);
    virtual void GetAwaitedReply(uint32_t* messageId, uint32_t* lastPiece, Connection& c);
    // Socket thread: writes one piece into the message being assembled (AppendPiece).
    virtual void AppendPiece(CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                             const ConnectionIdentity& who);
    virtual bool WaitGreeting(Connection& c, uint32_t timeoutMs);
    // With the wait-greeting flag: the first data is the greeting; wakes the waiter.
    virtual bool OnFirstData(Connection& c);
    virtual size_t SplitBody(const CBuffer& body, CBuffer& pieces, uint32_t maxPieceSize);
    virtual size_t JoinBody(const uint8_t* pieces, size_t size, CBuffer& body, uint32_t maxPieceSize);

public:
    // Totals since the connection opened.
    uint32_t BytesReceived() const { return bytesReceived_.load(); }
    uint32_t ReceiveEvents() const { return receiveEvents_.load(); }

    // The proxy Bind goes through (type 0: none); credentials for SOCKS5 when user is given.
    void SetBindProxy(int type, const std::string& host, uint32_t port, const std::string* user = nullptr,
                      const std::string* password = nullptr);
    // After a successful Bind: where the peer must connect (address in network order).
    platform::Ipv4Endpoint BoundEndpoint() const;
    // After a successful Bind: waits up to timeoutSeconds for the peer's connection and adopts
    // it as Attach does. False (and the bind given up) when it does not come or the proxy fails.
    bool AcceptBound(platform::WindowId ownerWindow, platform::ThreadId ownerThread, bool waitGreeting,
                     const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs, int timeoutSeconds);

private:
    void Stop(bool waitWithoutLimit);
    ConnectionPtr Current() const;
    bool TakeFrames(Connection& c);
    void PostNotice(Connection& c, uint32_t notice);
    // `body` is scratch space for the joined pieces.
    bool Unpack(const CBuffer& reassembled, CBuffer& body, SocketContextRecord& context, SocketMessageRecord& message);
    bool PostToOwner(SocketContextRecord* context, SocketMessageRecord* message);
    enum class ReplyWait { Answered, TimedOut, Lost };
    ReplyWait WaitReply(Connection& c, uint32_t messageId, uint32_t timeoutMs, SocketMessageRecord* reply);

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
    ConnectionPtr connection_;
    std::timed_mutex requestLock_; // one awaiting request at a time
    std::thread socketThread_;

    struct BindProxy {
        int type = 0;
        std::string host;
        uint32_t port = 0;
        bool withCredentials = false;
        std::string user;
        std::string password;
    } bindProxy_;
    std::unique_ptr<CBindSocket> bound_; // the calling thread's, between Bind and AcceptBound
};

// The game connection's client: checksums on every frame, pieces of at most 4000 bytes, and
// keys from the built-in key table.
class CDefSocketClient : public CSocketClient {
public:
    CDefSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
    // Stops the socket thread while the object is still whole: the thread calls its virtual steps.
    ~CDefSocketClient() override;
    // A null key selects the first block of the key table (128 bits).
    bool SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags) override;
    // Keys with block `index` of the key table; false for an index outside it.
    virtual bool SelectKey(size_t index, uint32_t encryptFlags, uint32_t compressFlags);
};

} // namespace net
