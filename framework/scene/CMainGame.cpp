// The base scene: its event table, the replay object, the auto-leave timer and the hall-feature
// requests with their wait texts.
#include "framework/scene/CMainGame.h"

#include "framework/app/GameAppAccess.h"
#include "framework/connection/CGameConnect.h"
#include "framework/frame/FrameEvents.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/scene/GameWinApp.h"
#include "services/replay/CGameReplay.h"
#include "widgets/RecordFields.h"

#include <array>
#include <string>

namespace Lumora {
namespace {

using framework::DLG_ICON;
using framework::DLG_ICON_ANIMATED;

enum RoomOption : uint32_t {
    ROOM_OPTION_START_NEW = 1u << 1,
    ROOM_OPTION_AUTO_LEAVE = (1u << 6) | (1u << 7),
};
// Word 14 of block A: the seconds a player may sit without starting.
constexpr size_t kAutoLeaveSecondsOffset = 56;
constexpr uint32_t kIconBoxFlags = DLG_ICON | DLG_ICON_ANIMATED;
static_assert(kIconBoxFlags == 0x30);
constexpr size_t kAllowanceRecordSize = 124;

uint32_t RoomOptions()
{
    IGameAppAccess* access = GetGameAppAccess();
    return access ? access->GetRoomOptions() : 0;
}

bool HasOptions(uint32_t bits) { return (RoomOptions() & bits) == bits; }

CGameConnect* Connect()
{
    IGameWinApp* app = GetGameWinApp();
    return app ? app->GetConnect() : nullptr;
}

// Shows the wait text for the scope of a request.
class WaitTextScope {
public:
    explicit WaitTextScope(const char* text)
    {
        if (IGameAppAccess* access = GetGameAppAccess())
            access->ShowWaitText(text, true);
    }
    ~WaitTextScope()
    {
        if (IGameAppAccess* access = GetGameAppAccess())
            access->ShowWaitText(nullptr, false);
    }
    WaitTextScope(const WaitTextScope&) = delete;
    WaitTextScope& operator=(const WaitTextScope&) = delete;
};

} // namespace

CMainGame::CMainGame() = default;

CMainGame::~CMainGame() = default;

int CMainGame::OnEvent(const EventRecord& record)
{
    const auto* data = reinterpret_cast<const uint8_t*>(record.param1);
    switch (record.code) {
    case framework::EV_QRCODE_INFO:
        // The dispatcher hands the event on only when the data reach past +32.
        if (data && data[32] != 0)
            OnQRCodeNotify(data);
        break;
    case framework::EV_NOTIFY_211430:
        OnNotify211430Hook(data);
        break;
    case framework::EV_NOTIFY_214100:
        OnNotify214100Hook(data);
        break;
    case framework::EV_NOTIFY_214101:
        OnNotify214101Hook(data);
        break;
    case framework::EV_NOTIFY_214102:
        OnNotify214102Hook(data);
        break;
    case framework::EV_NOTIFY_214103:
        OnNotify214103Hook(data);
        break;
    case framework::EV_SERVER_TEXT:
        OnServerTextHook(data);
        break;
    case framework::EV_NOTIFY_214110:
        OnNotify214110Hook(data);
        break;
    case framework::EV_AUTO_LEAVE:
        autoLeaveTimer_ = 0;  // it fires once
        if (IGameWinApp* app = GetGameWinApp())
            app->ShowAskBox("由于您长时间没有开始游戏，系统请您离开游戏", 10, kIconBoxFlags, "xyf抱歉");
        break;
    default:
        break;
    }
    return 1;
}

CGameReplay* CMainGame::GetReplay() const
{
    return replayId_ ? dynamic_cast<CGameReplay*>(FindById(replayId_)) : nullptr;
}

void CMainGame::CreateReplayRecorder()
{
    IGameWinApp* app = GetGameWinApp();
    IGameAppAccess* access = GetGameAppAccess();
    const int testMode = app ? app->GetTestModeKind() : 0;
    if (!(app && app->IsOption17()) && testMode == 0)
        return;
    const bool match = access && access->IsMatch();
    CGameReplay* replay = match ? NewChild<CMatchReplay>() : NewChild<CGameReplay>();
    if (!replay)
        return;
    replayId_ = replay->GetId();
    replay->SetTopMost();
    replay->SetZ(kReplayDepth);
    replay->SetReplaySetting(kReplaySetting);
    if (testMode != 0)
        replay->Activate();
    replay->Redraw();
}

void CMainGame::LoadAutoLeaveSeconds()
{
    if (!HasOptions(ROOM_OPTION_AUTO_LEAVE))
        return;
    IGameAppAccess* access = GetGameAppAccess();
    if (!access)
        return;
    const std::span<uint8_t> block = access->GetGameInfoBlockA();
    autoLeaveSeconds_ = ReadFieldI32(block.data(), block.size(), kAutoLeaveSecondsOffset);
}

void CMainGame::StartAutoLeaveTimer()
{
    StopAutoLeaveTimer();
    if (!HasOptions(ROOM_OPTION_AUTO_LEAVE) || autoLeaveTimer_ != 0 || autoLeaveSeconds_ <= 0)
        return;
    const EventRecord fire{GetId(), framework::EV_AUTO_LEAVE, 0, 0};
    autoLeaveTimer_ = ActWait(uint32_t(autoLeaveSeconds_) * 1000u, &fire);
}

void CMainGame::StopAutoLeaveTimer()
{
    if (autoLeaveTimer_ == 0)
        return;
    CancelAction(autoLeaveTimer_);
    autoLeaveTimer_ = 0;
}

void CMainGame::OnStartGameNew()
{
    CGameConnect* connect = Connect();
    if (!connect || !HasOptions(ROOM_OPTION_START_NEW))
        return;
    std::string text;
    connect->StartGameNew(text);
}

void CMainGame::GetAllowanceConfig(int32_t value)
{
    CGameConnect* connect = Connect();
    if (!connect)
        return;
    std::array<uint8_t, kAllowanceRecordSize> record{};
    std::string text;
    bool ok = false;
    {
        WaitTextScope wait("正在获取低保配置，请稍等......");
        ok = connect->GetAllowanceConfig(text, value, record.data());
    }
    if (IGameWinApp* app = GetGameWinApp())
        app->OnAllowanceConfig(ok, text, value, record);
}

// The two allowance requests differ only in the request they send.
static void RunAllowance(bool (CGameConnect::*request)(std::string&, int32_t, int32_t, int32_t*), int32_t value,
                         int32_t kind)
{
    CGameConnect* connect = Connect();
    if (!connect)
        return;
    std::string text;
    int32_t word = 0;
    bool ok = false;
    {
        WaitTextScope wait("正在领取低保，请稍等......");
        ok = (connect->*request)(text, value, kind, &word);
    }
    if (IGameWinApp* app = GetGameWinApp())
        app->OnAllowanceResult(ok, text, value, kind, word);
}

void CMainGame::TakeAllowance(int32_t value, int32_t kind) { RunAllowance(&CGameConnect::TakeAllowance, value, kind); }

void CMainGame::TakeAllowanceEx(int32_t value, int32_t kind)
{
    RunAllowance(&CGameConnect::TakeAllowanceEx, value, kind);
}

void CMainGame::TakeSilverReward(int32_t value)
{
    CGameConnect* connect = Connect();
    if (!connect)
        return;
    std::string text;
    bool ok = false;
    {
        WaitTextScope wait("正在领取银子奖励，请稍等......");
        ok = connect->TakeSilverReward(text, value);
    }
    if (!ok)
        if (IGameWinApp* app = GetGameWinApp())
            app->ShowMsgBox(Lumora::EscapeMarkup(text), nullptr, nullptr, 10, kIconBoxFlags, "xyf抱歉");
}

} // namespace Lumora
