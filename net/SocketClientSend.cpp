// The socket client's sending side: requests, their frames, the greeting and the wait for a
// reply.
#include "net/ByteOrder.h"
#include "net/Packager.h"
#include "net/SocketConnection.h"
#include "platform/BusyPump.h"

#include <chrono>

namespace net {

namespace {

using Steady = std::chrono::steady_clock;

constexpr uint32_t kWritableWaitMs = 1000;

// Index of the event that fired within the time-out, or -1. A UI thread that waits here keeps its
// wait dialog painted (the busy pump); no message is handled meanwhile.
int WaitEither(platform::Event& a, platform::Event& b, uint32_t timeoutMs)
{
    platform::Event* events[] = {&a, &b};
    return platform::WaitAnyBusy(events, timeoutMs);
}

int WaitAnyOf(platform::Event& a, platform::Event& b, platform::Event& c, uint32_t timeoutMs)
{
    platform::Event* events[] = {&a, &b, &c};
    return platform::WaitAnyBusy(events, timeoutMs);
}

} // namespace

platform::IoResult CSocketClient::RawSend(Connection& c, const void* buffer, size_t size)
{
    return c.socket.Send(buffer, size);
}

bool CSocketClient::SendLoop(Connection& c, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        const platform::IoResult r = RawSend(c, bytes, size);
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

bool CSocketClient::SendChunk(Connection&, const uint8_t* piece, uint32_t length, const ChunkHeader& header,
                              int checksumRequest, std::vector<uint8_t>& wire)
{
    const bool withChecksum = checksumRequest == 1 || checksumOption_ != 0;
    const std::vector<uint8_t> frame = BuildFrame(header, piece, length, withChecksum);
    wire.insert(wire.end(), frame.begin(), frame.end());
    return true;
}

bool CSocketClient::SendMessage(Connection& c, const CBuffer& pieces, bool needsReply, int checksumRequest,
                                uint32_t* messageId)
{
    std::lock_guard sending(c.sendLock);
    const uint32_t id = c.sender.NextMessageId();
    if (messageId)
        *messageId = id;
    if (needsReply) {
        // Awaited before anything goes out, and in the same step as the event's reset, so
        // neither a reply to this request nor a late one to an earlier request is missed or
        // taken for this one.
        std::lock_guard lock(c.replyLock);
        if (c.hasReply) {
            FreeMessageData(c.reply);
            c.hasReply = false;
        }
        c.event.Reset();
        SetAwaitedReply(id, c);
    }
    const uint8_t* bytes = pieces.GetData();
    const size_t size = pieces.GetSize();
    const long count = c.sender.CountPieces(bytes, size);
    if (count < 0)
        return false; // a malformed list sends nothing at all
    ChunkHeader header;
    header.type = kFrameTypePush;
    header.messageId = id;
    header.needsReply = needsReply ? 1 : 0;
    // One write for the whole message: frames held back by Nagle's rule would otherwise
    // wait for the peer's delayed acknowledgement.
    std::vector<uint8_t> wire;
    for (size_t pos = 0; header.pieceIndex < static_cast<uint32_t>(count);) {
        const uint32_t p = ReadLe32(bytes + pos);
        header.serial = c.sender.NextSerial();
        ++header.pieceIndex;
        header.lastPiece = header.pieceIndex == static_cast<uint32_t>(count) ? 1 : 0;
        if (!SendChunk(c, bytes + pos + 4, p, header, checksumRequest, wire))
            return false;
        pos += 4 + p;
    }
    return SendLoop(c, wire.data(), wire.size());
}

bool CSocketClient::SendRequest(const SocketContextRecord& context, const SocketMessageRecord& request,
                                SocketMessageRecord* reply, int* timedOut, uint32_t timeoutMs,
                                uint32_t encryptFlags, uint32_t compressFlags, int checksumRequest,
                                const std::string& host, uint16_t port)
{
    struct Busy {
        std::atomic<int32_t>& n;
        explicit Busy(std::atomic<int32_t>& counter) : n(counter) { ++n; }
        ~Busy() { --n; }
    } busy(busy_);
    if (timedOut)
        *timedOut = 0;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    auto c = FindContext(host, port, nullptr);
    if (!c)
        c = FirstContext(nullptr);
    if (!c || c->closing > 0)
        return false;

    const Keys k = CurrentKeys();
    CBuffer body;
    if (!PackMessage(request.head, request.data, static_cast<uint32_t>(request.length), k.Key(), k.keyBits,
                     encryptFlags ? encryptFlags : k.encryptFlags, compressFlags ? compressFlags : k.compressFlags,
                     body))
        return false;
    CBuffer pieces;
    SplitBody(body, pieces, maxPieceSize_);

    const bool needsReply = context.needsReply != 0;
    std::unique_lock turn(requestLock_, std::defer_lock);
    if (needsReply && !turn.try_lock_for(std::chrono::milliseconds(platform::MsUntil(deadline)))) {
        if (timedOut)
            *timedOut = 1;
        return false;
    }
    uint32_t messageId = 0;
    if (!SendMessage(*c, pieces, needsReply, checksumRequest, &messageId))
        return false;
    if (!needsReply)
        return true;
    switch (WaitReply(*c, messageId, platform::MsUntil(deadline), reply)) {
    case ReplyWait::Answered:
        return true;
    case ReplyWait::Lost:
        return false; // not connected: no time-out
    case ReplyWait::TimedOut:
        break;
    }
    if (timedOut)
        *timedOut = 1;
    return false;
}

CSocketClient::ReplyWait CSocketClient::WaitReply(Connection& c, uint32_t messageId, uint32_t timeoutMs,
                                                  SocketMessageRecord* reply)
{
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // A reply that came just before the connection went is still taken.
        const int woken = WaitAnyOf(c.quit, c.event, c.lost, platform::MsUntil(deadline));
        if (woken == 2 && !c.event.IsSet())
            return ReplyWait::Lost;
        if (woken != 1 && woken != 2)
            return ReplyWait::TimedOut;
        std::lock_guard lock(c.replyLock);
        if (c.hasReply) {
            c.hasReply = false;
            if (c.replyId == messageId) {
                if (reply)
                    *reply = c.reply;
                else
                    FreeMessageData(c.reply);
                c.reply = {};
                return ReplyWait::Answered;
            }
            FreeMessageData(c.reply); // a late reply to an earlier request
        }
        c.event.Reset();
    }
}

} // namespace net
