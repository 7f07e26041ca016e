#pragma once
// AES in electronic-codebook mode over a whole buffer, with the zero padding the game channel
// and the hall hand-over use: the output is always one to sixteen bytes longer than the input.
#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr uint32_t kAesFlag = 0x100;
inline constexpr uint32_t kCryptEncode = 0x1;
inline constexpr uint32_t kCryptDecode = 0x2;

// Length of the enciphered form of `length` plain bytes.
constexpr size_t AesPaddedLength(size_t length) { return length - length % 16 + 16; }

// Flags must hold kAesFlag and one direction bit, else false and nothing happens.
// Encoding: out receives AesPaddedLength(inLength) bytes (the padding is zeros); with a null
//   out only *outLength is set.
// Decoding: inLength must be a whole number of blocks (else false); out receives inLength
//   bytes and *outLength says so.
// False also for a key that is not 128, 192 or 256 bits.
bool AesCryptBuffer(const uint8_t* key, uint32_t keyBits, const uint8_t* in, size_t inLength, uint8_t* out,
                    size_t* outLength, uint32_t flags);

} // namespace net
