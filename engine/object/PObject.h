#pragma once
// The base of every engine object: a rectangle with a centre, size, z order, layer, angle,
// opacity, flags and optional clip, a parent, linked children that follow it, event hooks and
// a name. The object module registers, orders, hit-tests and draws it.
#include "engine/geometry/ObjectGeometry.h"
#include "engine/object/CountedGeometry.h"
#include "engine/object/EventRecord.h"
#include "engine/object/ObjectRecord.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Lumora {

class CPglPic;
class GameCore;
class ObjectModule;

// On a line of its own: what a walk over many objects reads of each (the geometry, the record,
// the links) then spans three lines, not four.
class alignas(64) PObject {
public:
    struct ChildLink {
        PObject* child;
        uint32_t flags;
    };
    struct EventHook {
        uint32_t code;
        EventRecord record;
    };

    PObject();
    virtual ~PObject();
    PObject(const PObject&) = delete;
    PObject& operator=(const PObject&) = delete;

    virtual void Attach(GameCore* core, uint32_t id);
    virtual uint32_t RegisterChild(PObject* object);
    // The one way to make a child object: creates a T and registers it under this object.
    // When registration fails the new object is deleted and null returned, so nothing leaks.
    template <typename T>
    T* NewChild()
    {
        auto object = std::make_unique<T>();
        if (!RegisterChild(object.get()))
            return nullptr;
        return object.release();
    }
    virtual void Create() {}
    virtual int GetType() const { return 1; }
    virtual void MoveTo(double x, double y);
    virtual void MoveBy(double dx, double dy);
    virtual void Resize(double w, double h);
    virtual void SetZ(double z);
    virtual void MoveZBy(double dz);
    virtual void BringToFront();
    // Raises this object, with what follows its z, above every shown object of its layer that is
    // not its own, when one stands as high: a board opened later stands above those already open.
    void RaiseOverShown();
    virtual void Activate();
    virtual void Deactivate();
    virtual void SetAlpha(double a);
    virtual void SetAngle(double a);
    virtual void RotateBy(double da);
    virtual void RotateAround(double cx, double cy, double da);
    virtual void ScaleBy(double sx, double sy);
    virtual void SetSize(double w, double h);
    virtual void SetClipRect(const Rect& rect);
    virtual void SetVisible(bool show);
    virtual void SetGeometry(const ObjectGeometry& g) { geometry_.Edit() = g; }
    virtual void SetOwner(PObject* owner);
    virtual int AddChild(PObject* child, uint32_t linkFlags);
    virtual uint32_t GetChildLinkFlags(uint32_t id) const;
    virtual void SetChildLinkFlags(uint32_t id, uint32_t flags);
    virtual void RemoveChild(uint32_t id);
    virtual int HasChild(uint32_t id) const;
    virtual int IsSelfOrDescendant(uint32_t id) const;
    virtual void ReleaseChildren();
    virtual void ClearParent() { parent_ = nullptr; }
    virtual void SetParent(PObject* parent);
    virtual void BroadcastEvent(const EventRecord& record);
    virtual void SetName(const char* text);
    virtual void SetEnabled(bool on);
    virtual void SetDraggable(bool on);
    virtual void SetTopLevel(bool on);
    // Flags as they are already are not written: a layout sets the same ones on every update.
    virtual void SetFlags(uint32_t flags)
    {
        if (geometry_->flags != flags)
            geometry_.Edit().flags = flags;
    }
    virtual void AddFlags(uint32_t flags)
    {
        if ((geometry_->flags & flags) != flags)
            geometry_.Edit().flags |= flags;
    }
    virtual void RemoveFlags(uint32_t flags)
    {
        if (geometry_->flags & flags)
            geometry_.Edit().flags &= ~flags;
    }
    virtual void SetLayer(uint32_t layer);
    virtual void SetTopMost();
    virtual void Redraw();
    virtual int OnEvent(const EventRecord& record);
    virtual int OnActionEnd(const EventRecord&) { return 1; }
    virtual PObject* GetOwner() const { return owner_; }
    virtual void GetGeometry(ObjectGeometry& out) const { out = geometry_.Get(); }
    virtual uint32_t GetId() const { return id_; }
    virtual PObject* GetParent() const { return parent_; }
    virtual uint32_t ReservedQuery(uint32_t) const { return 0; }
    virtual int HitTest(double x, double y) const;
    virtual int IsActive() const { return geometry_->active != 0; }
    virtual int IsVisible() const { return (geometry_->flags & OBJ_HIDDEN) == 0; }
    virtual int IsEnabled() const { return (geometry_->flags & OBJ_ENABLED) != 0; }
    virtual int IsHitTransparent() const { return (geometry_->flags & OBJ_NO_HIT) != 0; }
    virtual int CheckChildren();
    virtual int IsTopLevel() const { return (geometry_->flags & OBJ_TOP_LEVEL) != 0; }
    virtual double GetX() const { return geometry_->x; }
    virtual double GetY() const { return geometry_->y; }
    virtual double GetZ() const { return geometry_->z; }
    virtual double GetZAbove() const { return geometry_->z + 0.0000001; }
    virtual double GetWidth() const { return geometry_->width; }
    virtual double GetHeight() const { return geometry_->height; }
    virtual double GetAlpha() const { return geometry_->alpha; }
    virtual double GetAngle() const { return geometry_->angle; }
    virtual void GetClipRect(Rect& out) const { out = geometry_->clip; }
    virtual uint32_t GetFlags() const { return geometry_->flags; }
    virtual uint32_t GetLayer() const { return geometry_->layer; }
    virtual double GetLeft() const { return geometry_->x - geometry_->width * 0.5; }
    virtual double GetRight() const { return geometry_->x + geometry_->width * 0.5; }
    virtual double GetTop() const { return geometry_->y - geometry_->height * 0.5; }
    virtual double GetBottom() const { return geometry_->y + geometry_->height * 0.5; }
    // What the painting module draws for the object; nothing for a plain object.
    virtual CPglPic* GetDrawData() { return nullptr; }
    virtual void OnOwnedObject(PObject*) {}

    // Immediate and queued delivery through the object module; nothing before registration or
    // for a record whose target or code is 0.
    int SendEvent(const EventRecord& record);
    void PostEvent(const EventRecord& record);
    void AddEventHook(uint32_t code, const EventRecord& record);
    void AddEventHook(uint32_t code, uint32_t target, uint32_t eventCode, uintptr_t param1, uintptr_t param2);
    void AddSelfEventHook(uint32_t code) { AddEventHook(code, id_, code, 0, 0); }
    const EventRecord* FindEventHook(uint32_t code) const;
    // From the cursor on; the cursor advances past the hook returned. Null at the end.
    const EventRecord* NextEventHook(uint32_t code, size_t& cursor) const;
    void RemoveEventHook(uint32_t code);
    static EventRecord& MakeEvent(EventRecord& out, uint32_t target, uint32_t code, uintptr_t param1, uintptr_t param2);

    const ObjectGeometry& Geometry() const { return geometry_.Get(); }
    // Counts every write of the geometry (CountedGeometry): the same count, the same geometry.
    uint32_t GeometryWrites() const { return geometry_.Writes(); }
    // Asks the processor for what a move, a resize, a fade and an update of the object read: its
    // geometry, its children's list, the module and its record, which lie first. A walk over many
    // objects after a frame (when they are out of the caches) asks ahead for the next ones.
    void PrefetchForUpdate() const
    {
        const auto* at = reinterpret_cast<const char*>(this);
        __builtin_prefetch(at);
        __builtin_prefetch(at + 64);
        __builtin_prefetch(at + 128);
        __builtin_prefetch(&childLinks_);
    }
    const std::string& GetName() const { return name_; }
    const std::vector<ChildLink>& Children() const { return children_; }
    GameCore* GetCore() const { return core_; }
    ObjectModule* GetObjectModule() const { return module_; }
    // Attached to a core and present in the object module's registry.
    bool IsRegistered() const { return registered_ && module_ != nullptr; }

protected:
    CountedGeometry geometry_;

private:
    friend class ObjectModule;

    template <typename F>
    void ForChildren(uint32_t linkFlag, F&& f);
    template <typename F>
    void ForSeveralChildren(uint32_t linkFlag, F& f);

    // What a layout's setters and updates touch lies together after the geometry: the
    // children's list (every setter walks it), the module and the module's record.
    std::vector<ChildLink> children_;
    ObjectModule* module_ = nullptr;
    ObjectRecord record_;  // the module's, while registered
    uint32_t id_ = 0;
    bool registered_ = false;
    // Every link flag a child has had since the list was last emptied: an operation that no
    // child follows reads nothing of the list.
    uint32_t childLinks_ = 0;
    GameCore* core_ = nullptr;
    PObject* parent_ = nullptr;
    PObject* owner_ = nullptr;
    std::vector<EventHook> hooks_;
    std::string name_;
    Rect savedCursorClip_;
};

} // namespace Lumora
