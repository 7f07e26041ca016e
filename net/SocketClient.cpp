#include "net/SocketClient.h"

#include "net/ConnectionKeys.h"
#include "net/FrameReceiver.h"
#include "net/FrameSender.h"
#include "net/Packager.h"
#include "net/Pieces.h"
#include "net/WireFrame.h"
#include "platform/Event.h"
#include "platform/SocketPoller.h"
#include "platform/Window.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace net {

namespace {

using Steady = std::chrono::steady_clock;

std::atomic<int32_t> connectionCounter{0};

constexpr uint32_t kThreadReadyMs = 5000;
constexpr uint32_t kWritableWaitMs = 1000;
constexpr auto kCloseSenderWait = std::chrono::seconds(3);

uint32_t RemainingMs(Steady::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return left > 0 ? static_cast<uint32_t>(left) : 0;
}

// Index of the event that fired within the time-out, or -1.
int WaitEither(platform::Event& a, platform::Event& b, uint32_t timeoutMs)
{
    platform::Event* events[] = {&a, &b};
    return platform::WaitAny(events, timeoutMs);
}

} // namespace

void ReleaseSocketNotify(uintptr_t wparam, intptr_t lparam)
{
    delete reinterpret_cast<SocketContextRecord*>(wparam);
    if (auto* message = reinterpret_cast<SocketMessageRecord*>(lparam)) {
        FreeMessageData(*message);
        delete message;
    }
}

struct CSocketClient::Connection {
    Connection(platform::TcpSocket s, uint32_t maxPiece)
        : socket(std::move(s)), poller(socket.Fd()), sender(maxPiece), receiver(maxPiece)
    {
    }
    ~Connection()
    {
        if (hasReply)
            FreeMessageData(reply);
    }

    platform::TcpSocket socket; // closed when the last holder lets go
    platform::SocketPoller poller;
    platform::Event quit{platform::Event::Mode::kManual};
    platform::Event writable{platform::Event::Mode::kAuto};
    platform::Event ready{platform::Event::Mode::kManual};
    platform::Event event{platform::Event::Mode::kManual}; // reply arrived, or the greeting
    std::atomic<bool> stop{false};
    std::atomic<int32_t> closing{0};
    int32_t tag = 0;

    std::mutex sendLock; // one whole message at a time on the wire
    FrameSender sender;
    FrameReceiver receiver; // the socket thread's, except its reply assembler (locked)

    std::mutex replyLock; // the reply record, and the event's reset paired with the awaited id
    SocketMessageRecord reply{};
    uint32_t replyId = 0;
    bool hasReply = false;

    // Socket thread only.
    uint32_t receiveEvents = 0;
    bool noticed = false; // one connection notice per connection
    bool broken = false;  // after a frame error the stream is read and dropped
};

CSocketClient::Keys::Keys(const uint8_t* key, uint32_t bits, uint32_t encrypt, uint32_t compress)
    : hasKey(key != nullptr), keyBits(bits), encryptFlags(encrypt), compressFlags(compress)
{
    if (key)
        std::memcpy(bytes.data(), key, std::min<size_t>(bits / 8, bytes.size()));
}

CSocketClient::CSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags,
                             uint32_t checksumOption, uint32_t maxPieceSize)
    : keys_{key, keyBits, encryptFlags, compressFlags}, checksumOption_(checksumOption), maxPieceSize_(maxPieceSize)
{
}

CSocketClient::~CSocketClient()
{
    Stop(true);
}

bool CSocketClient::SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags)
{
    std::lock_guard lock(keyLock_);
    keys_ = Keys(key, keyBits, encryptFlags, compressFlags);
    return true;
}

CSocketClient::Keys CSocketClient::CurrentKeys() const
{
    std::lock_guard lock(keyLock_);
    return keys_;
}

std::shared_ptr<CSocketClient::Connection> CSocketClient::Current() const
{
    std::lock_guard lock(connectionLock_);
    return connection_;
}

int CSocketClient::GetSocket() const
{
    const auto c = Current();
    return c ? c->socket.Fd() : -1;
}

bool CSocketClient::IsConnected() const
{
    const auto c = Current();
    return c && c->socket.IsConnected();
}

bool CSocketClient::Create(const std::string& host, uint16_t port, int connectTimeoutSeconds,
                           platform::WindowId ownerWindow, platform::ThreadId ownerThread, bool waitGreeting,
                           const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs, int)
{
    return Connect(platform::TcpSocket::Open(), ownerWindow, ownerThread, waitGreeting, greeting, greetingLength,
                   greetingTimeoutMs, host, port, connectTimeoutSeconds, false);
}

bool CSocketClient::Attach(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                           bool waitGreeting, const void* greeting, uint32_t greetingLength,
                           uint32_t greetingTimeoutMs, const std::string& host, uint16_t port,
                           int connectTimeoutSeconds)
{
    return Connect(std::move(socket), ownerWindow, ownerThread, waitGreeting, greeting, greetingLength,
                   greetingTimeoutMs, host, port, connectTimeoutSeconds, true);
}

bool CSocketClient::Connect(platform::TcpSocket socket, platform::WindowId ownerWindow, platform::ThreadId ownerThread,
                            bool waitGreeting, const void* greeting, uint32_t greetingLength,
                            uint32_t greetingTimeoutMs, const std::string& host, uint16_t port,
                            int connectTimeoutSeconds, bool alreadyConnected)
{
    Stop(false); // the owner should have closed; a second live connection would leak a thread
    ownerThread_ = ownerThread;
    ownerWindow_ = ownerThread ? 0 : ownerWindow; // each record must reach exactly one receiver
    waitGreeting_ = waitGreeting;
    bytesReceived_ = 0;
    receiveEvents_ = 0;

    auto c = std::make_shared<Connection>(std::move(socket), maxPieceSize_);
    if (!c->socket.Valid() || !c->poller.Valid())
        return false;
    c->tag = ++connectionCounter;
    SetConnectionTag(c->tag);
    if (!ConnectTimeout(*c, host, port, connectTimeoutSeconds, alreadyConnected)) {
        SetConnectionTag(0);
        return false;
    }
    c->socket.SetNoDelay(true); // requests wait for replies: latency matters more than segments
    c->receiver.SetIdentity({static_cast<uint32_t>(c->socket.Fd()), c->tag});
    {
        std::lock_guard lock(connectionLock_);
        connection_ = c;
    }
    if (!waitGreeting && !SendRaw(*c, greeting, greetingLength)) {
        Close();
        return false;
    }
    socketThread_ = std::thread([this, c] { SocketThreadLoop(c); });
    if (WaitEither(c->quit, c->ready, kThreadReadyMs) != 1) {
        Close();
        return false;
    }
    if (waitGreeting && !WaitGreeting(*c, greetingTimeoutMs)) {
        Close();
        return false;
    }
    return true;
}

// A writable socket is not yet a connected one: the platform connect checks SO_ERROR. An empty
// host would mean "any address", which reaches this very machine, so it is refused.
bool CSocketClient::ConnectTimeout(Connection& c, const std::string& host, uint16_t port, int seconds,
                                   bool alreadyConnected)
{
    if (alreadyConnected)
        return c.socket.IsConnected();
    const auto address = platform::CurrentResolver().Resolve(host);
    if (host.empty() || !address || port == 0)
        return false;
    return c.socket.Connect({*address, port}, seconds > 0 ? seconds * 1000 : 0) == 0;
}

void CSocketClient::Close()
{
    Stop(false);
}

void CSocketClient::CloseWait()
{
    Stop(true);
}

void CSocketClient::Stop(bool waitWithoutLimit)
{
    std::shared_ptr<Connection> c;
    {
        std::lock_guard lock(connectionLock_);
        c = std::move(connection_);
    }
    if (c) {
        ++c->closing;
        c->stop = true;
        c->quit.Set(); // wakes waiting requests and the send loop
        c->poller.Wake();
    }
    if (socketThread_.joinable())
        socketThread_.join(); // the thread never blocks but in its poller, which was woken
    if (c)
        c->socket.Shutdown(); // the peer sees the end now; the descriptor goes with the last holder
    SetConnectionTag(0);
    bytesReceived_ = 0;
    receiveEvents_ = 0;
    const auto until = Steady::now() + kCloseSenderWait;
    while (busy_.load() > 0 && (waitWithoutLimit || Steady::now() < until))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void CSocketClient::SocketThreadLoop(const std::shared_ptr<Connection>& c)
{
    c->ready.Set();
    std::vector<platform::SocketNotice> notices;
    while (!c->stop) {
        notices.clear();
        c->poller.Wait(-1, notices);
        for (const auto& n : notices) {
            if (c->stop)
                break;
            switch (n.event) {
            case platform::SocketEvent::Read:
                if (!OnReceive(*c))
                    OnConnectionNotice(*c, kNoticeSocketError);
                break;
            case platform::SocketEvent::Write:
                c->writable.Set();
                break;
            case platform::SocketEvent::Close:
                OnConnectionNotice(*c, kNoticePeerClosed);
                break;
            case platform::SocketEvent::Error:
                OnConnectionNotice(*c, kNoticeSocketError);
                break;
            }
        }
    }
}

bool CSocketClient::OnFirstData(Connection& c)
{
    if (!waitGreeting_)
        return false;
    c.event.Set();
    return true;
}

size_t CSocketClient::ReceiveLoop(Connection& c, bool& ok)
{
    const bool greeting = ++c.receiveEvents == 1 && waitGreeting_;
    uint8_t block[kReceiveBlockSize];
    size_t total = 0;
    for (;;) {
        const platform::IoResult r = c.socket.Receive(block, sizeof block);
        if (r.status != platform::IoStatus::Done || r.bytes == 0)
            break; // would block, end of stream or error: the poller reports the last two
        total += r.bytes;
        if (c.broken || greeting || OnRawData(c, block, r.bytes))
            continue;
        // Frames are taken out block by block, so the buffer never holds more than one block
        // and a partial frame however much the peer sent at once.
        c.receiver.Feed(block, r.bytes);
        if (!TakeFrames(c)) {
            ok = false;
            c.broken = true; // nothing after a broken frame can be trusted: read and drop
            c.receiver.DiscardBuffered();
        }
        if (r.bytes < sizeof block)
            break; // drained for now; the poller reports readiness again if more comes
    }
    if (greeting && total > 0)
        OnFirstData(c); // the first data is the greeting, whatever it holds
    else if (greeting)
        c.receiveEvents = 0;
    return total;
}

bool CSocketClient::TakeFrames(Connection& c)
{
    CBuffer message;
    for (;;) {
        switch (c.receiver.Next(message)) {
        case ReceiveEvent::NeedMore:
            return true;
        case ReceiveEvent::PushMessage:
            DeliverPush(c, message);
            break;
        case ReceiveEvent::ReplyMessage:
            DeliverReply(c, message);
            break;
        case ReceiveEvent::Error:
            return false;
        }
    }
}

bool CSocketClient::OnReceive(Connection& c)
{
    ++receiveEvents_;
    bool ok = true;
    bytesReceived_ += static_cast<uint32_t>(ReceiveLoop(c, ok));
    return ok;
}

bool CSocketClient::PostToOwner(SocketContextRecord* context, SocketMessageRecord* message)
{
    const auto wparam = reinterpret_cast<uintptr_t>(context);
    const auto lparam = reinterpret_cast<intptr_t>(message);
    bool posted = false;
    if (ownerThread_)
        posted = platform::PostToThread(ownerThread_, WM_SOCKET_NOTIFY, wparam, lparam);
    else if (ownerWindow_)
        posted = platform::PostToWindow(ownerWindow_, WM_SOCKET_NOTIFY, wparam, lparam);
    if (!posted)
        ReleaseSocketNotify(wparam, lparam); // the data too, not only the records
    return posted;
}

bool CSocketClient::Unpack(const CBuffer& reassembled, SocketContextRecord& context,
                           SocketMessageRecord& message) const
{
    const Keys k = CurrentKeys();
    return UnpackMessage(reassembled.GetData(), reassembled.GetSize(), context, message, k.Key(), k.keyBits,
                         k.encryptFlags, k.compressFlags, maxPieceSize_);
}

bool CSocketClient::DeliverPush(Connection&, const CBuffer& reassembled)
{
    SocketContextRecord context;
    SocketMessageRecord message;
    if (!Unpack(reassembled, context, message))
        return false; // dropped without a notice
    PostToOwner(new SocketContextRecord(context), new SocketMessageRecord(message));
    return true;
}

bool CSocketClient::DeliverReply(Connection& c, const CBuffer& reassembled)
{
    SocketContextRecord context;
    SocketMessageRecord message;
    if (!Unpack(reassembled, context, message))
        return false; // still awaited: a repeat of it is ignored and the requester times out
    c.receiver.Replies().ReplyTaken(context.messageId);
    {
        std::lock_guard lock(c.replyLock);
        if (c.hasReply)
            FreeMessageData(c.reply);
        c.reply = message;
        c.replyId = context.messageId;
        c.hasReply = true;
    }
    c.event.Set(); // outside the lock, so the woken requester does not block on it at once
    return true;
}

void CSocketClient::OnConnectionNotice(Connection& c, uint32_t notice)
{
    if (c.noticed || (!ownerThread_ && !ownerWindow_))
        return;
    c.noticed = true;
    auto* context = new SocketContextRecord;
    context->socket = static_cast<uint32_t>(c.socket.Fd());
    context->tag = c.tag;
    auto* message = new SocketMessageRecord;
    message->head = MessageHead::WithId(notice);
    PostToOwner(context, message);
}

bool CSocketClient::SendLoop(Connection& c, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        const platform::IoResult r = c.socket.Send(bytes, size);
        if (r.status == platform::IoStatus::Done) {
            bytes += r.bytes;
            size -= r.bytes;
            continue;
        }
        if (r.status != platform::IoStatus::WouldBlock)
            return false;
        c.poller.WantWrite();
        if (WaitEither(c.quit, c.writable, kWritableWaitMs) != 1)
            return false;
    }
    return true;
}

bool CSocketClient::SendRaw(Connection& c, const void* block, uint32_t length)
{
    const std::vector<uint8_t> raw = BuildRawBlock(block, length);
    std::lock_guard lock(c.sendLock);
    return SendLoop(c, raw.data(), raw.size());
}

bool CSocketClient::WaitGreeting(Connection& c, uint32_t timeoutMs)
{
    if (WaitEither(c.quit, c.event, timeoutMs) != 1)
        return false;
    c.event.Reset();
    return true;
}

bool CSocketClient::SendRequest(const SocketContextRecord& context, const SocketMessageRecord& request,
                                SocketMessageRecord* reply, int* timedOut, uint32_t timeoutMs,
                                uint32_t encryptFlags, uint32_t compressFlags, int checksumRequest,
                                const std::string&, uint16_t)
{
    struct Busy {
        std::atomic<int32_t>& n;
        explicit Busy(std::atomic<int32_t>& counter) : n(counter) { ++n; }
        ~Busy() { --n; }
    } busy(busy_);
    if (timedOut)
        *timedOut = 0;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    const auto c = Current();
    if (!c || c->closing > 0)
        return false;

    const Keys k = CurrentKeys();
    CBuffer body;
    if (!PackMessage(request.head, request.data, static_cast<uint32_t>(request.length), k.Key(), k.keyBits,
                     encryptFlags ? encryptFlags : k.encryptFlags, compressFlags ? compressFlags : k.compressFlags,
                     body))
        return false;
    CBuffer pieces;
    SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, maxPieceSize_);

    const bool needsReply = context.needsReply != 0;
    std::unique_lock turn(requestLock_, std::defer_lock);
    if (needsReply && !turn.try_lock_for(std::chrono::milliseconds(RemainingMs(deadline)))) {
        if (timedOut)
            *timedOut = 1;
        return false;
    }
    uint32_t messageId;
    {
        std::lock_guard sending(c->sendLock);
        messageId = c->sender.NextMessageId();
        if (needsReply) {
            // Awaited before anything goes out, and in the same step as the event's reset, so
            // neither a reply to this request nor a late one to an earlier request is missed or
            // taken for this one.
            std::lock_guard lock(c->replyLock);
            if (c->hasReply) {
                FreeMessageData(c->reply);
                c->hasReply = false;
            }
            c->event.Reset();
            c->receiver.Replies().SetAwaitedReply(messageId);
        }
        std::vector<std::vector<uint8_t>> frames;
        const bool withChecksum = checksumRequest == 1 || checksumOption_ != 0;
        if (!c->sender.BuildFrames(pieces.GetData(), pieces.GetSize(), messageId, needsReply, withChecksum, frames))
            return false;
        // One write for the whole message: frames held back by Nagle's rule would otherwise
        // wait for the peer's delayed acknowledgement.
        std::vector<uint8_t> wire;
        for (const auto& f : frames)
            wire.insert(wire.end(), f.begin(), f.end());
        if (!SendLoop(*c, wire.data(), wire.size()))
            return false;
    }
    if (!needsReply)
        return true;
    if (WaitReply(*c, messageId, RemainingMs(deadline), reply))
        return true;
    if (timedOut)
        *timedOut = 1;
    return false;
}

bool CSocketClient::WaitReply(Connection& c, uint32_t messageId, uint32_t timeoutMs, SocketMessageRecord* reply)
{
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (WaitEither(c.quit, c.event, RemainingMs(deadline)) != 1)
            return false;
        std::lock_guard lock(c.replyLock);
        if (c.hasReply) {
            c.hasReply = false;
            if (c.replyId == messageId) {
                if (reply)
                    *reply = c.reply;
                else
                    FreeMessageData(c.reply);
                c.reply = {};
                return true;
            }
            FreeMessageData(c.reply); // a late reply to an earlier request
        }
        c.event.Reset();
    }
}

CDefSocketClient::CDefSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags,
                                   uint32_t compressFlags)
    : CSocketClient(key, keyBits, encryptFlags, compressFlags, 1, kGamePieceSize)
{
}

bool CDefSocketClient::SetKey(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags)
{
    if (!key)
        return CSocketClient::SetKey(ConnectionKeyBlock(kDefaultKeyBlock), kConnectionKeyBits, encryptFlags,
                                     compressFlags);
    return CSocketClient::SetKey(key, keyBits, encryptFlags, compressFlags);
}

bool CDefSocketClient::SelectKey(size_t index, uint32_t encryptFlags, uint32_t compressFlags)
{
    const uint8_t* block = ConnectionKeyBlock(index);
    if (!block)
        return false;
    return CSocketClient::SetKey(block, kConnectionKeyBits, encryptFlags, compressFlags);
}

} // namespace net
