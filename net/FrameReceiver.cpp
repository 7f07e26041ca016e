#include "net/FrameReceiver.h"

#include "net/ByteOrder.h"
#include "net/FileLogger.h"

namespace net {

void FrameReceiver::Feed(const uint8_t* bytes, size_t n)
{
    if (taken_ > 0) {
        stream_.Consume(taken_);
        taken_ = 0;
    }
    stream_.Append(bytes, n);
}

void FrameReceiver::DiscardBuffered()
{
    stream_.Reset();
    taken_ = 0;
    pushes_.Clear();
}

FrameCut FrameReceiver::PeekFrame(const uint8_t*& frame, size_t& size)
{
    const size_t left = stream_.GetSize() - taken_;
    if (left < 4)
        return FrameCut::NeedMore;
    frame = stream_.GetData(taken_);
    const uint32_t length = ReadLe32(frame);
    if (!FrameLengthAcceptable(length, maxPiece_)) {
        OxtLog("frame length error! len = %lu", static_cast<unsigned long>(length));
        error_ = FrameError::BadLength;
        stream_.Reset();
        taken_ = 0;
        return FrameCut::BadLength;
    }
    size = size_t(length) + 4;
    return left < size ? FrameCut::NeedMore : FrameCut::Frame;
}

void FrameReceiver::DropFrame(size_t size)
{
    taken_ += size;
    if (taken_ >= stream_.GetSize()) {
        stream_.Consume(stream_.GetSize());
        taken_ = 0;
    }
}

bool FrameReceiver::CheckFrame(const uint8_t* frame, size_t size)
{
    switch (ValidateFrame(frame, size, maxPiece_)) {
    case FrameVerdict::Accept:
    case FrameVerdict::DropShort:
        return true;
    case FrameVerdict::BadChecksum:
        OxtLog("frame checksum error!");
        error_ = FrameError::BadChecksum;
        return false;
    case FrameVerdict::BadPieceLength:
        error_ = FrameError::BadPieceLength;
        return false;
    case FrameVerdict::BadLength:
        break;
    }
    error_ = FrameError::BadLength;
    return false;
}

ReceiveEvent FrameReceiver::AssembleFrame(const uint8_t* frame, size_t size, CBuffer& message)
{
    if (size < kFramePrefixSize)
        return ReceiveEvent::NeedMore; // the 24-byte frame carries nothing to read
    const ChunkHeader header = ChunkHeader::Decode(frame + 4);
    if (header.type != kFrameTypePush && header.type != kFrameTypeReply) {
        error_ = FrameError::BadType;
        return ReceiveEvent::Error;
    }
    if (static_cast<int32_t>(header.messageId) < 1 || static_cast<int32_t>(header.pieceIndex) < 1) {
        error_ = FrameError::BadIds;
        return ReceiveEvent::Error;
    }
    const uint8_t* piece = frame + kFramePrefixSize;
    const auto pieceLength = static_cast<uint32_t>(size - kFramePrefixSize);
    const bool push = header.type == kFrameTypePush;
    const PieceResult result = push ? pushes_.OnPiece(header, piece, pieceLength, who_, append_, message)
                                    : replies_.OnPiece(header, piece, pieceLength, who_, append_, message);
    switch (result) {
    case PieceResult::Appended:
    case PieceResult::Ignored:
        return ReceiveEvent::NeedMore;
    case PieceResult::Complete:
        return push ? ReceiveEvent::PushMessage : ReceiveEvent::ReplyMessage;
    case PieceResult::TooLarge:
        OxtLog("message too large!");
        error_ = FrameError::MessageTooLarge;
        return ReceiveEvent::Error;
    case PieceResult::Error:
        break;
    }
    error_ = FrameError::UnexpectedReply;
    return ReceiveEvent::Error;
}

ReceiveEvent FrameReceiver::Next(CBuffer& message)
{
    error_ = FrameError::None;
    const uint8_t* frame = nullptr;
    size_t size = 0;
    for (;;) {
        switch (PeekFrame(frame, size)) {
        case FrameCut::NeedMore:
            return ReceiveEvent::NeedMore;
        case FrameCut::BadLength:
            return ReceiveEvent::Error;
        case FrameCut::Frame:
            break;
        }
        const ReceiveEvent event = CheckFrame(frame, size) ? AssembleFrame(frame, size, message) : ReceiveEvent::Error;
        DropFrame(size);
        if (event != ReceiveEvent::NeedMore)
            return event;
    }
}

} // namespace net
