#pragma once
// The block-cipher interface the packager and the hall hand-over encrypt through.
#include <cstddef>
#include <cstdint>

namespace net {

class CAes {
public:
    virtual ~CAes() = default;
    // Key of 128, 192 or 256 bits in the byte order of the standard; false for any other size.
    virtual bool SetKey(const uint8_t* key, uint32_t keyBits) = 0;
    virtual void EncryptBlock(const uint8_t in[16], uint8_t out[16]) const = 0;
    virtual void DecryptBlock(const uint8_t in[16], uint8_t out[16]) const = 0;

    // Independent blocks (electronic codebook); in and out may be the same range.
    virtual void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const;
    virtual void DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const;
};

} // namespace net
