#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceKey.h"
#include "platform/ImageDecode.h"
#include "tests/support/TiedChild.h"

using platform::DecodedPicture;

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Reference {
    uint32_t w = 0, h = 0, frames = 0;
    std::vector<uint32_t> delays;
    std::vector<uint8_t> rgba;
};

// Pillow's decode of the same file, written by the helper script.
Reference LoadReference(const fs::path& p) {
    const auto b = Bytes(p.string() + ".ref");
    const size_t nl = std::find(b.begin(), b.end(), '\n') - b.begin();
    std::istringstream head(std::string(b.begin(), b.begin() + nl));
    Reference r;
    std::string delays;
    head >> r.w >> r.h >> r.frames >> delays;
    if (delays != "-") {
        std::istringstream d(delays);
        for (std::string item; std::getline(d, item, ',');) r.delays.push_back(uint32_t(std::stoul(item)));
    }
    r.rgba.assign(b.begin() + nl + 1, b.end());
    return r;
}

// Our decode as R, G, B, A through the palette and transparency rules of the contract.
std::vector<uint8_t> AsRgba(const DecodedPicture& d) {
    std::vector<uint8_t> out;
    const size_t n = size_t(d.width) * d.height * d.frames;
    for (size_t i = 0; i < n; ++i) {
        if (!(d.flags & DecodedPicture::kPaletted)) {
            const uint8_t* p = &d.pixels[4 * i];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
            continue;
        }
        const bool pairs = d.flags & DecodedPicture::kAlpha;
        const uint8_t index = d.pixels[pairs ? 2 * i : i];
        const uint8_t* e = &d.palette[3 * size_t(index)];
        uint8_t a = 255;
        if (pairs) a = d.pixels[2 * i + 1];
        else if ((d.flags & DecodedPicture::kTransparent) && index == d.transparent) a = 0;
        out.insert(out.end(), {e[0], e[1], e[2], a});
    }
    return out;
}

class ImageDecode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = fs::temp_directory_path() / ("xl_images_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        ASSERT_EQ(xltest::RunProgram(xltest::Python("tests/engine/data/make_images.py", {folder_.string()})).status, 0)
            << "the reference pictures need python3-pil and imagemagick";
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    // Decodes a file and compares every pixel with Pillow's (colour ignored where A = 0).
    DecodedPicture Check(const std::string& name, platform::PictureFormat format, int tolerance = 0) {
        const auto bytes = Bytes(folder_ / name);
        DecodedPicture d;
        EXPECT_TRUE(platform::DecodePicture(format, bytes.data(), bytes.size(), d)) << name;
        const Reference ref = LoadReference(folder_ / name);
        EXPECT_EQ(d.width, ref.w) << name;
        EXPECT_EQ(d.height, ref.h) << name;
        EXPECT_EQ(d.frames, ref.frames) << name;
        const auto ours = AsRgba(d);
        EXPECT_EQ(ours.size(), ref.rgba.size()) << name;
        size_t bad = 0, first = 0;
        for (size_t i = 0; i + 3 < std::min(ours.size(), ref.rgba.size()); i += 4) {
            bool same = ours[i + 3] == ref.rgba[i + 3];
            for (int c = 0; c < 3 && same && ours[i + 3] != 0; ++c)
                same = std::abs(int(ours[i + c]) - int(ref.rgba[i + c])) <= tolerance;
            if (!same && bad++ == 0) first = i / 4;
        }
        EXPECT_EQ(bad, 0u) << name << ": first differing pixel " << first;
        return d;
    }

    static fs::path folder_;
};

fs::path ImageDecode::folder_;

} // namespace

TEST_F(ImageDecode, PngKindsMatchPillow) {
    using F = platform::PictureFormat;
    EXPECT_EQ(Check("rgba.png", F::Png).flags, DecodedPicture::kAlpha);
    EXPECT_EQ(Check("gray.png", F::Png).flags, 0u);
    DecodedPicture d = Check("pal_key.png", F::Png);
    EXPECT_EQ(d.flags, DecodedPicture::kPaletted | DecodedPicture::kTransparent);
    EXPECT_EQ(d.transparent, 2u);
    EXPECT_EQ(d.pixels.size(), 9u * 4);
    d = Check("pal_alpha.png", F::Png);
    EXPECT_EQ(d.flags, DecodedPicture::kPaletted | DecodedPicture::kAlpha);
    EXPECT_EQ(d.pixels.size(), 9u * 4 * 2);
    d = Check("pal_plain.png", F::Png);
    EXPECT_EQ(d.flags, DecodedPicture::kPaletted);
    EXPECT_EQ(d.transparent, 256u);
    d = Check("rgb_key.png", F::Png);
    EXPECT_EQ(d.flags, DecodedPicture::kTransparent);
    EXPECT_EQ(d.transparent, 10u | 20u << 8 | 30u << 16);
    // A key colour that no pixel has leaves the picture without the transparent flag.
    EXPECT_EQ(Check("rgb_key_unused.png", F::Png).flags, 0u);
}

TEST_F(ImageDecode, JpegAndBmpMatchPillow) {
    using F = platform::PictureFormat;
    Check("photo.jpg", F::Jpeg, 2);
    Check("gray.jpg", F::Jpeg, 2);
    Check("cmyk.jpg", F::Jpeg, 3);  // converted by hand from the Adobe-inverted planes
    EXPECT_EQ(Check("pal8.bmp", F::Bmp).flags, DecodedPicture::kPaletted);
    EXPECT_EQ(Check("pal4.bmp", F::Bmp).flags, DecodedPicture::kPaletted);
    EXPECT_EQ(Check("mono.bmp", F::Bmp).flags, DecodedPicture::kPaletted);
    EXPECT_EQ(Check("odd24.bmp", F::Bmp).flags, 0u);  // rows padded to 4 bytes
}

TEST_F(ImageDecode, GifFramesDelaysAndKey) {
    using F = platform::PictureFormat;
    DecodedPicture d = Check("anim.gif", F::Gif);
    EXPECT_EQ(d.frames, 3u);
    EXPECT_TRUE(d.flags & DecodedPicture::kAnimated);
    EXPECT_EQ(d.delays, (std::vector<uint32_t>{40, 40, 40}));  // delay 0 plays for 40 ms
    d = Check("slow.gif", F::Gif);
    EXPECT_EQ(d.delays, (std::vector<uint32_t>{70, 120}));
    d = Check("disp.gif", F::Gif);
    EXPECT_EQ(d.frames, 3u);
    d = Check("one.gif", F::Gif);
    EXPECT_EQ(d.frames, 1u);
    EXPECT_TRUE(d.delays.empty());
    EXPECT_FALSE(d.flags & DecodedPicture::kAnimated);
}

TEST_F(ImageDecode, DamagedFilesFailCleanly) {
    using F = platform::PictureFormat;
    for (const char* name : {"rgba.png", "pal_key.png", "photo.jpg", "anim.gif", "pal8.bmp", "odd24.bmp"}) {
        const auto bytes = Bytes(folder_ / name);
        const F format = std::string(name).ends_with(".png") ? F::Png
                         : std::string(name).ends_with(".jpg") ? F::Jpeg
                         : std::string(name).ends_with(".gif") ? F::Gif : F::Bmp;
        DecodedPicture d;
        for (size_t n : {size_t(0), size_t(1), size_t(10), bytes.size() / 3, bytes.size() / 2}) {
            // A cut file may still decode (JPEG pads), but never reads past what it was given.
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
            if (!platform::DecodePicture(format, cut.data(), cut.size(), d)) {
                EXPECT_TRUE(d.pixels.empty());
            }
        }
    }
    // A BMP whose header asks for far more rows than the file holds.
    auto bmp = Bytes(folder_ / "odd24.bmp");
    bmp[22] = 0xFF;
    bmp[23] = 0x7F;
    DecodedPicture d;
    EXPECT_FALSE(platform::DecodePicture(F::Bmp, bmp.data(), bmp.size(), d));
}

TEST_F(ImageDecode, PaintModuleMapsExtensionsAndRefusesOthers) {
    Lumora::PaintModuleGDI paint;
    Lumora::ImageRecord img;
    const auto png = Bytes(folder_ / "pal_key.png");
    ASSERT_TRUE(paint.DecodeImage(png.data(), png.size(), Lumora::HashStringRS(".png"), img));
    EXPECT_EQ(img.flags, uint32_t(Lumora::kImagePaletted | Lumora::kImageTransparent));
    EXPECT_EQ(img.paletteSize, 5u);
    const auto gif = Bytes(folder_ / "anim.gif");
    ASSERT_TRUE(paint.DecodeImage(gif.data(), gif.size(), Lumora::HashStringRS(".gif"), img));
    EXPECT_EQ(img.frames, 3u);
    EXPECT_EQ(img.delays.size(), 3u);
    EXPECT_FALSE(paint.DecodeImage(png.data(), png.size(), Lumora::HashStringRS(".tga"), img));
    EXPECT_FALSE(paint.DecodeImage(png.data(), png.size(), Lumora::HashStringRS(".ico"), img));
    EXPECT_TRUE(img.pixels.empty());
}
