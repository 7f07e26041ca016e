#include "net/Reassembly.h"

#include "net/ByteOrder.h"

#include <utility>

namespace net {

void AppendPiece(CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                 const ConnectionIdentity& who)
{
    if (header.pieceIndex == 1) {
        buffer.Reset();
        SocketContextRecord context;
        context.socket = who.socket;
        context.messageId = header.messageId;
        context.needsReply = header.needsReply;
        context.tag = who.tag;
        uint8_t raw[kContextRecordSize];
        context.Encode(raw);
        buffer.Append(raw, sizeof raw);
    }
    uint8_t word[4];
    WriteLe32(word, length);
    buffer.Append(word, 4);
    buffer.Append(piece, length);
}

namespace {

// Appends the piece; on the last one moves the message out. The caller clears its state on
// anything but Appended.
PieceResult Take(CBuffer& buffer, size_t& bodyBytes, const ChunkHeader& header, const uint8_t* piece,
                 uint32_t length, const ConnectionIdentity& who, const PieceAppender& append, CBuffer& completed)
{
    if (header.pieceIndex == 1)
        bodyBytes = 0;
    if (length > kMaxMessageBody - bodyBytes)
        return PieceResult::TooLarge;
    bodyBytes += length;
    append(buffer, header, piece, length, who);
    if (!header.lastPiece)
        return PieceResult::Appended;
    // Swapped, not moved: the assembler goes on with the block the caller gave back, so a caller
    // that keeps its buffer makes no allocation per message.
    std::swap(completed, buffer);
    return PieceResult::Complete;
}

} // namespace

PieceResult PushAssembler::OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                                   const ConnectionIdentity& who, const PieceAppender& append, CBuffer& completed)
{
    if (messageId_ == 0) {
        // A message whose first piece was lost is skipped piece by piece.
        if (header.pieceIndex != 1)
            return PieceResult::Ignored;
        messageId_ = header.messageId;
        lastPiece_ = 1;
    } else if (header.messageId != messageId_ || header.pieceIndex != lastPiece_ + 1) {
        Clear();
        return PieceResult::Ignored;
    } else {
        lastPiece_ = header.pieceIndex;
    }
    const PieceResult result = Take(buffer_, bodyBytes_, header, piece, length, who, append, completed);
    if (result != PieceResult::Appended)
        Clear();
    return result;
}

void PushAssembler::Clear()
{
    buffer_.Reset();
    bodyBytes_ = 0;
    messageId_ = 0;
    lastPiece_ = 0;
}

void ReplyAssembler::SetAwaitedReply(uint32_t messageId)
{
    std::lock_guard guard(lock_);
    buffer_.Reset();
    bodyBytes_ = 0;
    awaitedId_ = messageId;
    lastPiece_ = 0;
    complete_ = false;
}

void ReplyAssembler::GetAwaitedReply(uint32_t& messageId, uint32_t& lastPiece) const
{
    std::lock_guard guard(lock_);
    messageId = awaitedId_;
    lastPiece = lastPiece_;
}

uint32_t ReplyAssembler::ReplyTaken()
{
    std::lock_guard guard(lock_);
    const uint32_t taken = completedId_;
    completedId_ = 0;
    // A newer request may await its own reply by now (SetAwaitedReply cleared complete_).
    if (complete_ && awaitedId_ == taken) {
        awaitedId_ = 0;
        lastPiece_ = 0;
        complete_ = false;
    }
    return taken;
}

void ReplyAssembler::Abandon()
{
    buffer_.Reset();
    bodyBytes_ = 0;
    awaitedId_ = 0;
    lastPiece_ = 0;
    complete_ = false;
}

PieceResult ReplyAssembler::OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                                    const ConnectionIdentity& who, const PieceAppender& append,
                                    CBuffer& completed)
{
    std::lock_guard guard(lock_);
    if (awaitedId_ == 0)
        return PieceResult::Error;
    if (header.messageId == awaitedId_ && complete_)
        return PieceResult::Ignored; // a repeat of a reply already whole
    if (header.messageId == awaitedId_ && header.pieceIndex == lastPiece_ + 1) {
        lastPiece_ = header.pieceIndex;
        const PieceResult result = Take(buffer_, bodyBytes_, header, piece, length, who, append, completed);
        if (result == PieceResult::Complete) {
            buffer_.Reset();
            bodyBytes_ = 0;
            complete_ = true;
            completedId_ = header.messageId;
        } else if (result == PieceResult::TooLarge) {
            Abandon();
        }
        return result;
    }
    const bool stale = static_cast<int32_t>(header.messageId) < static_cast<int32_t>(awaitedId_) ||
                       (header.messageId == awaitedId_ && header.pieceIndex < lastPiece_ + 1);
    if (stale)
        return PieceResult::Ignored;
    // Ahead of what is awaited: the awaited reply can no longer arrive whole.
    Abandon();
    return PieceResult::Error;
}

} // namespace net
