// The best-fan search over every split of a winning hand, the best interpretation of a win, and
// the ready-hand hint.
#include <climits>
#include <cstring>

#include "rules/ChowShapes.h"
#include "rules/MyCalclator.h"

namespace Lumora {

using i32 = CMJCalclator::i32;

namespace {
constexpr i32 kMaxDepth = 1000;

void ClearCounters(HU_DETAIL& detail) { std::memset(detail.nFanCounters, 0, sizeof detail.nFanCounters); }

void MergeHead(const HU_DETAIL& from, HU_DETAIL& into) {
  into.nKind |= from.nKind;
  into.nWait |= from.nWait;
  into.nMerged[0] |= from.nMerged[0];
  into.nMerged[1] |= from.nMerged[1];
}

// Removes the units added since the count was `units`, leaving the slots clean.
void PopUnits(HU_DETAIL& detail, i32 units) {
  while (detail.nUnitCount > units && detail.nUnitCount > 0) detail.units[--detail.nUnitCount] = HU_UNIT{};
}
}  // namespace

i32 CMyCalclator::CalcBestHuFan(i32 chair, TileId tile, HU_DETAIL& detailOut, i32 winFlags) {
  m_nKongDiscardMark = 0;
  std::memset(&detailOut, 0, sizeof detailOut);
  // The kind word is written first: a refused win still says where its tile came from.
  if (winFlags & WinFlag::kDiscard) detailOut.nKind |= WinFlag::kDiscard;
  if (winFlags & WinFlag::kSelfDrawn) detailOut.nKind |= IsLastTileDraw() ? WinFlag::kLastTile : WinFlag::kSelfDrawn;
  if (winFlags & WinFlag::kRobbedKong) detailOut.nKind |= WinFlag::kRobbedKong;
  if (!IsChair(chair) || !IsTileIdValid(tile)) return 0;
  const CardIndex index = GetCardIndex(tile, 0);
  CardLay hand = m_lays[chair];
  if (winFlags & WinFlag::kSelfDrawn) {
    if (hand[index] <= 0) return 0;  // the drawn tile is not in the hand: no such win
    --hand[index];
  }
  // A hand that no real deal gives (negative counts, a fifth copy with the won tile) never wins.
  if (!LayCountsValid(hand, 4) || hand[index] >= 4) return 0;

  i32 bestFan = 0;
  HU_DETAIL best{};
  HU_DETAIL pairs{};
  if (CanHuSevenPairs(hand, tile, m_nJoker1, m_nJoker2, 0, m_nAllowedHands, pairs, winFlags)) {
    MergeHead(detailOut, pairs);
    ClearCounters(pairs);  // the count adds into the counters
    const i32 fan = CountHuFan(chair, tile, pairs, winFlags);
    if (fan > 0) {
      bestFan = fan;
      best = pairs;
    }
  }
  HU_DETAIL split{};
  if (CanHuXueLiu(hand, tile, m_nJoker1, m_nJoker2, 0, m_nAllowedHands, split, winFlags, chair)) {
    MergeHead(detailOut, split);
    ClearCounters(split);  // the search may stop with the counters of its best leaf still set
    const i32 fan = CountHuFan(chair, tile, split, winFlags);
    if (fan > bestFan) {
      bestFan = fan;
      best = split;
    }
  }
  if (bestFan <= 0) {
    m_nKongDiscardMark = 0;
    return 0;
  }
  detailOut = best;
  // The mark describes this win, whichever interpretation was counted last.
  m_nKongDiscardMark = (m_nWallFlag && (best.nKind & 0x200000)) ? 1 : 0;
  return bestFan;
}

i32 CMyCalclator::CanHuXueLiu(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                              HU_DETAIL& detail, i32 winFlags, i32 chair) {
  if ((flags & RuleFlag::kNoWinOnDiscard) && (winFlags & WinFlag::kDiscard)) return 0;
  if ((flags & RuleFlag::kNoWinOnRobbedKong) && (winFlags & WinFlag::kRobbedKong)) return 0;
  if (!LayCountsValid(lay, 4)) return 0;
  CardLay copy = lay;
  i32 winIndex = 0, c2 = 0;
  const i32 c1 = PickJokersFromLay(copy, tile, joker1, joker2, winIndex, flags, 0, c2);
  i32 ji1 = 0, ji2 = 0;
  if (IsTileIdValid(joker1)) GetJokerIndexes(joker1, joker2, flags, ji1, ji2);
  if (CountFlowersInLay(copy, joker1, joker2, flags) > 0) return 0;
  std::memset(&detail, 0, sizeof detail);
  HU_DETAIL work{};
  i32 bestFan = 0, depth = 0;
  return SearchHuUnitsXueLiu(copy, c1, c2, ji1, ji2, winIndex, flags, allowed, detail, bestFan, 0, chair, tile, work,
                             winFlags, m_nMaxFan, depth);
}

i32 CMyCalclator::SearchHuUnitsXueLiu(CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex winIndex,
                                      i32 flags, i32 allowed, HU_DETAIL& best, i32& bestFan, i32 pairTaken, i32 chair,
                                      TileId tile, HU_DETAIL& cur, i32 winFlags, i32 maxFan, i32& depth) {
  if (depth > kMaxDepth) return 0;
  ++depth;
  auto recurse = [&](i32 h1, i32 h2, i32 pair) {
    return SearchHuUnitsXueLiu(lay, h1, h2, ji1, ji2, winIndex, flags, allowed, best, bestFan, pair, chair, tile, cur,
                               winFlags, maxFan, depth);
  };
  // Adds a unit to the working split, recurses and takes the unit back; the lay changes are the
  // caller's to make and undo.
  auto withUnit = [&](auto&& addUnit, i32 h1, i32 h2, i32 pair) {
    const i32 units = cur.nUnitCount;
    addUnit();
    const i32 r = recurse(h1, h2, pair);
    PopUnits(cur, units);
    return r;
  };

  CardIndex i = 1;
  while (i < kLaySize && lay[i] <= 0) ++i;
  const bool empty = i >= kLaySize;

  if (empty && c1 + c2 <= 0 && pairTaken) {
    // A leaf: count this split. The count's kind bits belong to this split alone.
    const i32 kind = cur.nKind, wait = cur.nWait;
    const i32 count = CountHuFan(chair, tile, cur, winFlags);
    if (count > bestFan) {
      bestFan = count;
      best = cur;
    }
    ClearCounters(cur);
    cur.nKind = kind;
    cur.nWait = wait;
    if (count >= maxFan) return kWin;
    --depth;
    return 0;
  }

  i32 s1 = 0, s2 = 0;
  if (empty && c1 + c2 > 0) {
    for (i32 need : {3, 2}) {
      if (c1 + c2 < need || (need == 2 && pairTaken)) continue;
      i32 h1 = c1, h2 = c2;
      TakeJokers(s1, s2, h1, h2, need);
      const i32 type = need == 3 ? UnitType::kPung : UnitType::kPair;
      auto add = [&] { AddHuUnitOfIndexes(cur, type, c1 - h1, c2 - h2, ji1, ji2); };
      if (withUnit(add, h1, h2, need == 2 ? 1 : pairTaken) == kWin) return kWin;
    }
  } else if (!empty) {
    // A free joker may also play its own face.
    if (c1 > 0 && IsLayIndex(ji1) && ji1 > 0) {
      ++lay[ji1];
      const i32 r = recurse(c1 - 1, c2, pairTaken);
      --lay[ji1];
      if (r == kWin) return kWin;
    }
    if (c2 > 0 && IsLayIndex(ji2) && ji2 > 0) {
      ++lay[ji2];
      const i32 r = recurse(c1, c2 - 1, pairTaken);
      --lay[ji2];
      if (r == kWin) return kWin;
    }
    auto trySame = [&](i32 type, i32 tiles, i32 jokers, i32 pair) {
      if (lay[i] < tiles || c1 + c2 < jokers) return 0;
      i32 h1 = c1, h2 = c2;
      if (jokers) TakeJokers(s1, s2, h1, h2, jokers);
      lay[i] -= tiles;
      auto add = [&] { AddHuUnit(cur, type, i, c1 - h1, c2 - h2, ji1, ji2, 0, 0); };
      const i32 r = withUnit(add, h1, h2, pair);
      lay[i] += tiles;
      return r;
    };
    if (trySame(UnitType::kPung, 3, 0, pairTaken) == kWin) return kWin;
    if (trySame(UnitType::kPung, 2, 1, pairTaken) == kWin) return kWin;
    if (trySame(UnitType::kPung, 1, 2, pairTaken) == kWin) return kWin;
    if (!pairTaken) {
      if (trySame(UnitType::kPair, 2, 0, 1) == kWin) return kWin;
      if (trySame(UnitType::kPair, 1, 1, 1) == kWin) return kWin;
    }
    if (SearchXueLiuChows(lay, i, c1, c2, ji1, ji2, winIndex, flags, allowed, best, bestFan, pairTaken, chair, tile,
                          cur, winFlags, maxFan, depth) == kWin)
      return kWin;
  }

  if (depth == 1) {
    ClearCounters(best);
    --depth;
    return bestFan;
  }
  --depth;
  return 0;
}

i32 CMyCalclator::SearchXueLiuChows(CardLay& lay, CardIndex i, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                    CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& best, i32& bestFan,
                                    i32 pairTaken, i32 chair, TileId tile, HU_DETAIL& cur, i32 winFlags, i32 maxFan,
                                    i32& depth) {
  // Takes the faces (0 = a joker's place), recurses with the chow unit added, and undoes it all.
  auto tryChow = [&](const CardIndex (&faces)[3], CardIndex at, i32 jokerPlace, i32 skipPlace) {
    const bool joker = faces[2] == 0;
    for (CardIndex f : faces)
      if (f && lay[f] <= 0) return 0;
    if (joker && c1 + c2 < 1) return 0;
    i32 h1 = c1, h2 = c2, s1 = 0, s2 = 0;
    if (joker) TakeJokers(s1, s2, h1, h2, 1);
    for (CardIndex f : faces)
      if (f) --lay[f];
    const i32 units = cur.nUnitCount;
    AddHuUnit(cur, UnitType::kChow, at, c1 - h1, c2 - h2, ji1, ji2, jokerPlace, skipPlace);
    const i32 r = SearchHuUnitsXueLiu(lay, h1, h2, ji1, ji2, winIndex, flags, allowed, best, bestFan, pairTaken, chair,
                                      tile, cur, winFlags, maxFan, depth);
    PopUnits(cur, units);
    for (CardIndex f : faces)
      if (f) ++lay[f];
    return r;
  };
  if (i > 29) {
    if (!(flags & RuleFlag::kHonourChows)) return 0;
    for (const ChowShape& chow : kHonourChows)
      if (tryChow(chow.faces, chow.at, chow.jokerPlace, chow.skipPlace) == kWin) return kWin;
    return 0;
  }
  const i32 r = i % 10;
  if (r != 8 && r != 9 && tryChow({i, i + 1, i + 2}, i, 0, 0) == kWin) return kWin;
  if (r != 9 && tryChow({i, i + 1, 0}, i, 2, 0) == kWin) return kWin;
  if (r != 8 && r != 9 && tryChow({i, i + 2, 0}, i, 1, 0) == kWin) return kWin;
  return 0;
}

i32 CMyCalclator::CalcTingMaxMultiple(i32 chair, HU_DETAIL& detailOut, std::vector<TileId>* winningTiles,
                                      i32 winFlags) {
  std::memset(&detailOut, 0, sizeof detailOut);
  if (!IsChair(chair)) return 0;
  const i32 savedMark = m_nKongDiscardMark;  // the hint must not disturb the real win's mark
  // Every candidate is tried as a discard, whatever source bits the caller passed.
  const i32 asDiscard = (winFlags & ~7) | WinFlag::kDiscard;
  i32 bestFan = 0;
  for (i32 suit = 0; suit < 3; ++suit) {
    if (suit == m_nMissingSuit[chair]) continue;
    for (i32 rank = 0; rank < 9; ++rank) {
      const TileId id = suit * 36 + rank;
      // All four copies already with this chair: there is no tile left to win on.
      if (TileCountWithMelds(chair, suit * 10 + rank + 1) >= 4) continue;
      HU_DETAIL detail{};
      const i32 fan = CalcBestHuFan(chair, id, detail, asDiscard);
      if (fan <= 0) continue;
      if (winningTiles) winningTiles->push_back(id);
      if (fan > bestFan) {
        bestFan = fan;
        detailOut = detail;
      }
    }
  }
  m_nKongDiscardMark = savedMark;
  if (bestFan <= 0) return 0;
  return bestFan - 1 <= 30 ? (1 << (bestFan - 1)) : INT_MAX;
}

}  // namespace Lumora
