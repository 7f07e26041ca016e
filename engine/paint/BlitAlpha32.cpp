// The alpha-over blit of 32-bit pictures, the hottest loop of a frame: eight pixels at a time
// with AVX2 where the processor has it, else four with SSE2, when drawing onto the buffer;
// the shared scalar rule against a backdrop.
#include <immintrin.h>

#include "engine/paint/BlitPixels.h"

namespace Lumora {

using namespace blit;

namespace {

// Same arithmetic as PutAlphaOver without a backdrop, for four pixels.
inline __m128i AlphaOver4(__m128i s, __m128i d, __m128i ka, bool inner) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaS = _mm_srli_epi32(s, 24);
    const __m128i a = inner ? _mm_srli_epi32(_mm_mullo_epi16(alphaS, ka), 8) : alphaS;
    const __m128i da = _mm_srli_epi32(d, 24);
    const __m128i aBytes = _mm_or_si128(_mm_or_si128(a, _mm_slli_epi32(a, 8)), _mm_or_si128(_mm_slli_epi32(a, 16), _mm_slli_epi32(a, 24)));
    const __m128i n255 = _mm_set1_epi16(255);
    const __m128i aLo = _mm_unpacklo_epi8(aBytes, zero), aHi = _mm_unpackhi_epi8(aBytes, zero);
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), aLo),
                                                    _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(n255, aLo))), 8);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), aHi),
                                                    _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(n255, aHi))), 8);
    const __m128i rgbMask = _mm_set1_epi32(0x00FFFFFF);
    const __m128i blended = _mm_or_si128(_mm_and_si128(_mm_packus_epi16(lo, hi), rgbMask),
                                         _mm_slli_epi32(_mm_max_epi16(da, a), 24));
    const __m128i onEmpty = _mm_or_si128(_mm_and_si128(s, rgbMask), _mm_slli_epi32(a, 24));
    const __m128i emptyMask = _mm_cmpeq_epi32(da, zero);
    const __m128i drawn = _mm_or_si128(_mm_and_si128(emptyMask, onEmpty), _mm_andnot_si128(emptyMask, blended));
    const __m128i skipMask = _mm_cmpeq_epi32(alphaS, zero);
    return _mm_or_si128(_mm_and_si128(skipMask, d), _mm_andnot_si128(skipMask, drawn));
}

// Constants of the eight-pixel rules, made once a call: made inside the loop, each branch that
// uses one would build it again.
struct Lanes8 {
    __m256i zero, low, alphaPairs, alphaMask, emptyWeight, greenAlpha, less1, ka;
};

__attribute__((target("avx2"))) inline Lanes8 MakeLanes8(uint32_t ka)
{
    return {_mm256_setzero_si256(),
            _mm256_set1_epi32(0x00FF00FF),
            _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, 3, -1, 3, -1, 7, -1, 7, -1, 11,
                             -1, 11, -1, 15, -1, 15, -1),
            _mm256_set1_epi32(int32_t(0xFF000000)),
            _mm256_set1_epi32(0x01000100),
            _mm256_set1_epi32(int32_t(0xFF00FF00)),
            _mm256_set1_epi32(0x00010101),
            _mm256_set1_epi16(int16_t(ka))};
}

// The same rule on eight pixels without unpacking: blue and red (even bytes) and green and alpha
// (odd bytes) are multiplied in place as 16-bit halves of each pixel, by a for the source and
// 255 - a for the destination; onto an empty pixel the weights are 256 and 0, which copy the
// source's colour exactly, so one blend serves both cases. Alphas are read into both halves of
// each pixel by one shuffle; the alpha byte written is the larger alpha.
template <bool Inner>
__attribute__((target("avx2"))) inline __m256i AlphaOver8(__m256i s, __m256i d, __m256i empty, const Lanes8& c)
{
    const __m256i alphaS = _mm256_shuffle_epi8(s, c.alphaPairs);
    const __m256i a = Inner ? _mm256_srli_epi16(_mm256_mullo_epi16(alphaS, c.ka), 8) : alphaS;
    const __m256i ws = _mm256_blendv_epi8(a, c.emptyWeight, empty);
    const __m256i wd = _mm256_andnot_si256(empty, _mm256_xor_si256(c.low, a)); // 255 - a, as a <= 255
    const __m256i even = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, c.low), ws),
                                          _mm256_mullo_epi16(_mm256_and_si256(d, c.low), wd));
    const __m256i odd = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), ws),
                                         _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), wd));
    // Green from the odd products and the larger alpha in the top byte, then red and blue. At full
    // strength a is the source's alpha, so the larger alpha is the larger of the two alpha bytes.
    const __m256i top =
        Inner ? _mm256_max_epu32(_mm256_and_si256(d, c.alphaMask), _mm256_slli_epi32(a, 24)) : _mm256_max_epu8(s, d);
    const __m256i greenAndAlpha = _mm256_blendv_epi8(odd, top, c.alphaMask);
    const __m256i drawn = _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_and_si256(greenAndAlpha, c.greenAlpha));
    return _mm256_blendv_epi8(drawn, d, _mm256_cmpeq_epi32(alphaS, c.zero));
}

// Eight source pixels all of alpha 255 at full strength: the blend's weights are 255 and 0, so
// each colour byte becomes (s * 255) >> 8, which is s less one unless s is 0, and the alpha byte
// 255; onto an empty pixel the weights are 256 and 0 and the source is copied as it is.
__attribute__((target("avx2"))) inline __m256i Opaque8(__m256i s, __m256i empty, const Lanes8& c)
{
    return _mm256_subs_epu8(s, _mm256_andnot_si256(empty, c.less1));
}

// Most pictures are opaque or fully transparent over whole groups of eight (tiles, labels, boards):
// a transparent group leaves the destination as it is and is not stored, an opaque one takes the
// short rule above.
__attribute__((target("avx2"))) inline bool Clear8(__m256i s, const Lanes8& c)
{
    return _mm256_testz_si256(s, c.alphaMask);
}

template <bool Inner>
__attribute__((target("avx2"))) inline __m256i Over8(__m256i s, __m256i d, const Lanes8& c)
{
    const __m256i empty = _mm256_cmpeq_epi32(_mm256_and_si256(d, c.alphaMask), c.zero);
    return !Inner && _mm256_testc_si256(s, c.alphaMask) ? Opaque8(s, empty, c) : AlphaOver8<Inner>(s, d, empty, c);
}

__attribute__((target("avx2"))) inline __m256i Load8(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

// Rows of the clipped rectangle, eight pixels at a time. A row that does not end on eight pixels
// (pictures cut into pieces by the damage end anywhere, and one pixel at a time the tail would
// cost more than the row) ends with its last eight, blended from the destination as it was before
// the row: the lanes it shares with the group before come out as that group draws them, and read
// back after that group is stored, the read would wait. Rows of four to seven pixels are their
// first four and last four side by side; rows under four take the scalar rule.
template <bool Inner>
__attribute__((target("avx2"))) void RowsAvx2(uint32_t* d0, size_t dPitch, const uint8_t* s0, size_t sPitch, int w,
                                              int h, const Rule& r)
{
    const Lanes8 c = MakeLanes8(r.ka);
    if (w < 4) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                uint32_t p;
                std::memcpy(&p, s0 + (size_t(j) * sPitch + i) * 4, 4);
                PutAlphaOver(d0[size_t(j) * dPitch + i], p, r);
            }
    } else if (w < 8) {
        for (int j = 0; j < h; ++j) {
            uint32_t* d = d0 + size_t(j) * dPitch;
            const uint8_t* sp = s0 + size_t(j) * sPitch * 4;
            const __m256i sv = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(sp + size_t(w - 4) * 4),
                                                   reinterpret_cast<const __m128i*>(sp));
            if (!Clear8(sv, c))
                _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(d + w - 4), reinterpret_cast<__m128i*>(d),
                                     Over8<Inner>(sv,
                                                  _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(d + w - 4),
                                                                      reinterpret_cast<const __m128i*>(d)),
                                                  c));
        }
    } else {
        const int whole = w & ~7, back = w - 8;
        for (int j = 0; j < h; ++j) {
            uint32_t* d = d0 + size_t(j) * dPitch;
            const uint8_t* sp = s0 + size_t(j) * sPitch * 4;
            __m256i tail = c.zero;
            bool tailDrawn = false;
            if (whole < w) {
                const __m256i sv = Load8(sp + size_t(back) * 4);
                if ((tailDrawn = !Clear8(sv, c)))
                    tail = Over8<Inner>(sv, Load8(d + back), c);
            }
            for (int i = 0; i < whole; i += 8) {
                const __m256i sv = Load8(sp + size_t(i) * 4);
                if (!Clear8(sv, c))
                    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), Over8<Inner>(sv, Load8(d + i), c));
            }
            if (tailDrawn)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + back), tail);
        }
    }
}

bool& WideAllowed() {
    static bool allowed = true;
    return allowed;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && WideAllowed();
}

} // namespace

void SetWideBlitsAllowed(bool allowed) { WideAllowed() = allowed; }

void Blit32Alpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, false);
    if (r.backdrop) {
        Unrotated(t, dx, dy, s, Read32(s), [&r](uint32_t& d, uint32_t p) { PutAlphaOver(d, p, r); });
        return;
    }
    int w = s.w, h = s.h, sx = s.x, sy = s.y;
    if (!ClipUnrotated(t.clip, dx, dy, w, h, sx, sy)) return;
    if (HasAvx2()) {
        uint32_t* d = t.pixels + size_t(dy) * t.width + dx;
        const uint8_t* sp = s.pixels + (size_t(sy) * s.pitch + sx) * 4;
        if (r.inner)
            RowsAvx2<true>(d, size_t(t.width), sp, size_t(s.pitch), w, h, r);
        else
            RowsAvx2<false>(d, size_t(t.width), sp, size_t(s.pitch), w, h, r);
        return;
    }
    const __m128i ka = _mm_set1_epi32(int(r.ka));
    for (int j = 0; j < h; ++j) {
        uint32_t* d = t.pixels + size_t(dy + j) * t.width + dx;
        const uint8_t* sp = s.pixels + (size_t(sy + j) * s.pitch + sx) * 4;
        int i = 0;
        for (; i + 4 <= w; i += 4) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + size_t(i) * 4));
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), AlphaOver4(sv, dv, ka, r.inner));
        }
        for (; i < w; ++i) {
            uint32_t p;
            std::memcpy(&p, sp + size_t(i) * 4, 4);
            PutAlphaOver(d[i], p, r);
        }
    }
}

} // namespace Lumora
