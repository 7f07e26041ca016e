// The handlers of the match flow, the hall-feature and service notifications, and those the
// application handles itself.
#include "framework/connection/Record.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/scene/GameWinApp.h"

namespace {

constexpr int kMatchStarted = 500;
constexpr int kMatchLatePhase = 600;
constexpr uint32_t kSystemBoardColour = 0xFFFFFF;
constexpr int kSystemBoardTextSize = 16;

INotifyFrame* Frame()
{
    IGameWinApp* app = GetGameWinApp();
    return app ? app->GetNotifyFrame() : nullptr;
}

void ToApp(const NotifyData& n)
{
    if (IGameWinApp* app = GetGameWinApp())
        app->OnAppNotify(n.Id(), n.Span());
}

} // namespace

void CGameNotify::OnNotify211190(const Data& n)
{
    if (IGameWinApp* app = App())
        app->SetMatchState(kMatchLatePhase);
    ToSidePanel(framework::EV_MATCH_PHASE_LATE, 0, 0);
    if (INotifyFrame* frame = Frame())
        frame->OnNotify211190(n.Span());
}

void CGameNotify::OnNotify211191(const Data& n)
{
    if (INotifyFrame* frame = Frame())
        frame->OnNotify211191(n.Span());
}

void CGameNotify::OnMatchBegin(const Data&)
{
    if (IGameWinApp* app = App())
        app->SetMatchState(kMatchStarted);
    if (INotifyFrame* frame = Frame())
        frame->ShowMatchBegin();
}

void CGameNotify::OnMatchSystemCancel(const Data&)
{
    if (INotifyFrame* frame = Frame())
        frame->ShowSystemCancel();
}

void CGameNotify::OnMatchSignUpOK(const Data&)
{
    if (INotifyFrame* frame = Frame())
        frame->OnMatchSignUpOK();
}

void CGameNotify::OnMatchQuitOK(const Data&)
{
    if (INotifyFrame* frame = Frame())
        frame->OnMatchQuitOK();
}

void CGameNotify::ShowMatchBoardText(const Data& n, size_t offset, const char* fallback)
{
    std::string text = n.Text(offset);
    if (text.empty() && fallback)
        text = fallback;
    if (INotifyFrame* frame = Frame())
        frame->ShowSystemBoard(text.c_str(), kSystemBoardColour, kSystemBoardTextSize);
}

void CGameNotify::OnMatchSignUpFailed(const Data& n) { ShowMatchBoardText(n, 16, "报名失败,请重试!"); }

void CGameNotify::OnMatchQuitFailed(const Data& n) { ShowMatchBoardText(n, 16, "退赛失败,请重试!"); }

void CGameNotify::OnNotify211243(const Data& n) { ShowMatchBoardText(n, 24, nullptr); }

void CGameNotify::OnMatchOutFull(const Data& n)
{
    ShowSystemLine(Lumora::FormatMarkup(
        " <z=zu系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前%d名晋级者。\r\n", n.I32(8)));
}

void CGameNotify::OnGameTimeout(const Data&) { ShowSystemLine(" <z=zu系统通知>#r 游戏超时，本局结束!\r\n"); }

void CGameNotify::OnNotify211220(const Data& n)
{
    if (INotifyFrame* frame = Frame())
        frame->ShowPromotionInfo(n.Span());
}

void CGameNotify::OnNotify211241(const Data& n)
{
    if (INotifyFrame* frame = Frame())
        frame->OnNotify211241(n.Span());
}

void CGameNotify::OnNotify211242(const Data& n)
{
    const uint32_t word = n.U32(8);
    ToScene(framework::EV_MATCH_WAIT_WORD, word, 0);
    ToSidePanel(framework::EV_MATCH_WAIT_WORD, word, 0);
}

void CGameNotify::OnNotify211430(const Data& n)
{
    IGameWinApp* app = App();
    if (!app || !app->AcceptHallFeature(n.Id(), n.Span()))
        return;
    ToScene(framework::EV_NOTIFY_211430, n);
    ToSidePanel(framework::EV_NOTIFY_211430, n);
}

void CGameNotify::OnNotify211440(const Data& n)
{
    IGameWinApp* app = App();
    if (!app || !app->AcceptHallFeature(n.Id(), n.Span()))
        return;
    ToScene(framework::EV_NOTIFY_211440, n);
    ToSidePanel(framework::EV_NOTIFY_211440, n);
}

void CGameNotify::OnNotify211510(const Data& n) { ToApp(n); }
void CGameNotify::OnNotify211600(const Data& n) { ToApp(n); }
void CGameNotify::OnNotify211601(const Data& n) { ToApp(n); }
void CGameNotify::OnNotify211930(const Data& n) { ToApp(n); }
void CGameNotify::OnNotify211931(const Data& n) { ToApp(n); }
void CGameNotify::OnNotify211910(const Data& n) { ToApp(n); }

void CGameNotify::OnNotify211700(const Data& n)
{
    ToApp(n);
    if (INotifyFrame* frame = Frame())
        frame->OnNotify211700(n.Span());
}

void CGameNotify::OnNotify214100(const Data& n)
{
    ToScene(framework::EV_NOTIFY_214100, n);
    ToSidePanel(framework::EV_NOTIFY_214100, n);
}

void CGameNotify::OnNotify214101(const Data& n)
{
    ToScene(framework::EV_NOTIFY_214101, n);
    ToSidePanel(framework::EV_NOTIFY_214101, n);
}

void CGameNotify::OnNotify214102(const Data& n)
{
    ToScene(framework::EV_NOTIFY_214102, n);
    ToSidePanel(framework::EV_NOTIFY_214102, n);
}

void CGameNotify::OnNotify214103(const Data& n)
{
    ToScene(framework::EV_NOTIFY_214103, n);
    ToSidePanel(framework::EV_NOTIFY_214103, n);
}

void CGameNotify::OnNotify214110(const Data& n)
{
    ToScene(framework::EV_NOTIFY_214110, n);
    ToSidePanel(framework::EV_NOTIFY_214110, n);
}
