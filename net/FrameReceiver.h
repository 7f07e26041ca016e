#pragma once
// The receiving half of a connection's framing, fed with the bytes read from the socket: cuts
// frames out of the stream, validates them and reassembles pushed messages and the awaited
// reply. Socket-free; the socket client feeds it and delivers what comes out.
//
// Next does all of it at once. The socket client goes step by step instead (PeekFrame,
// CheckFrame, AssembleFrame, DropFrame), so that each step can be overridden there.
#include "net/Buffer.h"
#include "net/Reassembly.h"

#include <cstddef>
#include <cstdint>

namespace net {

enum class ReceiveEvent {
    NeedMore,     // no whole message yet; feed more bytes
    PushMessage,  // a pushed message is whole
    ReplyMessage, // the awaited reply is whole
    Error,        // the stream is broken (the connection should be reported lost)
};

enum class FrameError {
    None,
    BadLength,
    BadChecksum,
    BadPieceLength,
    BadType,
    BadIds,
    UnexpectedReply,
    MessageTooLarge, // the pieces of one message passed kMaxMessageBody
};

enum class FrameCut {
    Frame,     // a whole frame is buffered
    NeedMore,  // not yet
    BadLength, // a length word no frame can have; nothing buffered can be trusted, all dropped
};

class FrameReceiver {
public:
    explicit FrameReceiver(uint32_t maxPiece) : maxPiece_(maxPiece) {}

    void SetIdentity(const ConnectionIdentity& who) { who_ = who; }
    const ConnectionIdentity& Identity() const { return who_; }
    // Writes each piece into its message; AppendPiece unless set otherwise.
    void SetPieceAppender(PieceAppender append) { append_ = std::move(append); }
    void Feed(const uint8_t* bytes, size_t n);

    // Works through the buffered frames until a message is whole, more bytes are needed or a
    // frame is wrong. A message comes out in the reassembled form. Call again after a
    // message until NeedMore. After an Error the offending frame is gone and the bytes after
    // it stay buffered; a length word outside the accepted range is refused as soon as it
    // arrives, and then nothing buffered can be trusted, so the buffer is emptied.
    ReceiveEvent Next(CBuffer& message);

    // The next whole frame (L + 4 bytes), left in place until DropFrame. The length word is
    // judged before waiting for the rest: a hostile length must not make us buffer it.
    FrameCut PeekFrame(const uint8_t*& frame, size_t& size);
    void DropFrame(size_t size);
    // Length, checksum and piece length of one whole frame; false sets LastError.
    bool CheckFrame(const uint8_t* frame, size_t size);
    // Type, ids and reassembly of one checked frame: NeedMore when the piece was taken or
    // ignored, PushMessage or ReplyMessage when it completed one, Error (LastError says why).
    ReceiveEvent AssembleFrame(const uint8_t* frame, size_t size, CBuffer& message);

    FrameError LastError() const { return error_; }
    // Forgets buffered bytes and any partly assembled pushed message (e.g. a greeting).
    void DiscardBuffered();
    size_t Buffered() const { return stream_.GetSize() - taken_; }

    ReplyAssembler& Replies() { return replies_; }
    const PushAssembler& Pushes() const { return pushes_; }

private:
    uint32_t maxPiece_;
    ConnectionIdentity who_;
    PieceAppender append_ = AppendPiece;
    CBuffer stream_;
    size_t taken_ = 0; // bytes at the front already dealt with; they leave in one move
    PushAssembler pushes_;
    ReplyAssembler replies_;
    FrameError error_ = FrameError::None;
};

} // namespace net
