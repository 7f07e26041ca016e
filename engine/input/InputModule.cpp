#include "engine/input/InputModule.h"

#include "engine/GameCore.h"
#include "engine/object/CursorClipHost.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "platform/DisplayWindow.h"

#include <algorithm>
#include <cstddef>

namespace Lumora {
namespace {

// A posted input event and the copy of the input state it carries; the record comes first so
// the block and its record share one address.
struct InputEventBlock {
    EventRecord record;
    InputData data;
};

// Objects read a drag's movement from the record through the object module's view of it.
static_assert(offsetof(InputData, x) == offsetof(InputMotion, x) && offsetof(InputData, y) == offsetof(InputMotion, y) &&
              offsetof(InputData, dx) == offsetof(InputMotion, dx) && offsetof(InputData, dy) == offsetof(InputMotion, dy));

// Keys reach the focused object only through its hooks: what has none for them takes no keys.
bool TakesKeys(const PObject& object) { return object.FindEventHook(EV_KEY_DOWN) || object.FindEventHook(EV_CHAR); }

bool IsTextInput(const PObject& object) { return object.FindEventHook(EV_CHAR) != nullptr; }

// Shown and taking input: a deactivated board is not drawn, though not hidden.
bool Stands(const PObject& object) { return object.IsActive() && object.IsVisible() && object.IsEnabled(); }

} // namespace

InputModule::~InputModule() { Shutdown(); }

int InputModule::Init()
{
    SetInterval(kWorkInterval);
    lastWork_ = GetCore() ? GetCore()->GetTime() : 0;
    return 1;
}

void InputModule::Shutdown()
{
    // Records still travelling through the object module's queue are freed here; their return
    // messages then find no input module and carry nothing that needs freeing.
    for (EventRecord* r : outstanding_)
        delete reinterpret_cast<InputEventBlock*>(r);
    outstanding_.clear();
}

int InputModule::ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t)
{
    switch (message) {
    case LUMORA_MSG_INPUT_EVENT_BACK:
        FreeEventRecord(reinterpret_cast<EventRecord*>(wparam));
        break;
    case LUMORA_MSG_INPUT_SWITCH_SET:
        enabled_ = 1;
        break;
    case LUMORA_MSG_INPUT_SWITCH_CLEAR:
        enabled_ = 0;
        break;
    default:
        break;
    }
    return 1;
}

ObjectModule* InputModule::Objects() const
{
    return static_cast<ObjectModule*>(GetModule(LUMORA_MODULE_OBJECT));
}

PObject* InputModule::Find(uint32_t id) const
{
    ObjectModule* objects = Objects();
    return id != 0 && objects ? objects->FindById(id) : nullptr;
}

uint32_t InputModule::Now() const { return GetCore() ? GetCore()->GetTime() : 0; }

void InputModule::FreeEventRecord(EventRecord* record)
{
    if (record && outstanding_.erase(record))
        delete reinterpret_cast<InputEventBlock*>(record);
}

int InputModule::PostInput(const EventRecord& record, bool withInputData)
{
    auto* block = new InputEventBlock{record, data_};
    // A hook may translate the input code to a code of its owner's (a drag-move, a thumb drag):
    // its record still carries the input state, or the owner could not tell where the pointer is.
    if (withInputData && record.param2 == 0)
        block->record.param2 = reinterpret_cast<uintptr_t>(&block->data);
    outstanding_.insert(&block->record);
    // A record dropped undelivered stays in outstanding_ and is freed at shutdown.
    PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_INPUT_EVENT, reinterpret_cast<uintptr_t>(block), 0);
    return 1;
}

int InputModule::SendMouseEvent(uint32_t code, uint32_t objectId)
{
    PObject* object = Find(objectId);
    if (!object)
        return 0;
    if (!IsInputCode(code))
        return PostInput({objectId, code, 0, 0}, false);
    // Every hook the object has for the code, each with its own record and input state.
    int sent = 0;
    size_t cursor = 0;
    while (const EventRecord* hook = object->NextEventHook(code, cursor)) {
        PostInput(*hook, true);
        ++sent;
    }
    return sent != 0;
}

void InputModule::ToBoth(uint32_t code, uint32_t other)
{
    SendMouseEvent(code, cursorObject_);
    if (other != cursorObject_)
        SendMouseEvent(code, other);
}

int InputModule::IsPointInObject(int x, int y, uint32_t objectId)
{
    PObject* object = Find(objectId);
    ObjectModule* objects = Objects();
    if (!object || !objects)
        return 0;
    Rect viewport;
    objects->GetViewport(viewport);
    return object->HitTest(x + viewport.left, y + viewport.top);
}

int InputModule::CanHover(uint32_t objectId)
{
    if (modalRoot_ == 0)
        return 1;
    PObject* root = Find(modalRoot_);
    return root && root->IsSelfOrDescendant(objectId);
}

void InputModule::UpdateInputData(int x, int y)
{
    clientX_ = x;
    clientY_ = y;
    Rect viewport;
    if (ObjectModule* objects = Objects())
        objects->GetViewport(viewport);
    const int32_t ex = x + viewport.left, ey = y + viewport.top;
    data_.dx = ex - data_.x;
    data_.dy = ey - data_.y;
    data_.x = ex;
    data_.y = ey;
    longPressAcc_ = 0;
    if ((data_.flags & INPUT_LONG_PRESS) && (data_.dx || data_.dy)) {
        SendMouseEvent(EV_MOVE_AFTER_LONG_PRESS, cursorObject_);
        data_.flags &= ~INPUT_LONG_PRESS;
    }
}

void InputModule::UpdateHover(int x, int y)
{
    ObjectModule* objects = Objects();
    PObject* under = objects ? objects->ObjectAt(x, y) : nullptr;
    const uint32_t id = under ? under->GetId() : 0;
    if (id == 0) {
        if (hovered_)
            SendMouseEvent(EV_MOUSE_LEAVE, hovered_);
        hovered_ = 0;
    } else if (id == hovered_) {
        SendMouseEvent(EV_MOUSE_MOVE, hovered_);
    } else if (!(data_.flags & (INPUT_LEFT_HELD | INPUT_RIGHT_HELD | INPUT_MIDDLE_HELD))) {
        havePress_ = false;
        if (hovered_)
            SendMouseEvent(EV_MOUSE_LEAVE, hovered_);
        hovered_ = 0;
        if (CanHover(id)) {
            hovered_ = id;
            SendMouseEvent(EV_MOUSE_ENTER, id);
            SendMouseEvent(EV_MOUSE_MOVE, id);
        }
    }
    data_.hovered = hovered_;
}

void InputModule::RefreshHover() { UpdateHover(clientX_, clientY_); }

void InputModule::ClearHover()
{
    hovered_ = 0;
    data_.hovered = 0;
}

void InputModule::OnMouseMove(int x, int y, uint32_t)
{
    if (!enabled_)
        return;
    UpdateInputData(x, y);
    const bool moved = data_.dx != 0 || data_.dy != 0;
    if ((data_.flags & INPUT_LEFT_HELD) && moved) {
        ToBoth(EV_LBUTTON_DRAG, hovered_);
    } else if ((data_.flags & INPUT_RIGHT_HELD) && moved) {
        ToBoth(EV_RBUTTON_DRAG, hovered_);
    } else {
        SendMouseEvent(EV_MOUSE_MOVE, cursorObject_);
        UpdateHover(x, y);
    }
}

void InputModule::OnMouseWheel(int, int, int delta, uint32_t)
{
    if (!enabled_ || delta == 0)
        return;
    ToBoth(delta < 0 ? EV_WHEEL_BACKWARD : EV_WHEEL_FORWARD, focused_);
}

void InputModule::PressDown(bool left, int x, int y)
{
    if (!firstPressSent_) {
        firstPressSent_ = true;
        ToBoth(EV_FIRST_PRESS, hovered_);
    }
    UpdateInputData(x, y);
    data_.flags &= ~INPUT_LONG_PRESS;
    data_.flags |= left ? INPUT_LEFT_HELD : INPUT_RIGHT_HELD;
    TellPressWatchers();
    if (!left) {
        ToBoth(EV_RBUTTON_DOWN, hovered_);
        return;
    }
    const uint32_t now = Now();
    if (havePress_ && now - lastPressTime_ < doubleClickMs_ && x == lastPressX_ && y == lastPressY_) {
        havePress_ = false;
        for (uint32_t target : {cursorObject_, hovered_ != cursorObject_ ? hovered_ : 0u})
            if (!SendMouseEvent(EV_LBUTTON_DOUBLE, target))
                SendMouseEvent(EV_LBUTTON_DOWN, target);
    } else {
        havePress_ = true;
        lastPressTime_ = now;
        lastPressX_ = x;
        lastPressY_ = y;
        ToBoth(EV_LBUTTON_DOWN, hovered_);
    }
    if (!KeepsKeysThroughPress(hovered_))
        SetFocus(hovered_);
}

void InputModule::WatchPresses(const EventRecord& record)
{
    const auto same = [&](const EventRecord& w) { return w.target == record.target && w.code == record.code; };
    if (std::none_of(pressWatchers_.begin(), pressWatchers_.end(), same))
        pressWatchers_.push_back(record);
}

void InputModule::TellPressWatchers()
{
    std::erase_if(pressWatchers_, [this](const EventRecord& watcher) { return !Find(watcher.target); });
    for (const EventRecord& watcher : pressWatchers_)
        PostInput(watcher, true);
}

bool InputModule::KeepsKeysThroughPress(uint32_t pressed) const
{
    const PObject* holder = Find(focused_);
    if (!holder || !Stands(*holder) || !IsTextInput(*holder))
        return false;
    const PObject* hit = Find(pressed);
    return !hit || !TakesKeys(*hit);
}

void InputModule::Release(bool left, int x, int y)
{
    data_.flags &= ~(INPUT_LONG_PRESS | (left ? INPUT_LEFT_HELD : INPUT_RIGHT_HELD));
    UpdateInputData(x, y);
    const uint32_t up = left ? EV_LBUTTON_UP : EV_RBUTTON_UP;
    SendMouseEvent(up, cursorObject_);
    SendMouseEvent(EV_BUTTON_RELEASED, cursorObject_);
    if (hovered_ && hovered_ != cursorObject_) {
        SendMouseEvent(up, hovered_);
        if (IsPointInObject(x, y, hovered_)) {
            SendMouseEvent(left ? EV_LBUTTON_CLICK : EV_RBUTTON_CLICK, hovered_);
            SendMouseEvent(EV_BUTTON_RELEASED, hovered_);
        }
    }
    UpdateHover(x, y);
}

void InputModule::OnLButtonDown(int x, int y, uint32_t)
{
    if (enabled_)
        PressDown(true, x, y);
}

void InputModule::OnLButtonUp(int x, int y, uint32_t)
{
    if (enabled_)
        Release(true, x, y);
}

void InputModule::OnRButtonDown(int x, int y, uint32_t)
{
    if (enabled_)
        PressDown(false, x, y);
}

void InputModule::OnRButtonUp(int x, int y, uint32_t)
{
    if (enabled_)
        Release(false, x, y);
}

void InputModule::OnLButtonDblClk(int, int, uint32_t)
{
    if (!enabled_)
        return;
    ToBoth(EV_LBUTTON_DOUBLE, hovered_);
    ToBoth(EV_LBUTTON_DOWN, hovered_);
}

void InputModule::OnMButtonDown(int, int, uint32_t)
{
    if (!enabled_)
        return;
    data_.flags |= INPUT_MIDDLE_HELD;
    ToBoth(EV_MBUTTON, hovered_);
}

void InputModule::OnMButtonUp(int, int, uint32_t)
{
    if (!enabled_)
        return;
    data_.flags &= ~INPUT_MIDDLE_HELD;
    ToBoth(EV_MBUTTON, hovered_);
}

void InputModule::OnKeyDown(uint32_t key, uint32_t repeat, uint32_t flags)
{
    if (!enabled_)
        return;
    data_.flags |= INPUT_KEY_DOWN;
    data_.key = key;
    data_.keyRepeat = repeat;
    data_.keyFlags = flags;
    GiveKeysBack(true);
    ToBoth(EV_KEY_DOWN, focused_);
}

void InputModule::OnKeyUp(uint32_t key, uint32_t repeat, uint32_t flags)
{
    if (!enabled_)
        return;
    data_.flags &= ~INPUT_KEY_DOWN;
    data_.key = key;
    data_.keyRepeat = repeat;
    data_.keyFlags = flags;
    data_.keyReleased = key;
    GiveKeysBack(true);
    ToBoth(EV_KEY_UP, focused_);
}

void InputModule::OnChar(uint32_t character, uint32_t, uint32_t)
{
    if (!enabled_)
        return;
    const auto byte = static_cast<unsigned char>(character & 0xFF);
    if (leadByte_ != 0) {
        data_.character[0] = static_cast<char>(leadByte_);
        data_.character[1] = static_cast<char>(byte);
        data_.character[2] = data_.character[3] = 0;
        leadByte_ = 0;
    } else if (byte > 126) {
        leadByte_ = byte;
        return;
    } else if (byte >= 32) {
        data_.character[0] = static_cast<char>(byte);
        data_.character[1] = data_.character[2] = data_.character[3] = 0;
    } else {
        return;  // control characters are not text
    }
    GiveKeysBack(true);
    ToBoth(EV_CHAR, focused_);
}

void InputModule::OnKillFocus()
{
    ToBoth(EV_INPUT_LOST, hovered_);
    if (data_.flags & INPUT_LEFT_HELD)
        SendMouseEvent(EV_LBUTTON_UP, hovered_);
    if (data_.flags & INPUT_RIGHT_HELD)
        SendMouseEvent(EV_RBUTTON_UP, hovered_);
    if (hovered_)
        SendMouseEvent(EV_MOUSE_LEAVE, hovered_);
    ClearHover();
    SetFocus(0);
    ShowSystemCursor(true);
    data_ = InputData{};
    leadByte_ = 0;
    havePress_ = false;
    firstPressSent_ = false;
}

void InputModule::OnSetCursor()
{
    SetCursor();
}

uint32_t InputModule::SetFocus(uint32_t objectId)
{
    const uint32_t previous = focused_;
    if (objectId == previous)
        return previous;
    if (objectId == 0) {
        earlierHolders_.clear();
    } else if (previous != 0) {
        std::erase(earlierHolders_, previous);
        earlierHolders_.push_back(previous);
        if (earlierHolders_.size() > kEarlierHolders)
            earlierHolders_.erase(earlierHolders_.begin());
    }
    MoveFocus(objectId);
    return previous;
}

void InputModule::MoveFocus(uint32_t objectId)
{
    const uint32_t previous = focused_;
    if (objectId != 0)
        std::erase(earlierHolders_, objectId);
    // The focus mark is the object flag that also stops CheckChildren asking the children.
    if (PObject* old = Find(previous)) {
        old->RemoveFlags(OBJ_NO_CHECK_CHILDREN);
        SendMouseEvent(EV_FOCUS_LEFT, previous);
    }
    focused_ = objectId;
    data_.focused = objectId;
    if (PObject* now = Find(objectId)) {
        now->AddFlags(OBJ_NO_CHECK_CHILDREN);
        SendMouseEvent(EV_FOCUS_GAINED, objectId);
    }
}

void InputModule::GiveKeysBack(bool forKeys)
{
    if (!focused_)
        return;
    const PObject* holder = Find(focused_);
    const bool stands = holder && Stands(*holder);
    if (stands && (!forKeys || TakesKeys(*holder)))
        return;
    while (!earlierHolders_.empty()) {
        const uint32_t id = earlierHolders_.back();
        earlierHolders_.pop_back();
        if (const PObject* earlier = Find(id); earlier && Stands(*earlier) && TakesKeys(*earlier)) {
            MoveFocus(id);
            return;
        }
    }
    if (!stands)
        MoveFocus(0);
}

void InputModule::SetCursor()
{
    // By id: the window asks before every pointer move, and a look-up by name walks the scene.
    PObject* cursorObject = cursorVisible_ ? Find(cursorObject_) : nullptr;
    if (cursorObject) {
        cursorObject->OnEvent({cursorObject->GetId(), EV_SET_CURSOR, 0, 0});
        return;
    }
    if (window_)
        window_->SetCursor(cursor_);
}

void InputModule::SetCursorHandle(const platform::Cursor& cursor)
{
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (window_)
        window_->SetCursor(cursor_);
}

void InputModule::ShowSystemCursor(bool show)
{
    if (show == cursorVisible_)
        return;
    cursorVisible_ = show;
    if (!window_)
        return;
    // The display count is shared with everyone who calls it; step until it is on our side.
    for (int i = 0; i < 64; ++i) {
        const int count = window_->ShowCursor(show);
        if (show ? count >= 0 : count < 0)
            break;
    }
}

uint32_t InputModule::SetHookTarget(uint32_t objectId)
{
    const uint32_t previous = hookTarget_;
    hookTarget_ = objectId;
    return previous;
}

void InputModule::HookEvent(uint32_t code, const EventRecord& hook)
{
    if (PObject* target = Find(hookTarget_ ? hookTarget_ : cursorObject_))
        target->AddEventHook(code, hook);
}

void InputModule::UnhookEvent(uint32_t code)
{
    if (PObject* target = Find(hookTarget_ ? hookTarget_ : cursorObject_))
        target->RemoveEventHook(code);
}

void InputModule::Work()
{
    const uint32_t now = GetLastUpdate();
    longPressAcc_ += now - lastWork_;
    lastWork_ = now;
    if (longPressAcc_ >= longPressMs_ && !(data_.flags & INPUT_LONG_PRESS)) {
        ToBoth(EV_LONG_PRESS, hovered_);
        data_.flags |= INPUT_LONG_PRESS;
    }
    ObjectModule* objects = Objects();
    // The pointer's moves look for themselves; here only a changed scene can change the hover.
    const uint64_t scene = objects ? objects->ChangeCount() : 0;
    const bool sceneChanged = scene != hoverScene_;
    hoverScene_ = scene;
    if (sceneChanged && !(data_.flags & INPUT_LEFT_HELD)) {
        PObject* under = objects ? objects->ObjectAt(clientX_, clientY_) : nullptr;
        PObject* hovered = Find(hovered_);
        if ((under ? under->GetId() : 0) != hovered_ ||
            (hovered && (!hovered->IsVisible() || !hovered->IsEnabled())))
            RefreshHover();
    }
    GiveKeysBack(false);
    CheckPointerInWindow();
}

void InputModule::CheckPointerInWindow()
{
    const bool inside = window_ && window_->PointerInside();
    if (inside == pointerInside_)
        return;
    pointerInside_ = inside;
    if (inside) {
        SendMouseEvent(EV_WINDOW_ENTER, cursorObject_);
        if (cursorVisible_)
            SetCursor();
    } else {
        ToBoth(EV_WINDOW_LEAVE, hovered_);
    }
}

} // namespace Lumora
