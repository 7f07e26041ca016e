// The link's lookups of the frame UI's parts.
#include "framework/app/GameWinAppLink.h"

#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/notify/NotifyEvents.h"
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

CXyGameFrame* GameWinAppLink::Frame() { return dynamic_cast<CXyGameFrame*>(app_.GetGameFrameObject()); }

int GameWinAppLink::GetGameFrameState()
{
    CXyGameFrame* frame = Frame();
    return frame ? frame->GetFillsWorkArea() : 0;
}

void GameWinAppLink::ShowMsgBox(const char* text, const Lumora::EventRecord* ok, const Lumora::EventRecord* cancel,
                                int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = Frame())
        frame->ShowMsgBox(text, ok, cancel, seconds, flags, icon);
}

void GameWinAppLink::ShowAskBox(const char* text, int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = Frame())
        frame->ShowAskBox(text, seconds, flags, icon);
}

void GameWinAppLink::ShowAskBoxEx(const char* text, int seconds, uint32_t flags, const char* icon,
                                  const char* okPicture, const char* cancelPicture, const char* link, int sign)
{
    if (CXyGameFrame* frame = Frame())
        frame->ShowAskBoxEx(text, seconds, flags, icon, okPicture, cancelPicture, link, sign);
}

void GameWinAppLink::ShowSystemNotice(const char* markup)
{
    // The side panel adds the line to its chat area.
    if (Lumora::CGameBase* panel = GetSubSystem())
        panel->OnEvent({0, framework::EV_SYSTEM_LINE, reinterpret_cast<uintptr_t>(markup), 0});
}

void GameWinAppLink::OnAllowanceConfig(bool ok, const std::string&, int32_t, std::span<const uint8_t>)
{
    if (!ok)
        app_.OnGetSubsidyConfigFailed();
}

void GameWinAppLink::OnAllowanceResult(bool ok, const std::string&, int32_t, int32_t, int32_t word)
{
    app_.OnAllowanceResult(ok, word);
}

CloseDecision GameWinAppLink::DecideWindowClose()
{
    CXyGameFrame* frame = Frame();
    if (!frame)
        return CloseDecision::NoFrame;
    return frame->DecideWindowClose();
}
