#pragma once
// The registry of every engine object (module 1002): gives each its id and owns it until it is
// unregistered, finds objects by id, name or point, dispatches engine events, runs the timed
// actions and their groups, keeps the viewport and the draw list, and builds each frame from
// the dirty rectangles. Like the core, it is used on the UI thread only (other threads post to
// the window, whose handlers run there), so it takes no lock: an update of every tile in a
// layout pays for none.
#include "engine/BaseModule.h"
#include "engine/geometry/ObjectGeometry.h"
#include "engine/object/ActionRecord.h"
#include "engine/object/DirtyRectList.h"
#include "engine/object/EventRecord.h"
#include "engine/object/ObjectRecord.h"
#include "engine/text/TextSurface.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

class CMemPool;

namespace Lumora {

class BITObject;
class CPglPic;
class CursorClipHost;
class PObject;
class PlaneObject;
struct PictureInfo;

// Message numbers the object module handles.
enum ObjectModuleMessage : uint32_t {
    OBJ_MSG_UNREGISTER = 1015,      // wparam: the object
    OBJ_MSG_POSTED_EVENT = 1016,    // wparam: an event record in a pool block
    OBJ_MSG_SEND_EVENT = 1017,      // wparam: an event record, dispatched now
    OBJ_MSG_POST_EVENT = 1018,      // wparam: an event record, copied and posted
    OBJ_MSG_EVENT_RELEASE = 1019,   // wparam: a heap event record, lparam: release function or null
    OBJ_MSG_INPUT_EVENT = 1020,     // wparam: an event record, handed back to the input module
    OBJ_MSG_UPDATE_OBJECT = 1021,   // wparam: the object
    OBJ_MSG_NOTHING = 1022,
    OBJ_MSG_ADD_ACTION = 1023,      // wparam: an ActionRecord from NewAction
    OBJ_MSG_BEGIN_GROUP = 1024,     // wparam: an ActionGroup from NewGroup
    OBJ_MSG_NEXT_GROUP = 1025,      // wparam: an ActionGroup from NewGroup
    OBJ_MSG_END_GROUP = 1026,
    OBJ_MSG_CANCEL_ACTION = 1027,   // wparam: action id
    OBJ_MSG_CANCEL_GROUP = 1028,    // wparam: group id
    OBJ_MSG_CANCEL_ACTIONS_OF = 1029, // wparam: object id
    OBJ_MSG_FULL_REDRAW = 1030,
};

// Release function of message 1019: called as release(0, record, 0).
using EventReleaseFunction = void (*)(uintptr_t, EventRecord*, uintptr_t);

// Final: every object's redraw calls it, directly rather than through the table of virtuals.
class ObjectModule final : public BaseModule {
public:
    static constexpr double kHitFloorStart = -9999999.99999;
    static constexpr uint32_t kQueueLimit = 1048576;

    // Without a glyph source the text surface opens the real fonts when it first draws.
    explicit ObjectModule(std::shared_ptr<platform::GlyphSource> glyphs = nullptr);
    ~ObjectModule() override;

    int Init() override;
    void Shutdown() override;
    void Work() override;
    int Update(uint32_t now) override;
    // Due while messages wait, a frame is to be built, or an action's next step comes.
    std::optional<uint32_t> NextWorkDue() const override;
    uint32_t GetId() const override { return LUMORA_MODULE_OBJECT; }
    const char* GetName() const override { return "ObjectModule"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;
    uint32_t GetQueueLimit() const override { return kQueueLimit; }

    // Registry. RegisterObject takes ownership and returns the new id; an object that already
    // has an id is refused (0) and stays its creator's.
    virtual uint32_t RegisterObject(PObject* object, PObject* parent);
    virtual PObject* NewObject(PObject* parent);
    virtual BITObject* NewBitmapObject(const PictureInfo& picture, PObject* parent);
    virtual PlaneObject* NewPlaneObject(int width, int height, uint32_t background, PObject* parent);
    virtual void UnregisterObject(uint32_t id);
    virtual PObject* ObjectAt(int x, int y);
    virtual uint32_t GetTopLevelId(uint32_t id) const;
    virtual PObject* FindByName(const char* name) const;
    virtual PObject* FindById(uint32_t id) const;
    virtual void SetViewportSize(int width, int height);
    virtual void SetViewportCentre(int x, int y);
    virtual void FullRedraw();
    virtual double GetTopZ(uint32_t layer) const;
    // The highest z of the layer's shown objects (active, not hidden), `except` and what is
    // linked under it left out; 0 when none.
    double GetTopShownZ(uint32_t layer, const PObject* except) const;
    virtual int32_t GetDrawIndex(uint32_t id) const;
    virtual uint32_t IsDrawOrderSorted() const;
    virtual void SetHitTestMinZ(double z) { hitFloor_ = z; }
    virtual void SetFullRedraw(uint32_t flag) { fullRedraw_ = flag; }
    virtual ActionRecord* NewAction();
    virtual ActionGroup* NewGroup();
    virtual void UpdateObject(PObject* object);
    virtual int DispatchEvent(const EventRecord& record);
    virtual int PostEvent(const EventRecord& record);
    virtual int DispatchActionEnd(const EventRecord& record);

    size_t GetObjectCount() const { return records_.size(); }
    // Counts what may change which object is under a point: registrations, updates, dirty
    // rectangles, dispatched events, action steps, enabling. Equal counts mean the same scene.
    uint64_t ChangeCount() const { return changes_; }
    void NoteChange() { ++changes_; }
    size_t CountPendingActions() const;
    void GetViewport(Rect& out) const { out = viewport_; }
    int32_t GetViewportCentreX() const { return centreX_; }
    int32_t GetViewportCentreY() const { return centreY_; }
    TextSurface& GetTextSurface() { return text_; }

    // Timed actions and groups (messages 1023-1029 do the same through the queue).
    void AddAction(ActionRecord* action);
    void BeginGroup(ActionGroup* group);
    void NextGroup(ActionGroup* group);
    void EndGroup();
    void CancelAction(uint64_t id);
    void CancelGroup(uint64_t id);
    void CancelActionsOf(uint32_t objectId);
    void RunActions();
    // The earliest step (or cancellation) of a listed action, given the module's interval.
    std::optional<uint32_t> NextActionDue() const;
    ActionGroup* CurrentGroup() const { return currentGroup_; }

    // Frame build.
    void AddDirtyRect(const Rect& rect);
    const std::vector<Rect>& DirtyRects() const { return dirty_.Rects(); }
    void RebuildDrawList();
    void BuildFrame();
    // The objects of the draw list, back to front as the next frame draws them. The visit must
    // not register, delete or update objects.
    void ForEachDrawn(const std::function<void(PObject&)>& visit);
    // Every registered object, in registration order, under the same rule.
    void ForEachObject(const std::function<void(PObject&)>& visit);
    // The host window tells the module while it is minimised: no frames are built then.
    void SetHostMinimised(bool minimised) { minimised_ = minimised; }
    // Called after each frame that was built, once the painting module has it (a test's report
    // of what the frame shows); none by default. It may read objects but not change them.
    void SetFrameBuiltHook(std::function<void()> hook) { frameBuilt_ = std::move(hook); }
    // The screen rectangle of a geometry: its bounding box at its angle, cut by its clip.
    static Rect ScreenRect(const ObjectGeometry& g);

    // Text carried by events 19840388/19840389 and 80000008: param1 is a token for a text kept
    // here. The first taker gets the text; what nobody takes is freed after the event is
    // dispatched, or at once when its target is gone.
    uintptr_t NewTextPayload(std::string text);
    std::optional<std::string> TakeTextPayload(uintptr_t token);
    size_t PendingPayloads() const { return payloads_.size(); }

    void SetCursorClipHost(CursorClipHost* host) { cursorHost_ = host; }
    CursorClipHost* GetCursorClipHost() const { return cursorHost_; }
    bool IsShuttingDown() const { return shuttingDown_; }

private:
    friend class PObject;

    static DrawKey KeyOf(const ObjectGeometry& g, uint32_t id);

    // The draw list laid out contiguously for the walks of the frame build and the hit test,
    // with each object's screen rectangle and draw data beside it (an object's draw data is
    // fixed for its life: the frame build need not ask each object for it).
    struct DrawEntry {
        Rect screen;
        PObject* object; // null: left the list since it was placed
        CPglPic* picture;
    };

    void InsertDrawOrder(PObject& object);
    void RemoveFromDrawList(PObject& object);
    // Where a placed object's entry lies in drawOrder_.
    size_t DrawIndexOf(PObject& object) const;
    // Places the waiting records and drops the entries that left: drawOrder_ is then the whole
    // draw list in order.
    const std::vector<DrawEntry>& DrawOrderEntries() const;
    // Takes the object's geometry as it is now; true when it is to be drawn.
    bool Snapshot(ObjectRecord& record, const ObjectGeometry& g) const;
    void FinishAction(ActionRecord* action, bool cancelled);
    void SettleGroup(ActionGroup* group);
    void StartGroup(ActionGroup* group);
    void CancelGroupTree(ActionGroup* group);
    void FreeGroup(ActionGroup* group);
    void PostError(const char* text);
    // An object deleted while still registered (against the rules): its record goes, nothing more.
    void ForgetDeleted(PObject* object);
    PObject* RemoveRecord(uint32_t id, const PObject* expected);

    // Each object carries its own record (ObjectRecord.h).
    std::map<uint32_t, PObject*> records_; // by id, so also in registration order
    uint32_t lastId_ = 0;
    // The draw list: drawOrder_ and drawKeys_ side by side in order, and the records that
    // joined it or changed their key since, placed together when the list is next walked, so
    // that a change of z costs a sort of the few changed rather than a walk of the whole list.
    mutable std::vector<DrawEntry> drawOrder_;
    mutable std::vector<DrawKey> drawKeys_;
    mutable std::vector<PObject*> drawPending_; // null where one left again
    mutable size_t drawLeft_ = 0; // entries of drawOrder_ without an object
    // Placed entries whose rectangles lag their records: only while the whole view is to be
    // painted, until the frame build takes them (UpdateObject).
    bool entriesBehind_ = false;
    mutable std::vector<DrawEntry> mergedOrder_; // kept for their capacity
    mutable std::vector<DrawKey> mergedKeys_;
    // One bit for each dirty rectangle.
    struct DirtyBits {
        static constexpr size_t kWords = (DirtyRectList::kCollapseLimit + 63) / 64;
        uint64_t words[kWords] = {};
        void Set(size_t i) { words[i / 64] |= uint64_t{1} << (i % 64); }
        DirtyBits& operator|=(const DirtyBits& other)
        {
            for (size_t w = 0; w < kWords; ++w)
                words[w] |= other.words[w];
            return *this;
        }
    };
    // A cell of the frame build's grid: the dirty rectangles that touch it, and whether one of
    // them covers it whole (then whatever touches the cell meets a dirty rectangle).
    struct DirtyCell {
        DirtyBits near;
        uint64_t covered = 0;
    };
    // The frame build's coarse grid and its candidates, kept for their capacity.
    std::vector<DirtyCell> dirtyCells_;
    std::vector<std::pair<DrawEntry*, DirtyBits>> nearDirty_;
    std::unique_ptr<CMemPool> eventPool_, renderPool_, groupPool_, actionPool_;
    int32_t centreX_ = 0, centreY_ = 0;
    Rect viewport_;
    DirtyRectList dirty_;
    TextSurface text_;
    uint32_t fullRedraw_ = 0;
    bool minimised_ = false;
    std::function<void()> frameBuilt_;
    uint64_t lastActionId_ = 0;
    ActionGroup* currentGroup_ = nullptr;
    // The listed actions in the order they were added, with what the run's walk asks of each
    // beside it, so that the walk touches only the actions it steps or ends.
    struct ActionSlot {
        uint64_t order;
        uint64_t id;
        ActionRecord* action; // null: ended during the walk, dropped at its end
        uint32_t due; // last step + period
        uint8_t waiting; // its group has not started
        uint8_t now; // unstarted or cancelled: due on the next walk whatever its period
    };
    static ActionSlot SlotOf(ActionRecord& a)
    {
        ActionSlot slot{a.order, a.id, &a, a.lastStep + a.period, 0, 0};
        slot.waiting = a.waiting != 0;
        slot.now = a.cancelled != 0 || a.startTime == 0;
        return slot;
    }
    // Copies an action's state to its slot after the action changed outside the walk.
    void SyncSlot(ActionRecord& action);
    std::vector<ActionSlot> actions_;
    uint64_t lastActionOrder_ = 0;
    uint64_t walkOrder_ = 0; // the walk has passed every action of a lower order
    std::unordered_multimap<uint32_t, ActionRecord*> actionsByTarget_;  // every listed action
    // The earliest work of the listed actions, kept between passes (an action added, cancelled
    // or started is folded in): whether one is due on the next run whatever its period
    // (unstarted or cancelled), and the earliest next step of the others, both in wrapping order
    // (for the wake) and unsigned (as the run compares).
    struct ActionDue {
        bool valid = false;
        bool now = false;
        bool any = false;
        uint32_t wrapped = 0;
        uint32_t earliest = 0;
        void Note(const ActionSlot& s);
    };
    mutable ActionDue actionDue_;
    // RunActions' walk counts what it leaves listed; each action it passes carries the pass.
    ActionDue walkDue_;
    bool walking_ = false;
    void NoteActionDue(ActionRecord& action);
    std::unordered_map<uint64_t, ActionGroup*> groups_; // live groups by id
    double hitFloor_ = kHitFloorStart;
    std::unordered_map<uintptr_t, std::string> payloads_;
    uintptr_t lastPayload_ = 0;
    CursorClipHost* cursorHost_ = nullptr;
    bool shuttingDown_ = false;
    uint64_t changes_ = 0;
};

} // namespace Lumora
