#pragma once
// A stand-in for the painting module that composes frames the way it does (restore the dirty
// rectangles from the background, draw the render records with the blitters, copy the
// rectangles out), plus helpers that build engine scenes for the object-module tests.
#include "engine/GameCore.h"
#include "engine/geometry/Geometry.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "engine/paint/Blitters.h"
#include "engine/paint/PglPic.h"
#include "engine/paint/Surface.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace testsupport {

using Buffer = std::vector<uint8_t>;

class Compositor : public Lumora::BaseModule {
public:
    Compositor(int width, int height) : width_(width), height_(height)
    {
        background_.resize(size_t(width) * height * 4);
        // A background that is not flat, so that a missed restore shows.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &background_[(size_t(y) * width + x) * 4];
                p[0] = uint8_t(x * 7);
                p[1] = uint8_t(y * 5);
                p[2] = uint8_t((x ^ y) * 3);
                p[3] = 255;
            }
        work_ = present_ = background_;
    }

    int Init() override { return 1; }
    void Shutdown() override {}
    void Work() override {}
    uint32_t GetId() const override { return Lumora::LUMORA_MODULE_PAINT; }
    const char* GetName() const override { return "Compositor"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) override
    {
        if (message == Lumora::LUMORA_MSG_DRAW_FRAME)
            Render(std::unique_ptr<Lumora::FrameRecord>(reinterpret_cast<Lumora::FrameRecord*>(wparam)));
        return 0;
    }

    void Render(std::unique_ptr<Lumora::FrameRecord> frame)
    {
        ++frames;
        lastRects = frame->rects;
        lastRecordCount = frame->RecordCount();
        viewX_ = frame->centreX;
        viewY_ = frame->centreY;
        for (const Lumora::Rect& r : frame->rects)
            CopyRect(background_, work_, r);
        for (const Lumora::RenderRecord* r = frame->first; r; r = r->next)
            Draw(work_, r->geometry, *r->picture);
        for (const Lumora::Rect& r : frame->rects)
            CopyRect(work_, present_, r);
    }

    // What the whole scene looks like drawn from scratch: every drawable object, back to front.
    Buffer FullRedraw(Lumora::ObjectModule& objects, const std::vector<Lumora::PObject*>& scene)
    {
        return FullRedrawOver(background_, objects, scene);
    }
    Buffer FullRedrawOver(const Buffer& background, Lumora::ObjectModule& objects,
                          const std::vector<Lumora::PObject*>& scene)
    {
        Buffer out = background;
        viewX_ = objects.GetViewportCentreX();
        viewY_ = objects.GetViewportCentreY();
        Lumora::Rect viewport;
        objects.GetViewport(viewport);
        std::vector<Lumora::PObject*> drawn;
        for (Lumora::PObject* o : scene) {
            const Lumora::ObjectGeometry& g = o->Geometry();
            Lumora::Rect meet;
            if (o->IsRegistered() && g.active && !(g.flags & Lumora::OBJ_HIDDEN) && o->GetDrawData() &&
                Lumora::IntersectRect(meet, Lumora::ObjectModule::ScreenRect(g), viewport))
                drawn.push_back(o);
        }
        std::sort(drawn.begin(), drawn.end(), [](Lumora::PObject* a, Lumora::PObject* b) {
            const auto &ga = a->Geometry(), &gb = b->Geometry();
            if (ga.layer != gb.layer)
                return ga.layer < gb.layer;
            if (ga.z != gb.z)
                return ga.z < gb.z;
            return a->GetId() < b->GetId();
        });
        for (Lumora::PObject* o : drawn) {
            Lumora::ObjectGeometry g = o->Geometry();
            g.x -= viewport.left;
            g.y -= viewport.top;
            Draw(out, g, *o->GetDrawData());
        }
        return out;
    }

    const Buffer& Present() const { return present_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    int frames = 0;
    std::vector<Lumora::Rect> lastRects;
    size_t lastRecordCount = 0;

private:
    void CopyRect(const Buffer& from, Buffer& to, Lumora::Rect r) const
    {
        r.left = std::clamp(r.left, 0, width_);
        r.right = std::clamp(r.right, r.left, width_);
        r.top = std::clamp(r.top, 0, height_);
        r.bottom = std::clamp(r.bottom, r.top, height_);
        for (int y = r.top; y < r.bottom; ++y)
            std::copy_n(&from[(size_t(y) * width_ + r.left) * 4], size_t(r.right - r.left) * 4,
                        &to[(size_t(y) * width_ + r.left) * 4]);
    }

    // Draw parameters from a render record, as the painting module builds them.
    void Draw(Buffer& target, const Lumora::ObjectGeometry& g, Lumora::CPglPic& picture) const
    {
        Lumora::PictureInfo info;
        picture.GetInfo(info);
        if (!info.image)
            return;
        Lumora::Surface surface;
        surface.buffer = target.data();
        surface.width = width_;
        surface.height = height_;
        Lumora::DrawParams p;
        p.angle = g.angle;
        // Render records are relative to the viewport's top-left, which lies (size + 1) / 2 before
        // the centre; the clip rectangle stays in engine coordinates and moves by that offset.
        const int left = viewX_ - (width_ + 1) / 2, top = viewY_ - (height_ + 1) / 2;
        p.rawX = static_cast<int>(g.x + left);
        p.rawY = static_cast<int>(g.y + top);
        p.x = p.rawX - left;
        p.y = p.rawY - top;
        p.width = static_cast<int>(g.width);
        p.height = static_cast<int>(g.height);
        p.radius = p.width > 0 && p.height > 0 ? static_cast<int>(std::sqrt((g.width / 2) * (g.width / 2) +
                                                                            (g.height / 2) * (g.height / 2)))
                                               : 0;
        p.flags = g.flags;
        p.clip = g.clip;
        Lumora::DrawPicture(surface, p, *info.image, info.srcX, info.image->height * info.frame + info.srcY,
                            info.width, info.height, g.alpha, info.key);
    }

    int width_, height_;
    int viewX_ = 0, viewY_ = 0;
    Buffer background_, work_, present_;
};

// A picture of solid colour with a transparent border and a half-transparent band, so that
// blending order matters.
inline std::unique_ptr<Lumora::ImageRecord> MakeImage(int w, int h, uint8_t b, uint8_t g, uint8_t r)
{
    auto image = std::make_unique<Lumora::ImageRecord>();
    image->width = static_cast<uint16_t>(w);
    image->height = static_cast<uint16_t>(h);
    image->frames = 1;
    image->flags = Lumora::kImageAlpha;
    image->transparent = Lumora::kColourKey;
    image->pixels.resize(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &image->pixels[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(b + x);
            p[1] = uint8_t(g + y);
            p[2] = r;
            p[3] = (x == 0 || y == 0) ? 0 : (y % 4 == 1 ? 128 : 255);
        }
    return image;
}

inline Lumora::PictureInfo InfoOf(Lumora::ImageRecord& image)
{
    Lumora::PictureInfo info;
    info.image = &image;
    info.width = image.width;
    info.height = image.height;
    return info;
}

// Where two buffers first differ, as "x,y", or "" when they are equal.
inline std::string FirstDifference(const Buffer& a, const Buffer& b, int width)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) {
            const size_t pixel = i / 4;
            return std::to_string(pixel % width) + "," + std::to_string(pixel / width);
        }
    return a.size() == b.size() ? "" : "sizes differ";
}

} // namespace testsupport
