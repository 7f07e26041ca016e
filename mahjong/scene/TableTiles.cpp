// The table model's tile arithmetic and tile arrays, the calculator's claim tests, click events,
// sounds and voices, the sort of a slot range, drawing from the wall, merging the drawn tile
// into the hand, and the result rows.
#include "mahjong/scene/CMJTable2.h"

#include "mahjong/MahjongEvents.h"
#include "mahjong/data/CMJGameData2.h"
#include "rules/MJCalclator.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace Lumora {

void CMJTable2::ClearTileArray(TileArray& list)
{
    list.fill(kNoEntry);
}

int CMJTable2::GetTileShape(int tile)
{
    static constexpr int kEnds[] = {36, 72, 108, 136, 144, 152};
    for (int shape = 0; shape < 6; ++shape)
        if (tile >= 0 && tile < kEnds[shape])
            return shape;
    return -1;
}

int CMJTable2::GetTileRank(int tile)
{
    if (tile < 0)
        return 0;
    if (tile < 108)
        return tile % 9 + 1;
    if (tile < 136)
        return (tile - 108) % 7 + 1;
    if (tile < 152)
        return (tile - 136) % 8 + 1;
    return 0;
}

int CMJTable2::GetTileIndex(int tile)
{
    if (!IsSubstituteAsIs() && IsJokerSubstituteTile(tile) && GetJokerValue(0) != kNoEntry)
        tile = GetJokerValue(0);
    return GetTileShape(tile) * 10 + GetTileRank(tile);
}

int CMJTable2::CountTileArray(const TileArray& list)
{
    return int(std::count_if(list.begin(), list.end(), [](int32_t id) { return id != kNoEntry; }));
}

int CMJTable2::RemoveFromTileArray(TileArray& list, int tile)
{
    std::replace(list.begin(), list.end(), int32_t(tile), kNoEntry);
    return kTileArraySize;
}

int CMJTable2::AssignHandTiles(int seat, int fromDrawnSlot, const TileArray& list)
{
    int pos = fromDrawnSlot ? 0 : 1, written = 0;
    for (int32_t id : list) {
        if (id == kNoEntry)
            continue;
        if (pos >= kHandSlotCapacity)
            break;
        if (CMJCard2* t = Slot(seat, pos)) {
            t->tile = id;
            ++written;
        }
        ++pos;
    }
    return written;
}

void CMJTable2::FindSameTiles(int tile, TileArray& out)
{
    ClearTileArray(out);
    int n = 0;
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (t && t->placed && t->tile != tile && GetTileShape(t->tile) == GetTileShape(tile) &&
            GetTileRank(t->tile) == GetTileRank(tile))
            out[size_t(n++)] = t->tile;
    }
}

int CMJTable2::IsFlowerTile(int tile)
{
    CMJCalclator* calc = TableCalculator();
    return calc ? calc->IsFlowerCard(tile, GetJokerValue(0), GetJokerValue(1), 0) : 0;
}

int CMJTable2::IsJokerTile(int tile)
{
    CMJCalclator* calc = TableCalculator();
    return calc ? calc->IsJokerCard(tile, GetJokerValue(0), GetJokerValue(1), 0) : 0;
}

int CMJTable2::IsJokerSubstituteTile(int tile)
{
    CMJCalclator* calc = TableCalculator();
    return calc ? calc->IsJokerStandInCard(tile, GetJokerValue(0), GetJokerValue(1), 0) : 0;
}

int CMJTable2::CanPengTile(const TileArray& hand, int tile, TileArray& out)
{
    CMJCalclator* calc = TableCalculator();
    ClearTileArray(out);
    return calc ? calc->CanPeng(hand, tile, GetJokerValue(0), GetJokerValue(1), GetRuleFlagsForClaims(), out) & 1 : 0;
}

int CMJTable2::CanGangTile(const TileArray& hand, int tile, TileArray& out)
{
    CMJCalclator* calc = TableCalculator();
    ClearTileArray(out);
    return calc ? calc->CanMnGang(hand, tile, GetJokerValue(0), GetJokerValue(1), GetRuleFlagsForClaims(), out) & 2
                : 0;
}

int CMJTable2::CanChiTile(const TileArray& hand, int tile, TileArray& out)
{
    CMJCalclator* calc = TableCalculator();
    ClearTileArray(out);
    return calc ? calc->CanChi(hand, tile, GetJokerValue(0), GetJokerValue(1), GetRuleFlagsForClaims(), out) & 4 : 0;
}

uint32_t CMJTable2::ClickCodeFor(const CMJCard2&)
{
    uint32_t code = EV_TILE_IDLE_CLICK;
    if (playState == kPlayStateTurn) {
        switch (handMode) {
        case kHandNormal: code = HasCaughtCard(kOwnSeat) ? EV_TILE_THROW_CLICK : EV_TILE_IDLE_CLICK; break;
        case kHandFlower: code = EV_TILE_FLOWER_MODE_CLICK; break;
        case kHandGangChoice: code = EV_TILE_GANG_CHOICE; break;
        case kHandChiChoice: code = EV_TILE_CHI_CHOICE; break;
        default: break;
        }
    }
    return code;
}

void CMJTable2::SetTileClickEvent(CMJCard2& tile)
{
    tile.SetClickTarget(ClickCodeFor(tile));
}

void CMJTable2::RefreshOwnHand()
{
    if (IsLookOnClient())
        return;
    for (int slot = GetMaxHandSlots() - 1; slot >= 0; --slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->inHand && t->placed)
            SetTileClickEvent(*t);
}

void CMJTable2::SortTileRange(Hand& slots, int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, kHandSlotCapacity - 1);
    if (first >= last)
        return;
    struct Entry {
        int key;
        CMJCard2* tile;
        _tagMJGANG gang;
    };
    // The gang records of this sort only: none is kept between sorts.
    std::map<int, _tagMJGANG> gangs;
    std::vector<Entry> entries;
    int jokerKey = -1;
    for (int k = first; k <= last; ++k) {
        CMJCard2* t = slots[size_t(k)];
        if (!t)
            continue;
        int key = GetTileIndex(t->tile);
        if (!IsJokerGrouped() && IsJokerTile(t->tile))
            key = jokerKey--;
        auto g = gangs.find(t->tile);
        entries.push_back({key, t, g == gangs.end() ? _tagMJGANG{} : g->second});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.key > b.key; });
    int k = first;
    for (const Entry& e : entries) {
        slots[size_t(k)] = e.tile;
        e.tile->index = k;
        ++k;
    }
    for (; k <= last; ++k)
        slots[size_t(k)] = nullptr;
}

void CMJTable2::PlayTableSound(const char* name)
{
    if (!KeepSilence())
        PlaySoundResource(name, EffectVolume());
}

void CMJTable2::PlayTileVoice(int seat, int tile)
{
    if (KeepSilence())
        return;
    char name[260];
    std::snprintf(name, sizeof name, "%s%d.wav", ChairSex(SeatToChair(seat)) ? "female_" : "male_", GetTileIndex(tile));
    PlaySoundResource(name, EffectVolume());
}

void CMJTable2::PlayActionVoice(int seat, const char* action)
{
    if (KeepSilence() || !action)
        return;
    char name[260];
    std::snprintf(name, sizeof name, "%s%s.wav", ChairSex(SeatToChair(seat)) ? "female_" : "male_", action);
    PlaySoundResource(name, EffectVolume());
}

void CMJTable2::ShowWinEffect(int) {}

void CMJTable2::GetActionImageName(std::string& out, int code)
{
    static constexpr const char* kNames[14] = {"peng0", "peng1", "gang0", "gang1", "gang0", "gang2", "gang0",
                                               "gang2", "chi0",  "chi1",  "hu0",   "hu1",   "hua0",  "hua1"};
    if (code >= 0 && code < 14)
        out = kNames[code];
}

CMJCard2* CMJTable2::TakeThrownCard(int chair)
{
    const int seat = ChairToSeat(chair);
    if (!IsSeat(seat) || !thrown[size_t(seat)])
        return nullptr;
    CMJCard2* t = thrown[size_t(seat)];
    thrown[size_t(seat)] = nullptr;
    t->placed = 1;
    t->faceUp = 1;
    t->state = kTileHand;
    return t;
}

CMJCard2* CMJTable2::CatchWallCard(int seat, int wallPos, int tile)
{
    if (!IsSeat(seat))
        return nullptr;
    // A drawn tile still waiting joins the hand first, so that the new one does not replace it.
    if (Slot(seat, kDrawnSlot))
        InsertCaughtCard(seat);
    if (Slot(seat, kDrawnSlot))
        return nullptr;
    CMJCard2* t = wallPos >= 0 && wallPos < kCardPoolSize ? wall[size_t(wallPos)] : nullptr;
    if (t)
        wall[size_t(wallPos)] = nullptr;
    else
        t = GetFreeCard(); // a position the pool could not lay out
    if (!t)
        return nullptr;
    const bool visible = IsHandVisible(seat);
    t->placed = 1;
    t->inHand = 1;
    t->meldKind = kMeldNone;
    t->seat = seat;
    t->index = kDrawnSlot;
    t->count = GetMaxHandCards();
    t->state = kTileHand;
    t->faceUp = visible ? 1 : 0;
    t->tile = visible ? tile : kNoTile;
    hands[size_t(seat)][kDrawnSlot] = t;
    Changed(t);
    return t;
}

bool CMJTable2::CanTakeDraw(int seat)
{
    return IsSeat(seat) && (!hands[size_t(seat)][kDrawnSlot] || FreeSlotAboveHand(seat) >= 0);
}

int CMJTable2::FreeSlotAboveHand(int seat)
{
    if (!IsSeat(seat))
        return -1;
    const Hand& hand = hands[size_t(seat)];
    int last = 0;
    for (int k = GetMaxHandCards() - 1; k > 0; --k)
        if (hand[size_t(k)] && hand[size_t(k)]->inHand) {
            last = k;
            break;
        }
    if (last + 1 >= GetMaxHandCards() || hand[size_t(last + 1)])
        return -1; // a full hand, or melds right above it, take no more
    return last + 1;
}

void CMJTable2::InsertCaughtCard(int seat)
{
    CMJCard2* drawn = Slot(seat, kDrawnSlot);
    if (!drawn)
        return;
    const int free = FreeSlotAboveHand(seat);
    if (free < 0)
        return;
    Hand& hand = hands[size_t(seat)];
    const int last = free - 1;
    int at = free;
    const bool joker = !IsJokerGrouped() && IsJokerTile(drawn->tile);
    if (joker) {
        drawn->jokerMark = 1;
    } else {
        const int key = GetTileIndex(drawn->tile);
        int k = last;
        for (; k > 0; --k) {
            CMJCard2* t = hand[size_t(k)];
            if (!t || (!IsJokerGrouped() && IsJokerTile(t->tile)))
                continue;
            if (GetTileIndex(t->tile) >= key)
                break;
        }
        at = k + 1;
        for (int m = last; m >= at; --m) {
            hand[size_t(m + 1)] = hand[size_t(m)];
            if (hand[size_t(m + 1)])
                hand[size_t(m + 1)]->index = m + 1;
        }
    }
    hand[size_t(at)] = drawn;
    drawn->index = at;
    hand[kDrawnSlot] = nullptr;
    RefreshHand(seat);
}

void CMJTable2::CloseHandGap(int seat)
{
    if (!IsSeat(seat) || Slot(seat, kDrawnSlot))
        return;
    Hand& hand = hands[size_t(seat)];
    int k = 1;
    for (; k <= GetMaxHandCards() && k < kHandSlotCapacity; ++k) {
        CMJCard2* t = hand[size_t(k)];
        if (!t || !t->inHand)
            break;
        hand[size_t(k - 1)] = t;
        t->index = k - 1;
    }
    if (k > 1)
        hand[size_t(k - 1)] = nullptr;
    if (seat == kOwnSeat)
        RefreshHand(kOwnSeat);
}

// ---- result rows ----

void CMJTable2::ShowResultRow(int seat, int first, int n)
{
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(seat, slot); t && t->inHand)
            t->faceUp = 1;
    for (int slot = first; slot < first + n; ++slot)
        if (CMJCard2* t = Slot(seat, slot)) {
            t->placed = 1;
            t->inHand = 0;
            t->faceUp = 1;
            t->facing = (seat + 2) % 4;
            t->state = kTileResultRow;
            t->index = slot;
            t->count = GetMaxHandCards();
            Changed(t);
        }
}

void CMJTable2::ShowResultHand(int seat, const TileArray& list)
{
    if (!IsSeat(seat))
        return;
    const int n = AssignHandTiles(seat, 0, list);
    SortTileRange(hands[size_t(seat)], 1, n);
    ShowResultRow(seat, 1, n);
}

void CMJTable2::ShowResultHandFull(int seat, const TileArray& list)
{
    if (!IsSeat(seat))
        return;
    const int n = AssignHandTiles(seat, 1, list);
    SortTileRange(hands[size_t(seat)], 0, n - 1);
    ShowResultRow(seat, 0, n);
}

void CMJTable2::ShowResultHandWithTile(int seat, int tile, const TileArray& list)
{
    if (!IsSeat(seat))
        return;
    const int n = AssignHandTiles(seat, 1, list);
    CMJCard2* found = nullptr;
    for (int slot = GetMaxHandSlots() - 1; slot >= 0 && !found; --slot)
        if (CMJCard2* t = Slot(seat, slot); t && t->placed && t->tile == tile)
            found = t;
    CMJCard2* first = Slot(seat, 0);
    if (found && first) {
        std::swap(found->tile, first->tile);
        SortTileRange(hands[size_t(seat)], 1, n - 1);
    } else {
        SortTileRange(hands[size_t(seat)], 0, n - 1);
    }
    ShowResultRow(seat, 0, n);
}

void CMJTable2::ShowWinTile(int seat, int tile)
{
    if (!IsSeat(seat))
        return;
    CMJCard2* t = Slot(seat, kDrawnSlot);
    if (!t) {
        t = GetFreeCard();
        if (!t)
            return;
        hands[size_t(seat)][kDrawnSlot] = t;
    }
    t->tile = tile;
    t->seat = seat;
    t->placed = 1;
    t->faceUp = 1;
    t->inHand = 1;
    t->state = kTileResultRow;
    t->index = 0;
    t->count = GetMaxHandCards();
    Changed(t);
}

} // namespace Lumora
