// The texts and picture names of the frame and its dialogs are GBK bytes: each is compared with
// Python's gbk encoding of the same text written in UTF-8.
#include "framework/PyRun.h"

#include "framework/frame/FrameSupport.h"
#include "framework/frame/FrameTexts.h"

#include <gtest/gtest.h>

using namespace framework;

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(FrameTexts, AreTheGbkBytesOfTheirUtf8Spelling)
{
    const std::pair<const char*, std::string> table[] = {
        {kKeepPlayingText,
         Utf8(u8"生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)")},
        {kPenaltyText, Utf8(u8"游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？")},
        {kForceQuitFormat,
         Utf8(u8"游戏还没结束，强退操作将扣除大量%s。输入理由请求其他玩家同意。（最多30个汉字，最多请求2次）")},
        {kSilverWord, Utf8(u8"银两")},
        {kScoreWord, Utf8(u8"积分")},
        {kForceQuitTitle, Utf8(u8"请求强退")},
        {kReminderFormat, Utf8(u8" <c=%d>已经请求退出，请耐心等候其他玩家回应(%d秒)。\r\n")},
        {kAskExitHeader, Utf8(u8"<c=255>%s<c=0> 请求退出!")},
        {kAskKanPaiHeader, Utf8(u8"<c=255>%s<c=0> 请求看牌!")},
        {kAgreeLabel, Utf8(u8"同意")},
        {kAcceptLabel, Utf8(u8"接受")},
        {kRefuseLabel, Utf8(u8"拒绝")},
        {kCountdownGlyphs, Utf8(u8"比赛倒计时:天时分秒小")},
        {kFeeGlyphs, Utf8(u8"比赛倒计时:天时分秒小报名费银两通宝")},
        {kKnockoutGlyphs, Utf8(u8"定局淘汰第轮")},
        {kRestGlyphs, Utf8(u8"还有桌游戏中前名晋级，")},
        {kMsgTemplate, Utf8(u8"系统信息框模板")},
        {kMsgOkPicture, Utf8(u8"系统信息框_确定")},
        {kMsgCancelPicture, Utf8(u8"系统信息框_取消")},
        {kMsgClosePicture, Utf8(u8"系统信息框_关闭")},
        {kNoticeTemplate, Utf8(u8"系统通知框模板")},
        {kNoticeButtonPicture, Utf8(u8"系统通知框_按钮")},
        {kNoticePortraitFrame, Utf8(u8"系统通知框_头像背景")},
        {kFacePlaying, Utf8(u8"xyf打牌")},
        {kFaceQuestion, Utf8(u8"xyf疑问")},
        {kDialogFace, Utf8(u8"宋体")},
    };
    std::string input;
    for (const auto& [gbk, utf8] : table)
        input += utf8 + '\0';
    const auto out = fwtest::RunPython("import sys\n"
                                       "texts = sys.stdin.buffer.read().split(b'\\0')[:-1]\n"
                                       "sys.stdout.buffer.write(b''.join(t.decode('utf-8').encode('gbk') + b'\\0'"
                                       " for t in texts))\n",
                                       input);
    ASSERT_TRUE(out);
    size_t at = 0;
    for (const auto& [gbk, utf8] : table) {
        const size_t end = out->find('\0', at);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(std::string(gbk), out->substr(at, end - at)) << utf8;
        at = end + 1;
    }
}

} // namespace
