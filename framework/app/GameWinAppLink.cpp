// The link's lookups of the frame UI's parts.
#include "framework/app/GameWinAppLink.h"

#include "framework/frame/CXyGameFrame.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/window/CGameFrameWnd.h"

Lumora::CGameBase* GameWinAppLink::GetMainGame()
{
    auto* frame = dynamic_cast<CXyGameFrame*>(app_.GetGameFrameObject());
    return frame ? frame->GetMainGame() : nullptr;
}

Lumora::CGameBase* GameWinAppLink::GetSubSystem()
{
    auto* frame = dynamic_cast<CXyGameFrame*>(app_.GetGameFrameObject());
    return frame ? frame->GetSubSystem() : nullptr;
}

INotifyFrame* GameWinAppLink::GetNotifyFrame()
{
    return dynamic_cast<INotifyFrame*>(app_.GetGameFrameObject());
}

Lumora::CLumoraWnd* GameWinAppLink::GetMainWnd()
{
    return app_.GetMainWnd();
}

void GameWinAppLink::OnWebPageOpened(uintptr_t job)
{
    FreeWebPageJob(job);
    app_.ShowWaitText(nullptr, false);
}

uint32_t GameWinAppLink::GetNoticeFileWord() const
{
    return app_.HallData().room.U32(hall::RoomRecord::kNoticeNumber);
}
