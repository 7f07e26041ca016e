#pragma once
// What every widget of the toolkit shares: reading the input data that arrives with an input event, sending an owner's notify record,
// playing a click sound by name, and switching between the hand and the arrow cursor.
#include "engine/input/InputData.h"
#include "engine/object/EventRecord.h"
#include <cstdint>

namespace Lumora {

class CClassSenior;
class PObject;

inline constexpr uint32_t kColourKeyBackground = 0xFF00FF;

// Widget event codes beyond the input codes.
enum WidgetEventCode : uint32_t {
    EV_SCROLL_POSITION = 19840362,
    EV_SCROLL_RIGHT = 19840363,
    EV_SCROLL_LEFT = 19840364,
    EV_SCROLL_UP = 19840365,
    EV_SCROLL_DOWN = 19840366,
    EV_PROGRESS_SEEK = 19840374,
    EV_DIALOG_OK = 19840392,
    EV_DIALOG_CANCEL = 19840393,
    EV_DIALOG_TICK = 19840394,
};

inline constexpr uint32_t kHandCursorId = 32649;
inline constexpr uint32_t kArrowCursorId = 32512;
inline constexpr uint32_t kVirtualKeyEnter = 13;

// A record whose target or code is 0 names nobody and is never delivered.
inline bool IsDeliverable(const EventRecord& r) { return r.target != 0 && r.code != 0; }

// The input data of an input event (its second parameter), or the input module's current data
// when the record carries none; zeroes without an input module.
InputData InputDataOf(const CClassSenior& widget, const EventRecord& record);
InputData CurrentInputData(const CClassSenior& widget);

// Sends now (push buttons) or posts for a later tick (check buttons, dialog results); nothing
// for a record that names nobody.
void SendNotify(CClassSenior& widget, const EventRecord& record);
void PostNotify(CClassSenior& widget, const EventRecord& record);

// Plays a click sound by name; an empty or missing name plays nothing.
void PlayWidgetSound(CClassSenior& widget, const char* name);

// The hand or the arrow: through the input module's cursor object when there is one, else
// straight through the system cursor.
void ShowWidgetCursor(CClassSenior& widget, bool hand);

// The four pointer codes every button hooks on its body: enter, leave, press, and a release
// that clicks only inside the button and while it is enabled. False for other codes.
template <typename Button>
bool DispatchButtonPointer(Button& button, const EventRecord& record)
{
    switch (record.code) {
    case EV_MOUSE_ENTER:
        button.OnEnter();
        return true;
    case EV_MOUSE_LEAVE:
        button.OnLeave();
        return true;
    case EV_LBUTTON_DOWN:
        button.OnPress();
        return true;
    case EV_LBUTTON_CLICK: {
        const InputData in = InputDataOf(button, record);
        if (button.HitTestAt(in.x, in.y) && button.IsEnabled())
            button.OnClick();
        return true;
    }
    default:
        return false;
    }
}
void HookButtonPointer(PObject& body, uint32_t widgetId);

// The codes a thumb and its track forward to their bar (scroll bar, slider).
enum ThumbEventCode : uint32_t {
    EV_THUMB_ENTER = 80000002,
    EV_THUMB_LEAVE = 80000003,
    EV_THUMB_PRESS = 80000004,
    EV_THUMB_RELEASE = 80000005,
    EV_THUMB_DRAG = 80000006,
    EV_TRACK_PRESS = 80000007,
};
void HookThumbAndTrack(PObject& thumb, PObject& track, uint32_t barId);

} // namespace Lumora
