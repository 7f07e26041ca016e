#pragma once
// Cutting a packed message body into pieces of at most one frame's payload, written as
// [u32 length][piece] one after another, and joining them again.
#include "net/Buffer.h"

#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr uint32_t kGamePieceSize = 4000;

// Replaces `pieces`; full pieces first, then the rest. Returns the number of pieces (0 for an
// empty body or a zero maximum).
size_t SplitBodyIntoPieces(const uint8_t* body, size_t length, CBuffer& pieces, uint32_t maxPiece);

// Replaces `body` with the joined pieces and returns their count. Every piece length must be
// 1..maxPiece and lie within the bytes present; otherwise the error is logged, body is
// emptied and the result is 0. Fewer than 5 trailing bytes are ignored.
size_t JoinPieces(const uint8_t* pieces, size_t length, CBuffer& body, uint32_t maxPiece);

} // namespace net
