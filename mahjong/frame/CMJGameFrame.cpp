// The mahjong frame: placing the table's character dialogs.
#include "mahjong/frame/CMJGameFrame.h"

#include "framework/frame/FrameEvents.h"

namespace Lumora {

void CMJGameFrame::PlaceCharacter(PObject& dialog, const Rect& scene)
{
    // Boxes stack from 90000 upward; the counter holds the last depth given.
    int32_t z = GetSetting(framework::kBoxCounterSetting);
    z = z < 90000 ? 90000 : z + 1;
    SetSetting(framework::kBoxCounterSetting, z);
    dialog.SetZ(z);
    dialog.MoveTo((scene.left + scene.right) / 2, (scene.top + scene.bottom) / 2);
    dialog.Activate();
    dialog.Redraw();
}

} // namespace Lumora
