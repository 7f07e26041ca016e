// The generic handlers: players leaving, seated and changed, the timed boxes and system lines,
// the match flow, and the events handed to the scene and the side panel.
#include "framework/app/GameAppAccess.h"
#include "framework/app/HallState.h"
#include "framework/connection/CGameConnect.h"
#include "framework/connection/Record.h"
#include "framework/frame/FrameEvents.h"
#include "framework/info/CGameInfo.h"
#include "framework/notify/CGameNotify.h"
#include "framework/notify/NotifyEvents.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/notify/NotifyIds.h"
#include "framework/scene/GameWinApp.h"
#include "engine/gui/CGameBase.h"
#include "engine/text/Markup.h"
#include "net/FileLogger.h"
#include "widgets/ChatMarkup.h"
#include "framework/window/CGameFrameWnd.h"

#include <algorithm>

namespace {

using Lumora::GameUserRecord;

// Room option 0x1000: players may come and go at a table the system arranged.
constexpr uint32_t kRoomOptionSeatsOpen = 0x1000;
constexpr uint32_t kBoxIconFlags = framework::DLG_ICON | framework::DLG_ICON_ANIMATED;
constexpr int kOpenTimePeriods = 8;
constexpr size_t kUserInfoHead = 20, kUserInfoEntrySize = 52;
constexpr size_t kTableListEntrySize = 136;
// The user record's words that 211030 sets beside the silver and the score.
constexpr size_t kUserTableExtra = 108;

IGameAppAccess* Access() { return GetGameAppAccess(); }

uint32_t OwnUserId() { return Access() ? Access()->GetUserID() : 0; }
int32_t OwnChair() { return Access() ? Access()->GetChairNO() : -1; }
bool OwnLookOn() { return Access() && Access()->IsLookOn(); }

std::string UserName(uint32_t userId)
{
    const GameUserRecord* user = Access() ? Access()->GetUserRecordByID(userId) : nullptr;
    return user ? std::string(user->Name()) : std::string();
}

// The chair of a record, refused unless it names a seat of this table (at most 8).
int CheckedChair(const NotifyData& n, size_t offset)
{
    const int32_t chair = n.I32(offset);
    const int chairs = std::min(Access() ? Access()->GetChairCount() : 4, int(hall::kMaxPlayers));
    if (chair < 0 || chair >= chairs)
        n.Refuse("chair " + std::to_string(chair));
    return chair;
}

// The record of that user among the players, then the look-on users; null when none.
GameUserRecord* FindUser(hall::HallState& hall, uint32_t userId)
{
    if (userId == 0)
        return nullptr;
    for (GameUserRecord& r : hall.players)
        if (uint32_t(r.UserId()) == userId)
            return &r;
    for (GameUserRecord& r : hall.lookOn)
        if (uint32_t(r.UserId()) == userId)
            return &r;
    return nullptr;
}

// 211010 and 211011 are ignored at a table the system arranged, unless seats stay open.
bool SeatsLocked(IGameWinApp& app)
{
    const uint32_t options = Access() ? Access()->GetRoomOptions() : 0;
    return app.IsTableArranged() && (options & kRoomOptionSeatsOpen) == 0;
}

void AdjustPlayerCount(hall::HallState& hall, int delta, int limit)
{
    const int32_t count = hall.table.I32(hall::TableRecord::kPlayerCount) + delta;
    hall.table.SetI32(hall::TableRecord::kPlayerCount, std::clamp(count, 0, std::max(limit, 0)));
}

} // namespace

void CGameNotify::OnNotify60031(const Data& n)
{
    ToScene(framework::EV_SERVER_TEXT, n);
    ToSidePanel(framework::EV_SERVER_TEXT, n);
}

void CGameNotify::OnChat(const Data& n)
{
    // Random bytes would show a line from no one at the table: only a player or a watcher speaks.
    const uint32_t sender = n.Size() >= 4 ? n.U32(0) : 0;
    IGameWinApp* app = App();
    hall::HallState* hall = app ? app->GetHallState() : nullptr;
    if (!hall || !FindUser(*hall, sender)) {
        net::OxtLog("chat of %zu bytes from user %u, who is not at the table, dropped", n.Size(), sender);
        return;
    }
    ToSidePanel(framework::EV_CHAT_LINE, n);
}

void CGameNotify::OnChatEx(const Data& n) { ToSidePanel(framework::EV_CHAT_LINE_EX, n); }

void CGameNotify::OnAskExit(const Data& n)
{
    if (IGameWinApp* app = App())
        if (INotifyFrame* frame = app->GetNotifyFrame())
            frame->ShowAskExit(n.Span());
}

void CGameNotify::OnAskExitReply(const Data& n)
{
    const uint32_t answering = n.U32(0);
    const uint32_t asking = n.U32(16);
    const bool agreed = n.U32(20) != 0;
    ShowSystemLine(Lumora::FormatMarkup(" <c=%d>%s%s%s的退出请求 \r\n", 2906200, Lumora::UnbrokenMarkup(UserName(answering)),
                                        agreed ? "答应" : "拒绝", Lumora::UnbrokenMarkup(UserName(asking))));
    // Only a refusal of this client's own request ends its pending wait.
    if (!agreed && asking == OwnUserId())
        if (CGameInfo* info = GetGameInfo())
            info->exitRequestTime = 0;
}

void CGameNotify::OnNotify210530(const Data& n)
{
    const std::string text = n.Text(0);
    if (IGameWinApp* app = App())
        app->ShowMsgBox(Lumora::EscapeMarkupKeeping(text, true, false), nullptr, nullptr, 0, 0, nullptr);
}

void CGameNotify::OnPlayerLeft(const Data&)
{
    IGameWinApp* app = App();
    if (!app)
        return;
    if (auto* wnd = dynamic_cast<CGameFrameWnd*>(app->GetMainWnd()))
        wnd->SetHallLeaveFlag(false);
    if (Access())
        Access()->ShowWaitText(nullptr, false);
    if (CGameConnect* connect = app->GetConnect())
        connect->CloseAll();
}

void CGameNotify::OnLookOnLeft(const Data& n)
{
    IGameWinApp* app = App();
    hall::HallState* hall = app ? app->GetHallState() : nullptr;
    if (!hall || SeatsLocked(*app))
        return;
    const uint32_t userId = n.U32(0);
    const int chair = CheckedChair(n, 4);
    const int32_t tableCheck = n.I32(28);
    const bool agreed = n.U32(32) != 0;
    GameUserRecord* user = FindUser(*hall, userId);
    if (!user || user->Chair() != chair || user->LookOn() != 0 ||
        Lumora::ReadFieldI32(user->Data(), GameUserRecord::kSize, hall::kUserTableNumber) != tableCheck)
        return;
    GameUserRecord& player = hall->players[size_t(chair)];
    if (chair == OwnChair()) {
        if (OwnLookOn())
            app->ShowAskBox(Lumora::FormatMarkup("%s 已经离开，旁观结束。", app->GetUserDisplayNameByChair(chair)), 10,
                            kBoxIconFlags, "xyf抱歉");
        else if (agreed)
            app->ShowAskBox("其他玩家同意您退出游戏！", 10, kBoxIconFlags, "xyf胜利");
    }
    if (!player.IsEmpty())
        if (INotifyFrame* frame = app->GetNotifyFrame())
            frame->OnPlayerLeaving(player);
    player = GameUserRecord();
    AdjustPlayerCount(*hall, -1, int(hall::kMaxPlayers));
    *user = GameUserRecord();
}

void CGameNotify::OnNotify211011(const Data& n)
{
    IGameWinApp* app = App();
    hall::HallState* hall = app ? app->GetHallState() : nullptr;
    if (!hall || SeatsLocked(*app) || n.I32(0) <= 0)
        return;
    const int chair = CheckedChair(n, 16);
    n.Need(20 + GameUserRecord::kSize);
    GameUserRecord& player = hall->players[size_t(chair)];
    if (player.IsEmpty())
        AdjustPlayerCount(*hall, +1, Access() ? Access()->GetChairCount() : 4);
    player = GameUserRecord();
    app->FillPlayerRecord(player, n.Span());
    if (INotifyFrame* frame = app->GetNotifyFrame())
        frame->OnPlayerSeated(player);
}

void CGameNotify::OnNotify211020(const Data& n)
{
    const uint32_t userId = n.U32(0);
    IGameWinApp* app = App();
    hall::HallState* hall = app ? app->GetHallState() : nullptr;
    if (GameUserRecord* user = hall ? FindUser(*hall, userId) : nullptr)
        if (INotifyFrame* frame = app->GetNotifyFrame())
            frame->OnUserChanged(*user);
}

void CGameNotify::OnNotify211025(const Data& n)
{
    const uint32_t word = n.U32(0);
    IGameWinApp* app = App();
    if (!app)
        return;
    Lumora::CLumoraWnd* wnd = app->GetMainWnd();
    // With the hall gone the post fails and nothing is queued.
    app->PostToHall(kHallNotifyWord, wnd ? wnd->GetMessageWindow() : 0, word);
}

void CGameNotify::OnNotify211028(const Data& n)
{
    const int32_t count = n.I32(8);
    if (count < 0)
        n.Refuse("table list count " + std::to_string(count));
    if (IGameWinApp* app = App()) {
        app->ApplyTableList(n.Span());
        if (INotifyFrame* frame = app->GetNotifyFrame())
            frame->RefreshTableView();
    }
    const uint64_t block = 64 + uint64_t(count) * kTableListEntrySize;
    if (block < n.Size())
        OnTableListEntry(n.Bytes() + block, n.Size() - size_t(block));
}

void CGameNotify::OnUsersInfoChanged(const Data& n)
{
    // A count past its entries is a faulty record, not a short list: none of it is taken.
    const int count = n.CheckedCount(n.I32(0), kUserInfoHead, kUserInfoEntrySize);
    IGameWinApp* app = App();
    hall::HallState* hall = app ? app->GetHallState() : nullptr;
    if (!hall)
        return;
    for (int i = 0; i < count; ++i) {
        const size_t entry = kUserInfoHead + size_t(i) * kUserInfoEntrySize;
        GameUserRecord* user = FindUser(*hall, n.U32(entry));
        if (!user)
            continue;
        user->SetSilver(n.I32(entry + 12));
        user->SetScore(n.I32(entry + 8));
        user->SetI32(kUserTableExtra, n.I32(entry + 16));
        const std::string text = n.Text(entry + 20).substr(0, GameUserRecord::LEVEL_SIZE);
        user->SetLevel(text);
    }
    app->OnUsersChanged();
}

void CGameNotify::OnSilverNotEnough(const Data& n)
{
    ShowTimedBox(Lumora::FormatMarkup("%s的银子不够了，这一桌游戏结束。", UserName(n.U32(0))), 5);
}

void CGameNotify::OnPlayerNotSeated(const Data&) { ShowTimedBox("有玩家未入座，游戏结束。", 5); }

void CGameNotify::OnScoreNotEnough(const Data& n)
{
    ShowTimedBox(Lumora::FormatMarkup("%s的积分不够了，这一桌游戏结束。", UserName(n.U32(0))), 5);
}

void CGameNotify::OnScoreOverLimit(const Data& n)
{
    ShowTimedBox(Lumora::FormatMarkup("%s的积分超出限制，这一桌游戏结束。", UserName(n.U32(0))), 5);
}

void CGameNotify::OnTotalBoutOverLimit(const Data& n)
{
    const uint32_t user = n.U32(0);
    ShowTimedBox(Lumora::FormatMarkup("%s的总局数超出限制(%d局)，这一桌游戏结束。", UserName(user), n.I32(12)), 30);
}

void CGameNotify::OnTableBoutOverLimit(const Data& n)
{
    ShowTimedBox(Lumora::FormatMarkup("这一桌的局数超出限制(%d局)，游戏结束。", n.I32(8)), 30);
}

void CGameNotify::OnOutOfOpenTime(const Data& n)
{
    Lumora::Markup text = "已超出限定时间，不能继续游戏。";
    const int32_t count = n.I32(8);
    if (count > 0) {
        // The record holds eight periods; the end times are the last words read.
        const int periods = std::min(n.ClampCount(count, 60, 4), kOpenTimePeriods);
        Lumora::Markup list = "下列时间段开放：\r\n\r\n";
        for (int i = 0; i < periods; ++i) {
            const int32_t start = n.I32(28 + 4 * size_t(i));
            const int32_t end = n.I32(60 + 4 * size_t(i));
            list += Lumora::FormatMarkup("%d点%02d分 ~ %d点%02d分\r\n", start / 100, start % 100, end / 100, end % 100);
        }
        text += list;
    }
    ShowTimedBox(text, 60);
}

// The server's own words: as written, with their line ends.
void CGameNotify::OnServerText(const Data& n) { ShowTimedBox(Lumora::EscapeMarkupKeeping(n.Text(8), true, false), 60); }

void CGameNotify::OnChatBoxText(const Data& n)
{
    const std::string text = n.Text(32);
    IGameWinApp* app = App();
    if (!app)
        return;
    app->SetChatBoxText(text);
    Lumora::CGameBase* panel = app->GetSubSystem();
    if (!panel)
        return;
    // The side panel frees the copy.
    panel->OnEvent({0, framework::EV_CHAT_BOX_TEXT,
                    reinterpret_cast<uintptr_t>(framework::MakeChatBoxText(text.data(), text.size())), 0});
}

void CGameNotify::OnGameResultBox(const Data& n)
{
    const std::string whole = n.Text(32);
    IGameWinApp* app = App();
    if (!app)
        return;
    if (CGameConnect* connect = app->GetConnect())
        connect->CloseAll();
    const size_t bar = whole.find('|');
    const std::string text = whole.substr(0, bar);
    const std::string link = bar == std::string::npos ? std::string() : whole.substr(bar + 1);
    app->ShowAskBoxEx(Lumora::EscapeMarkupKeeping(text, true, false), 60, 1, nullptr, "查看成绩", "退出", link.empty() ? nullptr : link.c_str(), 1);
}

void CGameNotify::OnIdleTooLong(const Data& n)
{
    const uint32_t user = n.U32(0);
    const int32_t chair = n.I32(4);
    const int32_t count = n.I32(8);
    if (OwnLookOn() || user != OwnUserId() || chair != OwnChair())
        return;
    ShowTimedBox(Lumora::FormatMarkup("您已经连续%d局未参与本桌游戏了，请您换张桌子！", count), 5);
}

void CGameNotify::OnAmuletSkill(const Data& n)
{
    ToSidePanel(framework::EV_AMULET_SKILL, n);
    ToScene(framework::EV_AMULET_SKILL, n);
}

void CGameNotify::OnQRCodeInfo(const Data& n)
{
    // The scene reads the text at +32; shorter data carry none.
    if (n.Size() > 32)
        ToScene(framework::EV_QRCODE_INFO, n);
}

void CGameNotify::OnNotify211150(const Data& n)
{
    IGameWinApp* app = App();
    if (!app || !app->AcceptKnockoutRecord(n.Span()))
        return;
    if (INotifyFrame* frame = app->GetNotifyFrame())
        frame->ShowKnockoutRound(n.Span());
    app->SetTableArranged();
}

void CGameNotify::OnRankListChanged(const Data& n)
{
    n.Need(kRankHeadSize);
    const int count = n.ClampCount(n.I32(4), kRankHeadSize, kRankEntrySize);
    IGameWinApp* app = App();
    if (!app)
        return;
    app->SetRankList(n.Span().first(kRankHeadSize + size_t(count) * kRankEntrySize), count);
    for (int i = 0; i < count; ++i) {
        const size_t entry = kRankHeadSize + size_t(i) * kRankEntrySize;
        app->SetUserExtraValues(n.U32(entry), n.I32(entry + 4), n.I32(entry + 8), n.I32(entry + 12));
    }
    app->SortAndShowRankList();
}
