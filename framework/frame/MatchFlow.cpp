// The match room's flow on top of the table: the sign-up and give-up buttons with their
// debounce, and the events the match objects raise.
#include "framework/frame/CXyGameFrame.h"

#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace framework;

namespace {

constexpr uint32_t kDebounceMs = 5000;

} // namespace

void CXyGameFrame::DebounceButton(CXyStandButton* button)
{
    if (!button)
        return;
    button->Enable(false);
    // Back through the frame, which enables the widget and its face together.
    const EventRecord enable{GetId(), EV_WIDGET_ENABLED, button->GetId(), 0};
    PostEventAfter(kDebounceMs, &enable);
}

void CXyGameFrame::SendRequest201231()
{
    if (IFrameApp* app = GetFrameApp())
        app->Request201231();
    DebounceButton(signUp_);
}

void CXyGameFrame::SendRequest201232()
{
    if (IFrameApp* app = GetFrameApp())
        app->Request201232();
    DebounceButton(giveUp_);
}

int CXyGameFrame::OnMatchEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_FRAME_SIGN_UP:
        SendRequest201231();
        return 1;
    case EV_FRAME_GIVE_UP:
        SendRequest201232();
        return 1;
    case EV_WIDGET_ENABLED:
        if (auto* button = dynamic_cast<CLumoraGui*>(FindById(uint32_t(record.param1)))) {
            button->Enable(true);
            return 1;
        }
        return CGameBase::OnEvent(record);
    default:
        return CGameBase::OnEvent(record);
    }
}
