// The socket client's life: keys, connecting, the context of the connection, closing.
#include "net/SocketClient.h"

#include "net/ConnectionKeys.h"
#include "net/Pieces.h"
#include "net/SocketConnection.h"
#include "platform/BusyPump.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace net {

namespace {

using Steady = std::chrono::steady_clock;

std::atomic<int32_t> connectionCounter{0};

constexpr uint32_t kThreadReadyMs = 5000;
constexpr auto kCloseSenderWait = std::chrono::seconds(3);

std::string ContextKey(const std::string& host, uint16_t port)
{
    return host + ":" + std::to_string(port);
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

CSocketClient::Keys::Keys(const uint8_t* key, uint32_t bits, uint32_t encrypt, uint32_t compress)
    : hasKey(key != nullptr), keyBits(bits), encryptFlags(encrypt), compressFlags(compress)
{
    if (key)
        std::memcpy(bytes.data(), key, std::min<size_t>(bits / 8, bytes.size()));
}

CSocketClient::CSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags,
                             uint32_t checksumOption, uint32_t maxPieceSize)
    : keys_(key, keyBits, encryptFlags, compressFlags), checksumOption_(checksumOption), maxPieceSize_(maxPieceSize)
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

CSocketClient::ConnectionPtr CSocketClient::Current() const
{
    std::lock_guard lock(connectionLock_);
    return connection_;
}

int CSocketClient::GetSocket() const
{
    const auto c = Current();
    return c ? c->socket.Fd() : -1;
}

int32_t CSocketClient::GetConnectionTag() const
{
    return tag_.load();
}

void CSocketClient::SetConnectionTag(int32_t tag)
{
    tag_.exchange(tag);
}

bool CSocketClient::IsConnected() const
{
    const auto c = Current();
    return c && c->socket.IsConnected() && !c->lost.IsSet();
}

bool CSocketClient::Create(const std::string& host, uint16_t port, int connectTimeoutSeconds,
                           platform::WindowId ownerWindow, platform::ThreadId ownerThread, bool waitGreeting,
                           const void* greeting, uint32_t greetingLength, uint32_t greetingTimeoutMs, int spare)
{
    return Connect(NewSocket(spare), ownerWindow, ownerThread, waitGreeting, greeting, greetingLength,
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
    SetContext(host, port, c);
    if (!ConnectTimeout(host, port, connectTimeoutSeconds, alreadyConnected) || !InitContext(host, port)) {
        Close();
        return false;
    }
    c->socket.SetNoDelay(true); // requests wait for replies: latency matters more than segments
    if (!waitGreeting && !SendRaw(*c, greeting, greetingLength)) {
        Close();
        return false;
    }
    socketThread_ = std::thread([this, c] { SocketThreadLoop(c); });
    if (!WaitThreadReady(*c) || (waitGreeting && !WaitGreeting(*c, greetingTimeoutMs))) {
        Close();
        return false;
    }
    return true;
}

bool CSocketClient::ConnectTimeout(const std::string& host, uint16_t port, int seconds, bool alreadyConnected)
{
    const auto c = Current();
    if (!c)
        return false;
    if (alreadyConnected)
        return c->socket.IsConnected();
    if (host.empty() || port == 0)
        return false;
    // The UI thread shows its connecting text in the wait window meanwhile: the lookup and the
    // connect pump, and share the one limit.
    const uint32_t limitMs = seconds > 0 ? uint32_t(seconds) * 1000 : 0;
    const auto deadline = Steady::now() + std::chrono::milliseconds(limitMs);
    const auto address = platform::ResolveBusy(host, limitMs);
    if (!address)
        return false;
    return platform::ConnectBusy(c->socket, {*address, port}, platform::MsUntil(deadline)) == 0;
}

platform::TcpSocket CSocketClient::NewSocket(int)
{
    return platform::TcpSocket::Open();
}

bool CSocketClient::WaitThreadReady(Connection& c)
{
    platform::Event* events[] = {&c.quit, &c.ready};
    return platform::WaitAnyBusy(events, kThreadReadyMs) == 1;
}

void CSocketClient::SetContext(const std::string& host, uint16_t port, ConnectionPtr context)
{
    if (context)
        context->key = ContextKey(host, port);
    std::lock_guard lock(connectionLock_);
    connection_ = std::move(context);
}

CSocketClient::ConnectionPtr CSocketClient::FirstContext(std::string* key) const
{
    auto c = Current();
    if (c && key)
        *key = c->key;
    return c;
}

CSocketClient::ConnectionPtr CSocketClient::FindContext(const std::string& host, uint16_t port,
                                                        std::string* key) const
{
    auto c = Current();
    if (!c || c->key != ContextKey(host, port))
        return nullptr;
    if (key)
        *key = c->key;
    return c;
}

bool CSocketClient::InitContext(const std::string& host, uint16_t port)
{
    const auto c = Current();
    if (!c || c->key != ContextKey(host, port))
        return false;
    c->receiver.SetIdentity({static_cast<uint32_t>(c->socket.Fd()), c->tag});
    c->receiver.SetPieceAppender([this](CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece,
                                        uint32_t length, const ConnectionIdentity& who) {
        AppendPiece(buffer, header, piece, length, who);
    });
    c->receiver.DiscardBuffered();
    SetAwaitedReply(0, *c);
    std::lock_guard lock(c->replyLock);
    if (c->hasReply)
        FreeMessageData(c->reply);
    c->reply = {};
    c->hasReply = false;
    return true;
}

void CSocketClient::MarkContextsClosing()
{
    if (const auto c = Current())
        ++c->closing;
}

void CSocketClient::ClearContexts()
{
    ConnectionPtr c;
    {
        std::lock_guard lock(connectionLock_);
        c = std::move(connection_);
    }
    if (!c)
        return;
    std::lock_guard lock(c->replyLock);
    if (c->hasReply)
        FreeMessageData(c->reply);
    c->reply = {};
    c->hasReply = false;
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
    MarkContextsClosing(); // no new sends from here on
    const auto c = Current();
    if (c) {
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
    ClearContexts();
}

void CSocketClient::SetAwaitedReply(uint32_t messageId, Connection& c)
{
    c.receiver.Replies().SetAwaitedReply(messageId);
}

void CSocketClient::GetAwaitedReply(uint32_t* messageId, uint32_t* lastPiece, Connection& c)
{
    uint32_t id = 0, last = 0;
    c.receiver.Replies().GetAwaitedReply(id, last);
    if (messageId)
        *messageId = id;
    if (lastPiece)
        *lastPiece = last;
}

size_t CSocketClient::SplitBody(const CBuffer& body, CBuffer& pieces, uint32_t maxPieceSize)
{
    return SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, maxPieceSize);
}

size_t CSocketClient::JoinBody(const uint8_t* pieces, size_t size, CBuffer& body, uint32_t maxPieceSize)
{
    return JoinPieces(pieces, size, body, maxPieceSize);
}

CDefSocketClient::CDefSocketClient(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags,
                                   uint32_t compressFlags)
    : CSocketClient(key, keyBits, encryptFlags, compressFlags, 1, kGamePieceSize)
{
}

CDefSocketClient::~CDefSocketClient() { CloseWait(); }

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
