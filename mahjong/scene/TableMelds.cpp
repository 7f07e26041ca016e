// Melds and gangs of the table model: the slot group of a meld, the claim geometry of the
// claimed tile, pengs and chis, gangs on a discard, added and concealed gangs. A routine that
// cannot get every tile it needs checks that before it moves any, so nothing is left half done.
#include "mahjong/scene/CMJTable2.h"

#include "mahjong/data/CMJGameData2.h"

#include <vector>

namespace Lumora {

namespace {

// Index of the claimed tile in a meld of seat s that came from seat d: r - 1 with r = (d - s) mod 4.
int ClaimIndex(int s, int d)
{
    const int r = ((d - s) % 4 + 4) % 4;
    return r == 0 ? 1 : r - 1; // a record naming the owner as the discarder: the middle
}

} // namespace

int CMJTable2::FindMeldGroup(int seat, int& meldNumber)
{
    meldNumber = 0;
    for (int top = GetMaxHandSlots() - 1; top - 3 >= 1; top -= 4) {
        if (!Slot(seat, top))
            return top;
        ++meldNumber;
    }
    return -1;
}

CMJCard2* CMJTable2::PopTopHandTile(int seat)
{
    Hand& hand = hands[size_t(seat)];
    for (int slot = GetMaxHandCards() - 1; slot >= 1; --slot)
        if (CMJCard2* t = hand[size_t(slot)]; t && t->inHand) {
            hand[size_t(slot)] = nullptr;
            return t;
        }
    return nullptr;
}

namespace {

int CountConcealed(const CMJTable2::Hand& hand, int cards)
{
    int n = 0;
    for (int slot = 1; slot < cards; ++slot)
        if (hand[size_t(slot)] && hand[size_t(slot)]->inHand)
            ++n;
    return n;
}

} // namespace

// The tiles of a meld, in owner order, and where the claimed one goes.
struct CMJTable2::MeldPlan {
    std::vector<CMJCard2*> owners; // indexes filled in order, skipping the claimed index
    std::vector<int> ownerIds;     // ids written on the owner tiles (-1 keeps the tile's)
    CMJCard2* claimed = nullptr;
    int claimedId = kNoEntry;
    int claimIndex = 1;
    int discarderSeat = -1;
    int kind = kMeldPeng;
    bool faceUp = true;
    bool claimedFaceUp = true;
    int claimedAt = -1; // index of the claimed tile; -1: r - 1
};

bool CMJTable2::PlaceMeld(int seat, const MeldPlan& plan)
{
    int m = 0;
    const int top = FindMeldGroup(seat, m);
    if (top < 0)
        return false;
    const int facingOwner = (seat + 2) % 4;
    const int claimedAt = plan.claimedAt >= 0 ? plan.claimedAt : plan.claimIndex;
    auto place = [&](CMJCard2* t, int index, int id, bool up, int facing) {
        t->placed = 1;
        t->inHand = 0;
        t->lifted = 0;
        t->dimmed6 = 0;
        t->meldKind = plan.kind;
        t->seat = seat;
        t->index = index;
        t->count = m;
        t->claimPos = plan.claimIndex;
        t->facing = facing;
        t->faceUp = up ? 1 : 0;
        t->state = kTileHand;
        if (id != kNoEntry)
            t->tile = id;
        hands[size_t(seat)][size_t(top - index)] = t;
        Changed(t);
    };
    int index = 0;
    for (size_t i = 0; i < plan.owners.size(); ++i) {
        if (index == claimedAt && plan.claimed)
            ++index;
        place(plan.owners[i], index, plan.ownerIds[i], plan.faceUp, facingOwner);
        ++index;
    }
    if (plan.claimed)
        place(plan.claimed, claimedAt, plan.claimedId, plan.claimedFaceUp,
              plan.discarderSeat >= 0 ? plan.discarderSeat : facingOwner);
    return true;
}

void CMJTable2::PlaceGangFourth(int seat, int top, int meldNumber, CMJCard2* t, int id, int claimPos, bool faceUp)
{
    t->placed = 1;
    t->inHand = 0;
    t->lifted = 0;
    t->dimmed6 = 0;
    t->meldKind = kMeldGang;
    t->seat = seat;
    t->index = 3;
    t->count = meldNumber;
    t->claimPos = claimPos;
    t->facing = (seat + 2) % 4;
    t->faceUp = faceUp ? 1 : 0;
    t->state = kTileHand;
    if (id != kNoEntry)
        t->tile = id;
    hands[size_t(seat)][size_t(top - 3)] = t;
    Changed(t);
}

void CMJTable2::AddMeld(int seat, int kind, const MeldRecord& record, int restore)
{
    switch (seat) {
    case 0: AddMeldSeat0(kind, record, restore); break;
    case 1: AddMeldSeat1(kind, record, restore); break;
    case 2: AddMeldSeat2(kind, record, restore); break;
    case 3: AddMeldSeat3(kind, record, restore); break;
    default: break;
    }
}

void CMJTable2::AddMeldSeat0(int kind, const MeldRecord& record, int restore) { MeldPengOrChi(0, kind, record, restore); }
void CMJTable2::AddMeldSeat1(int kind, const MeldRecord& record, int restore) { MeldPengOrChi(1, kind, record, restore); }
void CMJTable2::AddMeldSeat2(int kind, const MeldRecord& record, int restore) { MeldPengOrChi(2, kind, record, restore); }
void CMJTable2::AddMeldSeat3(int kind, const MeldRecord& record, int restore) { MeldPengOrChi(3, kind, record, restore); }

void CMJTable2::MeldPengOrChi(int seat, int kind, const MeldRecord& record, int restore)
{
    int m = 0;
    if (FindMeldGroup(seat, m) < 0)
        return;
    MeldPlan plan;
    plan.kind = kind;
    plan.discarderSeat = ChairToSeat(record.Discarder());
    plan.claimIndex = ClaimIndex(seat, plan.discarderSeat);
    const Hand& hand = hands[size_t(seat)];
    const bool byId = seat == kOwnSeat && !restore && IsHandVisible(kOwnSeat);
    if (restore) {
        if (CountConcealed(hand, GetMaxHandCards()) < 3)
            return;
        plan.owners = {PopTopHandTile(seat), PopTopHandTile(seat)};
        plan.claimed = PopTopHandTile(seat);
    } else {
        const int from = ChairToSeat(record.Discarder());
        if (!IsSeat(from) || !thrown[size_t(from)])
            return;
        if (byId) {
            if (FindTileSlot(kOwnSeat, record.Owner(0)) < 0 || FindTileSlot(kOwnSeat, record.Owner(1)) < 0)
                return;
            plan.owners = {TakeTileFromHand(kOwnSeat, record.Owner(0)), TakeTileFromHand(kOwnSeat, record.Owner(1))};
        } else {
            if (CountConcealed(hand, GetMaxHandCards()) < 2)
                return;
            plan.owners = {PopTopHandTile(seat), PopTopHandTile(seat)};
        }
        plan.claimed = TakeThrownCard(record.Discarder());
    }
    plan.ownerIds = {record.Owner(0), record.Owner(1)};
    plan.claimedId = record.Claimed();
    PlaceMeld(seat, plan);
    if (!restore && !Slot(seat, kDrawnSlot)) {
        // The tile below the meld's tiles becomes the one to throw.
        int last = GetLastHandSlot(seat);
        if (last > 0 && last < GetMaxHandCards()) {
            CMJCard2* t = hands[size_t(seat)][size_t(last)];
            hands[size_t(seat)][size_t(last)] = nullptr;
            hands[size_t(seat)][kDrawnSlot] = t;
            t->index = kDrawnSlot;
            Changed(t);
        }
    }
    RefreshHand(seat);
}

void CMJTable2::AddMingGang(int seat, const MeldRecord& record, int restore)
{
    switch (seat) {
    case 0: AddMingGangSeat0(record, restore); break;
    case 1: AddMingGangSeat1(record, restore); break;
    case 2: AddMingGangSeat2(record, restore); break;
    case 3: AddMingGangSeat3(record, restore); break;
    default: break;
    }
}

void CMJTable2::AddMingGangSeat0(const MeldRecord& record, int restore) { MeldMingGang(0, record, restore); }
void CMJTable2::AddMingGangSeat1(const MeldRecord& record, int restore) { MeldMingGang(1, record, restore); }
void CMJTable2::AddMingGangSeat2(const MeldRecord& record, int restore) { MeldMingGang(2, record, restore); }
void CMJTable2::AddMingGangSeat3(const MeldRecord& record, int restore) { MeldMingGang(3, record, restore); }

void CMJTable2::MeldMingGang(int seat, const MeldRecord& record, int restore)
{
    int m = 0;
    if (FindMeldGroup(seat, m) < 0)
        return;
    MeldPlan plan;
    plan.kind = kMeldGang;
    plan.discarderSeat = ChairToSeat(record.Discarder());
    plan.claimIndex = ClaimIndex(seat, plan.discarderSeat);
    const bool byId = seat == kOwnSeat && !restore && IsHandVisible(kOwnSeat);
    if (byId) {
        for (int i = 0; i < 3; ++i)
            if (FindTileSlot(kOwnSeat, record.Owner(i)) < 0)
                return;
    } else if (CountConcealed(hands[size_t(seat)], GetMaxHandCards()) < 3) {
        return;
    }
    const int from = plan.discarderSeat;
    if (!restore && (!IsSeat(from) || !thrown[size_t(from)]))
        return;
    if (restore && !GetFreeCard())
        return;
    for (int i = 0; i < 3; ++i)
        plan.owners.push_back(byId ? TakeTileFromHand(kOwnSeat, record.Owner(i)) : PopTopHandTile(seat));
    plan.ownerIds = {record.Owner(0), record.Owner(1), record.Owner(2)};
    if (restore) {
        plan.claimed = GetFreeCard();
        plan.claimed->state = kTileHand; // taken before the placement asks the pool again
    } else {
        plan.claimed = TakeThrownCard(record.Discarder());
    }
    plan.claimedId = record.Claimed();
    // Three tiles at 0-2 round the claimed one; the last owner tile is the fourth, at index 3.
    CMJCard2* fourth = plan.owners.back();
    const int fourthId = plan.ownerIds.back();
    plan.owners.pop_back();
    plan.ownerIds.pop_back();
    int top = FindMeldGroup(seat, m);
    PlaceMeld(seat, plan);
    PlaceGangFourth(seat, top, m, fourth, fourthId, plan.claimIndex, true);
    RefreshHand(seat);
}

void CMJTable2::AddBuGang(int seat, const MeldRecord& record, int restore)
{
    if (!IsSeat(seat))
        return;
    const int want = GetTileIndex(record.Claimed());
    int top = -1, number = 0;
    for (int t = GetMaxHandSlots() - 1, m = 0; t - 3 >= 1; t -= 4, ++m) {
        CMJCard2* first = Slot(seat, t);
        if (first && first->placed && first->meldKind != kMeldNone && GetTileIndex(first->tile) == want &&
            !Slot(seat, t - 3)) {
            top = t;
            number = m;
            break;
        }
    }
    if (top < 0) {
        if (restore)
            MeldMingGang(seat, record, restore);
        return;
    }
    CMJCard2* added = nullptr;
    if (restore) {
        added = GetFreeCard();
    } else if (IsHandVisible(seat) && FindTileSlot(seat, record.Claimed()) >= 0) {
        added = TakeTileFromHand(seat, record.Claimed());
        // The drawn tile joins the hand, unless it is this gang's replacement: the reply may
        // have placed it already, and it is the tile to throw.
        if (const CMJCard2* drawn = Slot(seat, kDrawnSlot); drawn && drawn->tile != record.Replacement())
            InsertCaughtCard(seat);
    } else {
        added = Slot(seat, kDrawnSlot);
        hands[size_t(seat)][kDrawnSlot] = nullptr;
    }
    if (!added)
        return;
    const int claimPos = Slot(seat, top)->claimPos;
    for (int i = 0; i < 3; ++i)
        if (CMJCard2* t = Slot(seat, top - i)) {
            t->meldKind = kMeldGang;
            Changed(t);
        }
    PlaceGangFourth(seat, top, number, added, record.Claimed(), claimPos, true);
    RefreshHand(seat);
}

void CMJTable2::AddAnGang(int seat, const MeldRecord& record, int restore)
{
    if (seat == kOwnSeat)
        AddAnGangOwn(seat, record, restore);
    else
        AddAnGangOther(seat, record, restore);
}

void CMJTable2::AddAnGangOther(int seat, const MeldRecord& record, int restore)
{
    if (!IsSeat(seat))
        return;
    int m = 0;
    const int top = FindMeldGroup(seat, m);
    if (top < 0 || CountConcealed(hands[size_t(seat)], GetMaxHandCards()) < 3)
        return;
    CMJCard2* fourth = restore ? GetFreeCard() : Slot(seat, kDrawnSlot);
    if (!fourth)
        return;
    if (!restore)
        hands[size_t(seat)][kDrawnSlot] = nullptr;
    fourth->state = kTileHand;
    MeldPlan plan;
    plan.kind = kMeldGang;
    plan.claimIndex = 1;
    plan.faceUp = false;
    plan.owners = {PopTopHandTile(seat), PopTopHandTile(seat), PopTopHandTile(seat)};
    plan.ownerIds = {record.Owner(0), record.Owner(1), record.Owner(2)};
    PlaceMeld(seat, plan);
    PlaceGangFourth(seat, top, m, fourth, record.Claimed(), 1, GetAnGangFaceUp() != 0);
    RefreshHand(seat);
}

void CMJTable2::AddAnGangOwn(int seat, const MeldRecord& record, int restore)
{
    if (restore || !IsHandVisible(kOwnSeat)) {
        AddAnGangOther(seat, record, restore);
        return;
    }
    int m = 0;
    const int top = FindMeldGroup(kOwnSeat, m);
    if (top < 0)
        return;
    const int ids[4] = {record.Owner(0), record.Owner(1), record.Owner(2), record.Claimed()};
    for (int id : ids)
        if (FindTileSlot(kOwnSeat, id) < 0)
            return;
    MeldPlan plan;
    plan.kind = kMeldGang;
    plan.claimIndex = 1;
    plan.faceUp = false;
    for (int i = 0; i < 3; ++i) {
        plan.owners.push_back(TakeTileFromHand(kOwnSeat, ids[i]));
        plan.ownerIds.push_back(ids[i]);
    }
    CMJCard2* fourth = TakeTileFromHand(kOwnSeat, ids[3]);
    PlaceMeld(kOwnSeat, plan);
    PlaceGangFourth(kOwnSeat, top, m, fourth, ids[3], 1, GetAnGangFaceUp() != 0);
    // A drawn tile that was not part of the gang joins the hand.
    InsertCaughtCard(kOwnSeat);
    RefreshHand(kOwnSeat);
}

} // namespace Lumora
