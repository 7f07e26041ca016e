#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/paint/Pps.h"
#include "tests/support/TiedChild.h"

using namespace Lumora;

namespace {

std::vector<uint8_t> Rle8(std::vector<uint8_t> in, size_t outSize, bool* ok) {
    std::vector<uint8_t> out(outSize);
    *ok = RleDecode8(in.data(), in.size(), out.data(), out.size());
    return out;
}

// A picture whose frames share areas, so that runs and XOR deltas both matter.
ImageRecord RandomPicture(std::mt19937& rng, bool paletted, bool alpha, int frames) {
    ImageRecord img;
    img.width = uint16_t(1 + rng() % 40);
    img.height = uint16_t(1 + rng() % 30);
    img.frames = frames;
    img.flags = (paletted ? uint32_t(kImagePaletted) : 0u) | (alpha ? uint32_t(kImageAlpha) : 0u);
    if (paletted) {
        img.paletteSize = 1 + rng() % 256;
        for (uint32_t i = 0; i < img.paletteSize * 3; ++i) img.palette.push_back(uint8_t(rng()));
        img.transparent = kNoTransparentIndex;
        if (rng() % 2) {
            img.flags |= kImageTransparent;
            img.transparent = rng() % img.paletteSize;
        }
    } else if (rng() % 2) {
        img.flags |= kImageTransparent;
        img.transparent = 0xFF00FF;
    }
    if (frames > 1) {
        img.flags |= kImageAnimated;
        for (int f = 0; f < frames; ++f) img.delays.push_back(1 + rng() % 500);
    }
    if (rng() % 2) {
        img.flags |= kImageAnchor;
        img.anchorFirst = uint16_t(rng());
        img.anchorSecond = int16_t(-int(rng() % 3000));
    }
    const size_t frameBytes = size_t(img.width) * img.height * img.BytesPerPixel();
    img.pixels.resize(frameBytes * frames);
    for (size_t i = 0; i < frameBytes; ++i) img.pixels[i] = (rng() % 3) ? uint8_t(i / 7) : uint8_t(rng());
    if (paletted) {
        for (size_t i = 0; i < frameBytes; i += img.BytesPerPixel()) img.pixels[i] %= img.paletteSize;
    }
    if (!paletted && !alpha) {
        for (size_t i = 3; i < frameBytes; i += 4) img.pixels[i] = 255;
    }
    for (int f = 1; f < frames; ++f)
        for (size_t i = 0; i < frameBytes; ++i)
            img.pixels[frameBytes * f + i] = (rng() % 10) ? img.pixels[frameBytes * (f - 1) + i] : img.pixels[i];
    return img;
}

void ExpectSame(const ImageRecord& a, const ImageRecord& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.frames, b.frames);
    EXPECT_EQ(a.flags & 0x2D, b.flags & 0x2D);
    EXPECT_EQ(a.pixels, b.pixels);
    if (a.frames > 1) {
        EXPECT_EQ(a.delays, b.delays);
    }
    if (a.IsPaletted()) {
        EXPECT_EQ(a.palette, b.palette);
        EXPECT_EQ(a.transparent, b.transparent);
    }
    if (a.flags & kImageAnchor) {
        EXPECT_EQ(a.anchorFirst, b.anchorFirst);
        EXPECT_EQ(a.anchorSecond, b.anchorSecond);
    }
}

std::string TempPath(const std::string& name) { return std::string(XL_BINARY_DIR) + "/pps_test_" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The plain record layout the Python reference reads.
void WriteRecord(const std::string& path, const ImageRecord& img) {
    std::vector<uint8_t> b;
    auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    u16(img.width);
    u16(img.height);
    u16(img.frames);
    u32(img.flags);
    u32(img.transparent);
    u16(img.anchorFirst);
    u16(uint16_t(img.anchorSecond));
    u16(uint32_t(img.delays.size()));
    for (uint32_t d : img.delays) u32(d);
    u16(img.IsPaletted() ? img.paletteSize : 0);
    if (img.IsPaletted()) b.insert(b.end(), img.palette.begin(), img.palette.end());
    b.insert(b.end(), img.pixels.begin(), img.pixels.end());
    WriteFile(path, b);
}

int Python(const std::vector<std::string>& args)
{
    return xltest::RunProgram(xltest::Python("tests/engine/data/pps_ref.py", args)).status;
}

} // namespace

TEST(PpsRunCodes, KnownVectors) {
    bool ok;
    EXPECT_EQ(Rle8({0x04, 0x41}, 1, &ok), std::vector<uint8_t>{0x41});
    EXPECT_TRUE(ok);
    EXPECT_EQ(Rle8({0x05, 0x41}, 1, &ok), std::vector<uint8_t>{0x41});
    EXPECT_TRUE(ok);
    EXPECT_EQ(Rle8({0x06, 0x02, 0x41}, 129, &ok), std::vector<uint8_t>(129, 0x41));
    EXPECT_TRUE(ok);
    uint8_t out[6];
    const uint8_t triple[] = {0x08, 1, 2, 3};  // a run of two triples
    ASSERT_TRUE(RleDecode24(triple, sizeof triple, out, 6));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3}));
}

TEST(PpsRunCodes, OverrunUnderrunAndTruncationAreRefused) {
    bool ok;
    Rle8({0x06, 0x02, 0x41}, 128, &ok);  // 129 bytes into 128
    EXPECT_FALSE(ok);
    Rle8({0x04, 0x41}, 2, &ok);          // one byte short
    EXPECT_FALSE(ok);
    Rle8({0x09, 0x41}, 2, &ok);          // literal of 2 with one byte present
    EXPECT_FALSE(ok);
    Rle8({0x07}, 1, &ok);                // long literal without its count byte
    EXPECT_FALSE(ok);
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t> plane(rng() % 300);
        for (auto& b : plane) b = (rng() % 4) ? uint8_t(rng() % 3) : uint8_t(rng());
        const auto coded = RleEncode8(plane.data(), plane.size());
        EXPECT_EQ(Rle8(coded, plane.size(), &ok), plane);
        EXPECT_TRUE(ok);
    }
}

TEST(Pps, XorFrameOfZerosRepeatsTheFirstFrame) {
    // Method 1, 1 x 1 true colour, two frames; the second is a delta of zeros.
    std::vector<uint8_t> f = {'p', 'p', 's', 1, 0x10, 0, 0, 0, 2, 0, 1, 0, 1, 0, 0, 0,
                              0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    auto frame = [&](uint32_t flags, std::vector<uint8_t> data) {
        const uint32_t words[5] = {flags, 40, uint32_t(data.size()), 0, 4};
        for (uint32_t w : words)
            for (int i = 0; i < 4; ++i) f.push_back(uint8_t(w >> (8 * i)));
        f.insert(f.end(), data.begin(), data.end());
    };
    frame(0, {10, 20, 30, 40});
    frame(0x40, {0, 0, 0, 0});
    ImageRecord img;
    ASSERT_TRUE(DecodePps(f.data(), f.size(), img));
    EXPECT_EQ(img.pixels, (std::vector<uint8_t>{10, 20, 30, 40, 10, 20, 30, 40}));
    EXPECT_EQ(img.delays, (std::vector<uint32_t>{40, 40}));
}

TEST(Pps, BlockPicturesKeepTheirPaletteCount) {
    // Method 1, 1 x 1 true colour, flag 0x2 with the 32-byte block and a palette count of 7.
    std::vector<uint8_t> f = {'p', 'p', 's', 1, 0x2, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0,
                              0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
    f.insert(f.end(), 32, 0xAB);
    for (uint32_t w : {0u, 0u, 4u, 0u, 4u})
        for (int i = 0; i < 4; ++i) f.push_back(uint8_t(w >> (8 * i)));
    f.insert(f.end(), {1, 2, 3, 4});
    ImageRecord img;
    ASSERT_TRUE(DecodePps(f.data(), f.size(), img));
    EXPECT_EQ(img.paletteSize, 7u);
    EXPECT_EQ(img.palette, std::vector<uint8_t>(32, 0xAB));
    EXPECT_EQ(img.transparent, 256u);
    const auto written = EncodePps(img, 1);
    ASSERT_GT(written.size(), 28u);
    EXPECT_EQ(written[28], 7);
}

TEST(Pps, RoundTripsAllMethodsAndKinds) {
    std::mt19937 rng(99);
    for (uint8_t method : {1, 3, 4, 5, 6})
        for (int kind = 0; kind < 4; ++kind)
            for (int frames : {1, 3}) {
                const ImageRecord img = RandomPicture(rng, kind >= 2, kind % 2 == 1, frames);
                const auto bytes = EncodePps(img, method);
                ASSERT_FALSE(bytes.empty());
                EXPECT_EQ(bytes[3], method);
                ImageRecord back;
                ASSERT_TRUE(DecodePps(bytes.data(), bytes.size(), back)) << int(method) << " " << kind;
                ExpectSame(img, back);
                // The file size field holds the whole length.
                EXPECT_EQ(uint32_t(bytes[24] | bytes[25] << 8 | bytes[26] << 16 | bytes[27] << 24), bytes.size());
            }
}

TEST(Pps, TrueColourAlwaysCarriesAlphaSoXorFramesKeepTheirOpacity) {
    ImageRecord img;
    img.width = 8;
    img.height = 8;
    img.frames = 2;
    img.flags = kImageAnimated;
    img.delays = {50, 50};
    img.pixels.assign(8 * 8 * 4 * 2, 255);
    for (size_t i = 256; i < 300; ++i)
        if (i % 4 != 3) img.pixels[i] = 3;  // small colour change: the delta wins
    const auto bytes = EncodePps(img, 6);
    ImageRecord back;
    ASSERT_TRUE(DecodePps(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.pixels, img.pixels);
    EXPECT_EQ(back.pixels[256 + 3], 255);  // A of the second frame is not 255 ^ 255
    EXPECT_EQ(bytes[32] & kPpsFrameAlpha, kPpsFrameAlpha);
}

TEST(Pps, NegativeAnchorSecondDoesNotClobberTheFirst) {
    ImageRecord img;
    img.width = img.height = 1;
    img.flags = kImageAnchor;
    img.pixels = {1, 2, 3, 255};
    img.anchorFirst = 300;
    img.anchorSecond = -5;
    const auto bytes = EncodePps(img, 6);
    const size_t n = bytes.size();
    EXPECT_EQ(bytes[n - 4], 0xFB);  // i16 -5
    EXPECT_EQ(bytes[n - 3], 0xFF);
    EXPECT_EQ(bytes[n - 2], 300 & 255);
    EXPECT_EQ(bytes[n - 1], 300 >> 8);
    ImageRecord back;
    ASSERT_TRUE(DecodePps(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.anchorFirst, 300);
    EXPECT_EQ(back.anchorSecond, -5);
}

TEST(Pps, MalformedPicturesAreRefused) {
    std::mt19937 rng(1);
    const ImageRecord img = RandomPicture(rng, false, true, 3);
    const auto good = EncodePps(img, 6);
    ImageRecord out;
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(DecodePps(good.data(), n, out)) << "prefix of " << n << " bytes";
    EXPECT_TRUE(out.pixels.empty());
    auto patched = [&](size_t at, uint32_t value) {
        auto b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
        return b;
    };
    auto bad = patched(20, 0x7FFFFFFF);  // pixel size beyond width x height x frames
    EXPECT_FALSE(DecodePps(bad.data(), bad.size(), out));
    bad = patched(32 + 8, 0xFFFFFF00);   // first frame's colour size beyond the data
    EXPECT_FALSE(DecodePps(bad.data(), bad.size(), out));
    bad = patched(32 + 16, 12);          // first frame's decoded size
    EXPECT_FALSE(DecodePps(bad.data(), bad.size(), out));
    bad = good;
    bad[3] = 2;                          // method 2 is not decoded
    EXPECT_FALSE(DecodePps(bad.data(), bad.size(), out));
    bad = good;
    bad[0] = 'P';
    EXPECT_FALSE(DecodePps(bad.data(), bad.size(), out));
    // Random damage never reads or writes out of bounds (the sanitizer build watches).
    for (int i = 0; i < 300; ++i) {
        bad = good;
        for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] ^= uint8_t(1 + rng() % 255);
        DecodePps(bad.data(), bad.size(), out);
    }
}

TEST(Pps, IndependentReaderAndWriterAgree) {
    std::mt19937 rng(2024);
    int n = 0;
    for (uint8_t method : {1, 3, 4, 5, 6})
        for (int kind = 0; kind < 4; ++kind) {
            const ImageRecord img = RandomPicture(rng, kind >= 2, kind % 2 == 1, 1 + int(rng() % 4));
            const std::string rec = TempPath(std::to_string(n) + ".rec"), ours = TempPath(std::to_string(n) + ".pps"),
                              theirs = TempPath(std::to_string(n) + "_py.pps");
            ++n;
            WriteRecord(rec, img);
            WriteFile(ours, EncodePps(img, method));
            EXPECT_EQ(Python({"check", ours, rec}), 0) << "ours, method " << int(method) << " kind " << kind;
            ASSERT_EQ(Python({"encode", rec, std::to_string(method), theirs}), 0);
            const auto bytes = ReadFile(theirs);
            ImageRecord back;
            ASSERT_TRUE(DecodePps(bytes.data(), bytes.size(), back)) << "theirs, method " << int(method) << " kind " << kind;
            ExpectSame(img, back);
            std::remove(rec.c_str());
            std::remove(ours.c_str());
            std::remove(theirs.c_str());
        }
}
