// The texts the connection shows for reply codes, copied as UTF-8 into the table below, encoded
// by Python's gbk codec and compared byte for byte with what the compiled operations produce.
// The operations run on a connection whose send step hands back the reply under test.
#include "PyRun.h"
#include "support/FakeClientApp.h"

#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class CannedConnect : public CGameConnect {
public:
    CannedConnect() : CGameConnect(nullptr, 0, 0, 0) { SetApp(&app); }
    bool SendRequest(std::string& text, uint32_t, const void*, uint32_t, GameReply& reply, bool) override
    {
        reply.code = code;
        reply.length = int32_t(data.size() * 4);
        reply.data = std::make_unique<uint8_t[]>(data.size() * 4 + 1);
        if (!data.empty())
            std::memcpy(reply.data.get(), data.data(), data.size() * 4);
        GetReplyCodeText(text, code);
        return true;
    }
    FakeClientApp app;
    uint32_t code = 0;
    std::vector<int32_t> data;
};

struct Case {
    uint32_t code;
    std::vector<int32_t> data;
    std::function<void(CannedConnect&, std::string&)> op;
    std::string utf8;
};

TEST(ReplyTextsTest, TextsAreTheGbkBytesOfTheSystemsTexts)
{
    int32_t amount = 0;
    const auto save = [&](CannedConnect& c, std::string& t) { c.SaveDeposit(t, &amount, nullptr); };
    const auto take = [](CannedConnect& c, std::string& t) { c.TakeDeposit(t, 1, 0); };
    const auto leave = [](CannedConnect& c, std::string& t) { c.LeaveGame(t, 1001, 0); };
    const auto version = [](CannedConnect& c, std::string& t) {
        int a = 0;
        int b = 0;
        c.CheckVersion(t, &a, &b);
    };
    const auto reward = [](CannedConnect& c, std::string& t) { c.TakeSilverReward(t, 1); };
    const auto hall = [](CannedConnect& c, std::string& t) { c.GetHallCodeText(t, c.code); };
    const auto deposit = [](CannedConnect& c, std::string& t) { c.GetDepositCodeText(t, c.code); };
    const auto server = [](CannedConnect& c, std::string& t) { c.GetReplyCodeText(t, c.code); };
    const std::vector<Case> cases = {
        {1000, {}, server, U8(u8"对象不存在。")},
        {210010, {}, server, U8(u8"游戏还没有准备好,请稍候再旁观。")},
        {210078, {}, server, U8(u8"进入游戏失败，请重新开始。")},
        {60019, {}, hall, U8(u8"非常抱歉，系统正在维护中，请稍候再操作。")},
        {4242, {}, hall, U8(u8"操作失败！")},
        {60060, {}, deposit, U8(u8"身份证号码无效，请准确输入您本人的身份证号码。")},
        {10, {10, 0}, version, U8(u8"您的游戏程序太旧了,必须下载新的程序才能玩游戏。")},
        {10, {9, 4}, version, U8(u8"您的游戏程序需要更新。")},
        {10, {8, 9}, version, U8(u8"服务正在更新中，请稍候再试。")},
        {210086,
         {},
         leave,
         U8(u8"生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)")},
        {210085, {12}, leave, U8(u8"系统已经为您分配了随机桌位，\r\n\r\n必须再等 12 秒钟才能离开。")},
        {210087, {}, leave, U8(u8"离开游戏失败，请等待本局结果提交。")},
        {60042, {}, save, U8(u8"系统禁止在【血流成河】里存放银子。")},
        {60005, {}, save, U8(u8"您的划帐数额超过现在拥有的金额。")},
        {229601, {}, save, U8(u8"正在玩的游戏不能划帐。")},
        {229600, {}, save, U8(u8"已经准备的游戏不能划帐。")},
        {229603, {300}, save, U8(u8"低于房间最低银子限制【300两】。")},
        {60070, {5}, save, U8(u8"很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 5 局才能转出。")},
        {60071, {6}, save, U8(u8"很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 6 分钟才能转出。")},
        {10, {}, take, U8(u8"银子已经成功划入您指定的游戏。")},
        {60005, {}, take, U8(u8"您的保险箱里的银子不够。")},
        {1011, {}, take, U8(u8"保护密码计算结果错误。")},
        {229604, {900}, take, U8(u8"高于房间最高银子限制【900两】。")},
        {60029, {}, take, U8(u8"由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。")},
        {60086, {100, 300}, take, U8(u8"系统限定每日划入【血流成河】不能超过300两，\r\n今天您最多还可以划入200两。")},
        {60095, {9, 0, 9, 0}, take, U8(u8"系统限定每月划入游戏不能超过9两，\r\n本月您已经超限，到下个月才能划银。")},
        // Hostile limits: the remainder is taken without overflow and held at the type's end.
        {60092, {INT32_MAX, -1}, save,
         U8(u8"很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出2147483647两。(至少保留-1两)")},
        {60086, {INT32_MIN, INT32_MAX}, take,
         U8(u8"系统限定每日划入【血流成河】不能超过2147483647两，\r\n今天您最多还可以划入2147483647两。")},
        {60095, {0, INT32_MIN, -1, INT32_MAX}, take,
         U8(u8"系统限定每月划入游戏总额不能超过9223372036854775807两，\r\n本月您最多还可以划入9223372036854775807两。")},
        {10100, {}, reward, U8(u8"请求处理失败。")},
    };
    std::string input;
    std::vector<std::string> produced;
    for (const Case& c : cases) {
        CannedConnect connect;
        connect.code = c.code;
        connect.data = c.data;
        std::string text;
        c.op(connect, text);
        produced.push_back(text);
        input += c.utf8;
        input.push_back('\0');
    }
    const auto gbk = fwtest::RunPython("import sys\nfor t in sys.stdin.buffer.read().split(b'\\0')[:-1]:\n"
                                       "    sys.stdout.write(t.decode('utf-8').encode('gbk').hex() + '\\n')\n",
                                       input);
    ASSERT_TRUE(gbk.has_value());
    size_t pos = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const size_t end = gbk->find('\n', pos);
        ASSERT_NE(end, std::string::npos);
        std::string hex;
        for (unsigned char ch : produced[i]) {
            char b[3];
            std::snprintf(b, sizeof(b), "%02x", ch);
            hex += b;
        }
        EXPECT_EQ(hex, gbk->substr(pos, end - pos)) << cases[i].utf8;
        pos = end + 1;
    }
}

} // namespace
