#include "net/Pieces.h"

#include "net/ByteOrder.h"
#include "net/FileLogger.h"

namespace net {

size_t SplitBodyIntoPieces(const uint8_t* body, size_t length, CBuffer& pieces, uint32_t maxPiece)
{
    pieces.Reset();
    if (maxPiece == 0)
        return 0;
    size_t count = 0;
    for (size_t pos = 0; pos < length; ++count) {
        const uint32_t n = length - pos > maxPiece ? maxPiece : static_cast<uint32_t>(length - pos);
        uint8_t word[4];
        WriteLe32(word, n);
        pieces.Append(word, 4);
        pieces.Append(body + pos, n);
        pos += n;
    }
    return count;
}

size_t JoinPieces(const uint8_t* pieces, size_t length, CBuffer& body, uint32_t maxPiece)
{
    body.Reset();
    size_t count = 0;
    for (size_t pos = 0; length - pos >= 5; ++count) {
        const int32_t n = ReadLe32Signed(pieces + pos);
        pos += 4;
        if (n < 1 || static_cast<uint32_t>(n) > maxPiece || static_cast<size_t>(n) > length - pos) {
            OxtLog("packet length error! len = %ld", static_cast<long>(n));
            body.Reset();
            return 0;
        }
        body.Append(pieces + pos, static_cast<size_t>(n));
        pos += static_cast<size_t>(n);
    }
    return count;
}

} // namespace net
