#include "net/FrameSender.h"

#include "net/ByteOrder.h"
#include "net/WireFrame.h"

namespace net {

long FrameSender::CountPieces(const uint8_t* pieces, size_t size) const
{
    long count = 0;
    for (size_t pos = 0; size - pos >= 5; ++count) {
        const uint32_t p = ReadLe32(pieces + pos);
        if (p == 0 || p > maxPiece_ || p > size - pos - 4)
            return -1;
        pos += 4 + p;
    }
    return count;
}

bool FrameSender::BuildFrames(const uint8_t* pieces, size_t size, uint32_t messageId, bool needsReply,
                              bool withChecksum, std::vector<std::vector<uint8_t>>& frames)
{
    frames.clear();
    // Check every length first, so that a malformed list sends nothing at all.
    const long listed = CountPieces(pieces, size);
    if (listed < 0)
        return false;
    const auto count = static_cast<size_t>(listed);
    ChunkHeader header;
    header.type = kFrameTypePush;
    header.messageId = messageId;
    header.needsReply = needsReply ? 1 : 0;
    frames.reserve(count);
    for (size_t pos = 0; frames.size() < count;) {
        const uint32_t p = ReadLe32(pieces + pos);
        pos += 4;
        header.serial = NextSerial();
        header.pieceIndex = static_cast<uint32_t>(frames.size() + 1);
        header.lastPiece = frames.size() + 1 == count ? 1 : 0;
        frames.push_back(BuildFrame(header, pieces + pos, p, withChecksum));
        pos += p;
    }
    return true;
}

} // namespace net
