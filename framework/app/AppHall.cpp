// The application's side of the hand-over with the hall: registration, the exit report, the text
// record, the web sign, the room move, and the records the hall sends.
#include "framework/app/AppMessages.h"
#include "framework/app/CGameWinApp.h"

#include "framework/frame/CXyGameFrame.h"
#include "framework/app/CommThread.h"
#include "framework/app/HallCipher.h"
#include "net/FileLogger.h"
#include "framework/window/CGameFrameWnd.h"
#include "platform/BusyPump.h"
#include "platform/Clock.h"
#include "platform/StartTrace.h"
#include "widgets/RecordFields.h"
#include "platform/Window.h"

bool CGameWinApp::IsHallWindowAlive() const
{
    return !testFlag_ && hallLink_ && hallLink_->IsAlive() && line_.hallWindow != 0;
}

void CGameWinApp::RegisterGameWnd(platform::WindowId window)
{
    if (commThread_)
        platform::PostToThread(commThread_->Id(), app_msg::kCommSetTarget, window);
    if (testFlag_ || !IsHallWindowAlive())
        return;
    platform::StartMark("register");
    if (platform::StartTraceOn())
        registeredAt_ = platform::StartTraceNow();
    if (match_)
        hallLink_->Post(app_msg::kHallRegisterMatch, window, line_.userId);
    else
        hallLink_->Post(app_msg::kHallRegisterRoom, window, static_cast<uint32_t>(line_.field6));
}

void CGameWinApp::ReportExitToHall(platform::WindowId window)
{
    if (relaunchOnExit_ || testFlag_ || exitReported_)
        return;
    exitReported_ = true;
    hall::ExitReport r;
    r.SetU32(hall::ExitReport::kWindow, window);
    r.SetU32(hall::ExitReport::kUserId, line_.userId);
    r.SetI32(hall::ExitReport::kField6, line_.field6);
    r.SetI32(hall::ExitReport::kChair, line_.chair);
    r.SetI32(hall::ExitReport::kVersionValueA, versionValueA_);
    r.SetI32(hall::ExitReport::kLookOn, line_.lookOn);
    r.SetI32(hall::ExitReport::kLostWhilePlaying, lostWhilePlaying_);
    r.SetU32(hall::ExitReport::kGameId, line_.gameId);
    r.SetI32(hall::ExitReport::kVersionValueB, versionValueB_);
    r.SetU32(hall::ExitReport::kRoomId, GetRoomID());
    if (!IsHallWindowAlive())
        return;
    hallLink_->SendCopyData(lostWhilePlaying_ ? hall_data::kExitReportLost : hall_data::kExitReport, window, r.bytes,
                            kHallSendTimeoutMs);
}

int CGameWinApp::SendTextToHall(const std::string& text, int32_t code)
{
    if (!IsHallWindowAlive())
        return 0;
    hall::TextRecord r;
    r.SetU32(hall::TextRecord::kWindow, GetMainWindowId());
    r.SetU32(hall::TextRecord::kUserId, line_.userId);
    r.SetU32(hall::TextRecord::kGameId, line_.gameId);
    r.SetI32(hall::TextRecord::kField2, line_.field2);
    r.SetI32(hall::TextRecord::kCode, code);
    r.SetText(hall::TextRecord::kText, hall::TextRecord::kTextSize, text);
    hallLink_->SendCopyData(hall_data::kTextRecord, GetMainWindowId(), hall::EncryptHallData(r.bytes),
                            kHallSendTimeoutMs);
    return 1;
}

std::string CGameWinApp::GetWebSign()
{
    const std::optional<size_t> index = AskWebSign();
    return index ? AwaitWebSign(*index, kWebSignWaitMs) : std::string();
}

std::optional<size_t> CGameWinApp::AskWebSign()
{
    if (!IsHallWindowAlive() || !commThread_)
        return std::nullopt;
    auto done = std::make_shared<platform::Event>(platform::Event::Mode::kManual);
    size_t index;
    {
        std::lock_guard lock(webSignMutex_);
        webSigns_.push_back(
            WebSignBlock{line_.userId, done, {}, false, platform::StartTraceOn() ? platform::StartTraceNow() : 0});
        index = webSigns_.size() - 1;
    }
    // The hall echoes the token, never an address: index + 1, never 0.
    const auto token = static_cast<uint32_t>(index + 1);
    hallLink_->Post(app_msg::kHallWebSign, commThread_->DialogWindow(), token);
    return index;
}

std::string CGameWinApp::AwaitWebSign(size_t index, uint32_t limitMs)
{
    std::shared_ptr<platform::Event> done;
    {
        std::lock_guard lock(webSignMutex_);
        done = webSigns_[index].done;
    }
    bool answered = platform::WaitBusy(*done, limitMs);
    std::lock_guard lock(webSignMutex_);
    WebSignBlock& block = webSigns_[index];
    // A late answer still finds the block and its event; it is simply not read any more.
    block.abandoned = true;
    return answered ? block.answer : std::string();
}

void CGameWinApp::AwaitStartWebSign()
{
    if (!startWebSign_)
        return;
    const uint32_t spent = platform::TickCount() - startWebSignAsked_;
    AwaitWebSign(*startWebSign_, spent < kWebSignWaitMs ? kWebSignWaitMs - spent : 0);
    startWebSign_.reset();
}

bool CGameWinApp::OnWebSignAnswer(std::span<const uint8_t> enciphered)
{
    auto answer = hall::ReadWebSignAnswer(enciphered);
    if (!answer) {
        net::OxtLog("web sign answer of %zu bytes refused", enciphered.size());
        return true;
    }
    std::lock_guard lock(webSignMutex_);
    // Only blocks this game sent are written: the token is an index into its own list.
    if (answer->token == 0 || answer->token > webSigns_.size()) {
        net::OxtLog("web sign answer for unknown block %u dropped", answer->token);
        return true;
    }
    WebSignBlock& block = webSigns_[answer->token - 1];
    if (block.askedAt > 0)
        platform::StartWait("web-sign", block.askedAt, platform::StartTraceNow());
    if (answer->userId == block.userId)
        block.answer = answer->sign;
    block.done->Set();
    return true;
}

bool CGameWinApp::PostToHallFrame(uint32_t message, uint32_t wparam, uint32_t lparam)
{
    return IsHallWindowAlive() && hallLink_->Post(message, wparam, lparam, 0);
}

int CGameWinApp::GotoOtherRoom(uint32_t targetRoomId)
{
    bool listed = false;
    for (const auto& entry : hall_.roomList)
        listed = listed || entry.U32(hall::RoomListEntry::kRoomId) == GetRoomID();
    if (!listed)
        return 0;
    hall::RoomMove r;
    r.SetU32(hall::RoomMove::kWindow, GetMainWindowId());
    r.SetU32(hall::RoomMove::kUserId, line_.userId);
    r.SetU32(hall::RoomMove::kGameId, line_.gameId);
    r.SetU32(hall::RoomMove::kOwnRoom, GetRoomID());
    r.SetU32(hall::RoomMove::kTargetRoom, targetRoomId);
    r.SetI32(hall::RoomMove::kField2, line_.field2);
    r.SetI32(hall::RoomMove::kReason, hall::RoomMove::kReasonRoomSwitch);
    if (IsHallWindowAlive() &&
        hallLink_->SendCopyData(hall_data::kRoomMove, GetMainWindowId(), hall::EncryptHallData(r.bytes),
                                kHallSendTimeoutMs) == platform::HallLink::SendResult::Handled)
        platform::PostToWindow(GetMainWindowId(), platform::kMsgClose);
    return 1;
}

void CGameWinApp::OnHallCopyData(uint32_t dwData, std::span<const uint8_t> bytes)
{
    auto plain = hall::DecryptHallData(bytes);
    if (!plain) {
        net::OxtLog("hall record %u of %zu bytes is no whole number of blocks; dropped", dwData, bytes.size());
        return;
    }
    switch (dwData) {
    case hall_data::kStartData:
        ApplyStartData(*plain);
        break;
    case hall_data::kLookOnJoin:
        // The scene and the side panel hear of the new watcher through the frame UI.
        if (const Lumora::GameUserRecord* user = hall::AddLookOnUser(hall_, *plain))
            if (CXyGameFrame* frame = GetFrameUI())
                frame->PostTableEvent15(reinterpret_cast<uintptr_t>(user));
        break;
    case hall_data::kPlayerLeft:
        OnPlayerLeft(*plain);
        break;
    case hall_data::kUserDetails: {
        // The answer carries the user's record: the board is drawn from it, not asked for again.
        Lumora::GameUserRecord user;
        if (!user.Assign(plain->data(), plain->size()))
            net::OxtLog("user details of %zu bytes are no user record; dropped", plain->size());
        else if (CXyGameFrame* frame = GetFrameUI())
            frame->ShowHallUserDetail(user);
        break;
    }
    case hall_data::kIgnored:
    default:
        break;
    }
}

void CGameWinApp::ApplyStartData(std::span<const uint8_t> plain)
{
    hall::StartDataOutcome outcome;
    if (match_) {
        outcome = hall::ApplyMatchStartData(hall_, plain);
        if (outcome == hall::StartDataOutcome::Applied) {
            line_.chair = 0;
            if (mainWnd_) {
                // The match room's notices come on the room's own period.
                mainWnd_->SetNoticeInterval(hall_.room.I32(hall::RoomRecord::kNoticeInterval));
                if (mainWnd_->GetWindow())
                    mainWnd_->GetWindow()->SetTitle(GetRoomName());
            }
        }
    } else {
        outcome = hall::ApplyOrdinaryStartData(hall_, plain, {line_.userId, line_.chair, line_.lookOn});
    }
    if (outcome == hall::StartDataOutcome::Applied) {
        OnStartDataApplied();
        return;
    }
    const char* text = match_ ? "比赛程序初始化失败!" : "游戏程序初始化失败!";
    net::OxtLog("%s", text);
    net::OxtLog("start data refused (%d, %zu bytes)", static_cast<int>(outcome), plain.size());
    ShowWaitText(text, true);
    platform::SleepBusy(kBadStartDataPauseMs);
    platform::PostToWindow(GetMainWindowId(), platform::kMsgClose);
}

bool CGameWinApp::IsHallLeaveSet() const { return mainWnd_ && mainWnd_->GetHallLeaveFlag(); }

void CGameWinApp::OnPlayerQuit(const hall::PlayerLeft& record)
{
    if (mainWnd_)
        mainWnd_->OnPlayerQuit(record);
}

void CGameWinApp::OnPlayerLeft(std::span<const uint8_t> plain)
{
    hall::PlayerLeft r;
    if (!r.Assign(plain) || !IsHallLeaveSet())
        return;
    if (r.U32(hall::PlayerLeft::kTableNumber) != GetTableNO() || r.U32(hall::PlayerLeft::kHallWindow) != line_.hallWindow)
        return;
    if (!line_.lookOn)
        if (IServerStartup* conn = GetServerStartup())
            conn->QuitGame(r.U32(hall::PlayerLeft::kUserId), r.I32(hall::PlayerLeft::kChair));
    OnPlayerQuit(r);
}
