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

namespace Lumora {
namespace {

// The frame build finds the dirty rectangles near an object through a coarse grid over the
// viewport: each cell holds one bit for every rectangle that touches it.
constexpr int kCellShift = 5; // 32-pixel cells

struct CellSpan {
    int left, top, right, bottom; // inclusive cell indices
};

// One axis of an unrotated object's rectangle: the bounding box from its centre c and extent,
// and the painter's box from the truncated centre beside it. Where the box starts at or after
// the origin (c >= k >= 0, c small), c - k is exact and not negative, so both boxes start at
// the same pixel and the second truncation is not needed.
[[gnu::always_inline]] inline void UnrotatedSpan(double c, double extent, int32_t& low, int32_t& high)
{
    const int e = int(extent);
    const int k = (e + 1) / 2;
    const int from = int(c) - k;
    const int box = k >= 0 && c >= k && c < double(1 << 30) ? from : int(c - k);
    low = std::min(box, from);
    high = std::max(int(box + extent), from + e);
}

// A rotated picture is drawn around its truncated centre with a truncated radius, which can
// pass the bounding square by a pixel (centres left of or above the origin): the square grows
// by one pixel each way so that whatever the object drew is repainted when it changes.
// Unrotated, the painter places the box from the truncated centre, which is a pixel left of (or
// above) the bounding rectangle when the box's edge lies between -1 and 0: the rectangle takes
// in both. What is rotated or clipped is the rare case, out of line.
[[gnu::noinline]] Rect RotatedOrClippedRect(const ObjectGeometry& g)
{
    Rect r;
    if (g.angle == 0) {
        UnrotatedSpan(g.x, g.width, r.left, r.right);
        UnrotatedSpan(g.y, g.height, r.top, r.bottom);
    } else {
        r = BoundingRect(g);
        if (r.right > r.left)
            r = Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    }
    if (g.flags & OBJ_CLIP) {
        Rect cut;
        IntersectRect(cut, r, g.clip);
        return cut;
    }
    return r;
}

// Inline, as the frame build asks it of every object it lists and an update of every object
// it changes.
[[gnu::always_inline]] inline Rect ScreenRectOf(const ObjectGeometry& g)
{
    if (g.angle != 0 || (g.flags & OBJ_CLIP))
        return RotatedOrClippedRect(g);
    Rect r;
    UnrotatedSpan(g.x, g.width, r.left, r.right);
    UnrotatedSpan(g.y, g.height, r.top, r.bottom);
    return r;
}

// Takes the geometry as it is now into the record; true when it is to be drawn (shown, and
// meeting the viewport as IntersectRect answers). Inline in the update of every object.
[[gnu::always_inline]] inline bool TakeSnapshot(ObjectRecord& record, const ObjectGeometry& g, const Rect& view)
{
    const Rect r = ScreenRectOf(g);
    record.screen = r;
    record.shown = g.active && !(g.flags & OBJ_HIDDEN);
    return record.shown && std::max(r.left, view.left) < std::min(r.right, view.right) &&
        std::max(r.top, view.top) < std::min(r.bottom, view.bottom);
}

} // namespace

Rect ObjectModule::ScreenRect(const ObjectGeometry& g) { return ScreenRectOf(g); }

bool ObjectModule::Snapshot(ObjectRecord& record, const ObjectGeometry& g) const
{
    return TakeSnapshot(record, g, viewport_);
}

void ObjectModule::AddDirtyRect(const Rect& rect)
{
    dirty_.Add(rect, viewport_);
    NoteChange();
    if (GameCore* core = GetCore())
        core->RequestTick();
}

DrawKey ObjectModule::KeyOf(const ObjectGeometry& g, uint32_t id)
{
    // A z that is not a number would break the order: it sorts last in its layer.
    return DrawKey{std::isnan(g.z) ? std::numeric_limits<double>::infinity() : g.z, g.layer, id};
}

// The key is read from the object as it is now; the object waits to be placed by the next walk.
// Waiting objects beyond the placed ones are placed at once, so that they stay few however long
// no frame is built.
void ObjectModule::InsertDrawOrder(PObject& object)
{
    ObjectRecord& record = object.record_;
    record.drawKey = KeyOf(object.geometry_.Get(), object.id_);
    record.inDrawList = true;
    record.drawPending = true;
    record.drawIndex = uint32_t(drawPending_.size());
    drawPending_.push_back(&object);
    if (drawPending_.size() >= 64 && drawPending_.size() > drawOrder_.size())
        DrawOrderEntries();
}

void ObjectModule::RemoveFromDrawList(PObject& object)
{
    ObjectRecord& record = object.record_;
    if (!record.inDrawList)
        return;
    record.inDrawList = false;
    if (record.drawPending) {
        drawPending_[record.drawIndex] = nullptr;
        record.drawPending = false;
        return;
    }
    DrawEntry& entry = drawOrder_[DrawIndexOf(object)];
    entry.object = nullptr;
    entry.picture = nullptr;
    ++drawLeft_;
}

size_t ObjectModule::DrawIndexOf(PObject& object) const
{
    ObjectRecord& record = object.record_;
    if (record.drawIndex < drawOrder_.size() && drawOrder_[record.drawIndex].object == &object)
        return record.drawIndex;
    // Keys of placed entries are unique (the id decides), those that left included.
    record.drawIndex =
        uint32_t(std::lower_bound(drawKeys_.begin(), drawKeys_.end(), record.drawKey) - drawKeys_.begin());
    return record.drawIndex;
}

const std::vector<ObjectModule::DrawEntry>& ObjectModule::DrawOrderEntries() const
{
    if (drawPending_.empty() && drawLeft_ == 0)
        return drawOrder_;
    std::erase(drawPending_, nullptr);
    std::sort(drawPending_.begin(), drawPending_.end(),
              [](const PObject* a, const PObject* b) { return a->record_.drawKey < b->record_.drawKey; });
    mergedOrder_.clear();
    mergedKeys_.clear();
    mergedOrder_.reserve(drawOrder_.size() - drawLeft_ + drawPending_.size());
    mergedKeys_.reserve(mergedOrder_.capacity());
    size_t placed = 0;
    auto placeWaiting = [&](PObject* object) {
        ObjectRecord& record = object->record_;
        record.drawPending = false;
        record.drawIndex = uint32_t(mergedOrder_.size());
        mergedOrder_.push_back(DrawEntry{record.screen, object, object->GetDrawData()});
        mergedKeys_.push_back(record.drawKey);
    };
    for (size_t i = 0; i < drawOrder_.size(); ++i) {
        if (!drawOrder_[i].object)
            continue;
        while (placed < drawPending_.size() && drawPending_[placed]->record_.drawKey < drawKeys_[i])
            placeWaiting(drawPending_[placed++]);
        mergedOrder_.push_back(drawOrder_[i]);
        mergedKeys_.push_back(drawKeys_[i]);
    }
    while (placed < drawPending_.size())
        placeWaiting(drawPending_[placed++]);
    drawOrder_.swap(mergedOrder_);
    drawKeys_.swap(mergedKeys_);
    drawPending_.clear();
    drawLeft_ = 0;
    return drawOrder_;
}

void ObjectModule::ForEachDrawn(const std::function<void(PObject&)>& visit)
{
    for (const DrawEntry& entry : DrawOrderEntries())
        visit(*entry.object);
}

void ObjectModule::ForEachObject(const std::function<void(PObject&)>& visit)
{
    for (auto& [id, object] : records_)
        visit(*object);
}

void ObjectModule::UpdateObject(PObject* object)
{
    if (!object)
        return;
    NoteChange();
    if (!object->registered_ || object->module_ != this)
        return;
    ObjectRecord& record = object->record_;
    const ObjectGeometry& now = object->geometry_.Get();
    const Rect before = record.screen;
    const bool drawable = TakeSnapshot(record, now, viewport_);
    // Off screen before and after (the draw list holds exactly what was drawable): no pixel changes.
    if (!drawable && !record.inDrawList) {
        record.screenDirtied = 0;
        return;
    }
    const Rect r = record.screen;
    // Any change of the covered rectangle, the clip's included, repaints where it was. An object
    // changed twice in a step (moved and faded) repaints its rectangle once. While the whole view
    // is to be painted (a re-layout), nothing is added.
    const bool whole = dirty_.Whole(viewport_);
    if (!whole) {
        if (!(before == r)) {
            AddDirtyRect(before);
            AddDirtyRect(r);
        } else if (record.screenDirtied != dirty_.Clears()) {
            AddDirtyRect(r);
        }
    }
    record.screenDirtied = dirty_.Clears();
    // A move that keeps layer and z keeps the object's place in the order. Its entry holds the
    // record's rectangle; while the whole view is to be painted, the frame build takes it from the
    // record instead (every drawn entry is listed then whatever its rectangle), so that a
    // re-layout does not reach into the draw list for every object it moves.
    if (drawable && record.inDrawList && record.drawKey == KeyOf(now, object->id_)) {
        if (whole)
            entriesBehind_ |= !record.drawPending;
        else if (!record.drawPending && !(before == r))
            drawOrder_[DrawIndexOf(*object)].screen = r;
        return;
    }
    RemoveFromDrawList(*object);
    if (drawable)
        InsertDrawOrder(*object);
}

void ObjectModule::RebuildDrawList()
{
    for (auto& [id, object] : records_) {
        object->record_.inDrawList = false;
        object->record_.drawPending = false;
        object->record_.screenDirtied = 0; // added again below where it is drawable in the new view
    }
    drawOrder_.clear();
    drawKeys_.clear();
    drawPending_.clear();
    drawLeft_ = 0;
    entriesBehind_ = false;
    for (auto& [id, object] : records_) {
        if (Snapshot(object->record_, object->geometry_.Get())) {
            InsertDrawOrder(*object);
            AddDirtyRect(object->record_.screen);
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
        frame->centreX = centreX_;
        frame->centreY = centreY_;
        frame->pool = renderPool_.get();
        if (!fullRedraw_)
            dirty_.JoinOverlapping();
        const std::vector<Rect>& dirty = dirty_.Rects();
        if (fullRedraw_) {
            frame->rects.push_back(Rect{0, 0, viewport_.right - viewport_.left, viewport_.bottom - viewport_.top});
        } else {
            frame->rects.reserve(dirty.size());
            for (const Rect& d : dirty)
                frame->rects.push_back(Rect{d.left - viewport_.left, d.top - viewport_.top, d.right - viewport_.left,
                                            d.bottom - viewport_.top});
        }
        // The grid over the viewport: which dirty rectangles touch each cell, and which cells
        // one of them covers whole.
        const int columns = std::max(1, ((viewport_.right - viewport_.left) >> kCellShift) + 1);
        const int rows = std::max(1, ((viewport_.bottom - viewport_.top) >> kCellShift) + 1);
        auto span = [&](const Rect& r) {
            auto cell = [](int offset, int count) { return std::clamp(offset >> kCellShift, 0, count - 1); };
            return CellSpan{cell(r.left - viewport_.left, columns), cell(r.top - viewport_.top, rows),
                            cell(r.right - 1 - viewport_.left, columns), cell(r.bottom - 1 - viewport_.top, rows)};
        };
        if (!fullRedraw_) {
            dirtyCells_.assign(size_t(columns) * size_t(rows), DirtyCell{});
            constexpr int kCell = 1 << kCellShift;
            for (size_t i = 0; i < dirty.size(); ++i) {
                const Rect& d = dirty[i];
                const CellSpan s = span(d);
                for (int y = s.top; y <= s.bottom; ++y) {
                    const int cellTop = viewport_.top + (y << kCellShift);
                    const bool rowInside = d.top <= cellTop && cellTop + kCell <= d.bottom;
                    for (int x = s.left; x <= s.right; ++x) {
                        DirtyCell& cell = dirtyCells_[size_t(y) * size_t(columns) + size_t(x)];
                        const int cellLeft = viewport_.left + (x << kCellShift);
                        cell.near.Set(i);
                        cell.covered |= rowInside && d.left <= cellLeft && cellLeft + kCell <= d.right;
                    }
                }
            }
        }
        // Whether a screen rectangle meets one of the dirty rectangles whose cells it touches.
        auto meets = [&](const Rect& screen, const DirtyBits& near) {
            for (size_t w = 0; w < DirtyBits::kWords; ++w)
                for (uint64_t bits = near.words[w]; bits != 0; bits &= bits - 1) {
                    const Rect& d = dirty[w * 64 + size_t(std::countr_zero(bits))];
                    if (std::max(d.left, screen.left) < std::min(d.right, screen.right) &&
                        std::max(d.top, screen.top) < std::min(d.bottom, screen.bottom))
                        return true;
                }
            return false;
        };
        // First the entries that meet a dirty rectangle where they were last updated, from the
        // contiguous order alone: no object is touched that the frame will not list. A drawn
        // rectangle touches every cell of its span (it lies in the viewport at least in part),
        // so a span with a wholly dirty cell needs no rectangle tested.
        DrawOrderEntries();
        std::vector<DrawEntry>& entries = drawOrder_;
        if (nearDirty_.size() < entries.size())
            nearDirty_.resize(entries.size());
        size_t listed = 0;
        for (DrawEntry& entry : entries) {
            if (!entry.picture)
                continue;
            DirtyBits near;
            bool keep = true;
            if (!fullRedraw_) {
                const CellSpan s = span(entry.screen);
                uint64_t covered = 0;
                if (s.right - s.left <= 1 && s.bottom - s.top <= 1) {
                    // Most objects span at most two cells each way: the four corner cells,
                    // some of them read twice, with no branch on the span.
                    const DirtyCell* top = &dirtyCells_[size_t(s.top) * size_t(columns)];
                    const DirtyCell* bottom = &dirtyCells_[size_t(s.bottom) * size_t(columns)];
                    const DirtyCell& a = top[s.left];
                    const DirtyCell& b = top[s.right];
                    const DirtyCell& c = bottom[s.left];
                    const DirtyCell& d = bottom[s.right];
                    near = a.near;
                    near |= b.near;
                    near |= c.near;
                    near |= d.near;
                    covered = a.covered | b.covered | c.covered | d.covered;
                } else {
                    for (int y = s.top; y <= s.bottom; ++y) {
                        const DirtyCell* row = &dirtyCells_[size_t(y) * size_t(columns)];
                        for (int x = s.left; x <= s.right; ++x) {
                            near |= row[x].near;
                            covered |= row[x].covered;
                        }
                    }
                }
                keep = covered || meets(entry.screen, near);
            }
            // Written whether kept or not: the next entry overwrites what is not.
            nearDirty_[listed] = {&entry, near};
            listed += keep;
        }
        // Then their objects, each fetched well ahead of its turn, as they lie apart in memory.
        // Entries left behind their records while the whole view was to be painted are all listed
        // (each meets the view, which is the one dirty rectangle) and take their rectangles here;
        // an entry without a picture is never drawn, and its rectangle never read.
        constexpr size_t kAhead = 16;
        const bool behind = entriesBehind_;
        entriesBehind_ = false;
        RenderRecord** tail = &frame->first;
        for (size_t i = 0; i < listed; ++i) {
            if (i + kAhead < listed) {
                const PObject* ahead = nearDirty_[i + kAhead].first->object;
                const auto* geometry = reinterpret_cast<const char*>(&ahead->geometry_.Get());
                __builtin_prefetch(geometry);
                __builtin_prefetch(geometry + sizeof(ObjectGeometry) / 2);
                __builtin_prefetch(geometry + sizeof(ObjectGeometry) - 1);
                if (behind)
                    __builtin_prefetch(&ahead->record_);
            }
            DrawEntry& entry = *nearDirty_[i].first;
            if (behind)
                entry.screen = entry.object->record_.screen;
            const ObjectGeometry& g = entry.object->Geometry();
            if (!fullRedraw_) {
                // Changed since its last update: the screen rectangle now bounds every pixel the
                // object draws (clip included).
                const Rect screen = ScreenRectOf(g);
                if (!(screen == entry.screen) && !meets(screen, nearDirty_[i].second))
                    continue;
            }
            RenderRecord* render = frame->NewRecord(RenderRecord{g, entry.picture, nullptr});
            render->geometry.x -= viewport_.left;
            render->geometry.y -= viewport_.top;
            *tail = render;
            tail = &render->next;
        }
        dirty_.Clear();
    }
    // The painting module takes the frame and deletes it; without one it is dropped here.
    if (GetModule(LUMORA_MODULE_PAINT))
        SendMessage(LUMORA_MODULE_PAINT, LUMORA_MSG_DRAW_FRAME, reinterpret_cast<uintptr_t>(frame.release()), 0);
    if (frameBuilt_)
        frameBuilt_();
}

} // namespace Lumora
