// This game's scene after entering a hand that runs (the own chair back after a drop, or a
// client that looks on): the table rebuilt from block B.
#include "xueliu/CMyGame.h"

#include "framework/connection/Record.h"
#include "mahjong/data/CMJGameData2.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/GameCalculator.h"
#include "xueliu/GameRecords.h"
#include "xueliu/RecordChecks.h"

#include <algorithm>
#include <cstdio>

using namespace Lumora;
namespace PS = GameRecord::PlayState;

namespace {

constexpr int kChairs = 4;
constexpr int kWallSize = CMyGame::kTiles;
// Hand slots 1-13 make a dealt hand; the melds are laid out of them.
constexpr int kDealtSlots = 13;
// A concealed count one over a multiple of three holds a tile to throw.
constexpr int kThrowCountRemainder = 2;
using xueliu::kMaxConcealed;

struct PlayState {
    int turn, mustThrow, lastThrower, middle, nextDraw, nextReplacement, phase;
    std::array<int, kChairs> wins, missing;
};

PlayState ReadPlayState(std::span<const uint8_t> block)
{
    const RecordReader r(block.data(), block.size());
    auto at = [&](size_t offset) { return r.I32(GameRecord::kPlayStateOffset + offset); };
    PlayState s{at(PS::kTurn), at(PS::kMustThrow), at(PS::kLastThrower), at(PS::kMiddleTile),
                at(PS::kNextDraw), at(PS::kNextReplacement), at(PS::kPhase), {}, {}};
    for (size_t c = 0; c < kChairs; ++c) {
        s.wins[c] = at(PS::kWinCounts + 4 * c);
        s.missing[c] = at(PS::kMissingSuits + 4 * c);
    }
    return s;
}

bool ChairOrNone(int c) { return c >= -1 && c < kChairs; }

// What is wrong with a block's play state or tile counts, or null.
const char* CheckBlock(std::span<const uint8_t> block)
{
    if (block.size() < GameRecord::kBlockBSize)
        return "too short";
    const RecordReader r(block.data(), block.size());
    for (size_t c = 0; c < kChairs; ++c)
        if (const int n = r.I32(GameRecord::kTileCountsOffset + 4 * c); n < 0 || n > kMaxConcealed)
            return "a tile count outside the hand";
    const PlayState s = ReadPlayState(block);
    if (s.phase < PS::kExchange || s.phase > PS::kPlay)
        return "no hand running";
    if (!ChairOrNone(s.turn) || !ChairOrNone(s.lastThrower) || s.middle < -1 || s.middle >= kWallSize)
        return "chair or tile outside the table";
    if (s.nextDraw < 0 || s.nextReplacement >= kWallSize || s.nextDraw > s.nextReplacement + 1)
        return "wall positions outside the wall";
    for (int c = 0; c < kChairs; ++c)
        if (s.wins[size_t(c)] < 0 || s.wins[size_t(c)] > xueliu::kMaxWins || s.missing[size_t(c)] < -1 ||
            s.missing[size_t(c)] >= CMyGame::kSuits)
            return "win count or suit outside the table";
    return nullptr;
}

} // namespace

bool CMyGame::BlockBHoldsARunningHand(std::span<const uint8_t> block) { return !CheckBlock(block); }

void CMyGame::TrimDealtSlots(int seat, int keep)
{
    for (int slot = kDealtSlots; slot > std::max(keep, 0); --slot)
        if (CMJCard2* t = Slot(seat, slot))
            ReturnToPool(t);
}

void CMyGame::RestoreRunningHand(std::span<const uint8_t> block, bool sameDeal)
{
    if (const char* wrong = CheckBlock(block)) {
        Log((std::string("entry block not restored: ") + wrong).c_str());
        return;
    }
    const PlayState s = ReadPlayState(block);
    CGameInfoEx* info = GameInfoEx();
    if (!info)
        return;
    tableRecord.assign(block.begin() + GameRecord::kTableRecordOffset,
                       block.begin() + GameRecord::kTableRecordOffset + GameRecord::kTableRecordSize);
    const TableRecordReader rec(tableRecord);
    using K = TableRecordReader::UnitKind;
    std::array<int, kChairs> counts{}, melds{};
    int holder = -1;
    for (int c = 0; c < kChairs; ++c) {
        counts[size_t(c)] = std::clamp(info->GetChairTileCount(c), 0, GetMaxHandCards());
        for (K kind : {K::kPengUnits, K::kChiUnits, K::kMingGangUnits, K::kAnGangUnits, K::kBuGangUnits})
            melds[size_t(c)] += rec.UnitCount(kind, c);
        if (counts[size_t(c)] % 3 == kThrowCountRemainder)
            holder = c;
    }
    // The deal-start part still names the banker as holding the 14th tile; now it is the chair
    // whose count says so, if any.
    info->SetDrawnTileChair(holder);

    // Taken up again in the deal they came in, the hand's payments and wins stay: forgotten, the
    // result board would lose what was paid before the re-entry.
    auto amounts = amounts_;
    auto records = std::move(handRecords_);
    ResetDealState();
    if (sameDeal) {
        amounts_ = amounts;
        handRecords_ = std::move(records);
    }
    OnNotifyRoundStart(); // the round's lines and an empty table with its whole wall
    ShowBanker(1);
    for (int p = 0; p < kWallSize; ++p)
        if (CMJCard2* t = (p < s.nextDraw || p > s.nextReplacement) ? wall[size_t(p)] : nullptr)
            ReturnToPool(t);
    // Each hand starts from as many dealt slots as its concealed tiles and melds take, so the
    // melds laid out of them leave exactly the concealed count, whatever it is.
    TakeCardFromPool();
    for (int c = 0; c < kChairs; ++c)
        TrimDealtSlots(ChairToSeat(c), counts[size_t(c)] + 3 * melds[size_t(c)] - (c == holder ? 1 : 0));
    BuildHand();
    RestoreMelds();
    RestoreDiscards();
    if (s.middle >= 0 && s.lastThrower >= 0)
        if (CMJCard2* t = GetFreeCard())
            MakeThrownTile(ChairToSeat(s.lastThrower), *t, s.middle);
    ShowRoundBoards();

    missing_ = s.missing;
    winCounts_ = s.wins;
    phase_ = s.phase == PS::kExchange ? kPhaseExchangeWait : s.phase == PS::kMissingSuit ? kPhaseMissingWait : kPhasePlay;
    course_ = s.phase == PS::kExchange      ? kCourseExchangeBegun
              : s.phase == PS::kMissingSuit ? kCourseMissingBegun
                                            : kCoursePlay;
    if (std::all_of(missing_.begin(), missing_.end(), [](int suit) { return suit >= 0; }))
        xueliu::SetCalculatorMissingSuits(calculator_.get(), missing_);
    const int own = OwnChair();
    handLocked_ = !IsLookOnClient() && ValidChairIndex(own) && winCounts_[size_t(own)] > 0;
    // The block lists a locked hand's drawn tile first, and the hand keeps it in the drawn place:
    // named by its id, it stays the one to throw wherever a sort of the hand moves it.
    if (const CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot); handLocked_ && holder == own && drawn && drawn->placed)
        ownDrawnTile_ = drawn->tile;
    if (s.phase == PS::kPlay && s.turn >= 0) {
        const int seat = ChairToSeat(s.turn);
        playBlock[kMustThrow] = s.mustThrow ? 1 : 0;
        if (seat == kOwnSeat && s.mustThrow && !IsLookOnClient())
            playState = kPlayStateTurn;
        if (s.mustThrow)
            ClockThrowTime();
        else
            ClockClaimTime();
        ArrowTo(seat);
    }
    // Back in a step: its board again, with the step's whole time (the server's clock decides;
    // a choice made before the drop is refused and the board waits for the step's end).
    if (s.phase == PS::kExchange || (s.phase == PS::kMissingSuit && ValidChairIndex(own) && missing_[size_t(own)] < 0)) {
        CMJGameData2* data = GetSceneGameInfo();
        uint8_t begin[8] = {};
        RecordWriter w({begin, sizeof begin});
        if (s.phase == PS::kExchange) {
            w.I32(0, data ? int32_t(data->GetStartValue4C()) : 0);
            OnExchangeBegin(begin, sizeof begin);
        } else {
            w.I32(0, data ? int32_t(data->GetStartValue58()) : 0);
            w.I32(4, RecommendMissingSuit(OwnHandTiles()));
            OnMissingSuitBegin(begin, sizeof begin);
        }
    }
    for (int c = 0; c < kChairs; ++c) {
        RefreshSeatMark(c);
        RefreshHand(ChairToSeat(c));
        RefreshDiscards(ChairToSeat(c));
    }
    char line[96];
    std::snprintf(line, sizeof line, "table restored: phase %d, turn %d, %d wall tiles", s.phase, s.turn,
                  s.nextReplacement - s.nextDraw + 1);
    Log(line);
}
