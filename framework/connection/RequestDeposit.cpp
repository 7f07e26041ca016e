// The request catalogue's silver requests: the safe-box queries, deposits, the reward and the
// allowance, with their reply texts.
#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>

namespace {

constexpr uint32_t kKindSave = 1;
constexpr uint32_t kKindTake = 2;
constexpr const char* kDepositPlaying = "正在玩的游戏不能划帐。";
constexpr const char* kDepositReady = "已经准备的游戏不能划帐。";
constexpr const char* kDepositForbidden = "系统禁止在【%s】里存放银子。";
constexpr const char* kAboveMaximum = "高于房间最高银子限制【%d两】。";

// a - b of two words from the server, which may be anything: held at the type's ends rather
// than overflowing.
int32_t Difference32(int32_t a, int32_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(a) - b, INT32_MIN, INT32_MAX));
}
int64_t Difference64(int64_t a, int64_t b)
{
    int64_t d = 0;
    if (__builtin_sub_overflow(a, b, &d))
        return b < 0 ? INT64_MAX : INT64_MIN;
    return d;
}

} // namespace

bool CGameConnect::Request200040(std::string& text, uint8_t out[32])
{
    FixedRecord<76> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetGameID());
    WriteMachineId(w, 12, App().GetMachineID());
    GameReply reply;
    if (!SendRequest(text, RequestId::SafeBoxQuery, r.bytes.data(), r.Size(), reply, true))
        return false;
    if (reply.code != ReplyCode::Success) {
        GetHallCodeText(text, reply.code);
        return false;
    }
    reply.Reader().CopyTo(out, 32);
    return true;
}

bool CGameConnect::Request200043(std::string& text, uint8_t out[24], uint32_t* code)
{
    FixedRecord<76> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetGameID());
    WriteMachineId(w, 12, App().GetMachineID());
    GameReply reply;
    const bool sent = SendRequest(text, RequestId::Request200043, r.bytes.data(), r.Size(), reply, true);
    if (code)
        *code = reply.code;
    if (!sent)
        return false;
    if (reply.code != ReplyCode::Success || !reply.HasData()) {
        GetHallCodeText(text, reply.code);
        return false;
    }
    reply.Reader().CopyTo(out, 24);
    return true;
}

namespace {

FixedRecord<112> DepositRecord(IClientApp& app, int32_t amount, int32_t extra, uint32_t kind)
{
    FixedRecord<112> r;
    auto w = r.Writer();
    w.U32(0, app.GetUserID());
    w.U32(4, app.GetGameID());
    w.U32(8, app.GetRoomID());
    w.U32(12, app.GetTableNO());
    w.I32(16, app.GetChairNO());
    w.I32(20, amount);
    w.I32(24, extra);
    WriteMachineId(w, 48, app.GetMachineID());
    w.I32(80, app.GetOwnTableSilver());
    w.U32(84, kind);
    return r;
}

} // namespace

bool CGameConnect::SaveDeposit(std::string& text, int32_t* amount, uint32_t* code)
{
    if (!amount || !App().CheckSafeBox())
        return false;
    auto r = DepositRecord(App(), *amount, 0, kKindSave);
    GameReply reply;
    const bool sent = SendRequest(text, RequestId::SaveDeposit, r.bytes.data(), r.Size(), reply, true);
    if (code)
        *code = reply.code;
    if (!sent)
        return false;
    const RecordReader in = reply.Reader();
    switch (reply.code) {
    case ReplyCode::Success:
        return true;
    case ReplyCode::DepositTooMuch:
        text = "您的划帐数额超过现在拥有的金额。";
        break;
    case ReplyCode::DepositBelowMinimum:
        text = FormatText("低于房间最低银子限制【%d两】。", in.I32(0));
        break;
    case ReplyCode::GiftRounds:
        text = FormatText("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 局才能转出。", in.I32(0));
        break;
    case ReplyCode::GiftMinutes:
        text = FormatText("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 分钟才能转出。", in.I32(0));
        break;
    case ReplyCode::GiftKeep: {
        const int32_t allowed = Difference32(in.I32(0), in.I32(4));
        text = FormatText("很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出%d两。(至少保留%d两)", allowed,
                          in.I32(4));
        *amount = allowed;
        break;
    }
    default:
        if (!CommonDepositText(text, reply.code))
            GetHallCodeText(text, reply.code);
        break;
    }
    return false;
}

bool CGameConnect::CommonDepositText(std::string& text, uint32_t code) const
{
    switch (code) {
    case ReplyCode::DepositForbidden:
        text = FormatText(kDepositForbidden, App().GetGameName().c_str());
        return true;
    case ReplyCode::DepositPlaying:
        text = kDepositPlaying;
        return true;
    case ReplyCode::DepositReady:
        text = kDepositReady;
        return true;
    default:
        return false;
    }
}

bool CGameConnect::TakeDeposit(std::string& text, int32_t amount, int32_t extra)
{
    if (!App().CheckSafeBox())
        return false;
    auto r = DepositRecord(App(), amount, extra, kKindTake);
    GameReply reply;
    if (!SendRequest(text, RequestId::TakeDeposit, r.bytes.data(), r.Size(), reply, true))
        return false;
    const RecordReader in = reply.Reader();
    const std::string game = App().GetGameName();
    switch (reply.code) {
    case ReplyCode::Success:
        text = "银子已经成功划入您指定的游戏。";
        return true;
    case ReplyCode::DepositTooMuch:
        text = "您的保险箱里的银子不够。";
        break;
    case ReplyCode::PinWrong:
        text = "保护密码计算结果错误。";
        break;
    case ReplyCode::DepositAboveMaximum:
        text = FormatText(kAboveMaximum, in.I32(0));
        break;
    case ReplyCode::PinLocked:
        text = "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。";
        break;
    case ReplyCode::DailyLimit: {
        const int32_t used = in.I32(0);
        const int32_t limit = in.I32(4);
        const int32_t remaining = Difference32(limit, used);
        text = remaining < 1
                   ? FormatText("系统限定每日划入【%s】不能超过%d两，\r\n今天您已经超限，到明天才能划银。", game.c_str(), limit)
                   : FormatText("系统限定每日划入【%s】不能超过%d两，\r\n今天您最多还可以划入%d两。", game.c_str(), limit,
                                remaining);
        break;
    }
    case ReplyCode::MonthlyLimit: {
        const int64_t used = in.I64(0);
        const int64_t limit = in.I64(8);
        const int64_t remaining = Difference64(limit, used);
        text = remaining <= 0
            ? FormatText("系统限定每月划入游戏不能超过%" PRId64 "两，\r\n本月您已经超限，到下个月才能划银。", limit)
            : FormatText("系统限定每月划入游戏总额不能超过%" PRId64 "两，\r\n本月您最多还可以划入%" PRId64 "两。",
                         limit, remaining);
        break;
    }
    default:
        if (!CommonDepositText(text, reply.code))
            GetHallCodeText(text, reply.code);
        break;
    }
    return false;
}

bool CGameConnect::TakeSilverReward(std::string& text, int32_t value)
{
    if (value < 0)
        return false;
    FixedRecord<192> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetGameID());
    w.U32(8, App().GetRoomID());
    w.U32(12, App().GetTableNO());
    w.I32(16, App().GetChairNO());
    w.I32(20, value);
    WriteMachineId(w, 28, App().GetMachineID());
    GameReply reply;
    if (!SendRequest(text, RequestId::TakeSilverReward, r.bytes.data(), r.Size(), reply, true))
        return false;
    switch (reply.code) {
    case ReplyCode::Success:
        return true;
    case ReplyCode::RequestFailed:
        text = "请求处理失败。";
        break;
    case ReplyCode::DepositAboveMaximum:
        text = FormatText(kAboveMaximum, reply.Reader().I32(0));
        break;
    case ReplyCode::DepositForbidden:
        text = FormatText(kDepositForbidden, App().GetGameName().c_str());
        break;
    default:
        GetDepositCodeText(text, reply.code);
        break;
    }
    return false;
}

bool CGameConnect::SendAllowance(uint32_t id, size_t size, std::string& text, int32_t value, int32_t kind, int32_t* out)
{
    if (App().IsLookOn() || kind < 0 || kind > 1)
        return false;
    FixedRecord<136> r;
    auto w = r.Writer();
    WriteHead(w);
    w.Text(16, 36, OwnName());
    w.I32(52, value);
    w.I32(56, kind);
    if (id == RequestId::TakeAllowanceEx)
        WriteMachineId(w, 72, App().GetMachineID());
    GameReply reply;
    if (!SendRequest(text, id, r.bytes.data(), uint32_t(size), reply, true) || reply.code != ReplyCode::Success ||
        !reply.HasData())
        return false;
    if (out)
        *out = reply.Reader().I32(0);
    return true;
}

bool CGameConnect::TakeAllowance(std::string& text, int32_t value, int32_t kind, int32_t* out)
{
    return SendAllowance(RequestId::TakeAllowance, 104, text, value, kind, out);
}

bool CGameConnect::TakeAllowanceEx(std::string& text, int32_t value, int32_t kind, int32_t* out)
{
    return SendAllowance(RequestId::TakeAllowanceEx, 136, text, value, kind, out);
}

bool CGameConnect::GetAllowanceConfig(std::string& text, int32_t value, uint8_t out[124])
{
    FixedRecord<320> r;
    auto w = r.Writer();
    WriteHead(w);
    w.I32(20, value);
    GameReply reply;
    if (!SendRequest(text, RequestId::AllowanceConfig, r.bytes.data(), r.Size(), reply, true) ||
        reply.code != ReplyCode::Success || !reply.HasData())
        return false;
    reply.Reader().CopyTo(out, 124);
    return true;
}
