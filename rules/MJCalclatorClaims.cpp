// Claim tests: pung, kongs, chow and flower replacement, on lays and on tile arrays.
#include <algorithm>

#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

namespace {
// Fills the output with -1 over the hand's length (never past the output's capacity).
void ClearIdsOut(CMJCalclator::TileSpan tiles, CMJCalclator::IdsOut out) {
  std::fill_n(out.begin(), std::min(tiles.size(), out.size()), -1);
}

CMJCalclator::IdsOut FirstOf(CMJCalclator::IdsOut out, std::size_t n) { return out.first(std::min(n, out.size())); }

// The combinations of the bits 0x20, 0x8, 0x4 and 0x1 under which no chow is offered.
bool ChowRefusedByJokerBits(i32 flags) {
  switch (flags & 0x2D) {
    case 0x04: case 0x08: case 0x0C: case 0x24: case 0x25: case 0x28: case 0x2C: case 0x2D:
      return true;
    default:
      return false;
  }
}
}  // namespace

namespace {
// Pung and exposed kong on a discard: enough copies in the lay, and no joker unless jokers are tiles.
i32 DiscardClaim(CMJCalclator& calc, const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                 i32 copies, i32 claim) {
  if ((flags & RuleFlag::kJokers) && calc.IsJokerCard(tile, joker1, joker2, flags) &&
      !(flags & RuleFlag::kJokersAsTiles))
    return 0;
  const i32 index = calc.GetCardIndex(tile, flags);
  return (IsTileIdValid(tile) && IsLayIndex(index) && lay[index] >= copies) ? claim : 0;
}
}  // namespace

i32 CMJCalclator::CanPengInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags) {
  return DiscardClaim(*this, lay, tile, joker1, joker2, flags, 2, 1);
}

i32 CMJCalclator::CanMnGangInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags) {
  return DiscardClaim(*this, lay, tile, joker1, joker2, flags, 3, 2);
}

namespace {
// The array form of a claim on a discard: the lay test, then the first `count` hand ids of the
// discard's face.
template <typename LayTest>
i32 ClaimFromArray(CMJCalclator& calc, CMJCalclator::TileSpan tiles, TileId tile, i32 flags, CMJCalclator::IdsOut idsOut,
                   std::size_t count, LayTest layTest) {
  ClearIdsOut(tiles, idsOut);
  CardLay lay{};
  calc.CardsToLay(tiles, lay, flags);
  const i32 result = layTest(lay);
  if (result) calc.GetSameIndexCards(tiles, tile, FirstOf(idsOut, count), flags);
  return result;
}
}  // namespace

i32 CMJCalclator::CanPeng(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  return ClaimFromArray(*this, tiles, tile, flags, idsOut, 2,
                        [&](const CardLay& lay) { return CanPengInLay(lay, tile, joker1, joker2, flags); });
}

i32 CMJCalclator::CanMnGang(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  return ClaimFromArray(*this, tiles, tile, flags, idsOut, 3,
                        [&](const CardLay& lay) { return CanMnGangInLay(lay, tile, joker1, joker2, flags); });
}

i32 CMJCalclator::FindAnGangInLay(const CardLay& lay, TileId, TileId joker1, TileId joker2, i32 flags,
                                  i32& indexOut) {
  indexOut = 0;
  for (CardIndex i = 1; i < kLaySize; ++i) {
    if (lay[i] != 4) continue;
    if (!IsJokerIndex(i, joker1, joker2, flags) || (flags & RuleFlag::kJokersAsTiles)) {
      indexOut = i;
      return 2;
    }
  }
  return 0;
}

i32 CMJCalclator::CanAnGang(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  ClearIdsOut(tiles, idsOut);
  CardLay lay{};
  CardsToLay(tiles, lay, flags);
  i32 index = 0;
  if (!FindAnGangInLay(lay, tile, joker1, joker2, flags, index)) return 0;
  GetCardsOfIndex(tiles, index, FirstOf(idsOut, 4), flags);
  return 2;
}

i32 CMJCalclator::CanAnGangAny(TileSpan tiles, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  return CanAnGang(tiles, -1, joker1, joker2, flags, idsOut);
}

i32 CMJCalclator::CanChiAtIndexInLay(const CardLay& lay, CardIndex i) {
  auto run = [&lay](CardIndex low) {
    return low >= 0 && low + 2 < kLaySize && lay[low] > 0 && lay[low + 1] > 0 && lay[low + 2] > 0;
  };
  switch (i % 10) {
    case 1: return run(i) ? 1 : 0;
    case 2: return (run(i - 1) || run(i)) ? 1 : 0;
    case 8: return (run(i - 1) || run(i - 2)) ? 1 : 0;
    case 9: return run(i - 2) ? 1 : 0;
    case 3: case 4: case 5: case 6: case 7: return (run(i - 2) || run(i - 1) || run(i)) ? 1 : 0;
    default: return 0;
  }
}

i32 CMJCalclator::CanChiHonourInLay(const CardLay& lay, CardIndex index, TileId, TileId, i32 flags) {
  if (!(flags & RuleFlag::kHonourChows)) return 0;
  const bool wind = index >= 31 && index <= 34;
  const CardIndex first = wind ? 31 : 35, last = wind ? 34 : 37;
  i32 faces = 0;
  for (CardIndex i = first; i <= last; ++i)
    if (i != index && lay[i] > 0) ++faces;
  return faces >= 2 ? 1 : 0;
}

i32 CMJCalclator::CanChiIndexInLay(const CardLay& lay, CardIndex index, TileId joker1, TileId joker2, i32 flags) {
  if ((flags & RuleFlag::kStandInPlaysJoker) && index == GetJokerStandInOfCards(joker1, joker2, flags))
    index = MakeCardIndex(GetCardShape(joker1, flags), GetCardValue(joker1, flags));
  if (!IsHonourIndex(index, joker1, joker2, flags)) return CanChiAtIndexInLay(lay, index);
  return (flags & RuleFlag::kHonourChows) ? CanChiHonourInLay(lay, index, joker1, joker2, flags) : 0;
}

i32 CMJCalclator::CanChiInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags) {
  if (flags & RuleFlag::kNoChows) return 0;
  if ((flags & RuleFlag::kJokers) && IsJokerCard(tile, joker1, joker2, flags) && !(flags & RuleFlag::kJokersAsTiles))
    return 0;
  if (ChowRefusedByJokerBits(flags)) return 0;
  if (!IsTileIdValid(tile)) return 0;
  CardLay copy = lay;
  i32 winIndex = 0, count2 = 0;
  PickJokersFromLay(copy, tile, joker1, joker2, winIndex, flags, 1, count2);
  return CanChiIndexInLay(copy, GetCardIndex(tile, flags), joker1, joker2, flags) > 0 ? 4 : 0;
}

i32 CMJCalclator::CanChi(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  ClearIdsOut(tiles, idsOut);
  CardLay lay{};
  CardsToLay(tiles, lay, flags);
  const i32 result = CanChiInLay(lay, tile, joker1, joker2, flags);
  // Every pair of hand entries that makes a chow with the tile is one choice for the scene; a
  // hand with repeated faces can give more pairs than the output holds, so the output's real
  // capacity bounds the list.
  std::size_t written = 0;
  for (std::size_t a = 0; a < tiles.size(); ++a) {
    if (!IsTileIdValid(tiles[a])) continue;
    for (std::size_t b = a + 1; b < tiles.size(); ++b) {
      if (!IsTileIdValid(tiles[b])) continue;
      if (written + 2 > idsOut.size()) return result;
      CardLay pair{};
      const i32 two[2] = {tiles[a], tiles[b]};
      CardsToLay(two, pair, flags);
      if (CanChiInLay(pair, tile, joker1, joker2, flags)) {
        idsOut[written++] = tiles[a];
        idsOut[written++] = tiles[b];
      }
    }
  }
  return result;
}

i32 CMJCalclator::CanBuHuaInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags) {
  const i32 index = GetCardIndex(tile, flags);
  if (!IsTileIdValid(tile) || !IsLayIndex(index)) return 0;
  return (IsFlowerIndex(index, joker1, joker2, flags) && lay[index] >= 1) ? 16 : 0;
}

i32 CMJCalclator::CanBuHua(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut) {
  ClearIdsOut(tiles, idsOut);
  CardLay lay{};
  CardsToLay(tiles, lay, flags);
  return CanBuHuaInLay(lay, tile, joker1, joker2, flags);
}
