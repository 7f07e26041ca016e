#pragma once
// The sending half of a connection's framing: numbers messages and frames and turns a
// message's pieces into ready-to-send frames. Socket-free; the socket client sends the bytes.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace net {

class FrameSender {
public:
    explicit FrameSender(uint32_t maxPiece) : maxPiece_(maxPiece) {}

    // 1 for the first message of the connection, then one more each time. A reply to be
    // awaited must be registered under this id before any frame goes out.
    uint32_t NextMessageId() { return ++messageIds_; }
    // 1 for the first frame of the connection, then one more for every frame.
    uint32_t NextSerial() { return ++serials_; }

    // The number of [u32 p][piece] entries in `pieces` (fewer than 5 trailing bytes end the
    // list), or -1 when a length is 0, above the maximum or past the bytes present.
    long CountPieces(const uint8_t* pieces, size_t size) const;

    // One type-1 frame per [u32 p][piece] of `pieces`, each with the next serial, piece
    // indexes from 1 and the last-piece flag on the last. Fewer than 5 bytes of pieces give
    // no frame and true. A piece length of 0, above the maximum or past the bytes present
    // gives false and no frames.
    bool BuildFrames(const uint8_t* pieces, size_t size, uint32_t messageId, bool needsReply, bool withChecksum,
                     std::vector<std::vector<uint8_t>>& frames);

    // Counters back to the start, for a new connection.
    void Reset()
    {
        messageIds_ = 0;
        serials_ = 0;
    }

private:
    uint32_t maxPiece_;
    std::atomic<uint32_t> messageIds_{0};
    std::atomic<uint32_t> serials_{0};
};

} // namespace net
