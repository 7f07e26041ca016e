// The object module's half of drawing: dirty rectangles, the draw list in back-to-front order,
// and the frame of render records handed to the painting module.
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"

#include "engine/GameCore.h"
#include "engine/geometry/Geometry.h"
#include "engine/paint/FrameRecord.h"
#include "engine/util/MemPool.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <mutex>

namespace Lumora {
namespace {

// The frame build finds the dirty rectangles near an object through a coarse grid over the
// viewport: each cell holds one bit for every rectangle that touches it.
constexpr int kCellShift = 5; // 32-pixel cells
static_assert(DirtyRectList::kCollapseLimit <= 64, "one bit per dirty rectangle");

struct CellSpan {
    int left, top, right, bottom; // inclusive cell indices
};

} // namespace

// A rotated picture is drawn around its truncated centre with a truncated radius, which can
// pass the bounding square by a pixel (centres left of or above the origin): the square grows
// by one pixel each way so that whatever the object drew is repainted when it changes.
// Unrotated, the painter places the box from the truncated centre, which is a pixel left of (or
// above) the bounding rectangle when the box's edge lies between -1 and 0: the rectangle takes
// in both.
Rect ObjectModule::ScreenRect(const ObjectGeometry& g)
{
    Rect r = BoundingRect(g);
    if (g.angle != 0 && r.right > r.left)
        r = Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    else if (g.angle == 0) {
        const int w = int(g.width), h = int(g.height);
        const int left = int(g.x) - (w + 1) / 2, top = int(g.y) - (h + 1) / 2;
        r = Rect{std::min(r.left, left), std::min(r.top, top), std::max(r.right, left + w),
                 std::max(r.bottom, top + h)};
    }
    if (g.flags & OBJ_CLIP) {
        Rect cut;
        IntersectRect(cut, r, g.clip);
        return cut;
    }
    return r;
}

bool ObjectModule::IsDrawable(const ObjectGeometry& g) const
{
    Rect meet;
    return g.active && !(g.flags & OBJ_HIDDEN) && IntersectRect(meet, ScreenRect(g), viewport_);
}

void ObjectModule::AddDirtyRect(const Rect& rect)
{
    {
        std::lock_guard lock(ModuleLock());
        dirty_.Add(rect, viewport_);
    }
    NoteChange();
    if (GameCore* core = GetCore())
        core->RequestTick();
}

bool ObjectModule::DrawOrder::operator()(const ObjectRecord* a, const ObjectRecord* b) const
{
    const DrawKey& x = a->drawKey;
    const DrawKey& y = b->drawKey;
    if (x.layer != y.layer)
        return x.layer < y.layer;
    if (x.z != y.z)
        return x.z < y.z;
    return x.id < y.id;
}

ObjectModule::DrawKey ObjectModule::KeyOf(const ObjectGeometry& g, uint32_t id)
{
    // A z that is not a number would break the set's order: it sorts last in its layer.
    return DrawKey{g.layer, std::isnan(g.z) ? std::numeric_limits<double>::infinity() : g.z, id};
}

// The key is read from the object as it is now; the set finds its place without a walk.
void ObjectModule::InsertDrawOrder(ObjectRecord* record)
{
    record->drawKey = KeyOf(record->object->Geometry(), record->object->GetId());
    record->drawPosition = drawList_.insert(record).first;
    record->inDrawList = true;
    record->screen = ScreenRect(record->snapshot);
    drawOrderStale_ = true;
}

void ObjectModule::RemoveFromDrawList(ObjectRecord* record)
{
    if (record->inDrawList) {
        drawList_.erase(record->drawPosition);
        record->inDrawList = false;
        drawOrderStale_ = true;
    }
}

const std::vector<ObjectModule::DrawEntry>& ObjectModule::DrawOrderEntries()
{
    if (drawOrderStale_) {
        drawOrder_.clear();
        drawOrder_.reserve(drawList_.size());
        for (ObjectRecord* record : drawList_) {
            record->drawIndex = drawOrder_.size();
            drawOrder_.push_back(DrawEntry{record->screen, record->object});
        }
        drawOrderStale_ = false;
    }
    return drawOrder_;
}

void ObjectModule::ForEachDrawn(const std::function<void(PObject&)>& visit)
{
    std::lock_guard lock(ModuleLock());
    for (const DrawEntry& entry : DrawOrderEntries())
        visit(*entry.object);
}

void ObjectModule::UpdateObject(PObject* object)
{
    if (!object)
        return;
    std::lock_guard lock(ModuleLock());
    NoteChange();
    auto* record = static_cast<ObjectRecord*>(object->moduleRecord_);
    if (!record || record->object != object)
        return;
    const ObjectGeometry& now = object->Geometry();
    const bool drawable = IsDrawable(now);
    // Off screen before and after (the draw list holds exactly what was drawable): no pixel changes.
    if (!drawable && !record->inDrawList) {
        record->snapshot = now;
        return;
    }
    const Rect r = ScreenRect(now);
    // Any change of the covered rectangle, the clip's included, repaints where it was.
    const Rect before = ScreenRect(record->snapshot);
    if (!(before == r))
        AddDirtyRect(before);
    AddDirtyRect(r);
    record->snapshot = now;
    // A move that keeps layer and z keeps the object's place in the order.
    if (drawable && record->inDrawList && record->drawKey == KeyOf(now, object->GetId())) {
        record->screen = r;
        if (!drawOrderStale_)
            drawOrder_[record->drawIndex].screen = r;
        return;
    }
    RemoveFromDrawList(record);
    if (drawable)
        InsertDrawOrder(record);
}

void ObjectModule::RebuildDrawList()
{
    std::lock_guard lock(ModuleLock());
    for (ObjectRecord* record : drawList_)
        record->inDrawList = false;
    drawList_.clear();
    drawOrderStale_ = true;
    for (auto& [id, record] : records_) {
        record.snapshot = record.object->Geometry();
        if (IsDrawable(record.snapshot)) {
            InsertDrawOrder(&record);
            AddDirtyRect(ScreenRect(record.snapshot));
        }
    }
}

void ObjectModule::SetViewportSize(int width, int height)
{
    viewport_.left = centreX_ - (width + 1) / 2;
    viewport_.top = centreY_ - (height + 1) / 2;
    viewport_.right = viewport_.left + width;
    viewport_.bottom = viewport_.top + height;
    RebuildDrawList();
}

void ObjectModule::SetViewportCentre(int x, int y)
{
    const int dx = x - centreX_, dy = y - centreY_;
    viewport_.left += dx;
    viewport_.right += dx;
    viewport_.top += dy;
    viewport_.bottom += dy;
    centreX_ = x;
    centreY_ = y;
    RebuildDrawList();
}

void ObjectModule::FullRedraw()
{
    AddDirtyRect(viewport_);
    BuildFrame();
}

void ObjectModule::BuildFrame()
{
    if (dirty_.Empty() || minimised_ || !renderPool_)
        return;
    auto frame = std::make_unique<FrameRecord>();
    {
        std::lock_guard lock(ModuleLock());
        frame->centreX = centreX_;
        frame->centreY = centreY_;
        frame->pool = renderPool_.get();
        const std::vector<Rect>& dirty = dirty_.Rects();
        if (fullRedraw_) {
            frame->rects.push_back(Rect{0, 0, viewport_.right - viewport_.left, viewport_.bottom - viewport_.top});
        } else {
            frame->rects.reserve(dirty.size());
            for (const Rect& d : dirty)
                frame->rects.push_back(Rect{d.left - viewport_.left, d.top - viewport_.top, d.right - viewport_.left,
                                            d.bottom - viewport_.top});
        }
        // The grid over the viewport: which dirty rectangles touch each cell.
        const int columns = std::max(1, ((viewport_.right - viewport_.left) >> kCellShift) + 1);
        const int rows = std::max(1, ((viewport_.bottom - viewport_.top) >> kCellShift) + 1);
        auto span = [&](const Rect& r) {
            auto cell = [](int offset, int count) { return std::clamp(offset >> kCellShift, 0, count - 1); };
            return CellSpan{cell(r.left - viewport_.left, columns), cell(r.top - viewport_.top, rows),
                            cell(r.right - 1 - viewport_.left, columns), cell(r.bottom - 1 - viewport_.top, rows)};
        };
        if (!fullRedraw_) {
            dirtyCells_.assign(size_t(columns) * size_t(rows), 0);
            for (size_t i = 0; i < dirty.size(); ++i) {
                const CellSpan s = span(dirty[i]);
                for (int y = s.top; y <= s.bottom; ++y)
                    for (int x = s.left; x <= s.right; ++x)
                        dirtyCells_[size_t(y) * size_t(columns) + size_t(x)] |= uint64_t{1} << i;
            }
        }
        // First the entries near a dirty rectangle, from the contiguous order alone; then their
        // objects, each fetched ahead of its turn, as they lie apart in memory.
        nearDirty_.clear();
        for (const DrawEntry& entry : DrawOrderEntries()) {
            uint64_t near = ~uint64_t{0};
            if (!fullRedraw_) {
                // Found through where the object was last updated, as its place in the order is.
                const CellSpan s = span(entry.screen);
                near = 0;
                for (int y = s.top; y <= s.bottom; ++y)
                    for (int x = s.left; x <= s.right; ++x)
                        near |= dirtyCells_[size_t(y) * size_t(columns) + size_t(x)];
                if (near == 0)
                    continue;
            }
            nearDirty_.emplace_back(&entry, near);
        }
        constexpr size_t kAhead = 8;
        RenderRecord** tail = &frame->first;
        ObjectGeometry g; // every field is written by each GetGeometry
        for (size_t i = 0; i < nearDirty_.size(); ++i) {
            if (i + kAhead < nearDirty_.size()) {
                const PObject* ahead = nearDirty_[i + kAhead].first->object;
                __builtin_prefetch(ahead);
                __builtin_prefetch(&ahead->Geometry());
            }
            const uint64_t near = nearDirty_[i].second;
            PObject* object = nearDirty_[i].first->object;
            CPglPic* picture = object->GetDrawData();
            if (!picture)
                continue;
            object->GetGeometry(g);
            if (!fullRedraw_) {
                // The screen rectangle bounds every pixel the object draws (clip included).
                const Rect screen = ScreenRect(g);
                bool meets = false;
                for (uint64_t bits = near; bits != 0 && !meets; bits &= bits - 1) {
                    const Rect& d = dirty[size_t(std::countr_zero(bits))];
                    meets = std::max(d.left, screen.left) < std::min(d.right, screen.right) &&
                        std::max(d.top, screen.top) < std::min(d.bottom, screen.bottom);
                }
                if (!meets)
                    continue;
            }
            g.x -= viewport_.left;
            g.y -= viewport_.top;
            auto* render = new (renderPool_->Alloc(sizeof(RenderRecord))) RenderRecord{g, picture, nullptr};
            *tail = render;
            tail = &render->next;
        }
        dirty_.Clear();
    }
    // The painting module takes the frame and deletes it; without one it is dropped here.
    if (GetModule(LUMORA_MODULE_PAINT))
        SendMessage(LUMORA_MODULE_PAINT, LUMORA_MSG_DRAW_FRAME, reinterpret_cast<uintptr_t>(frame.release()), 0);
}

} // namespace Lumora
