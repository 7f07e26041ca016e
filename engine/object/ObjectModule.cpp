#include "engine/object/ObjectModule.h"

#include "engine/GameCore.h"
#include "engine/paint/FrameRecord.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/util/MemPool.h"

#include <cstring>

namespace Lumora {
namespace {

constexpr size_t kBlocksPerChunk = 64;
// Render records come in batches of a frame's (FrameRecord::NewRecord); a busy frame takes a few.
constexpr size_t kRenderBatchesPerChunk = 8;

} // namespace

ObjectModule::ObjectModule(std::shared_ptr<platform::GlyphSource> glyphs) : text_(std::move(glyphs)) {}

ObjectModule::~ObjectModule()
{
    // A module that never went through the core's unload still deletes what it owns.
    if (!shuttingDown_)
        Shutdown();
}

int ObjectModule::Init()
{
    eventPool_ = std::make_unique<CMemPool>(sizeof(EventRecord), kBlocksPerChunk);
    renderPool_ = std::make_unique<CMemPool>(FrameRecord::kRecordsPerBatch * sizeof(RenderRecord), kRenderBatchesPerChunk);
    groupPool_ = std::make_unique<CMemPool>(sizeof(ActionGroup), kBlocksPerChunk);
    actionPool_ = std::make_unique<CMemPool>(sizeof(ActionRecord), kBlocksPerChunk);
    shuttingDown_ = false;
    return 1;
}

// Objects go first, while the pools still exist: their destructors may post events or start
// actions, which are dropped from here on instead of landing in freed pools.
void ObjectModule::Shutdown()
{
    shuttingDown_ = true;
    actions_.clear();
    actionDue_ = ActionDue{};
    actionsByTarget_.clear();
    currentGroup_ = nullptr;
    groups_.clear();
    for (auto& [id, object] : records_)
        object->ReleaseChildren();
    while (!records_.empty())
        UnregisterObject(records_.begin()->first);
    payloads_.clear();
    actions_.clear();
    eventPool_.reset();
    renderPool_.reset();
    groupPool_.reset();
    actionPool_.reset();
}

// Posted events (the input's first) reach their objects on the tick they arrive; the timed
// actions and the frame keep the module's interval.
int ObjectModule::Update(uint32_t now)
{
    if (IsRunning() && now - GetLastUpdate() < GetInterval())
        DrainMessages();
    return BaseModule::Update(now);
}

std::optional<uint32_t> ObjectModule::NextWorkDue() const
{
    if (!Ring().Empty())
        return GetLastUpdate(); // drained on the next tick
    std::optional<uint32_t> due = NextActionDue();
    if (!dirty_.Empty() && !minimised_)
        due = GetLastUpdate() + GetInterval();
    return due;
}

void ObjectModule::Work()
{
    DrainMessages();
    RunActions();
    BuildFrame();
}

int ObjectModule::ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam)
{
    auto* record = reinterpret_cast<EventRecord*>(wparam);
    switch (message) {
    case OBJ_MSG_UNREGISTER:
        // The object may be gone already (released twice): only a registered pointer counts.
        for (auto& [id, object] : records_)
            if (object == reinterpret_cast<PObject*>(wparam)) {
                UnregisterObject(id);
                break;
            }
        return 0;
    case OBJ_MSG_POSTED_EVENT:
        if (record) {
            const EventRecord copy = *record;
            if (eventPool_)
                eventPool_->Free(record);
            DispatchEvent(copy);
        }
        return 1;
    case OBJ_MSG_SEND_EVENT:
        return record ? DispatchEvent(*record) : 0;
    case OBJ_MSG_POST_EVENT:
        if (record)
            PostEvent(*record);
        return 1;
    case OBJ_MSG_EVENT_RELEASE:
        if (record) {
            DispatchEvent(*record);
            if (lparam)
                reinterpret_cast<EventReleaseFunction>(lparam)(0, record, 0);
            else
                delete record;
        }
        return 0;
    case OBJ_MSG_INPUT_EVENT:
        if (record) {
            DispatchEvent(*record);
            PostMessage(LUMORA_MODULE_INPUT, LUMORA_MSG_INPUT_EVENT_BACK, wparam, 0);
        }
        return 0;
    case OBJ_MSG_UPDATE_OBJECT:
        UpdateObject(reinterpret_cast<PObject*>(wparam));
        return 0;
    case OBJ_MSG_ADD_ACTION:
        AddAction(reinterpret_cast<ActionRecord*>(wparam));
        return 0;
    case OBJ_MSG_BEGIN_GROUP:
        BeginGroup(reinterpret_cast<ActionGroup*>(wparam));
        return 0;
    case OBJ_MSG_NEXT_GROUP:
        NextGroup(reinterpret_cast<ActionGroup*>(wparam));
        return 0;
    case OBJ_MSG_END_GROUP:
        EndGroup();
        return 0;
    case OBJ_MSG_CANCEL_ACTION:
        CancelAction(static_cast<uint64_t>(wparam));
        return 0;
    case OBJ_MSG_CANCEL_GROUP:
        CancelGroup(static_cast<uint64_t>(wparam));
        return 0;
    case OBJ_MSG_CANCEL_ACTIONS_OF:
        CancelActionsOf(static_cast<uint32_t>(wparam));
        return 0;
    case OBJ_MSG_FULL_REDRAW:
        FullRedraw();
        return 0;
    default:
        return 0;
    }
}

uint32_t ObjectModule::RegisterObject(PObject* object, PObject* parent)
{
    NoteChange();
    if (!object || object->GetId() != 0 || object->registered_)
        return 0;
    const uint32_t id = ++lastId_;
    object->Attach(GetCore(), id);
    object->module_ = this;
    object->id_ = id;
    object->SetZ(id - 10000.0);

    records_[id] = object;
    object->registered_ = true;
    if (Snapshot(object->record_, object->Geometry())) {
        AddDirtyRect(object->record_.screen);
        InsertDrawOrder(*object);
    }
    if (parent && parent->GetOwner())
        object->SetOwner(parent->GetOwner());
    object->Create();
    return id;
}

PObject* ObjectModule::NewObject(PObject* parent)
{
    auto* object = new PObject;
    RegisterObject(object, parent);
    return object;
}

BITObject* ObjectModule::NewBitmapObject(const PictureInfo& picture, PObject* parent)
{
    auto* object = new BITObject;
    object->LoadPicture(picture, 1);
    RegisterObject(object, parent);
    return object;
}

PlaneObject* ObjectModule::NewPlaneObject(int width, int height, uint32_t background, PObject* parent)
{
    auto* object = new PlaneObject;
    object->CreateSurface(width, height, background, &text_);
    RegisterObject(object, parent);
    return object;
}

// Takes a registered object out of the registry and the draw list (its place is repainted);
// returns it, or null when the id does not name that object.
PObject* ObjectModule::RemoveRecord(uint32_t id, const PObject* expected)
{
    CancelActionsOf(id);
    auto found = records_.find(id);
    if (found == records_.end() || (expected && found->second != expected))
        return nullptr;
    PObject* object = found->second;
    if (object->record_.shown)
        AddDirtyRect(object->record_.screen);
    RemoveFromDrawList(*object);
    records_.erase(found);
    object->registered_ = false;
    return object;
}

// Children linked for ownership go after their parent, whether or not the parent still knows
// them as registered while it is destroyed.
void ObjectModule::UnregisterObject(uint32_t id)
{
    NoteChange();
    auto found = records_.find(id);
    if (found == records_.end()) {
        CancelActionsOf(id);
        return;
    }
    std::vector<uint32_t> owned;
    for (const PObject::ChildLink& link : found->second->Children())
        if ((link.flags & LINK_OWNED) && link.child->IsRegistered())
            owned.push_back(link.child->GetId());
    delete RemoveRecord(id, nullptr);
    for (uint32_t child : owned)
        UnregisterObject(child);
}

void ObjectModule::ForgetDeleted(PObject* object) { RemoveRecord(object->GetId(), object); }

PObject* ObjectModule::FindById(uint32_t id) const
{
    auto found = records_.find(id);
    return found == records_.end() ? nullptr : found->second;
}

PObject* ObjectModule::FindByName(const char* name) const
{
    if (!name)
        return nullptr;
    for (const auto& [id, object] : records_) {
        const std::string& own = object->GetName();
        if (!own.empty() && own == name)
            return object;
    }
    return nullptr;
}

uint32_t ObjectModule::GetTopLevelId(uint32_t id) const
{
    for (const PObject* o = FindById(id); o; o = o->GetParent())
        if (o->GetFlags() & OBJ_TOP_LEVEL)
            return o->GetId();
    return 0;
}

PObject* ObjectModule::ObjectAt(int x, int y)
{
    PObject* best = nullptr;
    uint32_t bestLayer = 0;
    double bestZ = hitFloor_;
    const double wx = x + viewport_.left, wy = y + viewport_.top;
    for (const DrawEntry& entry : DrawOrderEntries()) {
        PObject* o = entry.object;
        // The object's own flags: a widget answers GetFlags for its body, but its own 0x80
        // keeps it from being found in the body's place.
        // The list holds what was shown at its last redraw: one closed or hidden since, at the
        // depth a board opened later takes at its place, would take that board's clicks.
        const uint32_t flags = o->Geometry().flags;
        if (!o->Geometry().active || (flags & OBJ_HIDDEN) || !(flags & OBJ_ENABLED) || (flags & OBJ_NO_HIT) ||
            !o->HitTest(wx, wy))
            continue;
        const uint32_t layer = o->GetLayer();
        const double z = o->GetZ();
        if (layer > bestLayer || (layer == bestLayer && z > bestZ)) {
            best = o;
            bestLayer = layer;
            bestZ = z;
        }
    }
    return best;
}

double ObjectModule::GetTopZ(uint32_t layer) const
{
    double top = 0.0;
    for (const auto& [id, object] : records_)
        if (object->GetLayer() == layer && object->GetZ() > top)
            top = object->GetZ();
    return top;
}

double ObjectModule::GetTopShownZ(uint32_t layer, const PObject* except) const
{
    double top = 0.0;
    for (const auto& [id, object] : records_) {
        const PObject& o = *object;
        if (o.GetLayer() == layer && o.GetZ() > top && o.IsActive() && !(o.Geometry().flags & OBJ_HIDDEN) &&
            !(except && except->IsSelfOrDescendant(id)))
            top = o.GetZ();
    }
    return top;
}

int32_t ObjectModule::GetDrawIndex(uint32_t id) const
{
    int32_t counter = -1;
    for (const DrawEntry& entry : DrawOrderEntries()) {
        if (entry.object->GetId() == id)
            return counter;
        ++counter;
    }
    return counter;
}

uint32_t ObjectModule::IsDrawOrderSorted() const
{
    uint32_t layer = 0;
    double z = -9999999.0;
    for (const DrawEntry& entry : DrawOrderEntries()) {
        const uint32_t l = entry.object->GetLayer();
        const double oz = entry.object->GetZ();
        if (l < layer || (l == layer && oz < z))
            return 0;
        layer = l;
        z = oz;
    }
    return 1;
}

int ObjectModule::DispatchEvent(const EventRecord& record)
{
    NoteChange();
    PObject* target = FindById(record.target);
    const int result = target ? target->OnEvent(record) : 0;
    if (IsPayloadCode(record.code))
        payloads_.erase(record.param1); // whatever nobody took
    return result;
}

int ObjectModule::DispatchActionEnd(const EventRecord& record)
{
    PObject* target = FindById(record.target);
    return target ? target->OnActionEnd(record) : 0;
}

int ObjectModule::PostEvent(const EventRecord& record)
{
    if (shuttingDown_ || !eventPool_) {
        if (IsPayloadCode(record.code))
            payloads_.erase(record.param1);
        return 0;
    }
    void* block = eventPool_->Alloc(sizeof(EventRecord));
    auto* copy = new (block) EventRecord(record);
    PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_POSTED_EVENT, reinterpret_cast<uintptr_t>(copy), 0);
    return 1;
}

uintptr_t ObjectModule::NewTextPayload(std::string text)
{
    if (++lastPayload_ == 0)
        ++lastPayload_;
    payloads_[lastPayload_] = std::move(text);
    return lastPayload_;
}

std::optional<std::string> ObjectModule::TakeTextPayload(uintptr_t token)
{
    auto found = payloads_.find(token);
    if (found == payloads_.end())
        return std::nullopt;
    std::string text = std::move(found->second);
    payloads_.erase(found);
    return text;
}

void ObjectModule::PostError(const char* text)
{
    PostMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_FAULT, reinterpret_cast<uintptr_t>(text), 0);
}

} // namespace Lumora
