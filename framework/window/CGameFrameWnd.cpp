// The game's main window: creation, the message map, the server-message handler, the four
// timers, the notice download, the start of the table UI and the close.
#include "framework/window/CGameFrameWnd.h"

#include "engine/gui/CGameBase.h"
#include "engine/text/Markup.h"
#include "engine/util/EngineLog.h"
#include "framework/app/GameAppAccess.h"
#include "framework/app/HallRecords.h"
#include "framework/connection/CGameConnect.h"
#include "framework/connection/Record.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameLayout.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/scene/GameWinApp.h"
#include "net/SocketClient.h"
#include "platform/Clock.h"
#include "platform/HallLink.h"
#include "platform/MessageLoop.h"
#include "platform/StartTrace.h"
#include "platform/Window.h"
#include "widgets/SidePanelObjects.h"

#include <algorithm>

namespace {

constexpr uint32_t kLostBoxFlags = framework::DLG_TWO_BUTTONS | framework::DLG_ICON | framework::DLG_ICON_ANIMATED;
static_assert(kLostBoxFlags == 0x31);
constexpr int kLostBoxSeconds = 30;
constexpr int kLeaveBoxSeconds = 5;
constexpr int kPlayerQuitSeconds = 3;

IGameWinApp* App() { return GetGameWinApp(); }
IGameAppAccess* Access() { return GetGameAppAccess(); }

CGameConnect* Connect()
{
    IGameWinApp* app = App();
    return app ? app->GetConnect() : nullptr;
}

// Frees the relay's records on every way out of the handler.
struct ReleaseRecords {
    uintptr_t context;
    intptr_t message;
    ~ReleaseRecords() { net::ReleaseSocketNotify(context, message); }
};

} // namespace

CGameFrameWnd::CGameFrameWnd() = default;

CGameFrameWnd::~CGameFrameWnd()
{
    if (noticeJob_)
        noticeJob_->cancelled = true;
}

bool CGameFrameWnd::Create(const std::string& gbkTitle, const platform::WindowStyle& style, const platform::Rect& rect)
{
    platform::WindowStyle undecorated = style;
    undecorated.borderless = true;
    // Smaller, the result board would cover the seats and the own melds start left of the window.
    undecorated.minWidth = std::max(style.minWidth, framework::kSmallestWidth);
    undecorated.minHeight = std::max(style.minHeight, framework::kSmallestHeight);
    return CLumoraWnd::Create(gbkTitle, undecorated, rect);
}

uint32_t CGameFrameWnd::StartEngine(Lumora::CGameBase* gameObject, Lumora::ResourceModule* resources)
{
    const uint32_t timer = CLumoraWnd::StartEngine(gameObject, resources);
    StartTimer(kHallAliveTimer, kHallAlivePeriodMs);
    return timer;
}

void CGameFrameWnd::StartTimer(TimerId id, uint32_t periodMs)
{
    if (platform::StartTimer(GetMessageWindow(), id, periodMs))
        timers_ |= 1u << id;
}

void CGameFrameWnd::StopTimer(TimerId id)
{
    if (timers_ & (1u << id))
        platform::StopTimer(GetMessageWindow(), id);
    timers_ &= ~(1u << id);
}

bool CGameFrameWnd::IsTimerRunning(TimerId id) const { return (timers_ & (1u << id)) != 0; }

void CGameFrameWnd::SetPulseTimer(int seconds)
{
    StopTimer(kPulseTimer);
    if (seconds > 0)
        StartTimer(kPulseTimer, uint32_t(seconds) * 1000u);
}

void CGameFrameWnd::SetNoticeInterval(int seconds)
{
    // A period of zero would fire without a pause.
    StopTimer(kNoticeTimer);
    if (seconds > 0)
        StartTimer(kNoticeTimer, uint32_t(seconds) * 1000u);
}

intptr_t CGameFrameWnd::OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    switch (message) {
    case platform::kMsgTimer:
        OnTimer(uint32_t(wparam));
        return 0;
    case platform::kMsgClose:
        OnClose();
        return 0;
    case platform::kMsgCopyData:
        if (const auto* data = reinterpret_cast<const platform::CopyData*>(lparam))
            OnCopyData(data->dwData, data->bytes);
        platform::FreeCopyData(lparam);
        return 0;
    case net::WM_SOCKET_NOTIFY:
        if (!held_)
            held_ = std::make_unique<HeldServerMessages>(GetMessageWindow());
        if (!held_->Hold(wparam, lparam))
            OnServerMessage(wparam, lparam);
        return 0;
    case HeldServerMessages::kReleaseHeld:
        if (held_)
            held_->Release([this](uintptr_t context, intptr_t m) { OnServerMessage(context, m); });
        return 0;
    case WM_START_GAME_UI:
        return OnStartGameUI();
    case WM_NOTICE_DOWNLOADED:
        OnNoticeDownloaded(wparam);
        return 0;
    case WM_WEB_PAGE_OPENED:
        OnWebPageOpened(wparam);
        return 0;
    case WM_SYSTEM_NOTICE_TEXT:
        return OnSystemNoticeText(reinterpret_cast<const char*>(wparam));
    default:
        return CLumoraWnd::OnMessage(message, wparam, lparam);
    }
}

void CGameFrameWnd::OnServerMessage(uintptr_t context, intptr_t message)
{
    const ReleaseRecords release{context, message};
    lastServerMessage_ = platform::TickCount();
    const auto* ctx = reinterpret_cast<const net::SocketContextRecord*>(context);
    const auto* msg = reinterpret_cast<const net::SocketMessageRecord*>(message);
    IGameWinApp* app = App();
    CGameConnect* connect = Connect();
    // A message of an older connection is dropped.
    if (!ctx || !msg || !connect || ctx->tag != connect->GetConnectionTag())
        return;
    const uint32_t id = msg->head.Id();
    if (id == net::kNoticePeerClosed || id == net::kNoticeSocketError) {
        OnConnectionLost();
        return;
    }
    CGameNotify* notify = app->GetNotify();
    if (!notify)
        return;
    const uint32_t length = msg->length > 0 && msg->data ? uint32_t(msg->length) : 0;
    try {
        Lumora::FrameLock lock(GetCore());
        notify->OnNotify(id, msg->data, length);
    } catch (const std::exception& refused) {
        // A failing handler costs one report; the relay goes on with the next message. The report
        // carries no reason: the run log keeps it.
        WriteRunLog("refused %s", refused.what());
        connect->Request201162(id, msg->data, int32_t(length));
    }
    notify->RecordLastNotify(id, msg->data, length);
}

void CGameFrameWnd::OnConnectionLost()
{
    IGameWinApp* app = App();
    if (!app)
        return;
    app->SetLostWhilePlaying(app->IsPlaying());
    if (CGameConnect* connect = app->GetConnect())
        connect->CloseAll();
    const bool player = !(Access() && Access()->IsLookOn());
    // The area and room names are the hall's text: escaped where pasted, so that only the format's
    // own line ends part its two sentences.
    const Lumora::Markup text = app->IsPlaying() && player
                                    ? Lumora::FormatMarkup("断线了！请尽快重入房间续玩。\r\n\r\n您的位置【%s_%s】。",
                                                           app->GetAreaName(), app->GetRoomName())
                                    : Lumora::Markup("与服务器连接断开。");
    if (GetWindow())
        app->ShowAskBox(text, kLostBoxSeconds, kLostBoxFlags, "xyf大哭");
}

void CGameFrameWnd::OnPlayerQuit(const hall::PlayerLeft& record)
{
    IGameWinApp* app = App();
    const std::string name = app ? app->GetUserDisplayNameByChair(record.I32(hall::PlayerLeft::kChair)) : "";
    if (Access())
        Access()->ShowWaitTextTimed(FormatText("%s已经退出,游戏结束。", Lumora::PlainCharacters(name).c_str()).c_str(),
                                    kPlayerQuitSeconds);
    StartTimer(kCloseTimer, kClosePeriodMs);
}

void CGameFrameWnd::OnTimer(uint32_t id)
{
    switch (id) {
    case kHallAliveTimer: {
        IGameWinApp* app = App();
        if ((Access() && Access()->IsTestMode()) || !app || app->IsHallAlive())
            break;
        // The hall has gone: close the connection, then end the loop; no report goes anywhere.
        StopTimer(kHallAliveTimer);
        if (CGameConnect* connect = app->GetConnect())
            connect->CloseAll();
        platform::PostQuit(0);
        break;
    }
    case kNoticeTimer:
        StartNotice();
        break;
    case kCloseTimer:
        StopTimer(kCloseTimer);
        if (hallLeaveFlag_ && GetWindow())
            platform::PostToWindow(GetMessageWindow(), platform::kMsgClose);
        break;
    case kPulseTimer:
        if (CGameConnect* connect = Connect())
            connect->SendPulse();
        break;
    default:
        break;
    }
}

void CGameFrameWnd::StartNotice()
{
    IGameWinApp* app = App();
    if (!app || noticeJob_)
        return;  // at most one download in flight
    const std::string host = app->GetNoticeHost();
    if (host.empty())
        return;
    auto job = std::make_shared<NoticeJob>();
    job->url = NoticeUrl(host, Access() ? Access()->GetGameID() : 0);
    job->window = GetMessageWindow();
    noticeJob_ = job;
    if (!StartNoticeDownload(std::move(job), WM_NOTICE_DOWNLOADED))
        noticeJob_.reset();
}

void CGameFrameWnd::OnNoticeDownloaded(uintptr_t wparam)
{
    const std::shared_ptr<NoticeJob> job = TakeNoticeJob(wparam);
    if (job && job == noticeJob_)
        noticeJob_.reset();
    if (!job || !job->done || job->cancelled)
        return;
    IGameWinApp* app = App();
    if (Lumora::CGameBase* panel = app ? app->GetSubSystem() : nullptr)
        panel->OnEvent({0, framework::EV_NOTICE_TEXT, reinterpret_cast<uintptr_t>(job->text.c_str()),
                        job->text.size()});
}

void CGameFrameWnd::OnWebPageOpened(uintptr_t job)
{
    if (IGameWinApp* app = App())
        app->OnWebPageOpened(job);
    if (Access())
        Access()->ShowWaitText(nullptr, false);
}

int CGameFrameWnd::OnSystemNoticeText(const char* text)
{
    if (IGameWinApp* app = App())
        if (Lumora::CGameBase* panel = app->GetSubSystem())
        {
            // A text of another thread: the program's words only by escape.
            const Lumora::Markup line = Lumora::EscapeMarkupKeeping(text ? text : "", true, false);
            panel->OnEvent({0, framework::EV_SYSTEM_LINE, reinterpret_cast<uintptr_t>(&line), 0});
        }
    return 0;
}

int CGameFrameWnd::OnStartGameUI()
{
    IGameWinApp* app = App();
    Lumora::CGameBase* frame = app ? app->GetGameFrame() : nullptr;
    if (frame)
        frame->OnSizeDone();  // lays out the scene and side panel, then enters the table
    else if (app)
        app->EnterGameOrMatch();
    platform::StartMark("table");
    if (Lumora::CGameBase* panel = app ? app->GetSubSystem() : nullptr)
        if (auto* advert = dynamic_cast<Lumora::IAdvertWindow*>(panel->FindByName(Lumora::kAdvertBarName)))
            advert->ShowAdvertWindow();
    return 0;
}

void CGameFrameWnd::OnClose()
{
    IGameWinApp* app = App();
    switch (app ? app->DecideWindowClose() : CloseDecision::NoFrame) {
    case CloseDecision::CloseNow:
        DestroyWindow();
        platform::PostQuit(0);
        break;
    case CloseDecision::Stay:
        break;
    case CloseDecision::NoFrame:
        Leave();
        break;
    }
}

void CGameFrameWnd::Leave()
{
    IGameWinApp* app = App();
    CGameConnect* connect = Connect();
    IGameAppAccess* access = Access();
    if (connect && connect->IsConnected() && access) {
        std::string refusal;
        // True means the server keeps the player and says why.
        if (connect->LeaveGame(refusal, access->GetUserID(), access->GetChairNO())) {
            if (app)
                app->ShowMsgBox(Lumora::EscapeMarkup(refusal), nullptr, nullptr, kLeaveBoxSeconds, 0, nullptr);
            return;
        }
    }
    if (app) {
        app->ReportExitToHall();
        app->StopCommThread();
    }
    DestroyWindow();
    platform::PostQuit(0);
}

void CGameFrameWnd::OnDestroy()
{
    for (TimerId id : {kHallAliveTimer, kNoticeTimer, kCloseTimer, kPulseTimer})
        StopTimer(id);
    if (noticeJob_)
        noticeJob_->cancelled = true;
    noticeJob_.reset();
    CLumoraWnd::OnDestroy();
}

void CGameFrameWnd::OnCopyData(uint32_t code, std::span<const uint8_t> bytes)
{
    CLumoraWnd::OnCopyData(code, bytes);
    if (IGameWinApp* app = App())
        app->OnHallCopyData(code, bytes);
}

platform::Rect CGameFrameWnd::GetMaximisedRect() const
{
    const platform::Rect work = GetWindow() ? GetWindow()->WorkArea() : platform::Rect{};
    IGameWinApp* app = App();
    if (!app || !app->GetGameFrame() || GetGameFrameState() != 0)
        return work;
    // The frame UI's preferred size when it is not maximised.
    return {work.left, work.top, work.left + framework::RestoredWidth(work.Width()),
            work.top + framework::kRestoredHeight};
}

void CGameFrameWnd::OnSettingChange()
{
    if (GetWindow() && GetGameFrameState() != 0)
        GetWindow()->Move(GetWindow()->WorkArea());
}
