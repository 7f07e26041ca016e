#include "widgets/WidgetSupport.h"

#include "engine/input/InputModule.h"
#include "engine/senior/CClassSenior.h"
#include "engine/object/PObject.h"
#include "platform/Cursor.h"

namespace Lumora {

InputData CurrentInputData(const CClassSenior& widget)
{
    InputData data;
    return widget.GetInputData(data);
}

InputData InputDataOf(const CClassSenior& widget, const EventRecord& record)
{
    if (record.param2)
        return *reinterpret_cast<const InputData*>(record.param2);
    return CurrentInputData(widget);
}

void SendNotify(CClassSenior& widget, const EventRecord& record)
{
    if (IsDeliverable(record))
        widget.SendEvent(record);
}

void PostNotify(CClassSenior& widget, const EventRecord& record)
{
    if (IsDeliverable(record))
        widget.PostEvent(record);
}

void PlayWidgetSound(CClassSenior& widget, const char* name)
{
    if (name && *name)
        widget.PlaySound(name, 0, nullptr);
}

void ShowWidgetCursor(CClassSenior& widget, bool hand)
{
    // The cursor object by the id the input module keeps: this runs on every enter and leave the
    // hover's hit test finds, and over a chat box on every move, where a look-up by name would
    // walk the whole scene.
    const auto* input = dynamic_cast<const InputModule*>(widget.GetInputModule());
    if (PObject* cursor = input && input->CursorObject() ? widget.FindById(input->CursorObject()) : nullptr) {
        widget.SendEvent(EventRecord{cursor->GetId(), hand ? EV_CURSOR_HAND : EV_CURSOR_ARROW, 0, 0});
        return;
    }
    widget.SetCursorHandle(platform::Cursor::System(int(hand ? kHandCursorId : kArrowCursorId)));
}

void HookButtonPointer(PObject& body, uint32_t widgetId)
{
    for (uint32_t code : {EV_MOUSE_ENTER, EV_MOUSE_LEAVE, EV_LBUTTON_DOWN, EV_LBUTTON_CLICK})
        body.AddEventHook(code, widgetId, code, 0, 0);
}

void HookThumbAndTrack(PObject& thumb, PObject& track, uint32_t barId)
{
    const uint32_t hooks[][2] = {{EV_MOUSE_ENTER, EV_THUMB_ENTER},
                                 {EV_MOUSE_LEAVE, EV_THUMB_LEAVE},
                                 {EV_LBUTTON_DOWN, EV_THUMB_PRESS},
                                 {EV_LBUTTON_CLICK, EV_THUMB_RELEASE},
                                 {EV_LBUTTON_DRAG, EV_THUMB_DRAG}};
    for (const auto& h : hooks)
        thumb.AddEventHook(h[0], barId, h[1], 0, 0);
    track.AddEventHook(EV_LBUTTON_DOWN, barId, EV_TRACK_PRESS, 0, 0);
}

} // namespace Lumora
