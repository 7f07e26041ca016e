#pragma once
// The receiving half of a connection's framing, fed with the bytes read from the socket: cuts
// frames out of the stream, validates them and reassembles pushed messages and the awaited
// reply. Socket-free; the socket client feeds it and delivers what comes out.
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

class FrameReceiver {
public:
    explicit FrameReceiver(uint32_t maxPiece) : maxPiece_(maxPiece) {}

    void SetIdentity(const ConnectionIdentity& who) { who_ = who; }
    void Feed(const uint8_t* bytes, size_t n) { stream_.Append(bytes, n); }

    // Works through the buffered frames until a message is whole, more bytes are needed or a
    // frame is wrong. A message comes out in the reassembled form. Call again after a
    // message until NeedMore. After an Error the offending frame is gone and the bytes after
    // it stay buffered; a length word outside the accepted range is refused as soon as it
    // arrives, and then nothing buffered can be trusted, so the buffer is emptied.
    ReceiveEvent Next(CBuffer& message);

    FrameError LastError() const { return error_; }
    // Forgets buffered bytes and any partly assembled pushed message (e.g. a greeting).
    void DiscardBuffered();
    size_t Buffered() const { return stream_.GetSize(); }

    ReplyAssembler& Replies() { return replies_; }
    const PushAssembler& Pushes() const { return pushes_; }

private:
    // Frames before `taken` are done with; they leave the buffer in one move per call.
    ReceiveEvent Fail(FrameError error, size_t taken, size_t dropBytes);

    uint32_t maxPiece_;
    ConnectionIdentity who_;
    CBuffer stream_;
    PushAssembler pushes_;
    ReplyAssembler replies_;
    FrameError error_ = FrameError::None;
};

} // namespace net
