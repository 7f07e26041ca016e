#include "net/FrameReceiver.h"

#include "net/ByteOrder.h"
#include "net/FileLogger.h"

namespace net {

ReceiveEvent FrameReceiver::Fail(FrameError error, size_t dropBytes)
{
    error_ = error;
    if (dropBytes > stream_.GetSize())
        stream_.Reset();
    else
        stream_.Consume(dropBytes);
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
    while (stream_.GetSize() >= 4) {
        const uint32_t length = ReadLe32(stream_.GetData());
        // Judged before waiting for the body: a hostile length must not make us buffer it.
        if (!FrameLengthAcceptable(length, maxPiece_)) {
            OxtLog("frame length error! len = %lu", static_cast<unsigned long>(length));
            return Fail(FrameError::BadLength, stream_.GetSize());
        }
        const size_t size = size_t(length) + 4;
        if (stream_.GetSize() < size)
            break;
        const uint8_t* frame = stream_.GetData();
        switch (ValidateFrame(frame, size, maxPiece_)) {
        case FrameVerdict::Accept:
            break;
        case FrameVerdict::DropShort:
            stream_.Consume(size);
            continue;
        case FrameVerdict::BadChecksum:
            OxtLog("frame checksum error!");
            return Fail(FrameError::BadChecksum, size);
        case FrameVerdict::BadPieceLength:
            return Fail(FrameError::BadPieceLength, size);
        case FrameVerdict::BadLength:
            return Fail(FrameError::BadLength, size);
        }
        const ChunkHeader header = ChunkHeader::Decode(frame + 4);
        if (header.type != kFrameTypePush && header.type != kFrameTypeReply)
            return Fail(FrameError::BadType, size);
        if (static_cast<int32_t>(header.messageId) < 1 || static_cast<int32_t>(header.pieceIndex) < 1)
            return Fail(FrameError::BadIds, size);
        const uint8_t* piece = frame + kFramePrefixSize;
        const uint32_t pieceLength = length - kFrameOverhead;
        const bool push = header.type == kFrameTypePush;
        const PieceResult result = push ? pushes_.OnPiece(header, piece, pieceLength, who_, message)
                                        : replies_.OnPiece(header, piece, pieceLength, who_, message);
        if (result == PieceResult::Error)
            return Fail(FrameError::UnexpectedReply, size);
        stream_.Consume(size);
        if (result == PieceResult::Complete)
            return push ? ReceiveEvent::PushMessage : ReceiveEvent::ReplyMessage;
    }
    return ReceiveEvent::NeedMore;
}

} // namespace net
