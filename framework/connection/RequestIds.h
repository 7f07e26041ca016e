#pragma once
// Every request id, reply code and game-server number the connection and the request catalogue
// use, named once. Some numbers are both a request and a notification (201200, 201210, 201212,
// 201213, 214102, 214110) or a reply code and a notification (60031): the direction and the
// frame type tell them apart, and the notification dispatcher names its own.
#include <cstdint>

namespace RequestId {
inline constexpr uint32_t SafeBoxQuery = 200040;
inline constexpr uint32_t TakeDeposit = 200041;
inline constexpr uint32_t SaveDeposit = 200042;
inline constexpr uint32_t Request200043 = 200043;
inline constexpr uint32_t EnterGame = 200110;
inline constexpr uint32_t CheckVersion = 201001;
inline constexpr uint32_t Pulse = 201020;
inline constexpr uint32_t QuitGame = 201120;
inline constexpr uint32_t LeaveGame = 201125;
inline constexpr uint32_t QueryGamePlaying = 201130;
inline constexpr uint32_t GetTableGameData = 201140;
inline constexpr uint32_t StartGame = 201160;
inline constexpr uint32_t Request201161 = 201161;
inline constexpr uint32_t NotifyFailure = 201162;
inline constexpr uint32_t StartGameEx = 201165;
inline constexpr uint32_t Request201180 = 201180;
inline constexpr uint32_t Ahoo = 201200;
inline constexpr uint32_t Chat = 201210;
inline constexpr uint32_t ChatEx = 201211;
inline constexpr uint32_t AskExit = 201212;
inline constexpr uint32_t ReplyAskExit = 201213;
inline constexpr uint32_t LoginGame = 201220;
inline constexpr uint32_t Request201221 = 201221;
inline constexpr uint32_t Request201230 = 201230;
inline constexpr uint32_t Request201231 = 201231;
inline constexpr uint32_t Request201232 = 201232;
inline constexpr uint32_t ChangeTable = 201300;
inline constexpr uint32_t StartGameNew = 201302;
inline constexpr uint32_t TakeSilverReward = 201303;
inline constexpr uint32_t FeatureConfig = 201308;
inline constexpr uint32_t TakeAllowance = 214000;
inline constexpr uint32_t TakeAllowanceEx = 214001;
inline constexpr uint32_t AllowanceConfig = 214010;
inline constexpr uint32_t Request214102 = 214102;
inline constexpr uint32_t Request214104 = 214104;
inline constexpr uint32_t Request214110 = 214110;
inline constexpr uint32_t Request229560 = 229560;

// The mahjong table's requests.
inline constexpr uint32_t MahjongFirst = 220000; // ids above it are table actions (5 s)
inline constexpr uint32_t ThrowCards = 222080;
inline constexpr uint32_t CatchCard = 229000;
inline constexpr uint32_t AnnouncePeng = 229010;
inline constexpr uint32_t AnnounceGang = 229015;
inline constexpr uint32_t AnnounceChi = 229020;
inline constexpr uint32_t ChiCards = 229030;
inline constexpr uint32_t ReplaceFlower = 229060;
inline constexpr uint32_t Hu = 229080;
inline constexpr uint32_t PengCards = 229214;
inline constexpr uint32_t GangOnDiscardCards = 229215;
inline constexpr uint32_t AddedGangCards = 229216;
inline constexpr uint32_t ConcealedGangCards = 229217;
inline constexpr uint32_t Pass = 229218;
inline constexpr uint32_t GameMessage = 229510;
inline constexpr uint32_t AskKanPai = 229550;
} // namespace RequestId

namespace ReplyCode {
inline constexpr uint32_t Success = 10;
inline constexpr uint32_t TimedOut = 1030; // set here: no reply in time
inline constexpr uint32_t NotConnected = 1031; // set here: the connection is down
inline constexpr uint32_t RequestFailed = 10100; // set by the mahjong layer for a failed request
inline constexpr uint32_t ServerText = 60031; // the reply's data is a text to show
inline constexpr uint32_t NoTile = 229101;

inline constexpr uint32_t EnteredPlayer = 210200;
inline constexpr uint32_t EnteredLookOn = 210210;
inline constexpr uint32_t EnteredRunning = 210220;
inline constexpr uint32_t TablePlaying = 210030;
inline constexpr uint32_t LeaveWait = 210085;
inline constexpr uint32_t LeaveKeepPlaying = 210086;
inline constexpr uint32_t LeaveResultPending = 210087;
inline constexpr uint32_t TakeSilverPrompt = 210541;
inline constexpr uint32_t StoreSilverPrompt = 210542;
inline constexpr uint32_t ChangeTableTooOften = 210550;

inline constexpr uint32_t DepositForbidden = 60042;
inline constexpr uint32_t DepositTooMuch = 60005;
inline constexpr uint32_t DepositPlaying = 229601;
inline constexpr uint32_t DepositReady = 229600;
inline constexpr uint32_t DepositBelowMinimum = 229603;
inline constexpr uint32_t DepositAboveMaximum = 229604;
inline constexpr uint32_t GiftRounds = 60070;
inline constexpr uint32_t GiftMinutes = 60071;
inline constexpr uint32_t GiftKeep = 60092;
inline constexpr uint32_t PinWrong = 1011;
inline constexpr uint32_t PinLocked = 60029;
inline constexpr uint32_t DailyLimit = 60086;
inline constexpr uint32_t MonthlyLimit = 60095;
} // namespace ReplyCode
