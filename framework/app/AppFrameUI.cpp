// The application's reach into the frame UI: its scene and side panel, its boxes, the side
// panel's lines and list events, and the default texts of the silver and allowance prompts.
#include "framework/app/CGameWinApp.h"

#include "framework/connection/Record.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/FrameEvents.h"
#include "framework/notify/NotifyEvents.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/SidePanelObjects.h"

namespace {

constexpr uint32_t kAdvertBarRefresh = 80000054;
constexpr char kSystemLineMarkup[] = " <z=zu系统通知> <c=255>%s\r\n";
constexpr const char* kSilverFace = "xyf财神";

// An event straight to a named widget of the side panel, when both exist.
void ToPanelWidget(Lumora::CGameBase* panel, const char* name, uint32_t code)
{
    if (!panel)
        return;
    if (Lumora::PObject* widget = panel->FindByName(name))
        widget->OnEvent({widget->GetId(), code, 0, 0});
}

} // namespace

CXyGameFrame* CGameWinApp::GetFrameUI() const { return dynamic_cast<CXyGameFrame*>(GetGameFrameObject()); }

Lumora::CGameBase* CGameWinApp::GetMainGame()
{
    CXyGameFrame* frame = GetFrameUI();
    return frame ? frame->GetMainGame() : nullptr;
}

Lumora::CGameBase* CGameWinApp::GetSubSystem()
{
    CXyGameFrame* frame = GetFrameUI();
    return frame ? frame->GetSubSystem() : nullptr;
}

void CGameWinApp::ShowMsgBox(const Lumora::Markup& text, const Lumora::EventRecord* ok, const Lumora::EventRecord* cancel,
                             int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = GetFrameUI())
        frame->ShowMsgBox(text, ok, cancel, seconds, flags, icon);
}

void CGameWinApp::ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon)
{
    if (CXyGameFrame* frame = GetFrameUI())
        frame->ShowAskBox(text, seconds, flags, icon);
}

void CGameWinApp::ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon, const char* okPicture,
                               const char* cancelPicture, const char* link, int sign)
{
    if (CXyGameFrame* frame = GetFrameUI())
        frame->ShowAskBoxEx(text, seconds, flags, icon, okPicture, cancelPicture, link, sign);
}

void CGameWinApp::ShowSystemNotice(const Lumora::Markup& markup)
{
    if (Lumora::CGameBase* panel = GetSubSystem())
        panel->OnEvent({0, framework::EV_SYSTEM_LINE, reinterpret_cast<uintptr_t>(&markup), 0});
}

void CGameWinApp::AskTakeSilver(int32_t minimum, int32_t carried)
{
    const Lumora::Markup text = Lumora::FormatMarkup(
        "本房间最少需携带银子%d两\r\n您只携带了%d两\r\n仍少了%d两,是否从保险箱划银？", minimum, carried, minimum - carried);
    ShowAskBox(text, 0, framework::DLG_TWO_BUTTONS, kSilverFace);
}

void CGameWinApp::AskStoreSilver(int32_t maximum, int32_t carried)
{
    const Lumora::Markup text = Lumora::FormatMarkup(
        "本房间最多可携带银子%d两\r\n您携带了%d两\r\n仍超了%d两,是否将银子存入保险箱？", maximum, carried, carried - maximum);
    ShowAskBox(text, 0, framework::DLG_TWO_BUTTONS, nullptr);
    ShowSystemNotice(Lumora::FormatMarkup(kSystemLineMarkup, "客官，您的银子也太多了，快去存起来吧！"));
}

void CGameWinApp::OnGetSubsidyConfigFailed()
{
    ShowSystemNotice(Lumora::FormatMarkup(kSystemLineMarkup, "获取低保活动配置失败!"));
}

void CGameWinApp::OnAllowanceResult(bool ok, int32_t amount, const std::string& place)
{
    const Lumora::Markup line =
        ok ? Lumora::FormatMarkup("已赠送银子%d两到%s中!", amount, place) : Lumora::Markup("领取银子失败!");
    ShowSystemNotice(Lumora::FormatMarkup(kSystemLineMarkup, line));
}

void CGameWinApp::NotifyAdvertBar() { ToPanelWidget(GetSubSystem(), Lumora::kAdvertBarName, kAdvertBarRefresh); }

void CGameWinApp::NotifyUserListBar55()
{
    ToPanelWidget(GetSubSystem(), Lumora::kUserListBarName, Lumora::CCyPlayerListBar::EV_REFRESH_USERS);
}

void CGameWinApp::OnUsersChanged()
{
    NotifyUserListBar55();
    if (CXyGameFrame* frame = GetFrameUI())
        frame->OnTableRefreshed();
}

void CGameWinApp::NotifyUserListBar56()
{
    ToPanelWidget(GetSubSystem(), Lumora::kUserListBarName, Lumora::CCyPlayerListBar::EV_FORGET_LOOK_ON);
}
