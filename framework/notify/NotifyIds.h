#pragma once
// The ids of the notifications the generic dispatcher handles, named once. Some numbers are also
// requests (201200, 201210, 201212, 201213, 214102, 214110) or a reply code (60031); the frame
// type tells them apart.
#include <cstdint>

namespace NotifyId {
inline constexpr uint32_t ServerTextEvent = 60031;
inline constexpr uint32_t Ahoo = 201200;
inline constexpr uint32_t Chat = 201210;
inline constexpr uint32_t AskExit = 201212;
inline constexpr uint32_t AskExitReply = 201213;
inline constexpr uint32_t ServerMessageBox = 210530;
inline constexpr uint32_t PlayerLeft = 211000;
inline constexpr uint32_t LookOnLeft = 211010;
inline constexpr uint32_t PlayerSeated = 211011;
inline constexpr uint32_t UserChanged = 211020;
inline constexpr uint32_t HallWord = 211025;
inline constexpr uint32_t TableList = 211028;
inline constexpr uint32_t UsersInfoChanged = 211030;
inline constexpr uint32_t SilverNotEnough = 211110;
inline constexpr uint32_t PlayerNotSeated = 211120;
inline constexpr uint32_t ScoreNotEnough = 211130;
inline constexpr uint32_t ScoreOverLimit = 211132;
inline constexpr uint32_t TotalBoutOverLimit = 211134;
inline constexpr uint32_t TableBoutOverLimit = 211136;
inline constexpr uint32_t OutOfOpenTime = 211137;
inline constexpr uint32_t ServerText = 211138;
inline constexpr uint32_t KnockoutRound = 211150;
inline constexpr uint32_t RankListChanged = 211170;
inline constexpr uint32_t MatchLatePhase = 211190;
inline constexpr uint32_t Match211191 = 211191;
inline constexpr uint32_t MatchBegin = 211199;
inline constexpr uint32_t ChatEx = 211200;
inline constexpr uint32_t MatchSystemCancel = 211201;
inline constexpr uint32_t Match211202 = 211202;
inline constexpr uint32_t MatchSignUpOK = 211203;
inline constexpr uint32_t MatchQuitOK = 211204;
inline constexpr uint32_t MatchSignUpFailed = 211205;
inline constexpr uint32_t MatchQuitFailed = 211206;
inline constexpr uint32_t MatchOutFull = 211210;
inline constexpr uint32_t PromotionInfo = 211220;
inline constexpr uint32_t GameTimeout = 211230;
inline constexpr uint32_t Match211241 = 211241;
inline constexpr uint32_t MatchWaitWord = 211242;
inline constexpr uint32_t MatchBoardText = 211243;
inline constexpr uint32_t ChatBoxText = 211400;
inline constexpr uint32_t GameResultBox = 211410;
inline constexpr uint32_t HallFeature211430 = 211430;
inline constexpr uint32_t HallFeature211440 = 211440;
inline constexpr uint32_t PlayerResultEntry = 211510;
inline constexpr uint32_t ChairValue211600 = 211600;
inline constexpr uint32_t ChairValue211601 = 211601;
inline constexpr uint32_t TablePlayers = 211700;
inline constexpr uint32_t IdleTooLong = 211800;
inline constexpr uint32_t AmuletSkill = 211900;
inline constexpr uint32_t PlayerTexts = 211910;
inline constexpr uint32_t QRCodeInfo = 211920;
inline constexpr uint32_t PlayerEntry211930 = 211930;
inline constexpr uint32_t Notify211931 = 211931;
inline constexpr uint32_t Service214100 = 214100;
inline constexpr uint32_t Service214101 = 214101;
inline constexpr uint32_t Service214102 = 214102;
inline constexpr uint32_t Service214103 = 214103;
inline constexpr uint32_t Service214110 = 214110;
} // namespace NotifyId

// The message the dispatcher posts to the hall for 211025 (wparam: the main window, lparam: the
// word).
inline constexpr uint32_t kHallNotifyWord = 0x9107;
