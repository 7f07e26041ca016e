#pragma once
// Putting a received message together from its pieces: one assembler for the server's pushed
// messages and one for the reply the client awaits. Completed messages come out in the
// reassembled form: a 24-byte context record, then [u32 p][piece] for every piece in order.
// A message whose pieces together pass kMaxMessageBody is refused as the stream's error: a
// peer must not make the socket thread buffer without bound.
#include "net/Buffer.h"
#include "net/Message.h"
#include "net/WireFrame.h"
#include "net/Zlib.h"

#include <functional>
#include <mutex>

namespace net {

// Largest sum of piece bytes one message may have; the same bound as its inflated form.
inline constexpr size_t kMaxMessageBody = kDefaultInflateLimit;

enum class PieceResult {
    Appended, // more pieces to come
    Complete, // the message is whole and was moved out
    Ignored,  // dropped without error (stale, repeated or out of order where that is allowed)
    Error,    // the connection's stream is broken
    TooLarge, // the message passed kMaxMessageBody; the stream counts as broken too
};

// Who a message came in on: socket and connection tag for its context record.
struct ConnectionIdentity {
    uint32_t socket = 0;
    int32_t tag = 0;
};

// Writes one piece into the message being assembled: on piece 1 the buffer is emptied and the
// context record written first; then [u32 length][piece].
void AppendPiece(CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                 const ConnectionIdentity& who);
using PieceAppender = std::function<void(CBuffer& buffer, const ChunkHeader& header, const uint8_t* piece,
                                         uint32_t length, const ConnectionIdentity& who)>;

// Used by the receiving thread only.
class PushAssembler {
public:
    PieceResult OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                        const ConnectionIdentity& who, const PieceAppender& append, CBuffer& completed);
    void Clear();
    uint32_t MessageId() const { return messageId_; }
    uint32_t LastPiece() const { return lastPiece_; }

private:
    CBuffer buffer_;
    size_t bodyBytes_ = 0;
    uint32_t messageId_ = 0;
    uint32_t lastPiece_ = 0;
};

// Shared by the receiving thread and the thread that sends a request and waits.
class ReplyAssembler {
public:
    // Empties the reply buffer and awaits `messageId` (0: nothing awaited).
    void SetAwaitedReply(uint32_t messageId);
    void GetAwaitedReply(uint32_t& messageId, uint32_t& lastPiece) const;
    // Called once the completed reply has been unpacked and handed over: nothing is awaited any
    // more, unless a newer request awaits its own reply by now, so a repeat of the reply is
    // refused like any reply nobody awaits. Returns the reply's message id as its pieces carried
    // it, whatever the reassembled record says. A reply that failed to unpack is not taken: it
    // stays awaited, so a repeat of it is ignored and its requester times out.
    uint32_t ReplyTaken();

    // On Complete the id stays awaited (see ReplyTaken) and further pieces of it are ignored.
    // A piece ahead of the awaited one abandons the awaited reply; a piece when nothing is
    // awaited is an error too.
    PieceResult OnPiece(const ChunkHeader& header, const uint8_t* piece, uint32_t length,
                        const ConnectionIdentity& who, const PieceAppender& append, CBuffer& completed);

private:
    void Abandon();

    mutable std::mutex lock_;
    CBuffer buffer_;
    size_t bodyBytes_ = 0;
    uint32_t awaitedId_ = 0;
    uint32_t lastPiece_ = 0;
    bool complete_ = false;
    uint32_t completedId_ = 0; // the reply completed last, until it is taken
};

} // namespace net
