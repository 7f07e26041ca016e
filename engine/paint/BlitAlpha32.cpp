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

// The same rule on eight pixels without unpacking: blue and red (even bytes) and green and alpha
// (odd bytes) are multiplied in place as 16-bit halves of each pixel, by a for the source and
// 255 - a for the destination; onto an empty pixel the weights are 256 and 0, which copy the
// source's colour exactly, so one blend serves both cases. Alphas are read into both halves of
// each pixel by one shuffle; the alpha byte written is the larger alpha.
template <bool Inner>
__attribute__((target("avx2"))) inline __m256i AlphaOver8(__m256i s, __m256i d, __m256i ka) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_set1_epi32(0x00FF00FF);
    const __m256i alphaPairs = _mm256_setr_epi8(3, -1, 3, -1, 7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1, 3, -1, 3, -1,
                                                7, -1, 7, -1, 11, -1, 11, -1, 15, -1, 15, -1);
    const __m256i alphaS = _mm256_shuffle_epi8(s, alphaPairs);
    const __m256i a = Inner ? _mm256_srli_epi16(_mm256_mullo_epi16(alphaS, ka), 8) : alphaS;
    const __m256i alphaMask = _mm256_set1_epi32(int32_t(0xFF000000));
    const __m256i empty = _mm256_cmpeq_epi32(_mm256_and_si256(d, alphaMask), zero);
    const __m256i ws = _mm256_blendv_epi8(a, _mm256_set1_epi32(0x01000100), empty);
    const __m256i wd = _mm256_andnot_si256(empty, _mm256_sub_epi16(low, a));
    const __m256i even = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, low), ws),
                                          _mm256_mullo_epi16(_mm256_and_si256(d, low), wd));
    const __m256i odd = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), ws),
                                         _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), wd));
    // Green from the odd products and the larger alpha in the top byte, then red and blue. At full
    // strength a is the source's alpha, so the larger alpha is the larger of the two alpha bytes.
    const __m256i top = Inner ? _mm256_max_epu32(_mm256_and_si256(d, alphaMask), _mm256_slli_epi32(a, 24))
                              : _mm256_max_epu8(s, d);
    const __m256i greenAndAlpha = _mm256_blendv_epi8(odd, top, alphaMask);
    const __m256i drawn = _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_and_si256(greenAndAlpha, _mm256_set1_epi32(int32_t(0xFF00FF00))));
    return _mm256_blendv_epi8(drawn, d, _mm256_cmpeq_epi32(alphaS, zero));
}

// Rows of the clipped rectangle, eight pixels at a time; rows under eight by the scalar rule.
template <bool Inner>
__attribute__((target("avx2"))) void RowsAvx2(uint32_t* d0, size_t dPitch, const uint8_t* s0, size_t sPitch, int w,
                                              int h, const Rule& r) {
    const __m256i ka = _mm256_set1_epi16(int16_t(r.ka));
    for (int j = 0; j < h; ++j) {
        uint32_t* d = d0 + size_t(j) * dPitch;
        const uint8_t* sp = s0 + size_t(j) * sPitch * 4;
        int i = 0;
        for (; i + 8 <= w; i += 8) {
            const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + size_t(i) * 4));
            const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), AlphaOver8<Inner>(sv, dv, ka));
        }
        if (i < w && w >= 8) {
            // The last few pixels as the row's last eight, the lanes already drawn kept as they
            // are: pictures cut by a dirty rectangle end anywhere, and one pixel at a time the
            // tail would cost more than the row.
            const int back = w - 8;
            const __m256i keep =
                _mm256_cmpgt_epi32(_mm256_set1_epi32(i - back), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
            const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + size_t(back) * 4));
            const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + back));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + back),
                                _mm256_blendv_epi8(AlphaOver8<Inner>(sv, dv, ka), dv, keep));
            continue;
        }
        for (; i < w; ++i) {
            uint32_t p;
            std::memcpy(&p, sp + size_t(i) * 4, 4);
            PutAlphaOver(d[i], p, r);
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
