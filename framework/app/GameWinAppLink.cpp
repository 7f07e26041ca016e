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

namespace {
CXyGameFrame* FrameOf(CGameWinApp& app) { return dynamic_cast<CXyGameFrame*>(app.GetGameFrameObject()); }
} // namespace

void GameWinAppLink::ShowMsgBox(const char* text, const Lumora::EventRecord* ok, const Lumora::EventRecord* cancel,
                                int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = FrameOf(app_))
        frame->ShowMsgBox(text, ok, cancel, seconds, flags, icon);
}

void GameWinAppLink::ShowAskBox(const char* text, int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = FrameOf(app_))
        frame->ShowAskBox(text, seconds, flags, icon);
}

void GameWinAppLink::ShowAskBoxEx(const char* text, int seconds, uint32_t flags, const char* icon,
                                  const char* okPicture, const char* cancelPicture, const char* link, int sign)
{
    if (CXyGameFrame* frame = FrameOf(app_))
        frame->ShowAskBoxEx(text, seconds, flags, icon, okPicture, cancelPicture, link, sign);
}

CloseDecision GameWinAppLink::DecideWindowClose()
{
    CXyGameFrame* frame = FrameOf(app_);
    return frame ? frame->DecideWindowClose() : CloseDecision::NoFrame;
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
