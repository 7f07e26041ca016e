// The table model's pool, seat arithmetic, deal, hand building, restores and the hand
// operations on slots: writes, takes, the drop slot, moves and choice marking.
#include "mahjong/scene/CMJTable2.h"

#include "mahjong/MahjongEvents.h"
#include "mahjong/data/CMJGameData2.h"
#include "rules/MJCalclator.h"

#include <algorithm>

namespace Lumora {

CMJTable2::CMJTable2() = default;
CMJTable2::~CMJTable2() = default;

int CMJTable2::OwnChair()
{
    CMJGameData2* data = TableData();
    return data && data->GetApp() ? data->GetApp()->GetChairNO() : 0;
}

// ---- game parameters ----

int CMJTable2::GetJokerValue(int which)
{
    CMJGameData2* data = TableData();
    if (!data)
        return kNoEntry;
    return int32_t(which == 0 ? data->GetStartValue90() : data->GetStartValue94());
}

int CMJTable2::IsJokerGrouped()
{
    CMJGameData2* data = TableData();
    return data ? (data->GetRuleFlags() >> 6) & 1 : 0;
}

int CMJTable2::IsSubstituteAsIs()
{
    CMJGameData2* data = TableData();
    return data ? (data->GetRuleFlags() >> 7) & 1 : 0;
}

int CMJTable2::GetAnGangFaceUp()
{
    CMJGameData2* data = TableData();
    return data ? !((data->GetRuleFlags() >> 5) & 1) : 0;
}

// ---- seats ----

void CMJTable2::GetSideSeats(int seat, int& a, int& b)
{
    if (CMJGameData2* data = TableData())
        data->GetSideChairs(seat, a, b);
}

void CMJTable2::GetSideSeats2(int seat, int& a, int& b)
{
    static constexpr int kSides[3][2] = {{2, 1}, {0, 2}, {0, 1}};
    if (seat < 0 || seat > 2)
        return;
    a = kSides[seat][0];
    b = kSides[seat][1];
}

int CMJTable2::SeatToChair(int seat)
{
    CMJGameData2* data = TableData();
    return data ? data->SeatToChair(seat) : seat;
}

int CMJTable2::PrevSeat(int seat)
{
    CMJGameData2* data = TableData();
    return data ? data->PrevSeat(seat) : (seat + 3) % 4;
}

int CMJTable2::NextSeat(int seat)
{
    CMJGameData2* data = TableData();
    return data ? data->NextSeat(seat) : (seat + 1) % 4;
}

int CMJTable2::OppositeSeat(int seat)
{
    return (seat + 2) % 4;
}

int CMJTable2::ChairToSeat(int chair)
{
    CMJGameData2* data = TableData();
    return data ? data->ChairToSeat(chair) : chair;
}

int CMJTable2::PrevChair(int chair)
{
    CMJGameData2* data = TableData();
    return data ? data->PrevChair(chair) : (chair + 3) % 4;
}

int CMJTable2::NextChair(int chair)
{
    CMJGameData2* data = TableData();
    return data ? data->NextChair(chair) : (chair + 1) % 4;
}

int CMJTable2::OppositeChair(int chair)
{
    return (chair + 2) % 4;
}

// ---- the pool ----

CMJCard2* CMJTable2::GetFreeCard()
{
    // Entries not made yet are skipped: the pool may be asked for while it is being built.
    for (CMJCard2* t : pool)
        if (t && t->state == kTileFree)
            return t;
    return nullptr;
}

void CMJTable2::ReturnToPool(CMJCard2* tile)
{
    if (!tile)
        return;
    for (auto& w : wall)
        if (w == tile)
            w = nullptr;
    for (auto& hand : hands)
        for (auto& s : hand)
            if (s == tile)
                s = nullptr;
    for (auto& t : thrown)
        if (t == tile)
            t = nullptr;
    for (auto& area : discards)
        for (auto& s : area)
            if (s == tile)
                s = nullptr;
    const int mode = tile->layoutMode;
    tile->Reset();
    tile->layoutMode = mode;
    tile->placed = 0;
    Changed(tile);
}

CMJTable2::Filing CMJTable2::FindFiling(const CMJCard2* tile) const
{
    Filing f;
    auto count = [&](const CMJCard2* s, Where where) {
        if (s == tile) {
            ++f.arrays;
            f.where = where;
        }
    };
    for (auto* w : wall)
        count(w, Where::Wall);
    for (auto& hand : hands)
        for (auto* s : hand)
            count(s, Where::Hand);
    for (auto* t : thrown)
        count(t, Where::Thrown);
    for (auto& area : discards)
        for (auto* s : area)
            count(s, Where::Discard);
    if (f.arrays == 0 && tile->state == kTileFree)
        f.where = Where::Pool;
    return f;
}

int CMJTable2::CountMisfiledTiles() const
{
    int bad = 0;
    for (const CMJCard2* t : pool) {
        if (!t)
            continue;
        const Filing f = FindFiling(t);
        if (f.arrays > 1 || (f.arrays == 0 && (t->state != kTileFree || t->placed)))
            ++bad;
    }
    return bad;
}

CMJCard2* CMJTable2::Slot(int seat, int slot) const
{
    if (!IsSeat(seat) || slot < 0 || slot >= kHandSlotCapacity)
        return nullptr;
    return hands[size_t(seat)][size_t(slot)];
}

CMJCard2* CMJTable2::TakeHandTileFromPool(int seat, int slot)
{
    CMJCard2* t = GetFreeCard();
    if (!t) {
        Log("tile pool exhausted: a hand slot stays empty");
        return nullptr;
    }
    t->state = kTileHand;
    t->inHand = 1;
    t->meldKind = kMeldNone;
    t->seat = seat;
    t->index = slot;
    t->count = GetMaxHandCards();
    hands[size_t(seat)][size_t(slot)] = t;
    return t;
}

// ---- reset ----

void CMJTable2::ResetCards()
{
    for (CMJCard2* t : pool)
        if (t)
            ReturnToPool(t);
    wall.fill(nullptr);
    for (auto& hand : hands)
        hand.fill(nullptr);
    thrown.fill(nullptr);
    for (auto& area : discards)
        area.fill(nullptr);
}

void CMJTable2::ClearTableState()
{
    for (auto& o : options) {
        o = ClaimOption{};
        ClearTileArray(o.list);
    }
    handMode = kHandNormal;
}

void CMJTable2::ClearRoundFlags()
{
    playState = 0;
    handMode = kHandNormal;
}

// ---- deal ----

void CMJTable2::TakeCardFromPool()
{
    for (int seat = 0; seat < kSeatCount; ++seat)
        for (CMJCard2*& s : hands[size_t(seat)])
            if (s) {
                CMJCard2* t = s;
                s = nullptr;
                ReturnToPool(t);
            }
    for (int seat = 0; seat < kSeatCount; ++seat)
        for (int slot = 1; slot <= 13; ++slot)
            TakeHandTileFromPool(seat, slot);
}

void CMJTable2::StartDeal()
{
    ClearTableState();
    TakeCardFromPool();
    BuildHand();
    CMJGameData2* data = TableData();
    const int banker = data ? int(data->GetStartValue2C()) : 0;
    int seat = ChairToSeat(banker);
    const int chairs = playerCount > 0 ? playerCount : chairCount;
    for (int i = 0; i < chairs; ++i) {
        if (IsSeat(seat)) {
            for (int slot = 1; slot <= 13; ++slot)
                if (CMJCard2* t = Slot(seat, slot))
                    t->placed = 1;
            if (i == 0)
                if (CMJCard2* t = Slot(seat, kDrawnSlot)) {
                    t->placed = 1;
                    t->seat = seat;
                }
            PostSceneEvent(uint32_t(i) * 500, EV_DEAL_SEAT_SHOWN, uintptr_t(seat));
        }
        seat = PrevSeat(seat);
    }
    PostSceneEvent(uint32_t(chairs) * 500, EV_PLAY_STARTS, 0);
}

void CMJTable2::PlayThrowSound(int seat)
{
    PlayTableSound("SndThrow");
    RefreshHand(seat);
}

void CMJTable2::BuildHand()
{
    CMJGameData2* data = TableData();
    if (!data)
        return;
    if (data->IsRuleFlag8()) {
        const int seat = ChairToSeat(int(data->GetStartValue34()));
        if (IsSeat(seat) && !Slot(seat, kDrawnSlot))
            if (CMJCard2* t = TakeHandTileFromPool(seat, kDrawnSlot))
                t->placed = 1;
    }
    const int own = OwnChair();
    const int count = std::min(data->GetChairTileCount(own), GetMaxHandCards());
    if (IsTestModeClient())
        return;
    CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
    int slot = drawn && drawn->placed ? 0 : 1;
    if (!IsLookOnClient()) {
        TileArray own_tiles;
        ClearTileArray(own_tiles);
        data->GetOwnTiles(own_tiles.data());
        for (int i = 0; i < count && slot < GetMaxHandCards(); ++i, ++slot) {
            CMJCard2* t = Slot(kOwnSeat, slot);
            if (!t)
                t = TakeHandTileFromPool(kOwnSeat, slot);
            if (!t)
                continue;
            t->placed = 1;
            t->faceUp = 1;
            t->tile = own_tiles[size_t(i)];
            t->jokerMark = IsJokerTile(t->tile) ? 1 : 0;
        }
    } else {
        for (int i = 0; i < count && slot < GetMaxHandCards(); ++i, ++slot)
            if (CMJCard2* t = Slot(kOwnSeat, slot)) {
                t->inHand = 1;
                t->tile = kNoTile;
            }
    }
}

// ---- restores from the table record ----

void CMJTable2::RestoreMelds()
{
    for (int seat = 0; seat < kSeatCount; ++seat)
        for (int slot = 1; slot <= 13; ++slot)
            if (CMJCard2* t = Slot(seat, slot))
                t->placed = 1;
    const TableRecordReader rec(tableRecord);
    if (!rec.Valid())
        return;
    using K = TableRecordReader::UnitKind;
    const K order[] = {K::kPengUnits, K::kChiUnits, K::kMingGangUnits, K::kBuGangUnits, K::kAnGangUnits};
    for (int chair = 0; chair < playerCount && chair < kSeatCount; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat))
            continue;
        for (K kind : order)
            for (int u = 0, n = rec.UnitCount(kind, chair); u < n; ++u) {
                const bool gang = kind != K::kPengUnits && kind != K::kChiUnits;
                MeldRecord m;
                m.w[3] = chair;
                m.w[4] = rec.UnitWord(kind, chair, u, 4);
                m.w[5] = rec.UnitWord(kind, chair, u, gang ? 3 : 2);
                m.w[6] = rec.UnitWord(kind, chair, u, 0);
                m.w[7] = rec.UnitWord(kind, chair, u, 1);
                m.w[8] = gang ? rec.UnitWord(kind, chair, u, 2) : kNoEntry;
                switch (kind) {
                case K::kPengUnits: AddMeld(seat, kMeldPeng, m, 1); break;
                case K::kChiUnits: AddMeld(seat, kMeldChi, m, 1); break;
                case K::kMingGangUnits: AddMingGang(seat, m, 1); break;
                case K::kBuGangUnits: AddBuGang(seat, m, 1); break;
                case K::kAnGangUnits: AddAnGang(seat, m, 1); break;
                }
            }
    }
}

void CMJTable2::RestoreDiscards()
{
    const TableRecordReader rec(tableRecord);
    if (!rec.Valid())
        return;
    for (int chair = 0; chair < playerCount && chair < kSeatCount; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat))
            continue;
        for (int i = 0, n = rec.DiscardCount(chair); i < n; ++i) {
            const int32_t id = rec.Discard(chair, i);
            if (id == kNoEntry)
                break;
            CMJCard2* t = discards[size_t(seat)][size_t(i)] ? nullptr : GetFreeCard();
            if (!t)
                continue;
            t->placed = 1;
            t->faceUp = 1;
            t->tile = id;
            t->seat = seat;
            t->index = i;
            t->state = kTileDiscard;
            discards[size_t(seat)][size_t(i)] = t;
            Changed(t);
        }
    }
}

void CMJTable2::RestoreFlowerCounts()
{
    const TableRecordReader rec(tableRecord);
    if (!rec.Valid())
        return;
    for (int chair = 0; chair < playerCount && chair < kSeatCount; ++chair) {
        const int seat = ChairToSeat(chair);
        for (int i = 0, n = rec.FlowerCount(chair); i < n && rec.Flower(chair, i) != kNoEntry; ++i)
            AddPanelFlower(seat);
    }
}

// ---- discards ----

void CMJTable2::ParkThrownCard(int seat)
{
    if (!IsSeat(seat) || !thrown[size_t(seat)])
        return;
    CMJCard2* t = thrown[size_t(seat)];
    thrown[size_t(seat)] = nullptr;
    auto& area = discards[size_t(seat)];
    for (int i = 0; i < kDiscardCapacity; ++i)
        if (!area[size_t(i)]) {
            t->placed = 1;
            t->faceUp = 1;
            t->seat = seat;
            t->state = kTileDiscard;
            t->index = i;
            area[size_t(i)] = t;
            Changed(t);
            return;
        }
    // A full area keeps the tile out; it goes back to the pool rather than lingering half-filed.
    Log("discard area full: the parked tile returns to the pool");
    ReturnToPool(t);
}

void CMJTable2::RefreshDiscards(int seat)
{
    if (IsSeat(seat))
        for (CMJCard2* t : discards[size_t(seat)])
            Changed(t);
}

CMJCard2* CMJTable2::FindLastDiscard(int seat)
{
    if (!IsSeat(seat))
        return nullptr;
    auto& area = discards[size_t(seat)];
    for (int i = kDiscardCapacity - 1; i >= 0; --i)
        if (area[size_t(i)] && area[size_t(i)]->placed) {
            CMJCard2* t = area[size_t(i)];
            area[size_t(i)] = nullptr;
            return t;
        }
    return nullptr;
}

CMJCard2* CMJTable2::TakeDiscard(int seat, int tile)
{
    if (!IsSeat(seat))
        return nullptr;
    auto& area = discards[size_t(seat)];
    const auto at = std::find_if(area.begin(), area.end(), [&](const CMJCard2* t) { return t && t->tile == tile; });
    if (at == area.end())
        return nullptr;
    CMJCard2* t = *at;
    std::move(at + 1, area.end(), at);
    area.back() = nullptr;
    for (size_t i = 0; i < area.size() && area[i]; ++i)
        area[i]->index = int(i);
    return t;
}

int CMJTable2::GetCaughtCardState()
{
    return HasCaughtCard(kOwnSeat);
}

void CMJTable2::ShowCaughtCard(int show)
{
    if (CMJCard2* t = Slot(kOwnSeat, kDrawnSlot)) {
        t->placed = show ? 1 : 0;
        Changed(t);
    }
}

} // namespace Lumora
