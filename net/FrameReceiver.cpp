#include "net/FrameReceiver.h"

#include "net/ByteOrder.h"
#include "net/FileLogger.h"

namespace net {

ReceiveEvent FrameReceiver::Fail(FrameError error, size_t taken, size_t dropBytes)
{
    error_ = error;
    if (taken + dropBytes >= stream_.GetSize())
        stream_.Reset();
    else
        stream_.Consume(taken + dropBytes);
    return ReceiveEvent::Error;
}

void FrameReceiver::DiscardBuffered()
{
    stream_.Reset();
    pushes_.Clear();
}

ReceiveEvent FrameReceiver::Next(CBuffer& message)
{
    error_ = FrameError::None;
    size_t taken = 0;
    while (stream_.GetSize() - taken >= 4) {
        const uint8_t* frame = stream_.GetData(taken);
        const uint32_t length = ReadLe32(frame);
        // Judged before waiting for the body: a hostile length must not make us buffer it.
        if (!FrameLengthAcceptable(length, maxPiece_)) {
            OxtLog("frame length error! len = %lu", static_cast<unsigned long>(length));
            return Fail(FrameError::BadLength, 0, stream_.GetSize());
        }
        const size_t size = size_t(length) + 4;
        if (stream_.GetSize() - taken < size)
            break;
        switch (ValidateFrame(frame, size, maxPiece_)) {
        case FrameVerdict::Accept:
            break;
        case FrameVerdict::DropShort:
            taken += size;
            continue;
        case FrameVerdict::BadChecksum:
            OxtLog("frame checksum error!");
            return Fail(FrameError::BadChecksum, taken, size);
        case FrameVerdict::BadPieceLength:
            return Fail(FrameError::BadPieceLength, taken, size);
        case FrameVerdict::BadLength:
            return Fail(FrameError::BadLength, taken, size);
        }
        const ChunkHeader header = ChunkHeader::Decode(frame + 4);
        if (header.type != kFrameTypePush && header.type != kFrameTypeReply)
            return Fail(FrameError::BadType, taken, size);
        if (static_cast<int32_t>(header.messageId) < 1 || static_cast<int32_t>(header.pieceIndex) < 1)
            return Fail(FrameError::BadIds, taken, size);
        const uint8_t* piece = frame + kFramePrefixSize;
        const uint32_t pieceLength = length - kFrameOverhead;
        const bool push = header.type == kFrameTypePush;
        const PieceResult result = push ? pushes_.OnPiece(header, piece, pieceLength, who_, message)
                                        : replies_.OnPiece(header, piece, pieceLength, who_, message);
        if (result == PieceResult::Error)
            return Fail(FrameError::UnexpectedReply, taken, size);
        if (result == PieceResult::TooLarge) {
            OxtLog("message too large!");
            return Fail(FrameError::MessageTooLarge, taken, size);
        }
        taken += size;
        if (result == PieceResult::Complete) {
            stream_.Consume(taken);
            return push ? ReceiveEvent::PushMessage : ReceiveEvent::ReplyMessage;
        }
    }
    stream_.Consume(taken);
    return ReceiveEvent::NeedMore;
}

} // namespace net
