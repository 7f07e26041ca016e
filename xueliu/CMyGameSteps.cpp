// This game's steps on the scene: exchange three, missing suit, the score changes and the wins
// that leave the hand running.
#include "xueliu/CMyGame.h"

#include "framework/connection/CGameConnect.h"
#include "framework/connection/Record.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "xueliu/GameCalculator.h"
#include "xueliu/RecordChecks.h"
#include "xueliu/ResultSummary.h"
#include "widgets/AppServices.h"
#include "widgets/ChatMarkup.h"
#include "xueliu/GameLines.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CGameNotifyEx.h"

#include <algorithm>
#include <cstdio>

using namespace Lumora;

namespace {

constexpr uint32_t kExchangeRequest = 229310;
constexpr uint32_t kMissingSuitRequest = 229350;
constexpr uint32_t kReplyOk = 10;
constexpr size_t kStepRequestSize = 32;
constexpr uint32_t kReceivedRaisedMs = 1000;
constexpr uint32_t kExchangeWaitMs = 100;
constexpr int kExchangeWaitAttempts = 80;
constexpr int kWinOnDiscard = 1, kWinSelfDrawn = 2, kWinRobbedGang = 4;

int SuitOf(int tile) { return tile / 36; }
int RankOf(int tile) { return tile % 9; }
bool IsTile(int tile) { return tile >= 0 && tile < CMyGame::kTiles; }

std::string Printf(const char* format, auto... args)
{
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

} // namespace

void CMyGame::OnGameStep(uint32_t id, const uint8_t* data, size_t length)
{
    switch (id) {
    case CGameNotifyEx::kExchangeBegin: OnExchangeBegin(data, length); break;
    case CGameNotifyEx::kExchangeChosen: OnChairChose(data, length); break;
    case CGameNotifyEx::kExchangeDone: OnExchangeDone(data, length); break;
    case CGameNotifyEx::kMissingSuitBegin: OnMissingSuitBegin(data, length); break;
    case CGameNotifyEx::kMissingSuits: OnMissingSuits(data, length); break;
    case CGameNotifyEx::kScoreChange: OnScoreChange(data, length); break;
    case CGameNotifyEx::kPlayerWins: OnPlayerWins(data, length); break;
    default: break;
    }
}

const char* CMyGame::OutOfCourse(uint32_t id)
{
    switch (id) {
    case CGameNotifyEx::kExchangeBegin:
        return course_ == kCourseDealt ? nullptr : "the exchange begins once, after the deal";
    case CGameNotifyEx::kExchangeDone:
        return course_ == kCourseDealt || course_ == kCourseExchangeBegun ? nullptr : "the exchange is over";
    case CGameNotifyEx::kMissingSuitBegin:
        return course_ >= kCourseDealt && course_ <= kCourseExchanged ? nullptr : "the missing suit was chosen";
    case CGameNotifyEx::kMissingSuits:
        return course_ >= kCourseDealt && course_ <= kCourseMissingBegun ? nullptr : "the missing suits are known";
    case CGameNotifyEx::kGameStart:
        return course_ == kCourseNone || course_ == kCourseEnded ? nullptr : "a deal while a hand runs";
    case CGameNotifyEx::kPlayerStarted:
        return course_ == kCourseNone || course_ == kCourseEnded ? nullptr : "ready while a hand runs";
    case CGameNotifyEx::kGameResult:
        // Not judged by the wall left: a scene a tile off would never end its hand.
        return course_ == kCoursePlay ? nullptr : "a result before play or a second one";
    case CGameNotifyEx::kCardThrown:
    case CGameNotifyEx::kCardCaught:
    case CGameNotifyEx::kClockOut:
    case CGameNotifyEx::kPengAnnounced:
    case CGameNotifyEx::kChiAnnounced:
    case CGameNotifyEx::kGangAnnounced:
    case CGameNotifyEx::kPengCards:
    case CGameNotifyEx::kChiCards:
    case CGameNotifyEx::kMingGangCards:
    case CGameNotifyEx::kAnGangCards:
    case CGameNotifyEx::kBuGangCards:
    case CGameNotifyEx::kFlower:
    case CGameNotifyEx::kScoreChange:
    case CGameNotifyEx::kPlayerWins:
        // A server may end a hand early; its play would then go on under the result board. The
        // hand sent again (229580) still comes: it answers a throw the end overtook.
        return course_ == kCourseEnded ? "a record of a hand that has ended" : nullptr;
    default: return nullptr;
    }
}

// ---- recommendations ----

std::vector<int> CMyGame::RecommendExchange(const std::vector<int>& hand)
{
    std::array<std::vector<int>, kSuits> bySuit;
    for (int t : hand)
        if (IsTile(t))
            bySuit[size_t(SuitOf(t))].push_back(t);
    int best = -1;
    for (int s = 0; s < kSuits; ++s)
        if (bySuit[size_t(s)].size() >= 3 && (best < 0 || bySuit[size_t(s)].size() < bySuit[size_t(best)].size()))
            best = s;
    if (best < 0)
        return {};
    std::vector<int> suit = bySuit[size_t(best)];
    // The highest ranks; equal ranks by id, so the choice is the same on every run.
    std::sort(suit.begin(), suit.end(), [](int a, int b) { return RankOf(a) != RankOf(b) ? RankOf(a) > RankOf(b) : a > b; });
    suit.resize(3);
    return suit;
}

int CMyGame::RecommendMissingSuit(const std::vector<int>& hand)
{
    std::array<int, kSuits> counts{};
    for (int t : hand)
        if (IsTile(t))
            ++counts[size_t(SuitOf(t))];
    return int(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

int CMyGame::AutoPlayThrow(const std::vector<int>& hand, int preferred, int missingSuit)
{
    // No hand wins while it holds its missing suit: those tiles go first.
    int highest = -1;
    bool preferredHeld = false;
    for (int t : hand) {
        preferredHeld = preferredHeld || t == preferred;
        if (IsTile(t) && SuitOf(t) == missingSuit &&
            (highest < 0 || RankOf(t) > RankOf(highest) || (RankOf(t) == RankOf(highest) && t > highest)))
            highest = t;
    }
    if (highest < 0 || (preferredHeld && IsTile(preferred) && SuitOf(preferred) == missingSuit))
        return preferred;
    return highest;
}

std::string CMyGame::FanLabels(const int32_t counters[16], int kind) { return xueliu::FanLabels(counters, kind); }

// ---- exchange three ----

void CMyGame::OnExchangeBegin(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CGameNotifyEx::kExchangeBegin, length, 4))
        return;
    const int seconds = RecordReader(data, length).I32(0);
    course_ = kCourseExchangeBegun;
    if (IsLookOnClient())
        return;
    phase_ = kPhaseExchange;
    exchangeSeconds_ = seconds;
    ++exchangeSerial_;
    BeginExchange(0);
}

// The step may come while the deal still lays out the hand: the recommendation and its lifted
// tiles wait for the whole hand (a while at most, then the hand as it is).
void CMyGame::BeginExchange(int attempt)
{
    if (phase_ != kPhaseExchange)
        return;
    int32_t dealt[32];
    CMJGameData2* info = GetSceneGameInfo();
    const size_t expected = info ? size_t(std::max(0, info->GetOwnTiles(dealt))) : 0;
    if (OwnHandTiles().size() < expected && attempt < kExchangeWaitAttempts) {
        PostAfter(kExchangeWaitMs, kEvExchangeRetry, uintptr_t(attempt + 1), exchangeSerial_);
        return;
    }
    exchangeChoice_ = RecommendExchange(OwnHandTiles());
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->inHand) {
            t->raised = std::find(exchangeChoice_.begin(), exchangeChoice_.end(), t->tile) != exchangeChoice_.end();
            TileChanged(*t);
        }
    SetHandMode(kHandFlower);
    ShowExchangeBoard(exchangeSeconds_);
    if (exchangeSeconds_ > 0)
        PostAfter(1000, kEvExchangeTick, uintptr_t(exchangeSeconds_ - 1), exchangeSerial_);
}

void CMyGame::ToggleExchangeTile(CMJCard2& tile)
{
    if (phase_ != kPhaseExchange || !tile.inHand || !IsTile(tile.tile))
        return;
    auto at = std::find(exchangeChoice_.begin(), exchangeChoice_.end(), tile.tile);
    if (at != exchangeChoice_.end()) {
        exchangeChoice_.erase(at);
        tile.raised = 0;
    } else {
        // Another suit starts the choice again: the three are of one suit.
        if (!exchangeChoice_.empty() && SuitOf(exchangeChoice_.front()) != SuitOf(tile.tile)) {
            for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
                if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->raised) {
                    t->raised = 0;
                    TileChanged(*t);
                }
            exchangeChoice_.clear();
        }
        if (exchangeChoice_.size() >= 3)
            return;
        exchangeChoice_.push_back(tile.tile);
        tile.raised = 1;
    }
    TileChanged(tile);
    PlayTableSound("SndDe");
    ShowExchangeBoard(-1);
}

// A step's request: the request head, then the values; true when the server took it.
bool CMyGame::SendStepRequest(uint32_t requestId, std::initializer_list<int32_t> values)
{
    CMJGameConnect2* connect = TableConnect();
    if (!connect)
        return false;
    IAppServices* app = GetAppServices();
    uint8_t record[kStepRequestSize] = {};
    RecordWriter w({record, sizeof record});
    if (app) {
        w.U32(0, app->GetUserID());
        w.U32(4, app->GetRoomID());
        w.U32(8, app->GetTableNO());
        w.I32(12, app->GetChairNO());
    }
    size_t at = 16;
    for (int32_t v : values) {
        w.I32(at, v);
        at += 4;
    }
    std::string text;
    GameReply reply;
    if (!connect->SendRequest(text, requestId, record, sizeof record, reply, true) || reply.code != kReplyOk) {
        Log(Printf("request %u not taken (reply %u)", unsigned(requestId), unsigned(reply.code)).c_str());
        return false;
    }
    return true;
}

bool CMyGame::SendExchange()
{
    if (phase_ != kPhaseExchange || exchangeChoice_.size() != 3 ||
        !SendStepRequest(kExchangeRequest, {exchangeChoice_[0], exchangeChoice_[1], exchangeChoice_[2]}))
        return false;
    phase_ = kPhaseExchangeWait;
    SetHandMode(kHandNormal);
    ShowExchangeBoard(-1);
    return true;
}

void CMyGame::OnChairChose(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CGameNotifyEx::kExchangeChosen, length, 20))
        return;
    RecordReader r(data, length);
    const int chair = r.I32(12), step = r.I32(16);
    if (!ValidChairIndex(chair) || step < 1 || step > 2) {
        Drop(CGameNotifyEx::kExchangeChosen, "chair or step outside the table");
        return;
    }
    chose_[size_t(chair)] |= 1 << (step - 1);
}

void CMyGame::OnExchangeDone(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CGameNotifyEx::kExchangeDone;
    if (!NeedRecord(id, length, 36))
        return;
    RecordReader r(data, length);
    const int direction = r.I32(0), receiver = r.I32(4);
    int given[3], got[3];
    for (size_t i = 0; i < 3; ++i) {
        given[i] = r.I32(8 + i * 4);
        got[i] = r.I32(20 + i * 4);
    }
    CloseBoard();
    course_ = kCourseExchanged;
    if (phase_ == kPhaseExchange || phase_ == kPhaseExchangeWait)
        phase_ = kPhaseIdle;
    if (handMode != kHandNormal)
        SetHandMode(kHandNormal);
    static constexpr const char* kDirection[4] = {"", "下家", "上家", "对家"};
    const std::string line = Printf("换三张：%s", direction >= 1 && direction <= 3 ? kDirection[direction] : "?");
    GameLine(line, EscapeMarkup(line));
    if (IsLookOnClient() || receiver != OwnChair())
        return;
    for (int i = 0; i < 3; ++i)
        if (!IsTile(given[i]) || !IsTile(got[i])) {
            Drop(id, "tile outside the table");
            return;
        }
    received_.assign(got, got + 3);
    for (int i = 0; i < 3; ++i) {
        const int slot = FindTileSlot(kOwnSeat, given[i]);
        CMJCard2* t = slot >= 0 ? Slot(kOwnSeat, slot) : nullptr;
        if (!t) {
            Drop(id, "a given tile is not in the hand");
            continue;
        }
        t->tile = got[i];
    }
    // The game info's own list follows the hand.
    if (CGameInfoEx* info = GameInfoEx()) {
        int32_t list[32];
        const int n = info->GetOwnTiles(list);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 3; ++k)
                if (list[i] == given[k]) {
                    list[i] = got[k];
                    break;
                }
        std::sort(list, list + n);
        info->SetChairTiles(OwnChair(), list, n);
    }
    exchangeChoice_.clear();
    OnBtnSortHand();
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->inHand) {
            t->raised = std::find(received_.begin(), received_.end(), t->tile) != received_.end();
            TileChanged(*t);
        }
    RefreshHand(kOwnSeat);
    PostAfter(kReceivedRaisedMs, kEvLowerReceived);
}

// ---- missing suit ----

void CMyGame::OnMissingSuitBegin(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CGameNotifyEx::kMissingSuitBegin, length, 8))
        return;
    RecordReader r(data, length);
    const int seconds = r.I32(0), suit = r.I32(4);
    course_ = kCourseMissingBegun;
    if (IsLookOnClient() || suit < 0 || suit >= kSuits)
        return;
    recommendedSuit_ = suit;
    phase_ = kPhaseMissing;
    ShowMissingBoard(seconds);
}

bool CMyGame::SendMissingSuit(int suit)
{
    if (phase_ != kPhaseMissing || suit < 0 || suit >= kSuits || !SendStepRequest(kMissingSuitRequest, {suit}))
        return false;
    phase_ = kPhaseMissingWait;
    CloseBoard();
    return true;
}

void CMyGame::OnMissingSuits(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CGameNotifyEx::kMissingSuits;
    if (!NeedRecord(id, length, 16))
        return;
    RecordReader r(data, length);
    std::array<int, 4> suits{};
    for (size_t c = 0; c < 4; ++c) {
        suits[c] = r.I32(c * 4);
        if (suits[c] < -1 || suits[c] >= kSuits) {
            Drop(id, "suit outside the table");
            return;
        }
    }
    CloseBoard();
    missing_ = suits;
    phase_ = kPhasePlay;
    course_ = kCoursePlay;
    // The calculator counts wins only once it knows the suits.
    xueliu::SetCalculatorMissingSuits(calculator_.get(), suits);
    for (int chair = 0; chair < 4; ++chair)
        RefreshSeatMark(chair);
    StartBankerTurn();
}

void CMyGame::StartBankerTurn()
{
    // No draw announces the banker's first turn: play begins with its throw, and without this
    // an own banker could not throw until the server timed it out.
    CMJGameData2* data = GetSceneGameInfo();
    const int seat = data ? ChairToSeat(int(data->GetStartValue2C())) : -1;
    if (!IsSeat(seat))
        return;
    playBlock[kMustThrow] = 1;
    ClockThrowTime();
    ArrowTo(seat);
    if (seat == kOwnSeat && !IsLookOnClient()) {
        playState = kPlayStateTurn;
        RefreshHand(kOwnSeat); // the tiles take their throw click from the turn
        // A concealed gang may be announced before the first throw, and a dealt hand that already
        // wins may be declared; no draw brings their flags, so the calculator stands in for them.
        CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
        const std::vector<int> hand = OwnHandTiles();
        const int tile = drawn ? drawn->tile : hand.empty() ? kNoEntry : hand.back();
        const bool wins = xueliu::HandWinsSelfDrawn(calculator_.get(), OwnChair(), hand, tile);
        ComputeOwnTurnOptions(kOwnGangFlag | (wins ? kOwnHuFlag : 0));
        if (wins) {
            options[kOptHu].tile = tile;
            options[kOptHu].chair = OwnChair();
        }
    }
}

// ---- score changes and wins ----

void CMyGame::OnScoreChange(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CGameNotifyEx::kScoreChange;
    if (!NeedRecord(id, length, 44))
        return;
    RecordReader r(data, length);
    const int reason = r.I32(0), chair = r.I32(4);
    if (reason < 4 || reason > 9 || !ValidChairIndex(chair)) {
        Drop(id, "reason or chair outside the table");
        return;
    }
    static constexpr const char* kReason[6] = {"刮风", "刮风", "下雨", "查花猪", "查大叫", "退税"};
    int32_t deltas[4];
    for (size_t c = 0; c < 4; ++c) {
        deltas[c] = r.I32(8 + c * 4);
        amounts_[c] += deltas[c];
    }
    const auto line =
        xueliu::ScoreChangeLine(chair, kReason[reason - 4], deltas, [this](int c) { return ChairName(c); });
    GameLine(line.plain, line.markup);
    handRecords_.changes.emplace_back(data, data + length);
    FollowPayment(data, length, 8, 24);
}

void CMyGame::FollowPayment(const uint8_t* data, size_t length, size_t silverAt, size_t scoreAt)
{
    auto* app = dynamic_cast<CGameApp*>(GetGameApp());
    if (!app)
        return;
    RecordReader r(data, length);
    std::array<int32_t, 4> silver{}, score{};
    for (size_t c = 0; c < 4; ++c) {
        silver[c] = r.I32(silverAt + c * 4);
        score[c] = r.I32(scoreAt + c * 4);
    }
    app->ApplyHandPayment(silver, score);
    OnTableRefreshed();
}

void CMyGame::OnPlayerWins(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CGameNotifyEx::kPlayerWins;
    if (!NeedRecord(id, length, 132))
        return;
    RecordReader r(data, length);
    const int winner = r.I32(0), source = r.I32(4), tile = r.I32(8), kind = r.I32(12);
    const int multiple = r.I32(24), count = r.I32(124);
    if (const char* why = xueliu::WinFault({data, length})) {
        Drop(id, why);
        return;
    }
    int32_t counters[16];
    for (size_t i = 0; i < 16; ++i)
        counters[i] = r.I32(28 + i * 4);
    handRecords_.wins.emplace_back(data, data + length);
    xueliu::GameLineText line;
    line.Name(ChairName(winner)).Text(Printf(" 胡了：%s×%d", FanLabels(counters, kind).c_str(), multiple));
    GameLine(line.plain, line.markup);
    for (size_t c = 0; c < 4; ++c)
        amounts_[c] += r.I32(92 + c * 4);
    FollowPayment(data, length, 92, 108);
    winCounts_[size_t(winner)] = count;
    const int seat = ChairToSeat(winner);
    PlayActionVoice(seat, kind == kWinSelfDrawn ? "zimo" : "hu");
    TakeWonTile(winner, source, tile, kind);
    ShowWinEffect(seat);
    if (winner == OwnChair() && !IsLookOnClient()) {
        handLocked_ = true;
        // A self-drawn win is taken: its hu may not be sent again (by auto-play or a key).
        if (kind == kWinSelfDrawn)
            options[kOptHu] = {};
        HideActionButtons(0);
        RefreshOwnHand();
    }
}

void CMyGame::TakeWonTile(int winner, int source, int tile, int kind)
{
    const int fromChair = kind == kWinSelfDrawn ? winner : source;
    const int seat = ChairToSeat(fromChair);
    if (!IsSeat(seat))
        return;
    // Two chairs robbing one gang win on its one tile: the ganger gives it up once.
    if (kind == kWinRobbedGang && tile == robbedTile_)
        return;
    if (kind == kWinRobbedGang)
        robbedTile_ = tile;
    CMJCard2* taken = nullptr;
    if (kind == kWinOnDiscard) {
        taken = TakeThrownCard(fromChair);
    } else if (seat == kOwnSeat && !IsLookOnClient()) {
        taken = TakeTileFromHand(kOwnSeat, tile);
    } else if (CMJCard2* drawn = Slot(seat, kDrawnSlot)) {
        hands[size_t(seat)][kDrawnSlot] = nullptr;
        taken = drawn;
    } else {
        const int last = GetLastHandSlot(seat);
        if (CMJCard2* t = last > 0 ? Slot(seat, last) : nullptr)
            taken = TakeTileFromHand(seat, t->tile);
    }
    if (taken)
        ReturnToPool(taken);
    if (kind == kWinSelfDrawn)
        playBlock[kMustThrow] = 0;
    RefreshHand(seat);
}
