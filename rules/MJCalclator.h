// The hand calculator: pure logic answering what a hand of tiles allows (claims, wins, wait kinds,
// special hands, decomposition). Every operation is virtual and calls the others virtually, so that
// a game's subclass can replace any rule and every rule built on it follows.
#pragma once

#include <cstdint>
#include <span>

#include "rules/CardTypes.h"

class CMJCalclator {
 public:
  using i32 = std::int32_t;
  using TileSpan = std::span<const i32>;  // a tile array and its length
  using IdsOut = std::span<i32>;          // an output array and its real capacity

  CMJCalclator() = default;
  CMJCalclator(const CMJCalclator&) = default;
  CMJCalclator& operator=(const CMJCalclator&) = default;

  // The virtual operations, in their fixed slot order.
  virtual ~CMJCalclator();
  virtual i32 GetCardValue(TileId tile, i32 flags);
  virtual i32 GetCardShape(TileId tile, i32 flags);
  virtual i32 GetShapeOfIndex(CardIndex index, i32 flags);
  virtual i32 CardsToLay(TileSpan tiles, CardLay& lay, i32 flags);
  virtual i32 FindAnGangInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32& indexOut);
  virtual i32 CanAnGang(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 CanAnGangAny(TileSpan tiles, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 GetCardIndex(TileId tile, i32 flags);
  virtual i32 GetCardIDOfIndex(CardIndex index, i32 flags);
  virtual i32 GetCardsOfIndex(TileSpan tiles, CardIndex index, IdsOut idsOut, i32 flags);
  virtual i32 IsDragonIndex(CardIndex index, i32 flags);
  virtual i32 IsWindIndex(CardIndex index, i32 flags);
  virtual i32 GetWallTailPos(i32 start, i32 skip, i32 wallSize, i32& step, i32& skipped);
  virtual i32 IsFlowerIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsFlowerCard(TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsJokerIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsJokerCard(TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 GetJokerIndexes(TileId joker1, TileId joker2, i32 flags, i32& index1, i32& index2);
  virtual i32 MakeCardIndex(i32 shape, i32 rank);
  virtual i32 IsSameCardIndex(TileId a, TileId b, i32 flags);
  virtual i32 GetJokerStandInIndex(CardIndex index1, CardIndex index2, i32 flags);
  virtual i32 GetJokerStandInOfCards(TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsJokerStandInIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsJokerStandInCard(TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 GetSameIndexCards(TileSpan tiles, TileId tile, IdsOut idsOut, i32 flags);
  virtual i32 CanPengInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanPeng(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 CanMnGangInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanMnGang(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 PickJokersFromLay(CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& indexOut, i32 flags,
                                i32 keep, i32& count2);
  virtual i32 CanChiAtIndexInLay(const CardLay& lay, CardIndex index);
  virtual i32 CanChiHonourInLay(const CardLay& lay, CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsHonourIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanChiIndexInLay(const CardLay& lay, CardIndex index, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanChiInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanChi(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 CountJokersInLay(const CardLay& lay, TileId joker1, TileId joker2, i32 flags, i32& count2);
  virtual i32 CanHuInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                         HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanBuHuaInLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanBuHua(TileSpan tiles, TileId tile, TileId joker1, TileId joker2, i32 flags, IdsOut idsOut);
  virtual i32 CanHuMiddleWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                              HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuMiddleWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                  i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CalcHu(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                     HU_DETAIL& detail, i32 winFlags, i32 extra);
  virtual i32 SearchHuPatterns(CardLay& lay, i32 c1, i32 c2, TileId joker1, TileId joker2, CardIndex winIndex,
                               i32 flags, i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CountFlowersInLay(const CardLay& lay, TileId joker1, TileId joker2, i32 flags);
  virtual i32 CanHuEdgeWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                            HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuEdgeWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuEdgeWaitJoker(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                 i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuEdgeWaitJokerCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                     i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuJokerPairWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                 i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuPairWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                            HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuPairWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuPungWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                            HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuPungWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuSevenPairs(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                              HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuThirteenUnrelated(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                     i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuSevenHonours(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuAllHonours(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                              HU_DETAIL& detail, i32 winFlags, i32 extra);
  virtual i32 CanHuAllJiang(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                            HU_DETAIL& detail, i32 winFlags, i32 extra);
  virtual i32 IsJiangIndex(CardIndex index);
  virtual i32 AddHuUnitRaw(HU_DETAIL& detail, i32 type, i32 v1, i32 v2, i32 v3, i32 v4);
  virtual i32 AddHuUnit(HU_DETAIL& detail, i32 type, CardIndex index, i32 used1, i32 used2, CardIndex jokerIndex1,
                        CardIndex jokerIndex2, i32 jokerPlace, i32 skipPlace);
  virtual i32 CanHuWithJokerChoice(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& c1Out,
                                   i32& c2Out, i32& winIndexOut, i32 flags, i32 allowed, HU_DETAIL& detail,
                                   i32 winFlags);
  virtual i32 CanHuLay(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& c1Out, i32& c2Out,
                       i32& winIndexOut, i32 flags, i32 allowed, HU_DETAIL& detail, i32 winFlags);
  virtual i32 TakeJokers(i32& saved1, i32& saved2, i32& have1, i32& have2, i32 need);
  virtual i32 SetTwoValues(i32 a, i32 b, i32& outA, i32& outB);
  virtual i32 TakeOneJoker(i32& have1, i32& have2, i32 id1, i32 id2);
  virtual i32 MatchJokerIndexes(CardIndex index, CardIndex jokerIndex1, CardIndex jokerIndex2, i32& is1, i32& is2);
  virtual i32 SearchHuUnits(CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                            CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken, i32 depth);
  virtual i32 IsSevenPairs(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                           CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  virtual i32 IsThirteenUnrelatedWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1,
                                             CardIndex jokerIndex2, CardIndex winIndex, i32 flags, i32 allowed,
                                             HU_DETAIL& detail);
  virtual i32 IsSevenHonoursWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1,
                                        CardIndex jokerIndex2, CardIndex winIndex, i32 flags, i32 allowed,
                                        HU_DETAIL& detail);
  virtual i32 IsAllHonoursWithStandIn(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1,
                                      CardIndex jokerIndex2, CardIndex winIndex, i32 flags, i32 allowed,
                                      HU_DETAIL& detail);
  virtual i32 IsThirteenUnrelated(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                                  CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  virtual i32 IsSevenHonours(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                             CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  virtual i32 IsAllHonours(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                           CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  virtual i32 IsAllJiang(const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                         CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  virtual i32 AddHuUnitOfIndexes(HU_DETAIL& detail, i32 type, i32 used1, i32 used2, CardIndex jokerIndex1,
                                 CardIndex jokerIndex2);
  virtual i32 IsThreeAboveJoker(i32 shape, i32 rank, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsThreeBelowJoker(i32 shape, i32 rank, TileId joker1, TileId joker2, i32 flags);
  virtual i32 GetCardIDOfIndex168(CardIndex index, i32 flags);
  virtual i32 SumIfValid(i32 a, i32 b);
  virtual i32 IsValidCardsUnit(const HU_UNIT& unit, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsValidHuDetail(const HU_DETAIL& detail, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsHonourCard(TileId tile, TileId joker1, TileId joker2, i32 flags);
  virtual i32 IsWindCard(TileId tile, i32 flags);
  virtual i32 IsDragonCard(TileId tile, i32 flags);

 protected:
  // True when no count is negative and none exceeds maxCount: a lay that can stand for real tiles.
  static bool LayCountsValid(const CardLay& lay, i32 maxCount);

 private:
  // The shared shape of the chow waits: the winning face sits at place tilePlace of the chow
  // low, low+1, low+2; the two partners come from the hand or, when one is missing, from a joker.
  struct WaitContext;
  i32 StartWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                HU_DETAIL& detail, i32 winFlags, i32 waitKind, WaitContext& ctx);
  i32 PrepareWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 winFlags,
                  WaitContext& ctx);
  i32 TryChowWait(WaitContext& ctx, CardIndex low, i32 tilePlace, bool jokerRefused, i32 allowed, HU_DETAIL& detail,
                  i32 waitBit);
  i32 TryHonourChowWait(WaitContext& ctx, i32 allowed, HU_DETAIL& detail);
  i32 SearchRest(WaitContext& ctx, i32 allowed, HU_DETAIL& detail);
  i32 JokerTileWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                    HU_DETAIL& detail, i32 winFlags, i32 waitKind);
  i32 AddChowWithJoker(HU_DETAIL& detail, CardIndex low, i32 jokerSlot, i32 used1, i32 used2, CardIndex jokerIndex1,
                       CardIndex jokerIndex2);
  using PatternTest = i32 (CMJCalclator::*)(const CardLay&, i32, i32, CardIndex, CardIndex, CardIndex, i32, i32,
                                            HU_DETAIL&);
  i32 RetryWithStandIn(PatternTest test, const CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1,
                       CardIndex jokerIndex2, CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail);
  i32 SearchHonourChows(CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                        CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken, i32 depth);
  i32 SearchSuitChows(CardLay& lay, CardIndex i, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                      CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken, i32 depth);
};
