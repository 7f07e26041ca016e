#pragma once
// MD5 message digest, used for signed web addresses and the machine identity.
#include <array>
#include <cstddef>
#include <cstdint>

namespace net {

struct MD5Context {
    uint32_t count[2];  // bit count, low word first
    uint32_t state[4];
    uint8_t buffer[64];
    uint8_t digest[16]; // written by MD5Final
};

// A null initial state gives the standard one.
void MD5Init(MD5Context& ctx, const uint32_t* initialState = nullptr);
void MD5Update(MD5Context& ctx, const void* data, size_t length);
void MD5Final(MD5Context& ctx);

std::array<uint8_t, 16> MD5Digest(const void* data, size_t length);

} // namespace net
