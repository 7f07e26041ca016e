// The application's link for the frame window, the dispatcher and the scene.
#include "framework/window/GameWinAppLink.h"

#include "engine/host/LumoraWnd.h"
#include "framework/app/CGameWinApp.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/CXyTimerDlg.h"
#include "framework/notify/NotifyEvents.h"

hall::HallState* GameWinAppLink::GetHallState() { return &app_.MutableHallData(); }

Lumora::CLumoraWnd* GameWinAppLink::GetMainWnd() { return app_.GetMainWnd(); }

Lumora::CGameBase* GameWinAppLink::GetGameFrame()
{
    Lumora::CLumoraWnd* wnd = app_.GetMainWnd();
    return wnd ? wnd->GetGameObject() : nullptr;
}

CXyGameFrame* GameWinAppLink::Frame() { return dynamic_cast<CXyGameFrame*>(GetGameFrame()); }

Lumora::CGameBase* GameWinAppLink::GetMainGame()
{
    CXyGameFrame* frame = Frame();
    return frame ? frame->GetMainGame() : nullptr;
}

Lumora::CGameBase* GameWinAppLink::GetSubSystem()
{
    CXyGameFrame* frame = Frame();
    return frame ? frame->GetSubSystem() : nullptr;
}

int GameWinAppLink::GetGameFrameState()
{
    CXyGameFrame* frame = Frame();
    return frame ? frame->GetFillsWorkArea() : 0;
}

int GameWinAppLink::GetTestModeKind() const { return app_.GetTestModeKind(); }
bool GameWinAppLink::IsOption17() const { return app_.IsOption17() != 0; }
bool GameWinAppLink::IsPlaying() const { return app_.IsPlaying() != 0; }

void GameWinAppLink::SetLostWhilePlaying(bool)
{
    // The application copies its own playing flag.
    app_.OnConnectionLost();
}

int GameWinAppLink::GetMatchState() const { return app_.GetMatchState(); }
void GameWinAppLink::SetMatchState(int state) { app_.SetMatchState(state); }
uint32_t GameWinAppLink::GetHallWnd() const { return app_.GetHallWnd(); }

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

bool GameWinAppLink::PostToHall(uint32_t message, uint32_t wparam, uint32_t lparam)
{
    return app_.PostToHallFrame(message, wparam, lparam);
}

CloseDecision GameWinAppLink::DecideWindowClose()
{
    CXyGameFrame* frame = Frame();
    if (!frame)
        return CloseDecision::NoFrame;
    return frame->DecideWindowClose() ? CloseDecision::CloseNow : CloseDecision::Stay;
}

bool GameWinAppLink::IsHallAlive() const { return app_.IsHallWindowAlive(); }
void GameWinAppLink::ReportExitToHall() { app_.ReportExitToHall(app_.GetMainWindowId()); }
void GameWinAppLink::StopCommThread() { app_.StopCommunication(); }

void GameWinAppLink::OnHallCopyData(uint32_t code, std::span<const uint8_t> bytes)
{
    app_.OnHallCopyData(code, bytes);
}

void GameWinAppLink::OnWebPageOpened(uintptr_t job) { FreeWebPageJob(job); }
void GameWinAppLink::OnStartTable() { RunStartTableHook(); }
void GameWinAppLink::EnterGameOrMatch() { app_.EnterGameOrMatch(); }
std::string GameWinAppLink::GetNoticeHost() const { return app_.GetNoticeHost(); }
std::string GameWinAppLink::GetTempFolder() const { return app_.GetTempFolder(); }
std::string GameWinAppLink::GetAreaName() const { return app_.GetAreaName(); }
std::string GameWinAppLink::GetRoomName() const { return app_.GetRoomRecordName(); }

std::string GameWinAppLink::GetUserDisplayNameByID(uint32_t userId) const
{
    return app_.GetUserDisplayNameByID(userId);
}

std::string GameWinAppLink::GetUserDisplayNameByChair(int chair) const
{
    return app_.GetUserDisplayNameByChair(chair);
}
