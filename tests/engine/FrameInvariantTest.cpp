// Random scenes: after every frame the incrementally built picture equals the scene drawn from
// scratch, and moving one object changes no pixel outside its old and new rectangles.
#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"
#include "tests/support/SceneSupport.h"

#include "engine/geometry/Geometry.h"
#include "engine/object/DirtyRectList.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Lumora;
using testsupport::Compositor;

namespace {

class FrameInvariantTest : public testsupport::EngineFixture {
protected:
    // The view's size and centre; the host centres the viewport on the view, and an odd size
    // puts its left or top edge at -1.
    int width_ = 160, height_ = 120;
    int centreX_ = 80, centreY_ = 60;

    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        compositor_ = new Compositor(width_, height_);
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(compositor_, 1, 0), LUMORA_MSG_OK);
        Centre();
    }
    void Centre()
    {
        objects_->SetViewportCentre(centreX_, centreY_);
        objects_->SetViewportSize(width_, height_);
        if (images_.empty()) {
            images_.push_back(testsupport::MakeImage(20, 12, 10, 20, 200));
            images_.push_back(testsupport::MakeImage(9, 17, 200, 40, 30));
            images_.push_back(testsupport::MakeImage(33, 25, 90, 180, 60));
        }
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }

    PObject* AddObject()
    {
        std::uniform_int_distribution<int> pick(0, 3);
        PObject* o;
        int kind = pick(rng_);
        if (kind < 3) {
            o = objects_->NewBitmapObject(testsupport::InfoOf(*images_[kind]), nullptr);
        } else {
            PlaneObject* plane = objects_->NewPlaneObject(24, 14, 0x00FF00FF, nullptr);
            plane->SetPen(0x00FFFFFF, 1.0);
            plane->SetFont(12, 400, "宋体");
            plane->DrawTextLine(0, 0, "a中");
            o = plane;
        }
        o->Activate();
        o->MoveTo(Coordinate(width_), Coordinate(height_));
        o->SetLayer(std::uniform_int_distribution<uint32_t>(0, 2)(rng_));
        o->Redraw();
        scene_.push_back(o);
        return o;
    }

    double Coordinate(int extent) { return std::uniform_int_distribution<int>(-20, extent + 20)(rng_) + 0.5 * Coin(); }
    int Coin() { return std::uniform_int_distribution<int>(0, 1)(rng_); }

    // One random change of one object, followed by Redraw as every caller of the engine does.
    void Mutate(bool rotate)
    {
        std::uniform_int_distribution<size_t> which(0, scene_.size() - 1);
        PObject* o = scene_[which(rng_)];
        switch (std::uniform_int_distribution<int>(0, 11)(rng_)) {
        case 0:
        case 1:
            o->MoveTo(Coordinate(width_), Coordinate(height_));
            break;
        case 2:
            o->SetVisible(!o->IsVisible());
            break;
        case 3:
            if (o->IsActive())
                o->Deactivate();
            else
                o->Activate();
            break;
        case 4:
            o->SetZ(std::uniform_int_distribution<int>(-50, 50)(rng_));
            break;
        case 5:
            o->SetLayer(std::uniform_int_distribution<uint32_t>(0, 2)(rng_));
            break;
        case 6: {
            int l = std::uniform_int_distribution<int>(-10, width_)(rng_);
            int t = std::uniform_int_distribution<int>(-10, height_)(rng_);
            o->SetClipRect(Rect{l, t, l + std::uniform_int_distribution<int>(0, 60)(rng_),
                                t + std::uniform_int_distribution<int>(0, 60)(rng_)});
            break;
        }
        case 7:
            o->RemoveFlags(OBJ_CLIP);
            break;
        case 8:
            o->SetSize(std::uniform_int_distribution<int>(1, 40)(rng_), std::uniform_int_distribution<int>(1, 40)(rng_));
            break;
        case 9:
            o->SetAlpha(std::uniform_int_distribution<int>(1, 10)(rng_) / 10.0);
            break;
        case 10:
            if (rotate)
                o->SetAngle(std::uniform_int_distribution<int>(0, 11)(rng_) * 30.0);
            else
                o->BringToFront();
            break;
        case 11: {
            // Objects come and go.
            scene_.erase(std::find(scene_.begin(), scene_.end(), o));
            objects_->UnregisterObject(o->GetId());
            o = AddObject();
            break;
        }
        }
        o->Redraw();
    }

    // The painting module of the engine in place of the test's compositor, as the host sets
    // it up: back buffer of the view's size, viewport centred on it.
    void UsePaintModule(int width = 160, int height = 120, int offsetX = 0, int offsetY = 0)
    {
        width_ = width;
        height_ = height;
        centreX_ = width / 2 + offsetX;
        centreY_ = height / 2 + offsetY;
        scene_.clear();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        paint_ = new PaintModuleGDI;
        ASSERT_EQ(core_->LoadModule(new ResourceModule, 1, 0), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(paint_, 1, 0), LUMORA_MSG_OK);
        paint_->CreateBackBuffer(width_, height_);
        paint_->ClearBackground(0x00406080);
        reference_ = std::make_unique<Compositor>(width_, height_);
        Centre();
        objects_->FullRedraw(); // the host's first frame
    }

    ::testing::AssertionResult FrameMatchesFullRedraw()
    {
        // The frame lists exactly the drawn objects that meet a dirty rectangle.
        size_t meeting = 0;
        std::vector<Rect> dirty = objects_->DirtyRects();
        DirtyRectList::JoinOverlapping(dirty); // as the frame build joins them
        objects_->ForEachDrawn([&](PObject& o) {
            const Rect screen = ObjectModule::ScreenRect(o.Geometry());
            Rect meet;
            meeting +=
                std::any_of(dirty.begin(), dirty.end(), [&](const Rect& d) { return IntersectRect(meet, d, screen); });
        });
        objects_->BuildFrame();
        if (!paint_ && !dirty.empty() && compositor_->lastRecordCount != meeting)
            return ::testing::AssertionFailure()
                << compositor_->lastRecordCount << " objects listed, " << meeting << " meet";
        testsupport::Buffer present, expected;
        if (paint_) {
            auto bytes = [](const std::vector<uint32_t>& v) {
                const auto* p = reinterpret_cast<const uint8_t*>(v.data());
                return testsupport::Buffer(p, p + v.size() * 4);
            };
            present = bytes(paint_->PresentBuffer());
            expected = reference_->FullRedrawOver(bytes(paint_->BackgroundBuffer()), *objects_, scene_);
        } else {
            present = compositor_->Present();
            expected = compositor_->FullRedraw(*objects_, scene_);
        }
        const std::string diff = testsupport::FirstDifference(present, expected, width_);
        if (diff.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "first differing pixel at " << diff;
    }

    void RunScene(unsigned seed, bool rotate, int maxChanges = 4, int objects = 30)
    {
        rng_.seed(seed);
        for (int i = 0; i < objects; ++i)
            AddObject();
        ASSERT_TRUE(FrameMatchesFullRedraw());
        for (int frame = 0; frame < 250; ++frame) {
            // Every eighth frame a re-layout: the whole view to be painted, then many changes.
            const bool relayout = frame % 8 == 7;
            if (relayout) {
                Rect view;
                objects_->GetViewport(view);
                objects_->AddDirtyRect(view);
            }
            const int changes = relayout ? 20 : std::uniform_int_distribution<int>(1, maxChanges)(rng_);
            for (int c = 0; c < changes; ++c)
                Mutate(rotate);
            ASSERT_TRUE(FrameMatchesFullRedraw()) << "seed " << seed << ", frame " << frame;
            ASSERT_TRUE(objects_->IsDrawOrderSorted());
        }
    }

    std::unique_ptr<GameCore> core_;
    ObjectModule* objects_ = nullptr;
    Compositor* compositor_ = nullptr;
    PaintModuleGDI* paint_ = nullptr;
    std::unique_ptr<Compositor> reference_;
    std::vector<std::unique_ptr<ImageRecord>> images_;
    std::vector<PObject*> scene_;
    std::mt19937 rng_;
};

TEST_F(FrameInvariantTest, IncrementalFramesEqualAFullRedraw)
{
    for (unsigned seed : {1u, 2u, 3u})
        RunScene(seed, false);
}

TEST_F(FrameInvariantTest, IncrementalFramesEqualAFullRedrawWithRotation)
{
    for (unsigned seed : {7u, 8u, 9u})
        RunScene(seed, true);
}

TEST_F(FrameInvariantTest, TheEnginesPaintModuleComposesTheSameFrames)
{
    UsePaintModule();
    for (unsigned seed : {21u, 22u})
        RunScene(seed, seed == 22u);
}

TEST_F(FrameInvariantTest, OddViewportSizesComposeTheSameFrames)
{
    UsePaintModule(161, 121);
    for (unsigned seed : {31u, 32u, 33u, 34u})
        RunScene(seed, seed % 2 == 0);
}

TEST_F(FrameInvariantTest, AMovedViewportCentreComposesTheSameFrames)
{
    UsePaintModule(157, 123, 13, -7);
    for (unsigned seed : {41u, 42u})
        RunScene(seed, seed % 2 == 0);
}

TEST_F(FrameInvariantTest, FramesOfMoreChangesThanTheDirtyListKeepsApartComposeTheSameFrames)
{
    // Up to 80 changes a frame: far more dirty rectangles than the list holds apart, so they
    // join their nearest and the grid carries all 64 bits. Enough objects that a frame's render
    // records fill more than one of its batches.
    RunScene(51u, false, 80, 700);
    UsePaintModule(203, 131, 5, 3);
    RunScene(52u, true, 80);
}

TEST_F(FrameInvariantTest, MovingOneObjectTouchesOnlyItsOldAndNewRectangles)
{
    rng_.seed(11);
    for (int i = 0; i < 30; ++i)
        AddObject();
    objects_->BuildFrame();
    for (int move = 0; move < 200; ++move) {
        PObject* o = scene_[std::uniform_int_distribution<size_t>(0, scene_.size() - 1)(rng_)];
        const Rect before = ObjectModule::ScreenRect(o->Geometry());
        const testsupport::Buffer old = compositor_->Present();
        o->MoveTo(Coordinate(width_), Coordinate(height_));
        o->Redraw();
        const Rect after = ObjectModule::ScreenRect(o->Geometry());
        objects_->BuildFrame();
        const testsupport::Buffer& now = compositor_->Present();
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const size_t i = (size_t(y) * width_ + x) * 4;
                if (std::equal(&old[i], &old[i] + 4, &now[i]))
                    continue;
                ASSERT_TRUE(PointInRect(before, x, y) || PointInRect(after, x, y))
                    << "move " << move << " changed " << x << "," << y;
            }
        ASSERT_EQ(testsupport::FirstDifference(now, compositor_->FullRedraw(*objects_, scene_), width_), "");
    }
}

} // namespace
