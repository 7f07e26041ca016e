#include "net/Rijndael.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#include <immintrin.h>
#include <wmmintrin.h>
#define XL_AES_X86 1
#endif

namespace net {
namespace {

// All tables are computed at compile time: nothing is built lazily, so no thread can see
// them half-made.
constexpr uint8_t XTime(uint8_t x) { return uint8_t((x << 1) ^ ((x & 0x80) ? 0x1b : 0)); }

constexpr uint8_t GfMul(uint8_t a, uint8_t b)
{
    uint8_t p = 0;
    while (b) {
        if (b & 1)
            p ^= a;
        a = XTime(a);
        b >>= 1;
    }
    return p;
}

struct Tables {
    uint8_t sbox[256]{};
    uint8_t inv[256]{};
    uint32_t te[4][256]{};
    uint32_t td[4][256]{};
};

constexpr uint32_t Rotr8(uint32_t x) { return (x >> 8) | (x << 24); }

constexpr Tables MakeTables()
{
    Tables t{};
    uint8_t exp[256]{}, log[256]{};
    uint8_t x = 1;
    for (int i = 0; i < 255; ++i) {
        exp[i] = x;
        log[x] = uint8_t(i);
        x = GfMul(x, 3);
    }
    for (int i = 0; i < 256; ++i) {
        const uint8_t inverse = i == 0 ? 0 : exp[(255 - log[i]) % 255];
        uint8_t s = inverse;
        for (int r = 1; r <= 4; ++r)
            s ^= uint8_t((inverse << r) | (inverse >> (8 - r)));
        s ^= 0x63;
        t.sbox[i] = s;
        t.inv[s] = uint8_t(i);
    }
    for (int i = 0; i < 256; ++i) {
        const uint8_t s = t.sbox[i];
        const uint32_t e = uint32_t(GfMul(s, 2)) << 24 | uint32_t(s) << 16 | uint32_t(s) << 8 | GfMul(s, 3);
        const uint8_t v = t.inv[i];
        const uint32_t d = uint32_t(GfMul(v, 14)) << 24 | uint32_t(GfMul(v, 9)) << 16 |
                           uint32_t(GfMul(v, 13)) << 8 | GfMul(v, 11);
        t.te[0][i] = e;
        t.td[0][i] = d;
        for (int k = 1; k < 4; ++k) {
            t.te[k][i] = Rotr8(t.te[k - 1][i]);
            t.td[k][i] = Rotr8(t.td[k - 1][i]);
        }
    }
    return t;
}

constexpr Tables kT = MakeTables();

inline uint32_t LoadBe(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline void StoreBe(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

inline uint32_t SubWord(uint32_t w)
{
    return uint32_t(kT.sbox[w >> 24]) << 24 | uint32_t(kT.sbox[(w >> 16) & 255]) << 16 |
           uint32_t(kT.sbox[(w >> 8) & 255]) << 8 | kT.sbox[w & 255];
}

inline uint8_t B(uint32_t w, int byte) { return uint8_t(w >> (24 - 8 * byte)); }

void PortableEncrypt(const uint32_t* rk, int rounds, const uint8_t in[16], uint8_t out[16])
{
    uint32_t s0 = LoadBe(in) ^ rk[0], s1 = LoadBe(in + 4) ^ rk[1];
    uint32_t s2 = LoadBe(in + 8) ^ rk[2], s3 = LoadBe(in + 12) ^ rk[3];
    const auto& te = kT.te;
    for (int r = 1; r < rounds; ++r) {
        rk += 4;
        const uint32_t t0 = te[0][B(s0, 0)] ^ te[1][B(s1, 1)] ^ te[2][B(s2, 2)] ^ te[3][B(s3, 3)] ^ rk[0];
        const uint32_t t1 = te[0][B(s1, 0)] ^ te[1][B(s2, 1)] ^ te[2][B(s3, 2)] ^ te[3][B(s0, 3)] ^ rk[1];
        const uint32_t t2 = te[0][B(s2, 0)] ^ te[1][B(s3, 1)] ^ te[2][B(s0, 2)] ^ te[3][B(s1, 3)] ^ rk[2];
        const uint32_t t3 = te[0][B(s3, 0)] ^ te[1][B(s0, 1)] ^ te[2][B(s1, 2)] ^ te[3][B(s2, 3)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto& s = kT.sbox;
    auto last = [&](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
        return (uint32_t(s[B(a, 0)]) << 24 | uint32_t(s[B(b, 1)]) << 16 | uint32_t(s[B(c, 2)]) << 8 | s[B(d, 3)]) ^ k;
    };
    StoreBe(out, last(s0, s1, s2, s3, rk[0]));
    StoreBe(out + 4, last(s1, s2, s3, s0, rk[1]));
    StoreBe(out + 8, last(s2, s3, s0, s1, rk[2]));
    StoreBe(out + 12, last(s3, s0, s1, s2, rk[3]));
}

void PortableDecrypt(const uint32_t* rk, int rounds, const uint8_t in[16], uint8_t out[16])
{
    uint32_t s0 = LoadBe(in) ^ rk[0], s1 = LoadBe(in + 4) ^ rk[1];
    uint32_t s2 = LoadBe(in + 8) ^ rk[2], s3 = LoadBe(in + 12) ^ rk[3];
    const auto& td = kT.td;
    for (int r = 1; r < rounds; ++r) {
        rk += 4;
        const uint32_t t0 = td[0][B(s0, 0)] ^ td[1][B(s3, 1)] ^ td[2][B(s2, 2)] ^ td[3][B(s1, 3)] ^ rk[0];
        const uint32_t t1 = td[0][B(s1, 0)] ^ td[1][B(s0, 1)] ^ td[2][B(s3, 2)] ^ td[3][B(s2, 3)] ^ rk[1];
        const uint32_t t2 = td[0][B(s2, 0)] ^ td[1][B(s1, 1)] ^ td[2][B(s0, 2)] ^ td[3][B(s3, 3)] ^ rk[2];
        const uint32_t t3 = td[0][B(s3, 0)] ^ td[1][B(s2, 1)] ^ td[2][B(s1, 2)] ^ td[3][B(s0, 3)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto& v = kT.inv;
    auto last = [&](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) {
        return (uint32_t(v[B(a, 0)]) << 24 | uint32_t(v[B(b, 1)]) << 16 | uint32_t(v[B(c, 2)]) << 8 | v[B(d, 3)]) ^ k;
    };
    StoreBe(out, last(s0, s3, s2, s1, rk[0]));
    StoreBe(out + 4, last(s1, s0, s3, s2, rk[1]));
    StoreBe(out + 8, last(s2, s1, s0, s3, rk[2]));
    StoreBe(out + 12, last(s3, s2, s1, s0, rk[3]));
}

#ifdef XL_AES_X86
bool CpuHasAes()
{
    static const bool has = __builtin_cpu_supports("aes") && __builtin_cpu_supports("sse2");
    return has;
}

__attribute__((target("aes,sse2"))) void MakeHardwareDecryptKeys(const uint8_t* enc, uint8_t* dec, int rounds)
{
    for (int r = 0; r <= rounds; ++r) {
        __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(enc + 16 * (rounds - r)));
        if (r > 0 && r < rounds)
            k = _mm_aesimc_si128(k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dec + 16 * r), k);
    }
}

bool CpuHasWideAes()
{
#if defined(__clang__)
    // clang 14 cannot ask for "vaes"; its builds (the fuzz targets) take the narrow path.
    return false;
#else
    static const bool has = __builtin_cpu_supports("vaes") && __builtin_cpu_supports("avx512f");
    return has;
#endif
}

// Four blocks per register and eight registers in flight: 32 blocks per step. Returns the
// blocks left for the narrow path.
template <bool Encrypt>
__attribute__((target("vaes,avx512f"))) size_t WideBlocks(const uint8_t* keys, int rounds, const uint8_t*& in,
                                                           uint8_t*& out, size_t blocks)
{
    __m512i k[15];
    alignas(64) uint8_t four[64];
    for (int r = 0; r <= rounds; ++r) {
        for (int j = 0; j < 4; ++j)
            std::memcpy(four + 16 * j, keys + 16 * r, 16);
        k[r] = _mm512_load_si512(four);
    }
    constexpr size_t kLanes = 8, kStep = 4 * kLanes;
    for (; blocks >= kStep; blocks -= kStep, in += 16 * kStep, out += 16 * kStep) {
        __m512i s[kLanes];
        #pragma GCC unroll 8
        for (size_t j = 0; j < kLanes; ++j)
            s[j] = _mm512_xor_si512(_mm512_loadu_si512(in + 64 * j), k[0]);
        for (int r = 1; r < rounds; ++r) {
            #pragma GCC unroll 8
            for (size_t j = 0; j < kLanes; ++j)
                s[j] = Encrypt ? _mm512_aesenc_epi128(s[j], k[r]) : _mm512_aesdec_epi128(s[j], k[r]);
        }
        #pragma GCC unroll 8
        for (size_t j = 0; j < kLanes; ++j)
            _mm512_storeu_si512(out + 64 * j, Encrypt ? _mm512_aesenclast_epi128(s[j], k[rounds])
                                                      : _mm512_aesdeclast_epi128(s[j], k[rounds]));
    }
    return blocks;
}

// Eight blocks in flight hide the latency of the round instructions; the lanes are unrolled so
// that the state stays in registers through the rounds.
template <bool Encrypt>
__attribute__((target("aes,sse2"))) void HardwareBlocks(const uint8_t* keys, int rounds, const uint8_t* in,
                                                         uint8_t* out, size_t blocks)
{
    __m128i k[15];
    for (int r = 0; r <= rounds; ++r)
        k[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 16 * r));
#define XL_ROUND(s, key) (Encrypt ? _mm_aesenc_si128(s, key) : _mm_aesdec_si128(s, key))
#define XL_LAST(s, key) (Encrypt ? _mm_aesenclast_si128(s, key) : _mm_aesdeclast_si128(s, key))
    if (blocks >= 32 && CpuHasWideAes())
        blocks = WideBlocks<Encrypt>(keys, rounds, in, out, blocks);
    constexpr size_t kLanes = 8;
    for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
        __m128i s[kLanes];
        #pragma GCC unroll 8
        for (size_t j = 0; j < kLanes; ++j)
            s[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * j)), k[0]);
        for (int r = 1; r < rounds; ++r) {
            #pragma GCC unroll 8
            for (size_t j = 0; j < kLanes; ++j)
                s[j] = XL_ROUND(s[j], k[r]);
        }
        #pragma GCC unroll 8
        for (size_t j = 0; j < kLanes; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * j), XL_LAST(s[j], k[rounds]));
    }
    for (; blocks > 0; --blocks, in += 16, out += 16) {
        __m128i s = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), k[0]);
        for (int r = 1; r < rounds; ++r)
            s = XL_ROUND(s, k[r]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), XL_LAST(s, k[rounds]));
    }
#undef XL_ROUND
#undef XL_LAST
}
#else
bool CpuHasAes() { return false; }
#endif

} // namespace

void CAes::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const
{
    for (size_t i = 0; i < blocks; ++i)
        EncryptBlock(in + 16 * i, out + 16 * i);
}

void CAes::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const
{
    for (size_t i = 0; i < blocks; ++i)
        DecryptBlock(in + 16 * i, out + 16 * i);
}

CRijndael::CRijndael(Engine engine) : hardware_(engine == Engine::Auto && CpuHasAes()) {}

bool CRijndael::SetKey(const uint8_t* key, uint32_t keyBits)
{
    const int nk = static_cast<int>((keyBits + 31) / 32);
    if (key == nullptr || (keyBits != 128 && keyBits != 192 && keyBits != 256))
        return false;
    keyWords_ = nk;
    rounds_ = nk + 6;
    const int total = 4 * (rounds_ + 1);
    uint32_t* w = encKeys_.data();
    for (int i = 0; i < nk; ++i)
        w[i] = LoadBe(key + 4 * i);
    uint32_t rcon = 1;
    for (int i = nk; i < total; ++i) {
        uint32_t t = w[i - 1];
        if (i % nk == 0) {
            t = SubWord((t << 8) | (t >> 24)) ^ (rcon << 24);
            rcon = XTime(uint8_t(rcon));
        } else if (nk > 6 && i % nk == 4) {
            t = SubWord(t);
        }
        w[i] = w[i - nk] ^ t;
    }
    // Equivalent inverse cipher: round keys in reverse, the inner ones through InvMixColumns.
    for (int r = 0; r <= rounds_; ++r)
        for (int c = 0; c < 4; ++c) {
            uint32_t k = w[4 * (rounds_ - r) + c];
            if (r > 0 && r < rounds_)
                k = kT.td[0][kT.sbox[B(k, 0)]] ^ kT.td[1][kT.sbox[B(k, 1)]] ^ kT.td[2][kT.sbox[B(k, 2)]] ^
                    kT.td[3][kT.sbox[B(k, 3)]];
            decKeys_[4 * r + c] = k;
        }
    for (int i = 0; i < total; ++i)
        StoreBe(encBytes_.data() + 4 * i, w[i]);
#ifdef XL_AES_X86
    if (hardware_)
        MakeHardwareDecryptKeys(encBytes_.data(), decBytes_.data(), rounds_);
#endif
    return true;
}

void CRijndael::EncryptBlock(const uint8_t in[16], uint8_t out[16]) const { EncryptBlocks(in, out, 1); }

void CRijndael::DecryptBlock(const uint8_t in[16], uint8_t out[16]) const { DecryptBlocks(in, out, 1); }

void CRijndael::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const
{
    if (rounds_ == 0)
        return;
#ifdef XL_AES_X86
    if (hardware_)
        return HardwareBlocks<true>(encBytes_.data(), rounds_, in, out, blocks);
#endif
    for (size_t i = 0; i < blocks; ++i)
        PortableEncrypt(encKeys_.data(), rounds_, in + 16 * i, out + 16 * i);
}

void CRijndael::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const
{
    if (rounds_ == 0)
        return;
#ifdef XL_AES_X86
    if (hardware_)
        return HardwareBlocks<false>(decBytes_.data(), rounds_, in, out, blocks);
#endif
    for (size_t i = 0; i < blocks; ++i)
        PortableDecrypt(decKeys_.data(), rounds_, in + 16 * i, out + 16 * i);
}

} // namespace net
