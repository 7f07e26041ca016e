#pragma once
// Putting a received message together from its pieces: one assembler for the server's pushed
// messages and one for the reply the client awaits. Completed messages come out in the
// reassembled form: a 24-byte context record, then [u32 p][piece] for every piece in order.
#include "net/Buffer.h"
#include "net/Message.h"
#include "net/WireFrame.h"

#include <mutex>

namespace net {

enum class PieceResult {
    Appended, // more pieces to come
    Complete, // the message is whole and was moved out
    Ignored,  // dropped without error (stale, repeated or out of order where that is allowed)
    Error,    // the connection's stream is broken
};

// Who a message came in on: socket and connection tag for its context record.
struct ConnectionIdentity {
    uint32_t socket = 0;
    int32_t tag = 0;
};

// Used by the receiving thread only.
class PushAssembler {
public:
    PieceResult OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                        const ConnectionIdentity& who, CBuffer& completed);
    void Clear();
    uint32_t MessageId() const { return messageId_; }
    uint32_t LastPiece() const { return lastPiece_; }

private:
    CBuffer buffer_;
    uint32_t messageId_ = 0;
    uint32_t lastPiece_ = 0;
};

// Shared by the receiving thread and the thread that sends a request and waits.
class ReplyAssembler {
public:
    // Empties the reply buffer and awaits `messageId` (0: nothing awaited).
    void SetAwaitedReply(uint32_t messageId);
    void GetAwaitedReply(uint32_t& messageId, uint32_t& lastPiece) const;

    // On Complete the awaited id is cleared. A piece ahead of the awaited one abandons the
    // awaited reply; a piece when nothing is awaited is an error too.
    PieceResult OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                        const ConnectionIdentity& who, CBuffer& completed);

private:
    mutable std::mutex lock_;
    CBuffer buffer_;
    uint32_t awaitedId_ = 0;
    uint32_t lastPiece_ = 0;
};

} // namespace net
