#include "net/AesCryptBuffer.h"

#include "net/Rijndael.h"

#include <cstring>

namespace net {

bool AesCryptBuffer(const uint8_t* key, uint32_t keyBits, const uint8_t* in, size_t inLength, uint8_t* out,
                    size_t* outLength, uint32_t flags)
{
    if (!(flags & kAesFlag) || !(flags & (kCryptEncode | kCryptDecode)))
        return false;
    const bool encode = flags & kCryptEncode;
    const size_t produced = encode ? AesPaddedLength(inLength) : inLength;
    if (!encode && inLength % 16 != 0)
        return false;
    if (outLength)
        *outLength = produced;
    if (out == nullptr)
        return true;
    CRijndael aes;
    if (!aes.SetKey(key, keyBits))
        return false;
    const size_t whole = inLength / 16;
    if (!encode) {
        aes.DecryptBlocks(in, out, whole);
        return true;
    }
    aes.EncryptBlocks(in, out, whole);
    // The tail (possibly empty) is zero padded to one more block, so the padding never
    // carries stale memory onto the wire.
    uint8_t last[16] = {};
    if (inLength % 16 != 0)
        std::memcpy(last, in + 16 * whole, inLength % 16);
    aes.EncryptBlock(last, out + 16 * whole);
    return true;
}

} // namespace net
