// The link's lookups of the frame UI's parts.
#include "framework/app/GameWinAppLink.h"

#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/window/CGameFrameWnd.h"

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

CXyGameFrame* GameWinAppLink::Frame() { return app_.GetFrameUI(); }

int GameWinAppLink::GetGameFrameState()
{
    CXyGameFrame* frame = Frame();
    return frame ? frame->GetFillsWorkArea() : 0;
}

void GameWinAppLink::OnAllowanceConfig(bool ok, const std::string&, int32_t, std::span<const uint8_t>)
{
    if (!ok)
        app_.OnGetSubsidyConfigFailed();
}

void GameWinAppLink::OnAllowanceResult(bool ok, const std::string& text, int32_t, int32_t, int32_t word)
{
    app_.OnAllowanceResult(ok, word, text);
}

CloseDecision GameWinAppLink::DecideWindowClose()
{
    CXyGameFrame* frame = Frame();
    if (!frame)
        return CloseDecision::NoFrame;
    return frame->DecideWindowClose();
}
