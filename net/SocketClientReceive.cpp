// The socket client's receiving side: the socket thread, reading, frames, delivery to the owner
// and the connection notices.
#include "net/Packager.h"
#include "net/SocketConnection.h"
#include "platform/Window.h"

namespace net {

bool CSocketClient::CreateSocketWindow(Connection& c)
{
    return c.poller.Valid();
}

int CSocketClient::SocketThreadLoop(const ConnectionPtr& c)
{
    if (!CreateSocketWindow(*c))
        return 0;
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
                    OnSocketError(*c);
                break;
            case platform::SocketEvent::Write:
                OnWritable(*c);
                break;
            case platform::SocketEvent::Close:
                OnSocketClose(*c);
                break;
            case platform::SocketEvent::Error:
                OnSocketError(*c);
                break;
            }
        }
    }
    return 0;
}

bool CSocketClient::OnWritable(Connection& c)
{
    c.writable.Set();
    return true;
}

bool CSocketClient::OnFirstData(Connection& c)
{
    if (!waitGreeting_)
        return false;
    c.event.Set();
    return true;
}

size_t CSocketClient::GetReceiveBlockSize() const
{
    return kReceiveBlockSize;
}

bool CSocketClient::OnRawData(Connection&, const uint8_t*, size_t)
{
    return false;
}

platform::IoResult CSocketClient::RawRecv(Connection& c, void* buffer, size_t size)
{
    return c.socket.Receive(buffer, size);
}

size_t CSocketClient::ReceiveLoop(Connection& c, bool& ok)
{
    const bool greeting = ++c.receiveEvents == 1 && waitGreeting_;
    size_t total = 0;
    for (size_t blockSize; (blockSize = GetReceiveBlockSize()) != 0;) {
        c.block.resize(blockSize);
        const platform::IoResult r = RawRecv(c, c.block.data(), blockSize);
        if (r.status != platform::IoStatus::Done || r.bytes == 0)
            break; // would block, end of stream or error: the poller reports the last two
        total += r.bytes;
        if (c.broken || greeting || OnRawData(c, c.block.data(), r.bytes))
            continue;
        // Frames are taken out block by block, so the buffer never holds more than one block
        // and a partial frame however much the peer sent at once.
        c.receiver.Feed(c.block.data(), r.bytes);
        if (!TakeFrames(c)) {
            ok = false;
            c.broken = true; // nothing after a broken frame can be trusted: read and drop
            c.receiver.DiscardBuffered();
        }
        if (r.bytes < blockSize)
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
    const uint8_t* frame = nullptr;
    size_t size = 0;
    for (;;) {
        switch (c.receiver.PeekFrame(frame, size)) {
        case FrameCut::NeedMore:
            return true;
        case FrameCut::BadLength:
            return false;
        case FrameCut::Frame:
            break;
        }
        const bool ok = ValidateFrame(frame, size, c) && OnFrame(frame, size, c);
        c.receiver.DropFrame(size);
        if (!ok)
            return false;
    }
}

bool CSocketClient::ValidateFrame(const uint8_t* frame, size_t size, Connection& c)
{
    return c.receiver.CheckFrame(frame, size);
}

bool CSocketClient::OnFrame(const uint8_t* frame, size_t size, Connection& c)
{
    switch (c.receiver.AssembleFrame(frame, size, c.assembled)) {
    case ReceiveEvent::NeedMore:
        return true;
    case ReceiveEvent::PushMessage:
        DeliverPush(c.assembled, c);
        return true;
    case ReceiveEvent::ReplyMessage:
        DeliverReply(c.assembled, c);
        return true;
    case ReceiveEvent::Error:
        break;
    }
    return false;
}

void CSocketClient::AppendPiece(CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                                const ConnectionIdentity& who)
{
    net::AppendPiece(buffer, header, piece, length, who);
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

bool CSocketClient::Unpack(const CBuffer& reassembled, CBuffer& body, SocketContextRecord& context,
                           SocketMessageRecord& message)
{
    if (reassembled.GetSize() < kContextRecordSize)
        return false;
    if (JoinBody(reassembled.GetData(kContextRecordSize), reassembled.GetSize() - kContextRecordSize, body,
                 maxPieceSize_) == 0)
        return false;
    const Keys k = CurrentKeys();
    if (!UnpackBody(body, message, k.Key(), k.keyBits, k.encryptFlags, k.compressFlags))
        return false;
    context = SocketContextRecord::Decode(reassembled.GetData());
    return true;
}

bool CSocketClient::DeliverPush(const CBuffer& reassembled, Connection& c)
{
    SocketContextRecord context;
    SocketMessageRecord message;
    if (!Unpack(reassembled, c.body, context, message))
        return false; // dropped without a notice
    PostToOwner(new SocketContextRecord(context), new SocketMessageRecord(message));
    return true;
}

bool CSocketClient::DeliverReply(const CBuffer& reassembled, Connection& c)
{
    SocketContextRecord context;
    SocketMessageRecord message;
    if (!Unpack(reassembled, c.body, context, message))
        return false; // still awaited: a repeat of it is ignored and the requester times out
    // The id its pieces carried, not the record's: only that id stops being awaited (a requester
    // that gave up on it may await a newer one), and only its requester takes the reply.
    const uint32_t replyId = c.receiver.Replies().ReplyTaken();
    {
        std::lock_guard lock(c.replyLock);
        if (c.hasReply)
            FreeMessageData(c.reply);
        c.reply = message;
        c.replyId = replyId;
        c.hasReply = true;
    }
    c.event.Set(); // outside the lock, so the woken requester does not block on it at once
    return true;
}

void CSocketClient::PostNotice(Connection& c, uint32_t notice)
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

bool CSocketClient::OnSocketError(Connection& c)
{
    c.lost.Set(); // a requester awaiting its reply learns at once, not at its time-out
    PostNotice(c, kNoticeSocketError);
    return true;
}

bool CSocketClient::OnSocketClose(Connection& c)
{
    c.lost.Set();
    PostNotice(c, kNoticePeerClosed);
    return true;
}

} // namespace net
