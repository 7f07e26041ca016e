#include "engine/object/PObject.h"

#include "engine/GameCore.h"
#include "engine/geometry/Geometry.h"
#include "engine/object/CursorClipHost.h"
#include "engine/object/ObjectModule.h"
#include "engine/paint/PglPic.h"

#include <algorithm>
#include <cmath>

namespace Lumora {

PObject::PObject()
{
    ObjectGeometry& g = geometry_.Edit();
    g.x = -100000.0;
    g.y = -100000.0;
    g.alpha = 1.0;
}

namespace {

// A board that stands on no other (a widget's body carries its widget's flag): the one that rises.
bool IsOuterBoard(const PObject& o)
{
    if (!(o.GetFlags() & OBJ_BOARD))
        return false;
    for (const PObject* p = o.GetParent(); p; p = p->GetParent())
        if (p->GetFlags() & OBJ_BOARD)
            return false;
    return true;
}

} // namespace

PObject::~PObject()
{
    // Deleted by someone else while registered: the registry must not keep a dangling entry.
    if (registered_ && module_)
        module_->ForgetDeleted(this);
    if (parent_) {
        auto& links = parent_->children_;
        links.erase(std::remove_if(links.begin(), links.end(), [this](const ChildLink& l) { return l.child == this; }),
                    links.end());
    }
    // Owned children are unregistered by the object module after this object is gone.
    for (const ChildLink& link : children_)
        link.child->ClearParent();
}

// Children may leave the list while they follow an operation, so the walk is over a copy: of
// the children linked for this operation only, as an owner may hold thousands linked otherwise.
// The few that most objects have are copied to the stack, as this runs on every move and fade;
// past those, the copy starts again on the heap (nothing has followed yet). One child (a widget's
// body, a body's shadow) is read before it follows, and the list not after: no copy is made, and
// the walk over several stays out of line.
template <typename F>
void PObject::ForChildren(uint32_t linkFlag, F&& f)
{
    if (!(childLinks_ & linkFlag))
        return;
    if (children_.size() == 1) {
        const ChildLink link = children_.front();
        if (link.flags & linkFlag)
            f(*link.child);
        return;
    }
    ForSeveralChildren(linkFlag, f);
}

template <typename F>
[[gnu::noinline]] void PObject::ForSeveralChildren(uint32_t linkFlag, F& f)
{
    constexpr size_t kOnStack = 8;
    PObject* first[kOnStack];
    size_t n = 0;
    for (const ChildLink& link : children_)
        if (link.flags & linkFlag) {
            if (n == kOnStack) {
                std::vector<PObject*> all;
                for (const ChildLink& l : children_)
                    if (l.flags & linkFlag)
                        all.push_back(l.child);
                for (PObject* child : all)
                    f(*child);
                return;
            }
            first[n++] = link.child;
        }
    for (size_t i = 0; i < n; ++i)
        f(*first[i]);
}

void PObject::Attach(GameCore* core, uint32_t id)
{
    core_ = core;
    module_ = core ? dynamic_cast<ObjectModule*>(core->GetModule(LUMORA_MODULE_OBJECT)) : nullptr;
    id_ = id;
}

uint32_t PObject::RegisterChild(PObject* object)
{
    return module_ ? module_->RegisterObject(object, this) : 0;
}

void PObject::MoveTo(double x, double y) { MoveBy(x - geometry_->x, y - geometry_->y); }

void PObject::MoveBy(double dx, double dy)
{
    // A move by nothing (an update puts most objects where they stand) writes nothing.
    if (dx != 0 || dy != 0) {
        ObjectGeometry& g = geometry_.Edit();
        g.x += dx;
        g.y += dy;
        if ((g.flags & (OBJ_CLIP_FOLLOWS | OBJ_CLIP)) == (OBJ_CLIP_FOLLOWS | OBJ_CLIP)) {
            Rect& c = g.clip;
            c.left = static_cast<int32_t>(c.left + dx);
            c.right = static_cast<int32_t>(c.right + dx);
            c.top = static_cast<int32_t>(c.top + dy);
            c.bottom = static_cast<int32_t>(c.bottom + dy);
        }
    }
    ForChildren(LINK_MOVE, [&](PObject& c) { c.MoveBy(dx, dy); });
}

void PObject::Resize(double w, double h)
{
    ObjectGeometry& g = geometry_.Edit();
    g.width = w;
    g.height = h;
    ForChildren(LINK_RESIZE, [&](PObject& c) { c.Resize(w, h); });
}

void PObject::SetZ(double z) { MoveZBy(z - geometry_->z); }

void PObject::MoveZBy(double dz)
{
    const double z = std::min(geometry_->z + dz, kZLimit);
    if (z != geometry_->z)
        geometry_.Edit().z = z;
    ForChildren(LINK_Z, [&](PObject& c) { c.MoveZBy(dz); });
}

void PObject::BringToFront()
{
    if (IsRegistered())
        SetZ(module_->GetTopZ(geometry_->layer) + 1.0);
}

void PObject::RaiseOverShown()
{
    if (!IsRegistered())
        return;
    const double top = module_->GetTopShownZ(GetLayer(), this);
    // By the shown depth: a widget's own depth is its body's, which moves with it.
    if (top >= GetZ())
        MoveZBy(top + 1.0 - GetZ());
}

void PObject::Activate()
{
    if (!geometry_->active)
        geometry_.Edit().active = 1;
    ForChildren(LINK_ACTIVATE_ALWAYS, [](PObject& c) { c.Activate(); });
    // By index, as a child's activation may change the list. With none held back, nothing of
    // the list is read.
    for (size_t i = 0; (childLinks_ & LINK_HELD_INACTIVE) && i < children_.size(); ++i) {
        ChildLink& link = children_[i];
        if ((link.flags & (LINK_ACTIVATION | LINK_HELD_INACTIVE)) == (LINK_ACTIVATION | LINK_HELD_INACTIVE)) {
            link.flags &= ~LINK_HELD_INACTIVE;
            PObject* child = link.child;
            child->Activate();
        }
    }
    // Every board, box and menu, whoever opens it: shown (or shown again) it stands over what is
    // open, with what is linked on it. A board inside another rises with that one.
    if (IsOuterBoard(*this))
        RaiseOverShown();
}

void PObject::Deactivate()
{
    if (geometry_->active)
        geometry_.Edit().active = 0;
    ForChildren(LINK_DEACTIVATE_ALWAYS, [](PObject& c) { c.Deactivate(); });
    for (size_t i = 0; (childLinks_ & LINK_ACTIVATION) && i < children_.size(); ++i) {
        ChildLink& link = children_[i];
        if ((link.flags & LINK_ACTIVATION) && link.child->IsActive()) {
            link.flags |= LINK_HELD_INACTIVE;
            childLinks_ |= LINK_HELD_INACTIVE;
            PObject* child = link.child;
            child->Deactivate();
        }
    }
}

void PObject::SetAlpha(double a)
{
    // The object's own opacity is set too, not only its followers'.
    if (geometry_->alpha != a)
        geometry_.Edit().alpha = a;
    ForChildren(LINK_ALPHA, [&](PObject& c) { c.SetAlpha(a); });
}

void PObject::SetAngle(double a) { RotateBy(a - geometry_->angle); }

void PObject::RotateBy(double da)
{
    if (da != 0)
        geometry_.Edit().angle += da;
    const double cx = geometry_->x, cy = geometry_->y;
    ForChildren(LINK_ROTATE, [&](PObject& c) { c.RotateAround(cx, cy, da); });
}

void PObject::RotateAround(double cx, double cy, double da)
{
    if (da == 0)
        return;
    const double r = da * kPi / 180.0;
    const double dx = geometry_->x - cx, dy = cy - geometry_->y;
    MoveTo(cx + std::cos(r) * dx - std::sin(r) * dy, cy - (std::cos(r) * dy + std::sin(r) * dx));
    RotateBy(da);
}

void PObject::ScaleBy(double sx, double sy)
{
    ObjectGeometry& g = geometry_.Edit();
    g.width *= sx;
    g.height *= sy;
    ForChildren(LINK_SCALE, [&](PObject& c) { c.ScaleBy(sx, sy); });
}

void PObject::SetSize(double w, double h)
{
    w = std::max(w, 0.0);
    h = std::max(h, 0.0);
    if (geometry_->width != 0 && geometry_->height != 0) {
        const double sx = w / geometry_->width, sy = h / geometry_->height;
        ForChildren(LINK_SCALE, [&](PObject& c) { c.ScaleBy(sx, sy); });
    } else {
        ForChildren(LINK_SCALE, [&](PObject& c) { c.SetSize(w, h); });
    }
    if (w != geometry_->width || h != geometry_->height) {
        ObjectGeometry& g = geometry_.Edit();
        g.width = w;
        g.height = h;
    }
}

void PObject::SetClipRect(const Rect& rect)
{
    ObjectGeometry& g = geometry_.Edit();
    g.clip = rect;
    g.flags |= OBJ_CLIP;
    ForChildren(LINK_CLIP, [&](PObject& c) { c.SetClipRect(rect); });
}

void PObject::SetVisible(bool show)
{
    if (show)
        PObject::RemoveFlags(OBJ_HIDDEN);
    else
        PObject::AddFlags(OBJ_HIDDEN);
    Redraw();
}

void PObject::SetOwner(PObject* owner)
{
    owner_ = owner;
    if (owner && owner != this)
        owner->OnOwnedObject(this);
}

int PObject::AddChild(PObject* child, uint32_t linkFlags)
{
    if (!child || child == this)
        return 0;
    // A child is in the list exactly while this is its parent: a new child needs no search.
    childLinks_ |= linkFlags;
    if (child->parent_ == this)
        for (ChildLink& link : children_)
            if (link.child == child) {
                link.flags = linkFlags;
                return 0;
            }
    child->SetParent(this);
    if ((geometry_->flags & OBJ_TOPMOST) && geometry_->layer == kTopMostLayer)
        child->SetTopMost();
    children_.push_back({child, linkFlags});
    return static_cast<int>(children_.size());
}

uint32_t PObject::GetChildLinkFlags(uint32_t id) const
{
    for (const ChildLink& link : children_)
        if (link.child->GetId() == id)
            return link.flags;
    return 0;
}

void PObject::SetChildLinkFlags(uint32_t id, uint32_t flags)
{
    childLinks_ |= flags;
    for (ChildLink& link : children_)
        if (link.child->GetId() == id)
            link.flags = flags;
}

void PObject::RemoveChild(uint32_t id)
{
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if (it->child->GetId() == id) {
            PObject* child = it->child;
            children_.erase(it);
            child->ClearParent();
            return;
        }
    }
}

int PObject::HasChild(uint32_t id) const
{
    return std::any_of(children_.begin(), children_.end(), [id](const ChildLink& l) { return l.child->GetId() == id; });
}

int PObject::IsSelfOrDescendant(uint32_t id) const
{
    if (id_ == id)
        return 1;
    return std::any_of(children_.begin(), children_.end(),
                       [id](const ChildLink& l) { return l.child->IsSelfOrDescendant(id) != 0; });
}

void PObject::ReleaseChildren()
{
    std::vector<ChildLink> links;
    links.swap(children_);
    childLinks_ = 0;
    for (const ChildLink& link : links)
        link.child->ClearParent();
}

void PObject::SetParent(PObject* parent)
{
    if (parent_ && parent_ != parent) {
        auto& links = parent_->children_;
        links.erase(std::remove_if(links.begin(), links.end(), [this](const ChildLink& l) { return l.child == this; }),
                    links.end());
    }
    parent_ = parent;
}

void PObject::BroadcastEvent(const EventRecord& record)
{
    ForChildren(LINK_BROADCAST, [&](PObject& c) { c.OnEvent(record); });
}

void PObject::SetName(const char* text)
{
    if (text && *text)
        name_ = text;
}

void PObject::SetEnabled(bool on)
{
    if (on)
        PObject::AddFlags(OBJ_ENABLED);
    else
        PObject::RemoveFlags(OBJ_ENABLED);
    if (module_)
        module_->NoteChange();
    ForChildren(LINK_ENABLE, [&](PObject& c) { c.SetEnabled(on); });
}

void PObject::SetDraggable(bool on)
{
    if (on) {
        AddEventHook(EV_LBUTTON_DOWN, id_, EV_LBUTTON_DOWN, 0, 0);
        AddEventHook(EV_LBUTTON_UP, id_, EV_LBUTTON_UP, 0, 0);
        AddEventHook(EV_LBUTTON_DRAG, id_, EV_DRAG_MOVE, 0, 0);
    } else {
        RemoveEventHook(EV_LBUTTON_DRAG);
    }
}

void PObject::SetTopLevel(bool on)
{
    if (on)
        PObject::AddFlags(OBJ_TOP_LEVEL);
    else
        PObject::RemoveFlags(OBJ_TOP_LEVEL);
}

void PObject::SetLayer(uint32_t layer) { geometry_.Edit().layer = std::min(layer, kLayerLimit); }

void PObject::SetTopMost()
{
    ObjectGeometry& g = geometry_.Edit();
    g.flags |= OBJ_TOPMOST;
    g.layer = kTopMostLayer;
    ForChildren(~0u, [](PObject& c) { c.SetTopMost(); });
}

void PObject::Redraw()
{
    if (IsRegistered())
        module_->UpdateObject(this);
    ForChildren(LINK_REDRAW, [](PObject& c) { c.Redraw(); });
}

int PObject::OnEvent(const EventRecord& record)
{
    const uint32_t confine = OBJ_CLIP | OBJ_CONFINE_CURSOR;
    switch (record.code) {
    case EV_LBUTTON_DOWN:
        if ((geometry_->flags & confine) == confine && module_ && module_->GetCursorClipHost()) {
            CursorClipHost& host = *module_->GetCursorClipHost();
            savedCursorClip_ = host.GetCursorClip();
            const CursorClipHost::Origin origin = host.ClientOrigin();
            const Rect& c = geometry_->clip;
            host.SetCursorClip(Rect{c.left + origin.x, c.top + origin.y, c.right + origin.x, c.bottom + origin.y});
        }
        break;
    case EV_LBUTTON_UP:
        if ((geometry_->flags & confine) == confine && module_ && module_->GetCursorClipHost())
            module_->GetCursorClipHost()->SetCursorClip(savedCursorClip_);
        break;
    case EV_LBUTTON_DRAG:
    case EV_DRAG_MOVE:
        if (record.param2) {
            const auto* state = reinterpret_cast<const InputMotion*>(record.param2);
            MoveBy(static_cast<double>(state->dx), static_cast<double>(state->dy));
            Redraw();
        }
        break;
    case EV_ACTIVATE:
        Activate();
        Redraw();
        break;
    case EV_DEACTIVATE:
        Deactivate();
        Redraw();
        break;
    case EV_TEXT_PAYLOAD:
    case EV_TEXT_PAYLOAD_2:
        // Taking the payload frees it; only the first taker gets it, so a broadcast frees once.
        if (module_)
            module_->TakeTextPayload(record.param1);
        break;
    default:
        break;
    }
    return 1;
}

int PObject::HitTest(double x, double y) const
{
    const ObjectGeometry& g = geometry_.Get();
    if ((g.flags & OBJ_CLIP) && !PointInRect(g.clip, static_cast<int>(x), static_cast<int>(y)))
        return 0;
    const bool perPixel = (g.flags & OBJ_PIXEL_HIT) != 0;
    CPglPic* picture = perPixel ? const_cast<PObject*>(this)->GetDrawData() : nullptr;
    if (perPixel && !picture)
        return 0;
    if (g.angle == 0 && !PointInRect(BoundingRect(g), static_cast<int>(x), static_cast<int>(y)))
        return 0;
    if (g.angle == 0 && !perPixel)
        return 1;
    const PointD p = RotatePoint(static_cast<int>(x), static_cast<int>(y), static_cast<int>(g.x),
                                 static_cast<int>(g.y), g.angle, false);
    const double lx = (g.width + 1) * 0.5 + (p.x - g.x);
    const double ly = (g.height + 1) * 0.5 + (p.y - g.y);
    if (!perPixel)
        return lx >= 0 && lx < g.width && ly >= 0 && ly <= g.height ? 1 : 0;
    if (picture->GetWidth() == 0 || picture->GetHeight() == 0)
        return 0;
    const double sx = g.width / picture->GetWidth(), sy = g.height / picture->GetHeight();
    if (sx == 0.0 || sy == 0.0)
        return 0;
    return picture->IsOpaqueAt(static_cast<int>(lx / sx), static_cast<int>(ly / sy)) ? 1 : 0;
}

int PObject::CheckChildren()
{
    if (!(geometry_->flags & OBJ_NO_CHECK_CHILDREN)) {
        for (const ChildLink& link : children_)
            if (link.child->CheckChildren())
                break;
    }
    return 1;
}

int PObject::SendEvent(const EventRecord& record)
{
    if (!IsRegistered() || record.target == 0 || record.code == 0)
        return 0;
    return module_->DispatchEvent(record);
}

void PObject::PostEvent(const EventRecord& record)
{
    if (IsRegistered() && record.target != 0 && record.code != 0)
        module_->PostEvent(record);
}

void PObject::AddEventHook(uint32_t code, const EventRecord& record)
{
    for (const EventHook& h : hooks_)
        if (h.code == code && h.record.target == record.target && h.record.code == record.code)
            return;
    hooks_.push_back({code, record});
    if (IsInputCode(code)) {
        SetEnabled(true);
        Redraw();
        ForChildren(LINK_INPUT_HOOKS, [&](PObject& c) { c.AddEventHook(code, record); });
    }
}

void PObject::AddEventHook(uint32_t code, uint32_t target, uint32_t eventCode, uintptr_t param1, uintptr_t param2)
{
    AddEventHook(code, EventRecord{target, eventCode, param1, param2});
}

const EventRecord* PObject::FindEventHook(uint32_t code) const
{
    size_t cursor = 0;
    return NextEventHook(code, cursor);
}

const EventRecord* PObject::NextEventHook(uint32_t code, size_t& cursor) const
{
    for (; cursor < hooks_.size(); ++cursor)
        if (hooks_[cursor].code == code)
            return &hooks_[cursor++].record;
    return nullptr;
}

void PObject::RemoveEventHook(uint32_t code)
{
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [code](const EventHook& h) { return h.code == code; }),
                 hooks_.end());
    if (IsInputCode(code))
        ForChildren(LINK_INPUT_HOOKS, [&](PObject& c) { c.RemoveEventHook(code); });
}

EventRecord& PObject::MakeEvent(EventRecord& out, uint32_t target, uint32_t code, uintptr_t param1, uintptr_t param2)
{
    out = EventRecord{target, code, param1, param2};
    return out;
}

} // namespace Lumora
