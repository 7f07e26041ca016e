// The hand operations of the table model: finding tiles in slots, writing and taking tiles,
// the drop slot and moves of the own hand, and the marking of the choice modes.
#include "mahjong/scene/CMJTable2.h"

#include "mahjong/data/CMJGameData2.h"
#include "rules/MJCalclator.h"

#include <map>

namespace Lumora {

namespace {

bool Concealed(const CMJCard2* t)
{
    return t && t->placed && t->inHand;
}

} // namespace

int CMJTable2::GetLastHandSlot(int seat)
{
    for (int slot = GetMaxHandSlots() - 1; slot >= 0; --slot)
        if (Concealed(Slot(seat, slot)))
            return slot;
    return -1;
}

int CMJTable2::FindHandCard(int seat, TileArray& list)
{
    ClearTileArray(list);
    int n = 0;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(seat, slot); Concealed(t))
            list[size_t(n++)] = t->tile;
    return n;
}

int CMJTable2::GetSelectedCard(TileArray& list)
{
    ClearTileArray(list);
    int n = 0;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); Concealed(t) && t->lifted)
            list[size_t(n++)] = t->tile;
    return n;
}

int CMJTable2::FindTileSlot(int seat, int tile)
{
    for (int slot = GetMaxHandSlots() - 1; slot >= 0; --slot)
        if (CMJCard2* t = Slot(seat, slot); t && t->placed && t->tile == tile)
            return slot;
    return -1;
}

int CMJTable2::GetDropSlot(int position, int x, int y)
{
    const int w = TileMetric(0), h = TileMetric(1) + 10;
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!Concealed(t) || t->index == position)
            continue;
        const int left = TileLeft(*t);
        if (x >= left && x < left + w && y >= 0 && y < h)
            return slot;
    }
    const int last = GetLastHandSlot(kOwnSeat);
    if (last < 0)
        return position;
    if (x < TileLeft(*Slot(kOwnSeat, last)))
        return -1;
    CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
    const int first = drawn && drawn->placed ? 0 : 1;
    CMJCard2* firstTile = Slot(kOwnSeat, first);
    if (firstTile && x > TileLeft(*firstTile) + w)
        return first;
    return position;
}

void CMJTable2::MoveOwnHandTile(int from, int to)
{
    Hand& hand = hands[kOwnSeat];
    if (from < 0 || from >= kHandSlotCapacity || !hand[size_t(from)])
        return;
    if (to == -1)
        to = GetLastHandSlot(kOwnSeat) + 1;
    if (to < 0 || to > GetMaxHandCards())
        return;
    CMJCard2* moved = hand[size_t(from)];
    if (from < to) {
        int k = from;
        for (; k <= to - 2; ++k) {
            CMJCard2* next = hand[size_t(k + 1)];
            if (!Concealed(next))
                break;
            hand[size_t(k)] = next;
            next->index = k;
        }
        hand[size_t(k)] = moved;
        moved->index = k;
    } else if (to < from) {
        int k = from;
        for (; k >= to + 1; --k) {
            CMJCard2* prev = hand[size_t(k - 1)];
            if (!Concealed(prev))
                break;
            hand[size_t(k)] = prev;
            prev->index = k;
        }
        hand[size_t(k)] = moved;
        moved->index = k;
    }
    RefreshHand(kOwnSeat);
}

int CMJTable2::CountOwnFlowers()
{
    int n = 0;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); Concealed(t) && IsFlowerTile(t->tile))
            ++n;
    return n;
}

int CMJTable2::FindOwnFlower()
{
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); Concealed(t) && IsFlowerTile(t->tile))
            return slot;
    return 0;
}

void CMJTable2::GetHandRect(int, Rect&) {}

void CMJTable2::RefreshHand(int seat)
{
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
        Changed(Slot(seat, slot));
    if (seat == kOwnSeat)
        RefreshOwnHand();
}

int CMJTable2::HasCaughtCard(int seat)
{
    CMJCard2* t = Slot(seat, kDrawnSlot);
    return t ? t->placed : 0;
}

int CMJTable2::IsHandVisible(int seat)
{
    CMJCard2* t = Slot(seat, 1);
    return t && t->tile != kNoTile ? 1 : 0;
}

int CMJTable2::HasGreyedTile()
{
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot); Concealed(t) && t->dimmed6)
            return 1;
    return 0;
}

int CMJTable2::MarkFlowerChoice()
{
    const int flowers = CountOwnFlowers();
    for (int slot = 0; slot < GetMaxHandCards(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!Concealed(t))
            continue;
        t->dimmed6 = flowers > 0 && !IsFlowerTile(t->tile) ? 1 : 0;
        if (flowers > 0)
            t->lifted = 0;
    }
    if (flowers > 0)
        HideClaimButtons();
    return flowers;
}

void CMJTable2::MarkChiChoice()
{
    const TileArray& list = options[kOptChi].list;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!Concealed(t))
            continue;
        t->dimmed6 = 1;
        for (int32_t id : list)
            if (id != kNoEntry && id == t->tile)
                t->dimmed6 = 0;
    }
}

void CMJTable2::MarkGangChoice()
{
    CMJCalclator* calc = TableCalculator();
    std::map<int, int> perIndex;
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!t || !t->placed || t->meldKind == kMeldGang || t->meldKind == kMeldChi)
            continue;
        ++perIndex[calc ? calc->GetCardIndex(t->tile, 0) : GetTileIndex(t->tile)];
    }
    for (int slot = 0; slot < GetMaxHandCards(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!Concealed(t))
            continue;
        const int idx = calc ? calc->GetCardIndex(t->tile, 0) : GetTileIndex(t->tile);
        t->dimmed6 = perIndex[idx] == 4 ? 0 : 1;
    }
}

void CMJTable2::ClearChoiceMarks()
{
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot)) {
            t->dimmed6 = 0;
            t->lifted = 0;
        }
}

void CMJTable2::TurnHandFaceDown(int seat)
{
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (CMJCard2* t = Slot(seat, slot); Concealed(t))
            t->tile = kNoTile;
}

void CMJTable2::WriteHandTiles(int seat, const TileArray& list)
{
    if (!IsSeat(seat))
        return;
    int pos = HasCaughtCard(seat) ? 0 : 1;
    for (int32_t id : list) {
        if (pos >= kHandSlotCapacity)
            break;
        CMJCard2* t = Slot(seat, pos);
        if (id == kNoEntry) {
            if (t) {
                t->placed = 0;
                t->faceUp = 0;
            }
            continue;
        }
        // An empty concealed slot takes a pool tile, so that the written tile is not lost.
        if (!t && pos < GetMaxHandCards())
            t = TakeHandTileFromPool(seat, pos);
        if (!t)
            continue;
        t->tile = id;
        t->placed = 1;
        t->faceUp = 1;
        ++pos;
    }
}

CMJCard2* CMJTable2::TakeTileFromHand(int seat, int tile)
{
    if (FindTileSlot(seat, tile) < 0)
        return nullptr;
    Hand& hand = hands[size_t(seat)];
    const int cards = GetMaxHandCards();
    for (int slot = cards - 1; slot >= 0; --slot) {
        CMJCard2* t = hand[size_t(slot)];
        if (!t || !t->inHand || t->tile != tile)
            continue;
        if (slot == kDrawnSlot) {
            hand[0] = nullptr;
            return t;
        }
        int k = slot;
        while (k + 1 < cards && hand[size_t(k + 1)] && hand[size_t(k + 1)]->inHand) {
            hand[size_t(k)] = hand[size_t(k + 1)];
            hand[size_t(k)]->index = k;
            ++k;
        }
        hand[size_t(k)] = nullptr;
        return t;
    }
    return nullptr;
}

CMJCard2* CMJTable2::FindClaimedMeldTile(int seat, int tile)
{
    CMJCalclator* calc = TableCalculator();
    const int want = calc ? calc->GetCardIndex(tile, 0) : GetTileIndex(tile);
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot) {
        CMJCard2* t = Slot(seat, slot);
        if (!t || !t->placed || t->inHand)
            continue;
        if ((calc ? calc->GetCardIndex(t->tile, 0) : GetTileIndex(t->tile)) != want)
            continue;
        if (t->meldKind == kMeldPeng && t->index == 1)
            return t;
        if (t->meldKind == kMeldChi) {
            if (t->index == 0)
                return Slot(seat, slot - 1);
            if (t->index == 1)
                return t;
            if (t->index == 2)
                return Slot(seat, slot + 1);
        }
        if (t->meldKind == kMeldGang && t->index == 3)
            return t;
    }
    return nullptr;
}

} // namespace Lumora
