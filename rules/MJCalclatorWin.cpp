// Win check: the entry tests, the pattern search over a complete hand and the special hands.
#include <cstring>

#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

namespace {
constexpr i32 kFromOtherPlayer = WinFlag::kDiscard | WinFlag::kRobbedKong;

i32 TileTotal(const CardLay& lay) {
  i32 total = 0;
  for (i32 n : lay) total += n;
  return total;
}
}  // namespace

i32 CMJCalclator::CanHuInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                             HU_DETAIL& detail, i32 winFlags) {
  if ((flags & RuleFlag::kNoWinOnDiscard) && (winFlags & WinFlag::kDiscard)) return 0;
  if ((flags & RuleFlag::kNoWinOnRobbedKong) && (winFlags & WinFlag::kRobbedKong)) return 0;
  // A lay that no real hand can give (a negative count, five of a face) never wins.
  if (!LayCountsValid(lay, 4)) return 0;
  if (IsTileIdValid(tile)) {
    const CardIndex index = GetCardIndex(tile, flags);
    if (IsLayIndex(index) && lay[index] >= 4) return 0;
  }

  i32 count2 = 0;
  const i32 count1 = CountJokersInLay(lay, joker1, joker2, flags, count2);
  const bool tileIsJoker = IsJokerCard(tile, joker1, joker2, flags) != 0;
  const bool fromOther = (winFlags & kFromOtherPlayer) != 0;
  i32 c1 = 0, c2 = 0, winIndex = 0;

  if (!(flags & RuleFlag::kJokers)) {
    CardLay copy = lay;
    PickJokersFromLay(copy, tile, joker1, joker2, winIndex, flags, 0, c2);
    return SearchHuPatterns(copy, 0, 0, -1, -1, winIndex, flags, allowed, detail, winFlags);
  }
  if (!tileIsJoker) {
    if ((flags & RuleFlag::kJokersAsTiles) && count1 + count2 > 0 &&
        CanHuLay(lay, tile, joker1, joker2, c1, c2, winIndex, flags, allowed, detail, winFlags))
      return kWin;
    return CanHuWithJokerChoice(lay, tile, joker1, joker2, c1, c2, winIndex, flags, allowed, detail, winFlags);
  }
  if (flags & RuleFlag::kJokersAsTiles) {
    if (CanHuLay(lay, tile, joker1, joker2, c1, c2, winIndex, flags, allowed, detail, winFlags)) return kWin;
  }
  if (fromOther) return 0;
  return CanHuWithJokerChoice(lay, tile, joker1, joker2, c1, c2, winIndex, flags, allowed, detail, winFlags);
}

i32 CMJCalclator::CanHuWithJokerChoice(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& c1Out,
                                       i32& c2Out, i32& winIndexOut, i32 flags, i32 allowed, HU_DETAIL& detail,
                                       i32 winFlags) {
  CardLay copy = lay;
  c1Out = PickJokersFromLay(copy, tile, joker1, joker2, winIndexOut, flags, 0, c2Out);
  return SearchHuPatterns(copy, c1Out, c2Out, joker1, joker2, winIndexOut, flags, allowed, detail, winFlags);
}

i32 CMJCalclator::CanHuLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& /*c1Out*/, i32& c2Out,
                           i32& winIndexOut, i32 flags, i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CardLay copy = lay;
  PickJokersFromLay(copy, tile, joker1, joker2, winIndexOut, flags, 1, c2Out);
  return SearchHuPatterns(copy, 0, 0, -1, -1, winIndexOut, flags, allowed, detail, winFlags);
}

i32 CMJCalclator::SearchHuPatterns(CardLay& lay, i32 c1, i32 c2, TileId joker1, TileId joker2, CardIndex winIndex,
                                   i32 flags, i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  if (CountFlowersInLay(lay, joker1, joker2, flags) > 0) return 0;
  i32 ji1 = 0, ji2 = 0;
  GetJokerIndexes(joker1, joker2, flags, ji1, ji2);
  std::memset(&detail, 0, sizeof detail);

  if (winFlags & WinFlag::kSevenPairs) return IsSevenPairs(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
  if (winFlags & WinFlag::kThirteenUnrelated)
    return IsThirteenUnrelatedWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
  if (winFlags & WinFlag::kSevenHonours)
    return IsSevenHonoursWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
  if (winFlags & WinFlag::kAllHonours)
    return IsAllHonoursWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
  if (winFlags & WinFlag::kAllJiang) return IsAllJiang(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);

  if (IsSevenPairs(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail) ||
      IsThirteenUnrelatedWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail) ||
      IsSevenHonoursWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail) ||
      IsAllHonoursWithStandIn(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail) ||
      IsAllJiang(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail))
    return kWin;
  return SearchHuUnits(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail, 0, 0);
}

i32 CMJCalclator::CalcHu(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                         HU_DETAIL& detail, i32 winFlags, i32 extra) {
  using Try = i32 (CMJCalclator::*)(const CardLay&, TileId, TileId, TileId, i32, i32, HU_DETAIL&, i32);
  static constexpr Try kTries[] = {
      &CMJCalclator::CanHuJokerPairWait, &CMJCalclator::CanHuPairWait,      &CMJCalclator::CanHuPungWait,
      &CMJCalclator::CanHuMiddleWait,    &CMJCalclator::CanHuEdgeWait,      &CMJCalclator::CanHuEdgeWaitJoker,
      &CMJCalclator::CanHuSevenPairs,    &CMJCalclator::CanHuThirteenUnrelated, &CMJCalclator::CanHuSevenHonours,
  };
  for (Try t : kTries)
    if ((this->*t)(lay, tile, joker1, joker2, flags, allowed, detail, winFlags)) return kWin;
  if (CanHuAllHonours(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, extra)) return kWin;
  if (CanHuAllJiang(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, extra)) return kWin;
  return 0;
}

// --- special hands asked for by name ---

namespace {
i32 SpecialTry(CMJCalclator& calc, const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
               i32 allowed, HU_DETAIL& detail, i32 winFlags, i32 handBit) {
  if (!calc.CanHuInLay(lay, tile, joker1, joker2, flags, allowed, detail, winFlags | handBit)) return 0;
  detail.nKind |= handBit;
  return kWin;
}
}  // namespace

i32 CMJCalclator::CanHuSevenPairs(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                  i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  return SpecialTry(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WinFlag::kSevenPairs);
}

i32 CMJCalclator::CanHuThirteenUnrelated(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                         i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  return SpecialTry(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WinFlag::kThirteenUnrelated);
}

i32 CMJCalclator::CanHuSevenHonours(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                    i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  return SpecialTry(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WinFlag::kSevenHonours);
}

i32 CMJCalclator::CanHuAllHonours(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                  i32 allowed, HU_DETAIL& detail, i32 winFlags, i32 extra) {
  if (extra != 0 && !(extra & 1)) return 0;
  return SpecialTry(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WinFlag::kAllHonours);
}

i32 CMJCalclator::CanHuAllJiang(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                                HU_DETAIL& detail, i32 winFlags, i32 extra) {
  if (extra != 0 && !(extra & 2)) return 0;
  return SpecialTry(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WinFlag::kAllJiang);
}

// --- pattern tests on a complete lay ---

i32 CMJCalclator::IsSevenPairs(const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex,
                               i32, i32 allowed, HU_DETAIL& detail) {
  if (!(allowed & WinFlag::kSevenPairs)) return 0;
  const i32 total = TileTotal(lay) + c1 + c2;
  if (total != 12 && total != 14) return 0;
  i32 odd = 0;
  for (i32 n : lay) odd += (n == 1 || n == 3) ? 1 : 0;
  if (odd > c1 + c2) return 0;
  for (CardIndex i = 0; i < kLaySize; ++i) {
    const i32 n = lay[i];
    if (n <= 0) continue;
    i32 s1 = 0, s2 = 0, h1 = c1, h2 = c2;
    const i32 jokers = (n == 1 || n == 3) ? 1 : 0;
    if (jokers) TakeJokers(s1, s2, c1, c2, 1);
    const i32 type = n >= 3 ? UnitType::kFour : UnitType::kPair;
    AddHuUnit(detail, type, i, h1 - c1, h2 - c2, ji1, ji2, 0, 0);
  }
  while (c1 + c2 >= 2) {  // jokers left over pair among themselves
    i32 s1 = 0, s2 = 0, h1 = c1, h2 = c2;
    TakeJokers(s1, s2, c1, c2, 2);
    AddHuUnitOfIndexes(detail, UnitType::kPair, h1 - c1, h2 - c2, ji1, ji2);
  }
  return kWin;
}

i32 CMJCalclator::IsThirteenUnrelated(const CardLay& lay, i32 c1, i32 c2, CardIndex, CardIndex, CardIndex, i32,
                                      i32 allowed, HU_DETAIL& detail) {
  if (!(allowed & WinFlag::kThirteenUnrelated)) return 0;
  if (TileTotal(lay) + c1 + c2 != 14) return 0;
  for (CardIndex i = 0; i < kLaySize; ++i) {
    if (lay[i] >= 2) return 0;
    if (lay[i] == 1 && i <= 29 && i % 10 != 9 && (lay[i + 1] > 0 || lay[i + 2] > 0)) return 0;
  }
  AddHuUnitRaw(detail, UnitType::kThirteenUnrelated, 0, 0, 0, 0);
  return kWin;
}

i32 CMJCalclator::IsSevenHonours(const CardLay& lay, i32 c1, i32 c2, CardIndex, CardIndex, CardIndex, i32 flags,
                                 i32 allowed, HU_DETAIL& detail) {
  if (!(allowed & WinFlag::kSevenHonours)) return 0;
  i32 free = (flags & RuleFlag::kNoJokerForSevenHonours) ? 0 : c1 + c2;
  for (CardIndex i = 31; i <= 37; ++i)
    if (lay[i] <= 0 && free-- <= 0) return 0;
  AddHuUnitRaw(detail, UnitType::kSevenHonours, 0, 0, 0, 0);
  return kWin;
}

i32 CMJCalclator::IsAllHonours(const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex,
                               i32 flags, i32 allowed, HU_DETAIL& detail) {
  if (!(allowed & WinFlag::kAllHonours)) return 0;
  if (TileTotal(lay) + c1 + c2 < 1) return 0;
  for (CardIndex i = 0; i < kLaySize; ++i)
    if (lay[i] > 0 && !IsHonourIndex(i, ji1, ji2, flags)) return 0;
  AddHuUnitRaw(detail, UnitType::kAllHonours, 0, 0, 0, 0);
  return kWin;
}

i32 CMJCalclator::IsAllJiang(const CardLay& lay, i32 c1, i32 c2, CardIndex, CardIndex, CardIndex, i32, i32 allowed,
                             HU_DETAIL& detail) {
  if (!(allowed & WinFlag::kAllJiang)) return 0;
  if (TileTotal(lay) + c1 + c2 < 1) return 0;
  for (CardIndex i = 0; i < kLaySize; ++i)
    if (lay[i] > 0 && !IsJiangIndex(i)) return 0;
  AddHuUnitRaw(detail, UnitType::kAllJiang, 0, 0, 0, 0);
  return kWin;
}

i32 CMJCalclator::RetryWithStandIn(PatternTest test, const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                   CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail) {
  if ((this->*test)(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail)) return kWin;
  if (!(flags & RuleFlag::kStandInPlaysJoker) || !IsLayIndex(ji1) || lay[ji1] != 1) return 0;
  const i32 standIn = GetJokerStandInIndex(ji1, ji2, flags);
  if (!IsLayIndex(standIn)) return 0;
  CardLay moved = lay;
  moved[standIn] = 1;
  moved[ji1] = 0;
  return (this->*test)(moved, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
}

i32 CMJCalclator::IsThirteenUnrelatedWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                                 CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail) {
  return RetryWithStandIn(&CMJCalclator::IsThirteenUnrelated, lay, c1, c2, ji1, ji2, winIndex, flags, allowed,
                          detail);
}

i32 CMJCalclator::IsSevenHonoursWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                            CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail) {
  return RetryWithStandIn(&CMJCalclator::IsSevenHonours, lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
}

i32 CMJCalclator::IsAllHonoursWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                          CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail) {
  return RetryWithStandIn(&CMJCalclator::IsAllHonours, lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail);
}
