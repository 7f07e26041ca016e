// The request catalogue's table requests: the play state, leaving, chat, calls, asking to exit,
// the pulse and the small reports, each a fixed record sent with or without a wait.
#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kRoomOptionBit1 = 1u << 1;
constexpr uint32_t kRoomOptionBit7 = 1u << 7;

} // namespace

bool CGameConnect::QueryGamePlaying()
{
    std::string text;
    GameReply reply;
    if (!SendHeadOnly(text, RequestId::QueryGamePlaying, reply, true))
        return false;
    if (reply.Reader().Has(0, 4))
        App().StoreTablePlayingWord(reply.Reader().U32(0));
    return reply.code == ReplyCode::TablePlaying;
}

bool CGameConnect::GetTableGameData()
{
    std::string text;
    GameReply reply;
    if (!SendHeadOnly(text, RequestId::GetTableGameData, reply, true) || reply.code != ReplyCode::Success ||
        !reply.HasData())
        return false;
    const auto block = App().GetGameInfoBlockB();
    reply.Reader().CopyTo(block.data(), block.size());
    return true;
}

bool CGameConnect::StartGame(std::string& text)
{
    GameReply reply;
    return SendHeadOnly(text, RequestId::StartGame, reply, false);
}

bool CGameConnect::Request201161(std::string& text)
{
    GameReply reply;
    return SendHeadOnly(text, RequestId::Request201161, reply, false);
}

bool CGameConnect::StartGameEx(std::string& text) { return SendStart(text, RequestId::StartGameEx); }

bool CGameConnect::SendStart(std::string& text, uint32_t id)
{
    GameReply reply;
    if (!SendHeadOnly(text, id, reply, true))
        return false;
    switch (reply.code) {
    case ReplyCode::Success:
        App().StopAutoLeaveTimer();
        return true;
    case ReplyCode::TakeSilverPrompt:
        App().PromptTakeSilver(reply.data.get(), size_t(reply.length));
        return false;
    case ReplyCode::StoreSilverPrompt:
        App().PromptStoreSilver(reply.data.get(), size_t(reply.length));
        return false;
    default:
        return false;
    }
}

bool CGameConnect::StartGameNew(std::string& text)
{
    const uint32_t bits = kRoomOptionBit1 | kRoomOptionBit7;
    if (App().IsLookOn() || (App().GetRoomOptions() & bits) != bits)
        return false;
    return SendStart(text, RequestId::StartGameNew);
}

bool CGameConnect::ChangeTable(std::string& text)
{
    if (App().IsLookOn())
        return false;
    GameReply reply;
    if (!SendHeadOnly(text, RequestId::ChangeTable, reply, true))
        return false;
    if (reply.code == ReplyCode::ChangeTableTooOften)
        App().ShowSystemNotice(" <z=zu系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
    return reply.code == ReplyCode::Success;
}

namespace {

// The 96-byte record of leaving (201125) and quitting (201120).
FixedRecord<96> LeaveRecord(IClientApp& app, uint32_t userId, int32_t chair)
{
    FixedRecord<96> r;
    auto w = r.Writer();
    w.U32(0, userId);
    w.U32(4, app.GetRoomID());
    w.U32(8, app.GetTableNO());
    w.I32(12, chair);
    w.U32(16, userId != app.GetUserID() ? 1 : 0);
    w.U32(20, app.GetTableNO());
    w.I32(24, app.GetChairNO());
    w.U32(28, app.GetUserID());
    WriteMachineId(w, 32, app.GetMachineID());
    return r;
}

} // namespace

bool CGameConnect::QuitGame(uint32_t userId, int32_t chair)
{
    auto r = LeaveRecord(App(), userId, chair);
    return SendOnly(RequestId::QuitGame, r);
}

bool CGameConnect::LeaveGame(std::string& text, uint32_t userId, int32_t chair)
{
    auto r = LeaveRecord(App(), userId, chair);
    GameReply reply;
    if (!SendRequest(text, RequestId::LeaveGame, r.bytes.data(), r.Size(), reply, true))
        return false;
    switch (reply.code) {
    case ReplyCode::LeaveKeepPlaying:
        text = "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
        return true;
    case ReplyCode::LeaveWait:
        text = FormatText("系统已经为您分配了随机桌位，\r\n\r\n必须再等 %d 秒钟才能离开。", reply.Reader().I32(0));
        return true;
    case ReplyCode::LeaveResultPending:
        text = "离开游戏失败，请等待本局结果提交。";
        return true;
    default:
        return false;
    }
}

namespace {

FixedRecord<128> ChatRecord(IClientApp& app, const std::string& chat)
{
    FixedRecord<128> r;
    auto w = r.Writer();
    w.U32(0, app.GetUserID());
    w.U32(4, app.GetRoomID());
    w.U32(8, app.GetTableNO());
    w.I32(12, app.GetChairNO());
    WriteMachineId(w, 16, app.GetMachineID());
    w.Text(48, 62, chat);
    return r;
}

} // namespace

bool CGameConnect::SendChat(const std::string& chat)
{
    auto r = ChatRecord(App(), chat);
    return SendOnly(RequestId::Chat, r);
}

bool CGameConnect::SendChatEx(const std::string& chat)
{
    auto r = ChatRecord(App(), chat);
    return SendOnly(RequestId::ChatEx, r);
}

bool CGameConnect::SendAhoo(uint32_t userId)
{
    return SendHeadAndTwo(RequestId::Ahoo, userId, uint32_t(App().GetUserChairByID(userId)));
}

bool CGameConnect::Request201180(int32_t value)
{
    FixedRecord<36> r;
    auto w = r.Writer();
    WriteHead(w);
    w.I32(16, value);
    return SendOnly(RequestId::Request201180, r);
}

bool CGameConnect::SendPulse()
{
    uint32_t average = 0;
    uint32_t largest = 0;
    stats_.TakePulse(average, largest);
    FixedRecord<16> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, average);
    w.U32(8, largest);
    return SendOnly(RequestId::Pulse, r);
}

bool CGameConnect::Request201221()
{
    FixedRecord<32> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetReplayTableValue());
    w.U32(8, App().GetRoomID());
    w.U32(12, App().GetAppWord(IClientApp::AppWord::Replay12));
    return SendOnly(RequestId::Request201221, r);
}

bool CGameConnect::Request201162(uint32_t notifyId, const uint8_t*, int32_t length)
{
    return SendNotifyFailure(notifyId, 0, length);
}

bool CGameConnect::SendNotifyFailure(uint32_t notifyId, uint32_t subCode, int32_t length)
{
    FixedRecord<56> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetRoomID());
    w.U32(8, App().GetTableNO());
    w.U32(12, App().GetTableNO()); // the table number again, as the server expects
    w.U32(16, App().IsLookOn() ? 1 : 0);
    w.U32(20, notifyId);
    w.U32(24, subCode);
    w.I32(28, length);
    w.U32(32, platform::TickCount());
    uint32_t last[4] = {};
    App().GetLastNotifyRecord(last);
    for (int i = 0; i < 4; ++i)
        w.U32(36 + 4 * i, last[i]);
    return SendOnly(RequestId::NotifyFailure, r);
}

bool CGameConnect::Request201230(int32_t value)
{
    FixedRecord<32> r;
    auto w = r.Writer();
    w.U32(0, App().GetRoomID());
    w.U32(4, App().GetUserID());
    w.I32(8, value);
    return SendOnly(RequestId::Request201230, r);
}

namespace {

FixedRecord<56> MatchRecord(IClientApp& app)
{
    FixedRecord<56> r;
    auto w = r.Writer();
    w.U32(0, app.GetUserID());
    w.U32(4, app.GetGameID());
    w.U32(8, app.GetRoomID());
    return r;
}

} // namespace

bool CGameConnect::Request201231()
{
    auto r = MatchRecord(App());
    return SendOnly(RequestId::Request201231, r);
}

bool CGameConnect::Request201232()
{
    auto r = MatchRecord(App());
    return SendOnly(RequestId::Request201232, r);
}

bool CGameConnect::AskExit(const std::string& reason)
{
    FixedRecord<84> r;
    auto w = r.Writer();
    WriteHead(w);
    w.Text(20, 64, reason);
    return SendOnly(RequestId::AskExit, r);
}

bool CGameConnect::SendHeadAndTwo(uint32_t id, uint32_t first, uint32_t second)
{
    FixedRecord<40> r;
    auto w = r.Writer();
    WriteHead(w);
    w.U32(16, first);
    w.U32(20, second);
    return SendOnly(id, r);
}

bool CGameConnect::ReplyAskExit(uint32_t askingUserId, int32_t answer)
{
    return SendHeadAndTwo(RequestId::ReplyAskExit, askingUserId, uint32_t(answer));
}

bool CGameConnect::Request229560(int32_t first, int32_t second)
{
    return SendHeadAndTwo(RequestId::Request229560, uint32_t(first), uint32_t(second));
}

std::string CGameConnect::OwnName() const
{
    const Lumora::GameUserRecord* own = App().GetOwnUserRecord();
    return own ? std::string(own->Name()) : std::string();
}

bool CGameConnect::SendNameReport(uint32_t id)
{
    FixedRecord<428> r;
    auto w = r.Writer();
    WriteHead(w);
    w.Text(28, 32, OwnName());
    WriteMachineId(w, 60, App().GetMachineID());
    return SendOnly(id, r);
}

bool CGameConnect::Request214102() { return SendNameReport(RequestId::Request214102); }

bool CGameConnect::Request214104() { return SendNameReport(RequestId::Request214104); }

bool CGameConnect::Request214110(int32_t value)
{
    FixedRecord<380> r;
    auto w = r.Writer();
    WriteHead(w);
    w.Text(16, 36, OwnName());
    w.I32(52, value);
    return SendOnly(RequestId::Request214110, r);
}
