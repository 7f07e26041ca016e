#pragma once
// The game channel's frame: [u32 L][52-byte chunk header][u32 p][p piece bytes], L = p + 56,
// with a CRC-32 over the whole frame; and the raw block of the greeting.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace net {

inline constexpr uint32_t kFrameTypePush = 1;  // every client frame and the server's pushes
inline constexpr uint32_t kFrameTypeReply = 2; // a piece of the reply the client awaits
inline constexpr size_t kChunkHeaderSize = 52;
inline constexpr size_t kFramePrefixSize = 4 + kChunkHeaderSize + 4; // bytes before the piece
inline constexpr uint32_t kFrameOverhead = 56;                      // L - p
inline constexpr uint32_t kShortFrameLength = 24;                   // accepted, then dropped
inline constexpr size_t kChecksumFlagOffset = 12;                   // within the frame
inline constexpr size_t kChecksumOffset = 16;

// "Hello! Game Channel." and its terminating zero.
inline constexpr char kGameGreeting[] = "Hello! Game Channel.";
inline constexpr uint32_t kGameGreetingLength = sizeof kGameGreeting;
static_assert(kGameGreetingLength == 21);

struct ChunkHeader {
    uint32_t type = kFrameTypePush;
    uint32_t serial = 0;
    uint32_t checksumFlag = 0;
    uint32_t checksum = 0;
    uint32_t messageId = 0;
    uint32_t pieceIndex = 0;
    uint32_t lastPiece = 0;
    uint32_t needsReply = 0;

    // The reserved words are written as zero and never read.
    void Encode(uint8_t out[kChunkHeaderSize]) const;
    static ChunkHeader Decode(const uint8_t in[kChunkHeaderSize]);
};

// [u32 n][n bytes]: how the greeting goes out before any frame.
std::vector<uint8_t> BuildRawBlock(const void* bytes, uint32_t n);

// The frame lengths a receiver accepts: exactly 24, or 57 .. maxPiece + 56.
bool FrameLengthAcceptable(uint32_t frameLength, uint32_t maxPiece);

// CRC-32 of a whole frame (length word included) with its flag and CRC words taken as zero.
uint32_t FrameChecksum(const uint8_t* frame, size_t size);

// One frame for a piece. With a checksum the CRC is stored and the flag set to 1; the
// header's own checksum fields are ignored.
std::vector<uint8_t> BuildFrame(const ChunkHeader& header, const uint8_t* piece, uint32_t pieceLength,
                                bool withChecksum);

enum class FrameVerdict {
    Accept,         // a frame with a piece
    DropShort,      // the 24-byte frame: passed the tests, carries nothing to read
    BadLength,      // L outside the accepted lengths or not matching the bytes given
    BadChecksum,    // flagged CRC does not match
    BadPieceLength, // p != L - 56
};

// Checks a whole frame of `size` bytes (L + 4) without reading past it.
FrameVerdict ValidateFrame(const uint8_t* frame, size_t size, uint32_t maxPiece);

} // namespace net
