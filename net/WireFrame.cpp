#include "net/WireFrame.h"

#include "net/ByteOrder.h"
#include "net/Crc32.h"

#include <cstring>

namespace net {
namespace {
enum Word { kType, kSerial, kFlag, kCrc, kZero1, kZero2, kMessageId, kIndex, kLast, kZero3, kNeedsReply, kWords = 13 };
static_assert(kWords * 4 == kChunkHeaderSize);
static_assert(kFramePrefixSize == 60 && kFrameOverhead == kFramePrefixSize - 4);
} // namespace

void ChunkHeader::Encode(uint8_t out[kChunkHeaderSize]) const
{
    uint32_t w[kWords] = {};
    w[kType] = type;
    w[kSerial] = serial;
    w[kFlag] = checksumFlag;
    w[kCrc] = checksum;
    w[kMessageId] = messageId;
    w[kIndex] = pieceIndex;
    w[kLast] = lastPiece;
    w[kNeedsReply] = needsReply;
    for (int i = 0; i < kWords; ++i)
        WriteLe32(out + 4 * i, w[i]);
}

ChunkHeader ChunkHeader::Decode(const uint8_t in[kChunkHeaderSize])
{
    auto word = [&](int i) { return ReadLe32(in + 4 * i); };
    ChunkHeader h;
    h.type = word(kType);
    h.serial = word(kSerial);
    h.checksumFlag = word(kFlag);
    h.checksum = word(kCrc);
    h.messageId = word(kMessageId);
    h.pieceIndex = word(kIndex);
    h.lastPiece = word(kLast);
    h.needsReply = word(kNeedsReply);
    return h;
}

std::vector<uint8_t> BuildRawBlock(const void* bytes, uint32_t n)
{
    std::vector<uint8_t> out(4 + n);
    WriteLe32(out.data(), n);
    if (n > 0)
        std::memcpy(out.data() + 4, bytes, n);
    return out;
}

bool FrameLengthAcceptable(uint32_t frameLength, uint32_t maxPiece)
{
    return frameLength == kShortFrameLength ||
           (frameLength > kFrameOverhead && uint64_t(frameLength) <= uint64_t(maxPiece) + kFrameOverhead);
}

uint32_t FrameChecksum(const uint8_t* frame, size_t size)
{
    static constexpr uint8_t kZeros[8] = {};
    uint32_t crc = Crc32Update(0, frame, kChecksumFlagOffset);
    crc = Crc32Update(crc, kZeros, sizeof kZeros);
    return Crc32Update(crc, frame + kChecksumOffset + 4, size - kChecksumOffset - 4);
}

std::vector<uint8_t> BuildFrame(const ChunkHeader& header, const uint8_t* piece, uint32_t pieceLength,
                                bool withChecksum)
{
    std::vector<uint8_t> frame(kFramePrefixSize + pieceLength);
    WriteLe32(frame.data(), pieceLength + kFrameOverhead);
    ChunkHeader h = header;
    h.checksumFlag = 0;
    h.checksum = 0;
    h.Encode(frame.data() + 4);
    WriteLe32(frame.data() + 4 + kChunkHeaderSize, pieceLength);
    if (pieceLength > 0)
        std::memcpy(frame.data() + kFramePrefixSize, piece, pieceLength);
    if (withChecksum) {
        WriteLe32(frame.data() + kChecksumOffset, FrameChecksum(frame.data(), frame.size()));
        WriteLe32(frame.data() + kChecksumFlagOffset, 1);
    }
    return frame;
}

FrameVerdict ValidateFrame(const uint8_t* frame, size_t size, uint32_t maxPiece)
{
    if (size < 4)
        return FrameVerdict::BadLength;
    const uint32_t length = ReadLe32(frame);
    if (!FrameLengthAcceptable(length, maxPiece) || size != size_t(length) + 4)
        return FrameVerdict::BadLength;
    // The flag and CRC lie within the first 20 bytes, so even the short frame has them.
    if (ReadLe32(frame + kChecksumFlagOffset) != 0 && ReadLe32(frame + kChecksumOffset) != FrameChecksum(frame, size))
        return FrameVerdict::BadChecksum;
    if (length == kShortFrameLength)
        return FrameVerdict::DropShort;
    if (ReadLe32(frame + 4 + kChunkHeaderSize) != length - kFrameOverhead)
        return FrameVerdict::BadPieceLength;
    return FrameVerdict::Accept;
}

} // namespace net
