#include "engine/paint/PaintModuleGDI.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/GameCore.h"
#include "engine/geometry/Geometry.h"
#include "engine/paint/FrameRecord.h"
#include "engine/paint/Blitters.h"
#include "engine/resource/ResourceModule.h"
#include "engine/util/EngineLog.h"

namespace Lumora {

PaintModuleGDI::~PaintModuleGDI() = default;

int PaintModuleGDI::Init() {
    const int ok = PaintModule::Init();
    if (ok) WriteRunLog("GDI PaintModule Load!");
    if (GetCore()) GetCore()->SetSetting(18, 1);
    return ok;
}

void PaintModuleGDI::Shutdown() {
    background_.clear();
    present_.clear();
    store_ = nullptr;
    screen_.clear();
    invalid_.clear();
    width_ = height_ = 0;
    PaintModule::Shutdown();
}

int PaintModuleGDI::ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) {
    switch (message) {
    case LUMORA_MSG_REPAINT:
        Present();
        return 0;
    case LUMORA_MSG_DRAW_FRAME: {
        // The object module's frame: drawn, then deleted (its render records go back to
        // the object module's pool).
        std::unique_ptr<FrameRecord> frame(reinterpret_cast<FrameRecord*>(wparam));
        if (frame) {
            std::vector<FrameItem> items;
            for (const RenderRecord* r = frame->first; r; r = r->next)
                items.push_back(FrameItem{&r->geometry, r->picture});
            RenderFrame(frame->centreX, frame->centreY, frame->rects, items);
        }
        return 0;
    }
    case LUMORA_MSG_RELEASE_SURFACE:
        // The plane object owns its record and pixels; the painting side keeps no reference
        // to them, so there is nothing to free here (freeing would be a second free).
        return 0;
    default:
        return PaintModule::ProcessMessage(message, wparam, lparam);
    }
}

void PaintModuleGDI::CreateBackBuffer(int width, int height) {
    if (width == width_ && height == height_) return;
    width = std::max(0, width);
    height = std::max(0, height);
    const size_t n = size_t(width) * height;
    background_.assign(n, 0);
    present_.assign(n, 0);
    store_ = nullptr;
    const uint32_t bytes = bitsPerPixel_ / 8;
    // Device rows are padded to an even number of bytes; converters write with this stride.
    screenStride_ = bytes == 4 ? size_t(width) * 4 : (size_t(width) * bytes + 1) & ~size_t(1);
    screen_.assign(bytes == 4 ? 0 : screenStride_ * height, 0);
    width_ = width;
    height_ = height;
}

bool PaintModuleGDI::UseFrameStore(uint32_t* store, int width, int height)
{
    if (store && (width != width_ || height != height_ || bitsPerPixel_ != 32))
        store = nullptr;
    if (store) {
        store_ = store;
        std::vector<uint32_t>().swap(present_);
        return true;
    }
    if (store_)
        present_.assign(size_t(width_) * height_, 0);
    store_ = nullptr;
    return false;
}

void PaintModuleGDI::CopyRects(const std::vector<uint32_t>& from, uint32_t* to, const std::vector<Rect>& rects) const
{
    for (Rect r : rects) {
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, width_);
        r.bottom = std::min(r.bottom, height_);
        r.left = std::min(r.left, r.right);
        r.top = std::min(r.top, r.bottom);
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(&to[size_t(y) * width_ + r.left], &from[size_t(y) * width_ + r.left],
                        size_t(r.right - r.left) * 4);
    }
}

void PaintModuleGDI::RenderFrame(int32_t centreX, int32_t centreY, const std::vector<Rect>& rects,
                                 const std::vector<FrameItem>& items) {
    viewX_ = centreX;
    viewY_ = centreY;
    viewLeft_ = centreX - (width_ + 1) / 2;
    viewTop_ = centreY - (height_ + 1) / 2;
    // Composed in place: each pixel of the changed area is restored from the background and
    // drawn over once, so the frame needs no buffer of its own and is shown as it stands.
    DisjointCover(rects, Rect{0, 0, width_, height_}, pieces_);
    CopyRects(background_, Frame(), pieces_);
    composing_ = true;
    for (const FrameItem& item : items)
        if (item.geometry) DrawRecord(*item.geometry, item.picture);
    composing_ = false;
    UploadFrame();
    invalid_.insert(invalid_.end(), pieces_.begin(), pieces_.end());
    // Frames keep coming while no paint takes the damage (a covered window): past a few hundred
    // rectangles the whole buffer stands for them, instead of a list the host walks every tick.
    if (invalid_.size() > kMaxInvalidRects) invalid_.assign(1, Rect{0, 0, width_, height_});
}

void PaintModuleGDI::DrawRecord(const ObjectGeometry& geometry, CPglPic* picture) {
    if (!picture) return;
    if (!picture->IsCurrent() && !RefreshPicture(*picture)) return;
    if (picture->IsNotDrawable()) return;
    DrawPicture(geometry, *picture);
}

void PaintModuleGDI::DrawPicture(const ObjectGeometry& g, CPglPic& picture) {
    if (!Frame() || width_ == 0 || height_ == 0)
        return;
    PictureInfo info;
    picture.GetInfo(info);
    if (!info.image) return;
    const ImageRecord& img = *info.image;
    Surface surface{reinterpret_cast<uint8_t*>(Frame()), width_, height_, bitsPerPixel_ / 8, kColourKey};
    // Geometry arrives relative to the viewport's top-left (window coordinates); the clip
    // rectangle stays in engine coordinates and is moved by the viewport's offset. The centre is
    // truncated in engine coordinates, as the object module does for its screen rectangles, and
    // then moved by exactly that offset: truncating after the move would put an object near the
    // origin a pixel away from its dirty rectangle whenever the viewport's left or top is not 0
    // (odd view sizes), leaving stale pixels behind it.
    DrawParams p;
    p.angle = g.angle;
    p.rawX = int32_t(std::trunc(g.x + viewLeft_));
    p.rawY = int32_t(std::trunc(g.y + viewTop_));
    p.x = p.rawX - viewLeft_;
    p.y = p.rawY - viewTop_;
    p.width = int32_t(std::trunc(g.width));
    p.height = int32_t(std::trunc(g.height));
    p.radius = RotationRadius(p.width, p.height);
    p.flags = g.flags;
    p.clip = g.clip;
    if (composing_) {
        p.limited = true;
        p.limits = pieces_;
    }
    const int frame = int(WrapFrame(info.frame, img.frames));
    Lumora::DrawPicture(surface, p, img, info.srcX, int(img.height) * frame + info.srcY, info.width, info.height,
                        g.alpha, info.key);
}

bool PaintModuleGDI::LoadImage(const ResourceKey& key) {
    if (!resources_ || !resources_->Exists(key)) return false;
    ResourceRecord* res = resources_->Load(key);
    if (!res || !res->Data()) return false;
    ImageRecord img;
    const bool ok = DecodeImage(res->Data(), res->DataSize(), res->typeHash, img);
    resources_->ReleaseData(key);  // kept when the bytes could not be read again
    if (!ok) return false;
    img.loaded = 1;
    return AddImage(key, std::move(img));
}

void PaintModuleGDI::DrawImageAt(const PictureInfo& info, int x, int y, int width, int height, double angle) {
    if (!info.image || background_.empty()) return;
    Surface surface{reinterpret_cast<uint8_t*>(background_.data()), width_, height_, bitsPerPixel_ / 8, kColourKey};
    DrawParams p;
    p.angle = angle;
    p.x = p.rawX = x + width / 2;
    p.y = p.rawY = y + height / 2;
    p.width = width;
    p.height = height;
    const ImageRecord& img = *info.image;
    const int frame = int(WrapFrame(info.frame, img.frames));
    Lumora::DrawPicture(surface, p, img, info.srcX, int(img.height) * frame + info.srcY, info.width, info.height,
                        1.0, info.key);
}

int PaintModuleGDI::ClearBackground(uint32_t colour) {
    const uint32_t px = ((colour >> 16) & 0xFF) | (colour & 0xFF00) | (colour & 0xFF) << 16 | 0xFF000000u;
    std::fill(background_.begin(), background_.end(), px);
    return int(background_.size());
}

void PaintModuleGDI::GetBackgroundSurface(Surface& out) {
    out = {reinterpret_cast<uint8_t*>(background_.data()), width_, height_, bitsPerPixel_, kColourKey};
}

void PaintModuleGDI::CopyImage(ImageRecord& destination, const ImageRecord& source) {
    CopyImageRecord(source, destination, true);
    destination.loaded = 1;
    destination.time = 0;
    destination.reserved = 0;
}

void PaintModuleGDI::FreeImageData(ImageRecord* record) {
    if (record) FreeImageRecord(*record);
}

const uint8_t* PaintModuleGDI::ScreenPixels() const {
    return bitsPerPixel_ == 32 ? reinterpret_cast<const uint8_t*>(Frame()) : screen_.data();
}

void PaintModuleGDI::UploadFrame() {
    const uint32_t* frame = Frame();
    switch (bitsPerPixel_) {
    case 32:
        return;  // the present buffer is the screen's format
    case 24:
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = &screen_[size_t(y) * screenStride_];
            for (int x = 0; x < width_; ++x)
                std::memcpy(row + 3 * x, &frame[size_t(y) * width_ + x], 3);
        }
        return;
    case 16:
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = &screen_[size_t(y) * screenStride_];
            for (int x = 0; x < width_; ++x) {
                const uint32_t p = frame[size_t(y) * width_ + x];
                const uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
                const uint16_t v = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
                row[2 * x] = uint8_t(v);
                row[2 * x + 1] = uint8_t(v >> 8);
            }
        }
        return;
    default: {
        uint32_t code = kPaintErrorDepth;
        SendMessage(LUMORA_MODULE_ERROR_SINK, kPaintErrorDepth, reinterpret_cast<uintptr_t>(&code), 0);
        return;
    }
    }
}

void PaintModuleGDI::Present() {
    if (presenter_) presenter_(ScreenPixels(), width_, height_, screenStride_, invalid_);
    invalid_.clear();
}

} // namespace Lumora
