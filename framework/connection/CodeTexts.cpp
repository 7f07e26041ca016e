// The three code-to-text tables of the connection: game-server codes (every reply), hall-service
// codes and safe-box codes.
#include "framework/connection/CGameConnect.h"

namespace {

struct CodeText {
    uint32_t code;
    const char* text;
};

constexpr CodeText kGameServer[] = {
    {1000, "对象不存在。"},
    {1001, "对象已存在。"},
    {1010, "请求处理失败。"},
    {10000, "不支持的请求。"},
    {210008, "用户认证失败。"},
    {210010, "游戏还没有准备好,请稍候再旁观。"},
    {210020, "没有空余的旁观位置。"},
    {210060, "进入游戏失败，请重新开始。"},
    {210070, "进入游戏失败，请重新开始。"},
    {210078, "进入游戏失败，请重新开始。"},
    {210535, "进入游戏失败，请重新开始。"},
};
constexpr CodeText kHall[] = {
    {60017, "该功能暂不支持。"},
    {60019, "非常抱歉，系统正在维护中，请稍候再操作。"},
    {60023, "请求失败，请您重新登录大厅进行身份验证。"},
    {60027, "请求失败，请您重新登录大厅进行身份验证。"},
    {60038, "密码位数不正确。"},
    {60039, "请先登录游戏大厅。"},
    {60040, "对不起，此房间已关闭，请到别的房间。"},
    {60050, "该房间暂时关闭，请换一个房间。"},
    {60078, "房间未开放。"},
    {60087, "服务器繁忙！"},
    {60101, "帐户已被禁用，请与管理员联系。"},
};
constexpr CodeText kDeposit[] = {
    {1000, "对象不存在。"},
    {1001, "对象已存在。"},
    {1010, "请求处理失败。"},
    {1011, "无效的参数。"},
    {1020, "密码错误。"},
    {10000, "不支持的请求。"},
    {60017, "该功能暂不支持。"},
    {60019, "非常抱歉，系统正在维护中，请稍候再操作。"},
    {60021, "密码太简单，容易被盗号，请换一个密码。"},
    {60023, "与服务器连接已经断开。"},
    {60027, "请求失败，请您重新登录大厅进行身份验证。"},
    {60035, "没有许可！"},
    {60038, "密码位数不正确。"},
    {60039, "请先登录游戏大厅。"},
    {60040, "对不起，此房间已关闭，请到别的房间。"},
    {60043, "用户名位数不正确。"},
    {60050, "该房间暂时关闭，请换一个房间。"},
    {60060, "身份证号码无效，请准确输入您本人的身份证号码。"},
    {60061, "真实姓名无效，请准确输入您本人的真实姓名。"},
    {60078, "房间未开放。"},
    {60087, "服务器繁忙！"},
    {60101, "帐户已被禁用，请与管理员联系。"},
};

template <size_t N>
const char* Find(const CodeText (&table)[N], uint32_t code)
{
    for (const CodeText& e : table)
        if (e.code == code)
            return e.text;
    return nullptr;
}

} // namespace

void CGameConnect::GetReplyCodeText(std::string& text, uint32_t code) const
{
    if (const char* t = Find(kGameServer, code))
        text = t;
}

void CGameConnect::GetHallCodeText(std::string& text, uint32_t code) const
{
    const char* t = Find(kHall, code);
    text = t ? t : "操作失败！";
}

void CGameConnect::GetDepositCodeText(std::string& text, uint32_t code) const
{
    if (const char* t = Find(kDeposit, code))
        text = t;
}
