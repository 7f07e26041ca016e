// Pictures whose headers ask for far more than their bytes could hold are refused before any
// buffer is sized from the header: the decoders' largest allocations stay small.
#include "platform/ImageDecode.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Be16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void Be32(Bytes& b, uint32_t v) { Be16(b, v >> 16), Be16(b, v & 0xFFFF); }
void Le16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }

uint32_t Crc32(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFF;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

void PngChunk(Bytes& b, const char* type, const Bytes& body)
{
    Be32(b, uint32_t(body.size()));
    const size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), body.begin(), body.end());
    Be32(b, Crc32(b.data() + start, b.size() - start));
}

// 68 bytes: an 8000 x 8000 RGBA header and a few bytes of image data.
Bytes HugePng()
{
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Be32(header, 8000);
    Be32(header, 8000);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PngChunk(b, "IHDR", header);
    PngChunk(b, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    PngChunk(b, "IEND", {});
    return b;
}

// A progressive JPEG header for 20000 x 20000 pixels and the start of its first scan.
Bytes HugeProgressiveJpeg()
{
    Bytes b = {0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0};
    b.insert(b.end(), 64, 1);
    b.insert(b.end(), {0xFF, 0xC2, 0, 17, 8});
    Be16(b, 20000);
    Be16(b, 20000);
    b.insert(b.end(), {3, 1, 0x22, 0, 2, 0x11, 0, 3, 0x11, 0});
    b.insert(b.end(), {0xFF, 0xC4, 0, 20, 0x00, 1});
    b.insert(b.end(), 15, 0);
    b.push_back(0);
    b.insert(b.end(), {0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0, 3, 0, 0, 0, 0});
    b.insert(b.end(), 16, 0);
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

Bytes Gif(uint32_t screen, uint32_t frame)
{
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    Le16(b, screen);
    Le16(b, screen);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255, 0x2C, 0, 0, 0, 0});
    Le16(b, frame);
    Le16(b, frame);
    b.insert(b.end(), {0, 2, 2, 0x44, 0x01, 0, 0x3B});
    return b;
}

// The most that glibc's allocator ever had mapped at once; blocks above 32 MiB are always
// mapped, so no large block escapes the figure. Printed by malloc_stats on stderr.
size_t PeakMappedBytes()
{
    std::FILE* f = std::tmpfile();
    const int saved = dup(2);
    dup2(fileno(f), 2);
    malloc_stats();
    dup2(saved, 2);
    close(saved);
    std::rewind(f);
    char line[256];
    size_t peak = SIZE_MAX;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "max mmap bytes = %zu", &peak) == 1)
            break;
    std::fclose(f);
    return peak;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Decodes each hostile picture; 0 when all were refused and nothing large was ever mapped.
int DecodeHostilePictures()
{
    using F = platform::PictureFormat;
    const struct {
        F format;
        Bytes bytes;
    } pictures[] = {
        {F::Png, HugePng()},
        {F::Jpeg, HugeProgressiveJpeg()},
        {F::Gif, Gif(20000, 1)},   // the screen
        {F::Gif, Gif(100, 20000)}, // one frame
    };
    int accepted = 0;
    for (const auto& p : pictures) {
        platform::DecodedPicture out;
        accepted += platform::DecodePicture(p.format, p.bytes.data(), p.bytes.size(), out);
    }
    const size_t peak = PeakMappedBytes();
    std::fprintf(stderr, "accepted %d, peak %zu bytes\n", accepted, peak);
    return accepted == 0 && peak < (64u << 20) ? 0 : 1;
}

TEST(ImageHeaders, HugeDeclaredSizesAreRefusedBeforeTheyAreAllocated)
{
    if (kSanitized)
        GTEST_SKIP() << "the sanitizer's allocator keeps no such figure";
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process: nothing mapped before
    EXPECT_EXIT(std::exit(DecodeHostilePictures()), ::testing::ExitedWithCode(0), "");
}

} // namespace
