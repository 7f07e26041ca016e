#include <gtest/gtest.h>

#include "tests/support/EngineFixtures.h"
#include "engine/GameCore.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/paint/Pps.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"

using namespace Lumora;

namespace {

// A true-colour picture of `frames` frames, each filled with its own colour.
ImageRecord Frames(int w, int h, int frames, uint32_t delay) {
    ImageRecord img;
    img.width = uint16_t(w);
    img.height = uint16_t(h);
    img.frames = frames;
    img.flags = frames > 1 ? uint32_t(kImageAnimated) : 0u;
    for (int f = 0; f < frames; ++f) {
        if (frames > 1) img.delays.push_back(delay);
        for (int i = 0; i < w * h; ++i) img.pixels.insert(img.pixels.end(), {uint8_t(f), uint8_t(10 * f), 200, 255});
    }
    return img;
}

class PaintTest : public testsupport::EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        core_->Init(0);
        res_ = new ResourceModule;
        paint_ = new PaintModuleGDI;
        ASSERT_EQ(core_->LoadModule(res_, 1, 1), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(paint_, 1, 1), LUMORA_MSG_OK);
        std::string error;
        pack_ = BuildPack({{"anim.pps", EncodePps(Frames(4, 2, 3, 50))},
                           {"still.pps", EncodePps(Frames(3, 3, 1, 0))},
                           {"broken.png", {1, 2, 3}}},
                          error);
        ASSERT_EQ(res_->AddMemPack(pack_.data(), pack_.size()), 3);
    }
    void TearDown() override {
        core_.reset();
        EngineFixture::TearDown();
    }
    std::unique_ptr<GameCore> core_;
    ResourceModule* res_ = nullptr;
    PaintModuleGDI* paint_ = nullptr;
    std::vector<uint8_t> pack_;
};

} // namespace

TEST_F(PaintTest, InitNeedsTheResourceModuleAndMarksTheCore) {
    EXPECT_EQ(core_->GetSetting(18), 1);
    GameCore bare;
    bare.Init(0);
    EXPECT_EQ(bare.LoadModule(new PaintModuleGDI, 1, 1), LUMORA_RETURN_MODULE_INITIAL_FAILD);
}

TEST_F(PaintTest, ImageFramesWrapAndTheCacheDecodesOnce) {
    PictureInfo info = paint_->GetImageFrame("anim", 7);
    ASSERT_NE(info.image, nullptr);
    EXPECT_EQ(info.frame, 1);
    EXPECT_EQ(info.width, 4);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.key, kColourKey);
    EXPECT_EQ(info.resKey, MakeResourceKey("anim.imge"));
    EXPECT_EQ(info.imageId, 2u);  // the first image gets id 2
    EXPECT_EQ(paint_->GetImageFrame("anim", -1).frame, 2);  // never a negative frame
    EXPECT_EQ(paint_->GetImageFrame("anim", 0).image, info.image);
    EXPECT_EQ(paint_->CachedImageCount(), 1u);
    EXPECT_EQ(paint_->GetLastImageId(), 2u);
    const PictureInfo none = paint_->GetImageFrame("absent", 0);
    EXPECT_EQ(none.image, nullptr);
    EXPECT_EQ(none.imageId, 0u);
    EXPECT_EQ(paint_->GetImageFrame("broken", 0).image, nullptr);  // undecodable: cache unchanged
    EXPECT_EQ(paint_->CachedImageCount(), 1u);
    // The pack image is in memory: its bytes were kept after decoding, so a reload works.
    paint_->RemoveImage("anim");
    EXPECT_EQ(paint_->CachedImageCount(), 0u);
    EXPECT_NE(paint_->GetImageFrame("anim", 0).image, nullptr);
    // Names of any length are keyed as name + ".imge", whether or not the key is built on the stack.
    for (size_t length : {123u, 124u, 300u}) {
        const std::string name(length, 'n');
        CPglPic pic;
        pic.SetInfo(paint_->GetImageFrame("anim", 0));
        ASSERT_TRUE(paint_->RegisterImageCopy(pic, name));
        EXPECT_EQ(paint_->GetImageFrame(name, 0).resKey, MakeResourceKey(name + ".imge"));
        paint_->RemoveImage(name);
        EXPECT_EQ(paint_->FindImage(MakeResourceKey(name + ".imge")), nullptr);
    }
}

TEST_F(PaintTest, CopiesUnderATakenNameAreRefusedNotLeaked) {
    CPglPic pic;
    pic.SetInfo(paint_->GetImageFrame("still", 0));
    EXPECT_TRUE(paint_->RegisterImageCopy(pic, "copy"));
    ImageRecord* copy = paint_->FindImage("copy.imge");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, pic.GetImage());
    EXPECT_EQ(copy->pixels, pic.GetImage()->pixels);
    EXPECT_EQ(copy->loaded, 1u);
    EXPECT_FALSE(paint_->RegisterImageCopy(pic, "copy"));
    EXPECT_EQ(paint_->CachedImageCount(), 2u);
}

TEST_F(PaintTest, PictureHandlesFollowFramesAndDelays) {
    CPglPic pic;
    pic.SetInfo(paint_->GetImageFrame("anim", 0));
    EXPECT_TRUE(pic.IsCurrent());
    EXPECT_EQ(pic.GetTotalDelay(), 150u);
    EXPECT_EQ(pic.AdvanceToTime(120, 0), 50u);  // frame 2 is shown, its delay returned
    EXPECT_EQ(pic.GetFrame(), 2);
    EXPECT_TRUE(pic.GetImage()->flags & kImageChanged);
    EXPECT_EQ(pic.SetFrame(-4), 50u);
    EXPECT_EQ(pic.GetFrame(), 2);
    EXPECT_EQ(pic.GetPixelColour(0, 0), 200u | 20u << 8 | 2u << 16);
    EXPECT_EQ(pic.NextFrame(), 50u);
    EXPECT_EQ(pic.GetFrame(), 0);
    // A picture whose frames carry no time keeps its frame instead of searching for ever.
    ImageRecord* img = pic.GetImage();
    img->delays.assign(3, 0);
    EXPECT_EQ(pic.AdvanceToTime(1234, 1), 1u);
    EXPECT_EQ(pic.GetFrame(), 0);
    EXPECT_EQ(pic.IsOpaqueAt(0, 0), 1);
    EXPECT_EQ(pic.IsOpaqueAt(4, 0), 0);
}

TEST_F(PaintTest, StalePicturesRefreshFromTheCache) {
    CPglPic pic;
    pic.SetInfo(paint_->GetImageFrame("still", 0));
    paint_->RemoveImage("still");
    paint_->GetImageFrame("still", 0);  // loaded again under a new id
    EXPECT_FALSE(pic.IsCurrent());
    clock_.Advance(5000);
    EXPECT_FALSE(paint_->RefreshPicture(pic));  // attached, drawn from the next frame
    EXPECT_TRUE(pic.IsCurrent());
    EXPECT_EQ(pic.GetImage()->id, 3u);
}

TEST_F(PaintTest, BackBufferFrameAndBackground) {
    paint_->CreateBackBuffer(8, 6);
    EXPECT_EQ(paint_->ClearBackground(0x000000FF), 48);
    EXPECT_EQ(paint_->BackgroundBuffer()[0], 0xFFFF0000u);  // B 0, G 0, R 255, A 255
    paint_->CreateBackBuffer(8, 6);  // same size: contents kept
    EXPECT_EQ(paint_->BackgroundBuffer()[47], 0xFFFF0000u);

    CPglPic pic;
    pic.SetInfo(paint_->GetImageFrame("still", 0));
    ObjectGeometry g;
    g.x = 3;
    g.y = 3;
    g.width = 3;
    g.height = 3;
    std::vector<Rect> presented;
    paint_->SetPresenter([&](const uint8_t*, int w, int h, size_t stride, const std::vector<Rect>& rects) {
        EXPECT_EQ(w, 8);
        EXPECT_EQ(h, 6);
        EXPECT_EQ(stride, 32u);
        presented = rects;
    });
    // A rectangle reaching past the buffer is clamped; one wholly outside copies nothing.
    paint_->RenderFrame(4, 3, {{-5, -5, 4, 4}, {20, 20, 30, 30}}, {{&g, &pic}});
    const auto& out = paint_->PresentBuffer();
    EXPECT_EQ(out[size_t(1) * 8 + 1], 0xFFC80000u);  // the picture: B 0, G 0, R 200
    EXPECT_EQ(out[size_t(0) * 8 + 0], 0xFFFF0000u);  // background restored
    EXPECT_EQ(out[size_t(5) * 8 + 7], 0u);           // outside every rectangle: untouched
    EXPECT_EQ(paint_->ProcessMessage(LUMORA_MSG_REPAINT, 0, 0), 0);
    EXPECT_EQ(presented, (std::vector<Rect>{{0, 0, 4, 4}})); // the rectangles' area in the buffer
    EXPECT_TRUE(paint_->InvalidRects().empty());

    PictureInfo info = paint_->GetImageFrame("anim", 2);
    paint_->DrawImageAt(info, 4, 4, 4, 2, 0);
    EXPECT_EQ(paint_->BackgroundBuffer()[size_t(4) * 8 + 4], 0xFFC81402u);
}

TEST_F(PaintTest, DamageWaitingForAPaintStaysBounded) {
    paint_->CreateBackBuffer(200, 100);
    for (int i = 0; i < 1000; ++i) paint_->RenderFrame(100, 50, {{i % 200, i % 100, i % 200 + 1, i % 100 + 1}}, {});
    EXPECT_LE(paint_->InvalidRects().size(), PaintModuleGDI::kMaxInvalidRects);
    EXPECT_EQ(paint_->InvalidRects().front(), (Rect{0, 0, 200, 100}));  // still covers every frame
    paint_->ProcessMessage(LUMORA_MSG_REPAINT, 0, 0);
    paint_->RenderFrame(100, 50, {{1, 2, 3, 4}}, {});
    EXPECT_EQ(paint_->InvalidRects(), std::vector<Rect>{(Rect{1, 2, 3, 4})});
}

TEST_F(PaintTest, ScreenFormatsUseTheDeviceStride) {
    paint_->SetBitsPerPixel(24);
    paint_->CreateBackBuffer(3, 2);  // 9 bytes a row, padded to 10
    std::vector<uint32_t> window(6);
    EXPECT_FALSE(paint_->UseFrameStore(window.data(), 3, 2)) << "a window's pixels are 32-bit";
    paint_->ClearBackground(0x00030201);
    paint_->RenderFrame(1, 1, {{0, 0, 3, 2}}, {});
    EXPECT_EQ(paint_->ScreenStride(), 10u);
    const uint8_t* s = paint_->ScreenPixels();
    EXPECT_EQ(s[10], 3);  // second row starts at the stride: B, G, R
    EXPECT_EQ(s[11], 2);
    EXPECT_EQ(s[12], 1);

    paint_->SetBitsPerPixel(16);
    paint_->CreateBackBuffer(1, 1);
    paint_->ClearBackground(0x00F8FCF8);  // R F8, G FC, B F8
    paint_->RenderFrame(0, 0, {{0, 0, 1, 1}}, {});
    const uint16_t v = uint16_t(paint_->ScreenPixels()[0] | paint_->ScreenPixels()[1] << 8);
    EXPECT_EQ(v, ((0xF8 & 0xF8) << 8) | ((0xFC & 0xFC) << 3) | (0xF8 >> 3));
}

TEST_F(PaintTest, BlockPicturesAreRefusedAndFrameRateCounts) {
    ImageRecord img = Frames(2, 2, 1, 0);
    img.flags |= kImageBlock32;
    img.palette.assign(32, 0);
    const auto bytes = EncodePps(img, 6);
    ImageRecord out;
    EXPECT_TRUE(Lumora::DecodePps(bytes.data(), bytes.size(), out));
    EXPECT_FALSE(paint_->DecodePps(bytes.data(), bytes.size(), out));
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_EQ(paint_->GetFrameRate(), 0);
    for (int i = 1; i <= 5; ++i) {
        clock_.Advance(20);
        core_->FrameTick();
    }
    EXPECT_NEAR(paint_->GetFrameRate(), 50.0, 1.0);
}
