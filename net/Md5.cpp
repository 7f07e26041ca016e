#include "net/Md5.h"

#include "net/ByteOrder.h"

#include <cstring>

namespace net {
namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

inline uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

// One step: a = b + ((a + f(b, c, d) + word + constant) <<< shift). Each round's function is the
// standard one; the rounds are written out so that word indices and shifts are constants.
template <typename F>
inline void Step(F f, uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t word, uint32_t constant, int shift)
{
    a = b + Rotl(a + f(b, c, d) + word + constant, shift);
}

inline uint32_t F1(uint32_t b, uint32_t c, uint32_t d) { return d ^ (b & (c ^ d)); }
inline uint32_t F2(uint32_t b, uint32_t c, uint32_t d) { return c ^ (d & (b ^ c)); }
inline uint32_t F3(uint32_t b, uint32_t c, uint32_t d) { return b ^ c ^ d; }
inline uint32_t F4(uint32_t b, uint32_t c, uint32_t d) { return c ^ (b | ~d); }

void Transform(uint32_t state[4], const uint8_t block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = ReadLe32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    // Four steps at a time, the registers taking turns: i is the first step's number.
#define XL_MD5_FOUR(f, i, g0, g1, g2, g3, s0, s1, s2, s3) \
    Step(f, a, b, c, d, x[g0], kSine[i], s0);             \
    Step(f, d, a, b, c, x[g1], kSine[i + 1], s1);         \
    Step(f, c, d, a, b, x[g2], kSine[i + 2], s2);         \
    Step(f, b, c, d, a, x[g3], kSine[i + 3], s3)
    XL_MD5_FOUR(F1, 0, 0, 1, 2, 3, 7, 12, 17, 22);
    XL_MD5_FOUR(F1, 4, 4, 5, 6, 7, 7, 12, 17, 22);
    XL_MD5_FOUR(F1, 8, 8, 9, 10, 11, 7, 12, 17, 22);
    XL_MD5_FOUR(F1, 12, 12, 13, 14, 15, 7, 12, 17, 22);
    XL_MD5_FOUR(F2, 16, 1, 6, 11, 0, 5, 9, 14, 20);
    XL_MD5_FOUR(F2, 20, 5, 10, 15, 4, 5, 9, 14, 20);
    XL_MD5_FOUR(F2, 24, 9, 14, 3, 8, 5, 9, 14, 20);
    XL_MD5_FOUR(F2, 28, 13, 2, 7, 12, 5, 9, 14, 20);
    XL_MD5_FOUR(F3, 32, 5, 8, 11, 14, 4, 11, 16, 23);
    XL_MD5_FOUR(F3, 36, 1, 4, 7, 10, 4, 11, 16, 23);
    XL_MD5_FOUR(F3, 40, 13, 0, 3, 6, 4, 11, 16, 23);
    XL_MD5_FOUR(F3, 44, 9, 12, 15, 2, 4, 11, 16, 23);
    XL_MD5_FOUR(F4, 48, 0, 7, 14, 5, 6, 10, 15, 21);
    XL_MD5_FOUR(F4, 52, 12, 3, 10, 1, 6, 10, 15, 21);
    XL_MD5_FOUR(F4, 56, 8, 15, 6, 13, 6, 10, 15, 21);
    XL_MD5_FOUR(F4, 60, 4, 11, 2, 9, 6, 10, 15, 21);
#undef XL_MD5_FOUR
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

void MD5Init(MD5Context& ctx, const uint32_t* initialState)
{
    static constexpr uint32_t kStandard[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    std::memset(&ctx, 0, sizeof ctx);
    std::memcpy(ctx.state, initialState ? initialState : kStandard, sizeof ctx.state);
}

void MD5Update(MD5Context& ctx, const void* data, size_t length)
{
    const auto* in = static_cast<const uint8_t*>(data);
    size_t used = (ctx.count[0] >> 3) & 63;
    const uint64_t bits = (uint64_t(ctx.count[1]) << 32 | ctx.count[0]) + uint64_t(length) * 8;
    ctx.count[0] = uint32_t(bits);
    ctx.count[1] = uint32_t(bits >> 32);
    if (used > 0) {
        const size_t take = length < 64 - used ? length : 64 - used;
        std::memcpy(ctx.buffer + used, in, take);
        used += take;
        in += take;
        length -= take;
        if (used < 64)
            return;
        Transform(ctx.state, ctx.buffer);
    }
    for (; length >= 64; in += 64, length -= 64)
        Transform(ctx.state, in);
    if (length > 0)
        std::memcpy(ctx.buffer, in, length);
}

void MD5Final(MD5Context& ctx)
{
    uint8_t lengthBytes[8];
    WriteLe32(lengthBytes, ctx.count[0]);
    WriteLe32(lengthBytes + 4, ctx.count[1]);
    const size_t used = (ctx.count[0] >> 3) & 63;
    static constexpr uint8_t kPadding[64] = {0x80};
    MD5Update(ctx, kPadding, used < 56 ? 56 - used : 120 - used);
    MD5Update(ctx, lengthBytes, 8);
    for (int i = 0; i < 4; ++i)
        WriteLe32(ctx.digest + 4 * i, ctx.state[i]);
}

std::array<uint8_t, 16> MD5Digest(const void* data, size_t length)
{
    MD5Context ctx;
    MD5Init(ctx);
    MD5Update(ctx, data, length);
    MD5Final(ctx);
    std::array<uint8_t, 16> out;
    std::memcpy(out.data(), ctx.digest, 16);
    return out;
}

} // namespace net
