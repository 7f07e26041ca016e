// Speed of the drawing path: blits of a 1024 x 768 picture onto a back buffer beside a plain
// memcpy of the same bytes, rotated and scaled blits, pack lookups and picture decoding.
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/paint/Blitters.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/paint/Pps.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"

using namespace Lumora;

namespace {

constexpr int kW = 1024, kH = 768;

// A picture like a skin: smooth areas, hard edges, some noise and an alpha ramp.
ImageRecord SkinPicture(int w, int h, bool alpha) {
    ImageRecord img;
    img.width = uint16_t(w);
    img.height = uint16_t(h);
    img.flags = alpha ? uint32_t(kImageAlpha) : 0u;
    img.pixels.resize(size_t(w) * h * 4);
    std::mt19937 rng(1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &img.pixels[(size_t(y) * w + x) * 4];
            const bool noisy = (x / 64 + y / 64) % 5 == 0;
            p[0] = uint8_t(noisy ? rng() : x / 4);
            p[1] = uint8_t(noisy ? rng() : y / 3);
            p[2] = uint8_t((x + y) / 8);
            p[3] = alpha ? uint8_t((x * 255) / (w - 1)) : 255;
        }
    return img;
}

std::vector<uint32_t> Backdrop() { return std::vector<uint32_t>(size_t(kW) * kH, 0xFF336699u); }

void Blit(benchmark::State& state, bool alpha, double angle, int targetW, int targetH, uint32_t flags, int srcW = kW,
          int srcH = kH) {
    const ImageRecord img = SkinPicture(srcW, srcH, alpha);
    std::vector<uint32_t> buffer = Backdrop();
    Surface s{reinterpret_cast<uint8_t*>(buffer.data()), kW, kH, 4, kColourKey};
    for (auto _ : state) {
        DrawParams p;
        p.x = p.rawX = kW / 2;
        p.y = p.rawY = kH / 2;
        p.width = targetW;
        p.height = targetH;
        p.angle = angle;
        p.flags = flags;
        DrawPicture(s, p, img, 0, 0, srcW, srcH, 1.0, kColourKey);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * targetW * targetH);
    state.SetBytesProcessed(int64_t(state.iterations()) * targetW * targetH * 4);
}

void BM_Memcpy1024x768(benchmark::State& state) {
    const ImageRecord img = SkinPicture(kW, kH, false);
    std::vector<uint32_t> buffer = Backdrop();
    for (auto _ : state) {
        std::memcpy(buffer.data(), img.pixels.data(), img.pixels.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kW * kH);
    state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_Memcpy1024x768);

void BM_OpaqueBlit1024x768(benchmark::State& state) { Blit(state, false, 0, kW, kH, 0); }
BENCHMARK(BM_OpaqueBlit1024x768);
// Rows that do not lie end to end: one copy a row.
void BM_OpaqueBlit1016x760(benchmark::State& state) { Blit(state, false, 0, 1016, 760, 0, 1016, 760); }
BENCHMARK(BM_OpaqueBlit1016x760);
void BM_AlphaBlit1024x768(benchmark::State& state) { Blit(state, true, 0, kW, kH, 0); }
BENCHMARK(BM_AlphaBlit1024x768);
// A tile's picture: rows that do not end on eight pixels.
void BM_AlphaBlitTile45x63(benchmark::State& state) { Blit(state, true, 0, 45, 63, 0, 45, 63); }
BENCHMARK(BM_AlphaBlitTile45x63);

// Pictures as the table draws them most: a tile, opaque but for a transparent margin and an
// anti-aliased ring, and a 20 x 20 badge (a disc, transparent around it), at full strength and
// faded; many small draws onto an opaque buffer.
ImageRecord Badge(int w, int h, int margin)
{
    ImageRecord img;
    img.width = uint16_t(w);
    img.height = uint16_t(h);
    img.flags = kImageAlpha;
    img.pixels.resize(size_t(w) * h * 4);
    std::mt19937 rng(2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &img.pixels[(size_t(y) * w + x) * 4];
            // Distance outside the inner box (tile) or the disc (margin 0: a badge), in pixels.
            const double out = margin > 0
                ? std::max({margin - x, x - (w - 1 - margin), margin - y, y - (h - 1 - margin), 0})
                : std::hypot(x - (w - 1) / 2.0, y - (h - 1) / 2.0) - (w / 2.0 - 2);
            p[0] = uint8_t(rng()), p[1] = uint8_t(x * 5), p[2] = uint8_t(y * 3);
            p[3] = out <= 0 ? 255 : out >= 2 ? 0 : uint8_t(255 - out * 127);
        }
    return img;
}

// Each picture drawn whole, or in pieces `cut` pixels wide as the damage's disjoint pieces cut it.
void SmallBlits(benchmark::State& state, const ImageRecord& img, double k, int cut = 0)
{
    std::vector<uint32_t> buffer = Backdrop();
    Surface s{reinterpret_cast<uint8_t*>(buffer.data()), kW, kH, 4, kColourKey};
    constexpr int kDraws = 64;
    for (auto _ : state) {
        for (int n = 0; n < kDraws; ++n) {
            DrawParams p;
            p.x = p.rawX = 100 + (n % 16) * 50;
            p.y = p.rawY = 100 + (n / 16) * 70;
            p.width = img.width;
            p.height = img.height;
            if (cut == 0) {
                DrawPicture(s, p, img, 0, 0, img.width, img.height, k, kColourKey);
                continue;
            }
            p.flags = kDrawClip;
            const int left = p.x - (img.width + 1) / 2;
            for (int x = 0; x < img.width; x += cut) {
                p.clip = {left + x, 0, left + x + cut, kH};
                DrawPicture(s, p, img, 0, 0, img.width, img.height, k, kColourKey);
            }
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kDraws * img.width * img.height);
}

void BM_AlphaBlitOpaqueTiles45x63(benchmark::State& state) { SmallBlits(state, Badge(45, 63, 3), 1.0); }
BENCHMARK(BM_AlphaBlitOpaqueTiles45x63);
void BM_AlphaBlitBadges20x20(benchmark::State& state) { SmallBlits(state, Badge(20, 20, 0), 1.0); }
BENCHMARK(BM_AlphaBlitBadges20x20);
void BM_AlphaBlitFadedBadges20x20(benchmark::State& state) { SmallBlits(state, Badge(20, 20, 0), 0.5); }
BENCHMARK(BM_AlphaBlitFadedBadges20x20);
void BM_AlphaBlitOpaqueTilesIn6PxPieces(benchmark::State& state) { SmallBlits(state, Badge(45, 63, 3), 1.0, 6); }
BENCHMARK(BM_AlphaBlitOpaqueTilesIn6PxPieces);
// A plain source-over blend as one would write it with AVX2: every channel, alpha included, is
// (s * a + d * (255 - a)) >> 8, with none of the engine's cases (empty destination, skipped
// pixels, the larger alpha). The anchor for the engine's alpha blit.
__attribute__((target("avx2"))) void PlainBlendAvx2(uint32_t* d, const uint8_t* s, size_t n) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i n255 = _mm256_set1_epi16(255);
    const __m256i alphaBytes = _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15, 3, 3, 3, 3, 7,
                                                7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
    for (size_t i = 0; i + 8 <= n; i += 8) {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i * 4));
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i av = _mm256_shuffle_epi8(sv, alphaBytes);
        const __m256i aLo = _mm256_unpacklo_epi8(av, zero), aHi = _mm256_unpackhi_epi8(av, zero);
        const __m256i lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(sv, zero), aLo),
                                                              _mm256_mullo_epi16(_mm256_unpacklo_epi8(dv, zero), _mm256_sub_epi16(n255, aLo))), 8);
        const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(sv, zero), aHi),
                                                              _mm256_mullo_epi16(_mm256_unpackhi_epi8(dv, zero), _mm256_sub_epi16(n255, aHi))), 8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_packus_epi16(lo, hi));
    }
}

// The engine's opaque copy and alpha blit of a 1024 x 768 picture, a memcpy of the same bytes and
// the plain blend above, taken in turn in each iteration so the ratios are of the same moments of
// the machine. Each is timed over a block of runs back to back, as a plain program would repeat
// it: one lone run after the others finds its bytes pushed out of the cache, which handicaps the
// anchors more than the blits and flatters the ratios. Ratios of the medians of the blocks.
void BM_BlitsBesideMemcpyAndPlainBlend(benchmark::State& state) {
    const ImageRecord opaque = SkinPicture(kW, kH, false), alpha = SkinPicture(kW, kH, true);
    std::vector<uint32_t> buffer = Backdrop();
    Surface s{reinterpret_cast<uint8_t*>(buffer.data()), kW, kH, 4, kColourKey};
    DrawParams p;
    p.x = p.rawX = kW / 2;
    p.y = p.rawY = kH / 2;
    p.width = kW;
    p.height = kH;
    using Clock = std::chrono::steady_clock;
    constexpr int kBlock = 4;
    std::vector<double> copy, blit, blend, plain;
    auto block = [&](std::vector<double>& into, auto run) {
        run(); // brings this operation's bytes back into the cache
        const auto t = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
            run();
            benchmark::ClobberMemory();
        }
        into.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count() / kBlock);
    };
    for (auto _ : state) {
        block(copy, [&] { std::memcpy(buffer.data(), opaque.pixels.data(), opaque.pixels.size()); });
        block(blit, [&] { DrawPicture(s, p, opaque, 0, 0, kW, kH, 1.0, kColourKey); });
        block(blend, [&] { DrawPicture(s, p, alpha, 0, 0, kW, kH, 1.0, kColourKey); });
        block(plain, [&] { PlainBlendAvx2(buffer.data(), alpha.pixels.data(), buffer.size()); });
    }
    auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    const double c = median(copy), b = median(blit), a = median(blend), pl = median(plain);
    state.counters["memcpy_us"] = c;
    state.counters["plain_avx2_us"] = pl;
    state.counters["opaque_us"] = b;
    state.counters["alpha_us"] = a;
    state.counters["opaque_x_memcpy"] = c / b;
    state.counters["alpha_x_memcpy"] = c / a;
    state.counters["alpha_x_plain_avx2"] = pl / a;
    state.counters["plain_x_memcpy"] = c / pl;
}
BENCHMARK(BM_BlitsBesideMemcpyAndPlainBlend)->MinTime(1.0);

void BM_RotatedBlit512x384(benchmark::State& state) { Blit(state, false, 33, 512, 384, 0, 512, 384); }
BENCHMARK(BM_RotatedBlit512x384);
void BM_RotatedAlphaBlit512x384(benchmark::State& state) { Blit(state, true, 33, 512, 384, 0, 512, 384); }
BENCHMARK(BM_RotatedAlphaBlit512x384);
void BM_RotatedFineBlit512x384(benchmark::State& state) { Blit(state, true, 33, 512, 384, kDrawFineRotation, 512, 384); }
BENCHMARK(BM_RotatedFineBlit512x384);
void BM_ScaledNearest512To1024(benchmark::State& state) { Blit(state, true, 0, kW, kH, 0, 512, 384); }
BENCHMARK(BM_ScaledNearest512To1024);
void BM_ScaledBilinear512To1024(benchmark::State& state) { Blit(state, true, 0, kW, kH, kDrawBilinearScale, 512, 384); }
BENCHMARK(BM_ScaledBilinear512To1024);

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("xl_bench_" + name)).string();
}

// A pack of 2,000 small entries named skin_<n>.png in the temp folder.
std::string WriteSkinPack(const std::string& name) {
    std::vector<PackSource> sources;
    for (int i = 0; i < 2000; ++i) sources.push_back({"skin_" + std::to_string(i) + ".png", {uint8_t(i), 1, 2}});
    std::string error;
    const std::string path = TempFile(name);
    const auto pack = BuildPack(sources, error);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), std::streamsize(pack.size()));
    return path;
}

// 2,000 entries on disk; each iteration looks up 10,000 names (hash the name, search the table).
void BM_PackLookup(benchmark::State& state) {
    const std::string path = WriteSkinPack("lookup.xyr");
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i) names.push_back("skin_" + std::to_string(i % 2500) + ".imge");  // a fifth miss
    ResourceModule res;
    if (res.AddPack(path) != 2000) state.SkipWithError("pack did not open");
    int64_t found = 0;
    for (auto _ : state)
        for (const std::string& n : names) found += res.Exists(MakeResourceKey(n));
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(names.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_PackLookup);

void BM_PackOpen2000(benchmark::State& state) {
    const std::string path = WriteSkinPack("open.xyr");
    for (auto _ : state) {
        ResourceModule res;
        benchmark::DoNotOptimize(res.AddPack(path));
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_PackOpen2000)->Unit(benchmark::kMillisecond);

void WritePngToVector(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

std::vector<uint8_t> EncodePng(const ImageRecord& img) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, WritePngToVector, nullptr);
    png_set_IHDR(png, info, img.width, img.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_bgr(png);
    png_write_info(png, info);
    for (int y = 0; y < img.height; ++y)
        png_write_row(png, const_cast<png_bytep>(&img.pixels[size_t(y) * img.width * 4]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void Decode(benchmark::State& state, const char* ext, const std::vector<uint8_t>& bytes) {
    PaintModuleGDI paint;
    const uint32_t hash = HashStringRS(ext);
    for (auto _ : state) {
        ImageRecord out;
        if (!paint.DecodeImage(bytes.data(), bytes.size(), hash, out)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.counters["file_kB"] = double(bytes.size()) / 1024;
}

void BM_DecodePng1024x768(benchmark::State& state) { Decode(state, ".png", EncodePng(SkinPicture(kW, kH, true))); }
BENCHMARK(BM_DecodePng1024x768)->Unit(benchmark::kMillisecond);
void BM_DecodePps1024x768(benchmark::State& state) { Decode(state, ".pps", EncodePps(SkinPicture(kW, kH, true), 6)); }
BENCHMARK(BM_DecodePps1024x768)->Unit(benchmark::kMillisecond);

} // namespace
