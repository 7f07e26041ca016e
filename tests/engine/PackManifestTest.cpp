#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/EngineFixtures.h"
#include "tests/support/TiedChild.h"
#include "engine/GameCore.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/pack/PackManifest.h"
#include "engine/resource/ResourceModule.h"

using namespace Lumora;
namespace fs = std::filesystem;

namespace {

class PackManifestTest : public testsupport::EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        ASSERT_TRUE(xltest::RunProgram(xltest::Python("tests/engine/data/make_art.py", {folder_.string()})).Ok());
    }
    void WriteManifest(const std::string& text) { std::ofstream(folder_ / "skin.ini") << text; }
    bool Build(std::vector<uint8_t>& pack, std::string& error) {
        return BuildPackFromManifest((folder_ / "skin.ini").string(), pack, error);
    }
};

// The manifest is UTF-8 (narrow literals here are GBK).
const char8_t* kManifest = u8R"([btn_Ok]
source = sheet.png
frames = 4
delays_ms = 100, 120, 140, 160
anchor = 300, -5

[确定按钮]            ; a GBK name
source = ok0.png, ok1.png
delays_ms = 80
method = 3

[keyed]
source = keyed.bmp
key_colour = FF00FF

[SndTick]
source = tick.wav

[plain]
source = ok0.png
)";

} // namespace

TEST_F(PackManifestTest, BuildsAPackTheEngineReads) {
    WriteManifest(reinterpret_cast<const char*>(kManifest));
    std::vector<uint8_t> pack;
    std::string error;
    ASSERT_TRUE(Build(pack, error)) << error;

    GameCore core;
    core.Init(0);
    auto* res = new ResourceModule;
    auto* paint = new PaintModuleGDI;
    ASSERT_EQ(core.LoadModule(res, 1, 1), LUMORA_MSG_OK);
    ASSERT_EQ(core.LoadModule(paint, 1, 1), LUMORA_MSG_OK);
    ASSERT_EQ(res->AddMemPack(pack.data(), pack.size()), 5);

    // Four frames cut from the sheet, pixels as Pillow wrote them, with delays and anchor.
    const ImageRecord* btn = paint->GetImageFrame("btn_Ok", 0).image;
    ASSERT_NE(btn, nullptr);
    EXPECT_EQ(btn->width, 8);
    EXPECT_EQ(btn->height, 4);
    EXPECT_EQ(btn->frames, 4u);
    EXPECT_EQ(btn->delays, (std::vector<uint32_t>{100, 120, 140, 160}));
    EXPECT_EQ(btn->anchorFirst, 300);
    EXPECT_EQ(btn->anchorSecond, -5);
    const std::string rgba = testsupport::ReadFile(folder_ / "sheet.rgba");
    ASSERT_EQ(rgba.size(), btn->pixels.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(uint8_t(rgba[i]), btn->pixels[i + 2]) << i;
        ASSERT_EQ(uint8_t(rgba[i + 2]), btn->pixels[i]) << i;
        ASSERT_EQ(uint8_t(rgba[i + 3]), btn->pixels[i + 3]) << i;
    }
    const ImageRecord* gbk = paint->GetImageFrame("\xc8\xb7\xb6\xa8\xb0\xb4\xc5\xa5", 0).image;  // 确定按钮 in GBK
    ASSERT_NE(gbk, nullptr);
    EXPECT_EQ(gbk->frames, 2u);
    EXPECT_EQ(gbk->delays, (std::vector<uint32_t>{80, 80}));
    const ImageRecord* keyed = paint->GetImageFrame("keyed", 0).image;
    ASSERT_NE(keyed, nullptr);
    EXPECT_TRUE(keyed->flags & kImageTransparent);
    EXPECT_EQ(keyed->transparent, 0xFF00FFu);
    EXPECT_EQ(keyed->pixels[4 + 3], 0);  // (1, 0) was magenta
    EXPECT_EQ(keyed->pixels[3], 255);
    // Copied as they are: the sound's bytes and the plain PNG.
    const ResourceRecord* snd = res->Load(MakeResourceKey("SndTick.sound"));
    ASSERT_NE(snd, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(snd->Data())), testsupport::ReadFile(folder_ / "tick.wav"));
    EXPECT_EQ(res->Find(MakeResourceKey("plain.imge"))->typeHash, HashStringRS(".png"));

    // The program writes the same bytes.
    const fs::path out = folder_ / "skin.xyr";
    const std::string xyrpack = std::string(XL_BINARY_DIR) + "/tools/packbuilder/xyrpack";
    ASSERT_TRUE(xltest::RunProgram({xyrpack, (folder_ / "skin.ini").string(), out.string()},
                                   xltest::RunOptions::To("/dev/null"))
                    .Ok());
    const std::string written = testsupport::ReadFile(out);
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.end()), pack);
}

TEST_F(PackManifestTest, RefusesWhatCannotBePackedSoundly) {
    std::vector<uint8_t> pack;
    std::string error;
    const std::pair<const char*, const char*> cases[] = {
        {"[a]\nsource = sheet.png\nframes = 4\ndelays_ms = 0\n", "at least 1 ms"},
        {"[a]\nsource = sheet.png\nframes = 4\n", "needs delays_ms"},
        {"[a]\nsource = sheet.png\nframes = 3\ndelays_ms = 5\n", "multiple"},
        {"[a]\nsource = missing.png\nkey_colour = 000000\n", "cannot read"},
        {"[a]\nsource = ok0.png\n[a]\nsource = ok1.png\n", "same resource name"},
        {"[\xf0\x9f\x98\x80]\nsource = ok0.png\n", "no GBK form"},
        {"[a]\nsource = ok0.png, sheet.png\ndelays_ms = 5\n", "differ in size"},
        {"source = ok0.png\n", "inside a section"},
        {"[a]\nsource = ok0.png\ncolour = red\n", "unknown key"},
    };
    for (const auto& [manifest, why] : cases) {
        WriteManifest(manifest);
        EXPECT_FALSE(Build(pack, error)) << manifest;
        EXPECT_NE(error.find(why), std::string::npos) << manifest << " gave: " << error;
    }
    const std::string xyrpack = std::string(XL_BINARY_DIR) + "/tools/packbuilder/xyrpack";
    EXPECT_FALSE(xltest::RunProgram({xyrpack, (folder_ / "skin.ini").string(), (folder_ / "x.xyr").string()},
                                    xltest::RunOptions::Quiet())
                     .Ok());
    EXPECT_FALSE(fs::exists(folder_ / "x.xyr"));
}
