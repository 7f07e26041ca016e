#pragma once
// Engine module 1005: turns the host window's mouse and keyboard messages into input events
// for engine objects. It tracks the pointer, the hovered and the focused object, recognises
// clicks, double clicks, drags and long presses and the pointer entering and leaving the
// window, and keeps the cursor object ("object_cursor", known by the id SetCursorObject gives:
// never looked up by name on a pointer move) informed. Mouse events go to the cursor
// object and the hovered object, wheel and key events to the cursor object and the focused one.
//
// Where the keys go. A press gives them to what it hits, with two exceptions that keep typing
// where a person left it, as desktop toolkits do:
// - a text input (an object hooked for characters) that holds them keeps them through a press on
//   what takes no keys (a button, a tile, the felt): a click on a board's or the title bar's
//   button does not end typing in the input line;
// - when their holder goes (released, deactivated, hidden or disabled), or a key comes to a holder
//   that takes no keys, they go back to the latest earlier holder that still stands and takes
//   keys: a board or a list that took them from the input line gives them back when it closes.
// Dropping them (SetFocus(0): Escape in an input line, the window losing the keyboard) forgets
// the earlier holders.
#include "engine/BaseModule.h"
#include "engine/input/InputData.h"
#include "engine/object/EventRecord.h"
#include "platform/Cursor.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace platform {
class DisplayWindow;
}

namespace Lumora {

class ObjectModule;
class PObject;

class InputModule : public BaseModule {
public:
    static constexpr uint32_t kWorkInterval = 100;
    static constexpr uint32_t kLongPressMs = 500;
    static constexpr uint32_t kDoubleClickMs = 500;

    InputModule() = default;
    ~InputModule() override;

    int Init() override;
    void Shutdown() override;
    void Work() override;
    uint32_t GetId() const override { return LUMORA_MODULE_INPUT; }
    const char* GetName() const override { return "InputModule"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;

    // The host window's messages; x, y in client pixels. All but OnKillFocus do nothing while
    // input is disabled.
    virtual void OnMouseMove(int x, int y, uint32_t flags);
    virtual void OnMouseWheel(int x, int y, int delta, uint32_t flags);
    virtual void OnLButtonDown(int x, int y, uint32_t flags);
    virtual void OnLButtonUp(int x, int y, uint32_t flags);
    virtual void OnLButtonDblClk(int x, int y, uint32_t flags);
    virtual void OnRButtonDown(int x, int y, uint32_t flags);
    virtual void OnRButtonUp(int x, int y, uint32_t flags);
    virtual void OnMButtonDown(int x, int y, uint32_t flags);
    virtual void OnMButtonUp(int x, int y, uint32_t flags);
    virtual void OnKeyDown(uint32_t key, uint32_t repeat, uint32_t flags);
    virtual void OnKeyUp(uint32_t key, uint32_t repeat, uint32_t flags);
    virtual void OnChar(uint32_t character, uint32_t repeat, uint32_t flags);
    virtual void OnKillFocus();
    // The window asks for a cursor before each mouse move.
    virtual void OnSetCursor();

    virtual int IsPointInObject(int x, int y, uint32_t objectId);
    virtual int CanHover(uint32_t objectId);
    virtual void UpdateHover(int x, int y);
    virtual void UpdateInputData(int x, int y);
    virtual void FreeEventRecord(EventRecord* record);
    virtual void RefreshHover();
    virtual void ClearHover();
    virtual void SetCursor();
    virtual void SetLongPressTime(uint32_t ms) { longPressMs_ = ms; }
    virtual void SetModalRoot(uint32_t objectId) { modalRoot_ = objectId; }
    virtual void SetCursorObject(uint32_t objectId) { cursorObject_ = objectId; }
    // Gives the keys to the object (0: drops them and forgets their earlier holders); returns
    // the previous holder.
    virtual uint32_t SetFocus(uint32_t objectId);
    virtual void SetCursorHandle(const platform::Cursor& cursor);
    virtual void ShowSystemCursor(bool show);
    // On the hook target object (the cursor object until set otherwise).
    virtual void HookEvent(uint32_t code, const EventRecord& hook);
    virtual void UnhookEvent(uint32_t code);
    virtual int SendMouseEvent(uint32_t code, uint32_t objectId);
    // The record's target is told of every press in the window (either button), wherever it
    // lands and before what it lands on, with the input state; until the target is gone.
    void WatchPresses(const EventRecord& record);

    void GetInputData(InputData& out) const { out = data_; }
    uint32_t SetHookTarget(uint32_t objectId);
    void SetInputSwitch(uint32_t value) { enabled_ = value; }
    bool IsInputEnabled() const { return enabled_ != 0; }

    // The window whose cursor, pointer and capture this module uses; null in bare tests.
    void SetWindow(platform::DisplayWindow* window) { window_ = window; }
    uint32_t Hovered() const { return hovered_; }
    uint32_t Focused() const { return focused_; }
    uint32_t CursorObject() const { return cursorObject_; }
    size_t OutstandingRecords() const { return outstanding_.size(); }

private:
    ObjectModule* Objects() const;
    PObject* Find(uint32_t id) const;
    uint32_t Now() const;
    void ToBoth(uint32_t code, uint32_t other);
    int PostInput(const EventRecord& record, bool withInputData);
    void PressDown(bool left, int x, int y);
    void TellPressWatchers();
    void Release(bool left, int x, int y);
    void CheckPointerInWindow();
    // The focus moved without remembering the holder it leaves.
    void MoveFocus(uint32_t objectId);
    // The keys back to the latest earlier holder that stands and takes keys, when the holder
    // is gone, or (`forKeys`: a key is coming) when it takes none.
    void GiveKeysBack(bool forKeys);
    // Whether a press on `pressed` leaves the keys with their holder (see the header).
    bool KeepsKeysThroughPress(uint32_t pressed) const;

    int leadByte_ = 0;
    InputData data_;
    uint32_t hovered_ = 0;
    uint32_t focused_ = 0;
    // Earlier holders of the keys, by id, the latest last; at most kEarlierHolders.
    static constexpr size_t kEarlierHolders = 8;
    std::vector<uint32_t> earlierHolders_;
    uint32_t cursorObject_ = 0;
    uint32_t hookTarget_ = 0;
    uint32_t longPressMs_ = kLongPressMs;
    uint32_t longPressAcc_ = 0;
    uint32_t lastPressTime_ = 0;
    bool havePress_ = false;
    int lastPressX_ = 0;
    int lastPressY_ = 0;
    uint32_t doubleClickMs_ = kDoubleClickMs;
    uint32_t lastWork_ = 0;
    uint64_t hoverScene_ = ~uint64_t{0}; // the object module's change count at the last hover check
    platform::Cursor cursor_;
    bool cursorVisible_ = true;
    bool pointerInside_ = false;
    bool firstPressSent_ = false;
    uint32_t enabled_ = 1;
    uint32_t modalRoot_ = 0;
    int clientX_ = 0;  // the last pointer position in client pixels
    int clientY_ = 0;
    platform::DisplayWindow* window_ = nullptr;
    std::unordered_set<EventRecord*> outstanding_;  // posted records not yet handed back
    std::vector<EventRecord> pressWatchers_;
};

} // namespace Lumora
