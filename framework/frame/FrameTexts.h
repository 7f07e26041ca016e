#pragma once
// The texts the in-game frame and its dialogs show, in the program's GBK.
namespace framework {

inline constexpr char kKeepPlayingText[] =
    "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
inline constexpr char kPenaltyText[] = "游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？";
// %s: kSilverWord in a silver room, else kScoreWord.
inline constexpr char kForceQuitFormat[] =
    "游戏还没结束，强退操作将扣除大量%s。输入理由请求其他玩家同意。（最多30个汉字，最多请求2次）";
inline constexpr char kSilverWord[] = "银两";
inline constexpr char kScoreWord[] = "积分";
inline constexpr char kForceQuitTitle[] = "请求强退";
// %d: the colour, then the seconds left.
inline constexpr char kReminderFormat[] = " <c=%d>已经请求退出，请耐心等候其他玩家回应(%d秒)。\r\n";
// %s: the asking player's name.
inline constexpr char kAskExitHeader[] = "<c=255>%s<c=0> 请求退出!";
inline constexpr char kAskKanPaiHeader[] = "<c=255>%s<c=0> 请求看牌!";
inline constexpr char kAgreeLabel[] = "同意";
inline constexpr char kAcceptLabel[] = "接受";
inline constexpr char kRefuseLabel[] = "拒绝";
// Characters of the match room's picture boards, in the order of their image strips.
inline constexpr char kCountdownGlyphs[] = "比赛倒计时:天时分秒小";
inline constexpr char kFeeGlyphs[] = "比赛倒计时:天时分秒小报名费银两通宝";
inline constexpr char kKnockoutGlyphs[] = "定局淘汰第轮";
inline constexpr char kRestGlyphs[] = "还有桌游戏中前名晋级，";

} // namespace framework
