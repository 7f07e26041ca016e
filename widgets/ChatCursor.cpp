#include "widgets/ChatCursor.h"

#include "engine/input/InputModule.h"
#include "engine/senior/CClassSenior.h"
#include "platform/Cursor.h"
#include "widgets/ChatEvents.h"

namespace Lumora {

void ShowChatCursor(CClassSenior& widget, bool hand)
{
    if (PObject* cursor = widget.FindByName("object_cursor")) {
        widget.SendEvent({cursor->GetId(), hand ? EV_SHOW_HAND : EV_SHOW_ARROW, 0, 0});
        return;
    }
    if (auto* input = dynamic_cast<InputModule*>(widget.GetInputModule()))
        input->SetCursorHandle(platform::Cursor::System(int(hand ? kSystemHandCursor : kSystemArrowCursor)));
}

} // namespace Lumora
