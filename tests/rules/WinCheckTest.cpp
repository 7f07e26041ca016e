#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "rules/MJCalclator.h"
#include "tests/rules/Hands.h"

namespace {

using i32 = CMJCalclator::i32;
using hands::IndexOf;
using hands::Lay;
using hands::TileOf;

constexpr i32 kDiscard = 1, kSelf = 2;
const char* const kRest = "456b 789b 222c 55c";  // three sets and a pair

std::vector<std::vector<i32>> Units(const HU_DETAIL& d) {
  std::vector<std::vector<i32>> units;
  for (int u = 0; u < d.ReadableUnits(); ++u) {
    const HU_UNIT& x = d.units[u];
    units.push_back({x.nType, x.nValues[0], x.nValues[1], x.nValues[2], x.nValues[3]});
  }
  std::sort(units.begin(), units.end());
  return units;
}

struct WaitCase {
  const char* hand;
  int rank;
  i32 wait;
};

TEST(WaitKinds, CalcHuNamesHowTheTileCompletesTheHand) {
  CMJCalclator calc;
  const WaitCase cases[] = {
      {"12a 456b 789b 222c 55c", 3, 0x80},  {"89a 456b 789b 222c 55c", 7, 0x80},
      {"45a 456b 789b 222c 55c", 3, 0x100}, {"45a 456b 789b 222c 55c", 6, 0x100},
      {"46a 456b 789b 222c 55c", 5, 0x40},  {"5a 111b 456b 789b 222c", 5, 0x10},
  };
  for (const WaitCase& c : cases) {
    SCOPED_TRACE(std::string(c.hand) + " on " + std::to_string(c.rank));
    HU_DETAIL d{};
    ASSERT_EQ(calc.CalcHu(Lay(c.hand), TileOf(0, c.rank, 3), -1, -1, 0, 0, d, kDiscard, 0), 8);
    EXPECT_EQ(d.nWait, c.wait);
    EXPECT_EQ(d.ReadableUnits(), 5);
  }
}

TEST(WaitKinds, EdgeHandWinsOnItsOneTileOnly) {
  CMJCalclator calc;
  const CardLay lay = Lay(std::string("12a ") + kRest);
  for (int suit = 0; suit < 3; ++suit)
    for (int rank = 1; rank <= 9; ++rank) {
      HU_DETAIL d{};
      const bool wins = calc.CalcHu(lay, TileOf(suit, rank, 3), -1, -1, 0, 0, d, kDiscard, 0) != 0;
      EXPECT_EQ(wins, suit == 0 && rank == 3) << suit << "/" << rank;
    }
}

TEST(WaitKinds, PungWaitOnTwoPairs) {
  CMJCalclator calc;
  HU_DETAIL d{};
  ASSERT_EQ(calc.CalcHu(Lay("55a 77a 456b 789b 222c"), TileOf(0, 7, 3), -1, -1, 0, 0, d, kDiscard, 0), 8);
  EXPECT_EQ(d.nWait, 0x20);
  EXPECT_EQ(calc.CanHuPairWait(Lay("55a 77a 456b 789b 222c"), TileOf(0, 7, 3), -1, -1, 0, 0, d, kDiscard), 0);
}

TEST(WaitKinds, JokerFillsAMissingNeighbourUnlessTheRuleForbidsIt) {
  CMJCalclator calc;
  const TileId joker = TileOf(3, 5);
  const CardLay lay = Lay("4a 5z 456b 789b 111c 99c");
  HU_DETAIL d{};
  ASSERT_EQ(calc.CanHuMiddleWait(lay, TileOf(0, 5), joker, -1, 1, 0, d, kDiscard), 8);
  EXPECT_EQ(d.nWait, 0x40);
  // The validity test reads a joker as its own face: 4-5-(red) is no chow of real faces.
  EXPECT_EQ(calc.IsValidHuDetail(d, joker, -1, 1), 0);
  const auto units = Units(d);
  EXPECT_NE(std::find(units.begin(), units.end(), std::vector<i32>{1, 4, 5, -35, 0}), units.end());
  EXPECT_EQ(calc.CanHuMiddleWait(lay, TileOf(0, 5), joker, -1, 1 | 0x4000000, 0, d, kDiscard), 0);
  EXPECT_EQ(calc.CanHuMiddleWait(lay, TileOf(0, 5), joker, -1, 1 | 0x4000000, 0, d, kSelf), 8);
  EXPECT_EQ(calc.CanHuInLay(lay, TileOf(0, 5), -1, -1, 0, 0, d, kDiscard), 0) << "no jokers, no win";
}

TEST(WinCheck, RuleFlagsRefuseDiscardsAndRobbedKongs) {
  CMJCalclator calc;
  const CardLay lay = Lay(std::string("45a ") + kRest);
  HU_DETAIL d{};
  EXPECT_EQ(calc.CanHuInLay(lay, TileOf(0, 3), -1, -1, 0x200, 0, d, kDiscard), 0);
  EXPECT_EQ(calc.CanHuInLay(lay, TileOf(0, 3), -1, -1, 0x200, 0, d, kSelf), 8);
  EXPECT_EQ(calc.CanHuInLay(lay, TileOf(0, 3), -1, -1, 0x400, 0, d, 4), 0);
  EXPECT_EQ(calc.CanHuInLay(lay, TileOf(0, 3), -1, -1, 0x400, 0, d, kDiscard), 8);
}

TEST(WinCheck, AJokerFromAnotherPlayerWinsOnlyAsATile) {
  CMJCalclator calc;
  const TileId joker = TileOf(0, 3);
  const CardLay lay = Lay(std::string("45a ") + kRest);
  HU_DETAIL d{};
  EXPECT_EQ(calc.CanHuInLay(lay, joker, joker, -1, 1, 0, d, kDiscard), 0);
  EXPECT_EQ(calc.CanHuInLay(lay, joker, joker, -1, 1, 0, d, kSelf), 8);
  EXPECT_EQ(calc.CanHuInLay(lay, joker, joker, -1, 1 | 8, 0, d, kDiscard), 8);
}

TEST(WinCheck, FlowersNeverWinAndNegativeCountsNeverWin) {
  CMJCalclator calc;
  HU_DETAIL d{};
  EXPECT_EQ(calc.CanHuInLay(Lay(std::string("4a 1f ") + kRest), TileOf(0, 4), -1, -1, 0, 0, d, kDiscard), 0);
  CardLay bad = Lay("22345a");
  bad[9] = -1;  // "lowest face held" would skip it and call 22 + 345 a win
  EXPECT_EQ(calc.SearchHuUnits(bad, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 0);
  EXPECT_EQ(calc.CanHuInLay(bad, -1, -1, -1, 0, 0, d, kSelf), 0);
  CardLay five = Lay("2222345a");
  EXPECT_EQ(calc.CanHuInLay(five, TileOf(0, 2), -1, -1, 0, 0, d, kDiscard), 0) << "a fifth copy";
}

TEST(FourOfAKind, IsNoUnitOfAStandardSplit) {
  CMJCalclator calc;
  HU_DETAIL d{};
  i32 c1, c2, w;
  EXPECT_EQ(calc.CanHuLay(Lay("1111222234567a"), TileOf(0, 8), -1, -1, c1, c2, w, 0, 0, d, kDiscard), 0);
  EXPECT_EQ(calc.CanHuLay(Lay("111155559999a 2b"), TileOf(1, 2, 1), -1, -1, c1, c2, w, 0, 0, d, kDiscard), 0);
  // Four copies can still be a pung plus part of a chow, or two pairs of seven pairs.
  EXPECT_EQ(calc.CanHuLay(Lay("11112344a 456b 78c"), TileOf(2, 9), -1, -1, c1, c2, w, 0, 0, d, kDiscard), 8);
  ASSERT_EQ(calc.CanHuLay(Lay("1111a 22a 33a 55b 77b 9b"), TileOf(1, 9, 1), -1, -1, c1, c2, w, 0, 16, d, kDiscard), 8);
  EXPECT_EQ(Units(d).front(), (std::vector<i32>{4, 2, 2, 0, 0}));
  EXPECT_EQ(Units(d).back(), (std::vector<i32>{8, 1, 1, 1, 1}));
}

TEST(Decomposition, SplitsAndTheirUnitOrder) {
  CMJCalclator calc;
  HU_DETAIL d{};
  CardLay empty{};
  EXPECT_EQ(calc.SearchHuUnits(empty, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 8);
  EXPECT_EQ(d.nUnitCount, 0);

  CardLay lay = Lay("22345a");
  d = HU_DETAIL{};
  ASSERT_EQ(calc.SearchHuUnits(lay, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 8);
  ASSERT_EQ(d.nUnitCount, 2);
  EXPECT_EQ(d.units[0].nType, 1);  // innermost unit first
  EXPECT_EQ(d.units[0].nValues[0], 3);
  EXPECT_EQ(d.units[1].nType, 4);
  EXPECT_EQ(lay, Lay("22345a")) << "the lay is restored";

  lay = Lay("11123a");
  d = HU_DETAIL{};
  EXPECT_EQ(calc.SearchHuUnits(lay, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 8);
  EXPECT_EQ(Units(d), (std::vector<std::vector<i32>>{{1, 1, 2, 3, 0}, {4, 1, 1, 0, 0}}));
  lay = Lay("2234a");
  EXPECT_EQ(calc.SearchHuUnits(lay, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 0);

  d = HU_DETAIL{};
  EXPECT_EQ(calc.SearchHuUnits(empty, 2, 0, 5, 0, 0, 1, 0, d, 0, 0), 8);
  EXPECT_EQ(Units(d), (std::vector<std::vector<i32>>{{4, -5, -5, 0, 0}}));
  EXPECT_EQ(calc.SearchHuUnits(empty, 2, 0, 5, 0, 0, 1, 0, d, 1, 0), 0);

  lay = Lay("124z");
  d = HU_DETAIL{};
  EXPECT_EQ(calc.SearchHuUnits(lay, 0, 0, 0, 0, 0, 0, 0, d, 0, 0), 0);
  EXPECT_EQ(calc.SearchHuUnits(lay, 0, 0, 0, 0, 0, 0x20, 0, d, 0, 0), 8);
  EXPECT_EQ(Units(d), (std::vector<std::vector<i32>>{{1, 31, 32, 34, 0}}));
}

TEST(Decomposition, UnitRecordsAreCappedAtEight) {
  CMJCalclator calc;
  HU_DETAIL d{};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(calc.AddHuUnitRaw(d, 2, 1, 1, 1, 0), 1);
  d.nTail[0] = 77;
  EXPECT_EQ(calc.AddHuUnitRaw(d, 2, 1, 1, 1, 0), 0);
  EXPECT_EQ(calc.AddHuUnit(d, 2, 3, 0, 0, 0, 0, 0, 0), 8);
  EXPECT_EQ(calc.AddHuUnitOfIndexes(d, 4, 2, 0, 5, 0), 8);
  EXPECT_EQ(d.nUnitCount, 8);
  EXPECT_EQ(d.nTail[0], 77);
}

TEST(Decomposition, JokerUnitsAndTheirValidity) {
  CMJCalclator calc;
  HU_DETAIL d{};
  calc.AddHuUnit(d, 1, 3, 1, 0, 5, 0, 1, 0);   // 3, joker, 5
  calc.AddHuUnit(d, 2, 7, 0, 1, 5, 13, 0, 0);  // 7, 7, joker 2
  calc.AddHuUnit(d, 1, 31, 0, 0, 0, 0, 0, 2);  // winds skipping 33
  EXPECT_EQ(Units(d), (std::vector<std::vector<i32>>{{1, 3, -5, 5, 0}, {1, 31, 32, 34, 0}, {2, 7, 7, -13, 0}}));
  // Joker places are read as the jokers' own faces; units without a joker are not tested.
  HU_DETAIL own{};
  calc.AddHuUnitRaw(own, 1, 3, 4, -5, 0);
  calc.AddHuUnitRaw(own, 2, 7, 7, -7, 0);
  calc.AddHuUnitRaw(own, 1, 31, 32, 34, 0);
  EXPECT_EQ(calc.IsValidHuDetail(own, TileOf(0, 5), TileOf(0, 7), 1), 2);
  own.units[1].nValues[2] = -12;
  EXPECT_EQ(calc.IsValidHuDetail(own, TileOf(0, 5), TileOf(0, 7), 1), 0);
  EXPECT_EQ(calc.IsValidHuDetail(d, TileOf(0, 5), TileOf(1, 3), 1), 0) << "3, 5, 5 is no chow";
  HU_DETAIL plain{};
  calc.AddHuUnit(plain, 4, 9, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(calc.IsValidHuDetail(plain, -1, -1, 0), 0);
}

TEST(SpecialHands, PatternsNeedTheirAllowedBit) {
  CMJCalclator calc;
  HU_DETAIL d{};
  const CardLay pairs = Lay("1133557799a 22b 4b");
  EXPECT_EQ(calc.CanHuSevenPairs(pairs, TileOf(1, 4, 1), -1, -1, 0, 16, d, kDiscard), 8);
  EXPECT_EQ(d.nKind & 16, 16);
  EXPECT_EQ(d.nUnitCount, 7);
  EXPECT_EQ(calc.CanHuSevenPairs(pairs, TileOf(1, 4, 1), -1, -1, 0, 0, d, kDiscard), 0);
  EXPECT_EQ(calc.CanHuSevenPairs(pairs, TileOf(1, 5, 1), -1, -1, 0, 16, d, kDiscard), 0);

  const CardLay unrelated = Lay("147a 258b 369c 1234z");
  EXPECT_EQ(calc.CanHuThirteenUnrelated(unrelated, TileOf(3, 5), -1, -1, 0, 32, d, kSelf), 8);
  EXPECT_EQ(d.units[0].nType, 32);
  EXPECT_EQ(calc.CanHuThirteenUnrelated(Lay("147a 258b 369c 123z"), TileOf(0, 2), -1, -1, 0, 32, d, kSelf), 0);

  // Seven honours take no tile count (any hand holding all seven wins when allowed).
  EXPECT_EQ(calc.CanHuSevenHonours(Lay("1234567z"), TileOf(0, 1), -1, -1, 0, 64, d, kSelf), 8);
  EXPECT_EQ(calc.CanHuSevenHonours(Lay("123456z"), TileOf(0, 1), -1, -1, 0, 64, d, kSelf), 0);
  EXPECT_EQ(calc.CanHuAllHonours(Lay("1357z"), TileOf(3, 2), -1, -1, 0, 128, d, kSelf, 0), 8);
  EXPECT_EQ(calc.CanHuAllHonours(Lay("1357z"), TileOf(3, 2), -1, -1, 0, 128, d, kSelf, 2), 0);
  EXPECT_EQ(calc.CanHuAllJiang(Lay("258a 55b 8c"), TileOf(1, 2), -1, -1, 0, 0x1000000, d, kSelf, 2), 8);
  EXPECT_EQ(calc.CanHuAllJiang(Lay("258a 55b 7c"), TileOf(1, 2), -1, -1, 0, 0x1000000, d, kSelf, 0), 0);
  EXPECT_EQ(calc.CalcHu(Lay("1357z"), TileOf(3, 2), -1, -1, 0, 128, d, kSelf, 0), 8);
}

TEST(SpecialHands, SevenPairsTakeTwelveTilesAndJokers) {
  CMJCalclator calc;
  HU_DETAIL d{};
  CardLay twelve = Lay("113355a 77b 99c 22c");
  EXPECT_EQ(calc.IsSevenPairs(twelve, 0, 0, 0, 0, 0, 0, 16, d), 8);
  d = HU_DETAIL{};
  CardLay odd = Lay("11a 35a 77b 99c 22c 333c");  // 13 tiles and one joker
  EXPECT_EQ(calc.IsSevenPairs(odd, 1, 0, 9, 0, 0, 1, 16, d), 0) << "three odd faces, one joker";
  odd = Lay("11a 5a 77b 99c 22c 3333c");
  EXPECT_EQ(calc.IsSevenPairs(odd, 1, 0, 9, 0, 0, 1, 16, d), 8);
  const auto units = Units(d);
  EXPECT_NE(std::find(units.begin(), units.end(), std::vector<i32>{4, 5, -9, 0, 0}), units.end());
}

}  // namespace

namespace {

TEST(WaitKinds, ADrawnJokerStandsForTheFirstFaceThatCompletesTheHand) {
  CMJCalclator calc;
  const TileId joker = TileOf(0, 3);
  HU_DETAIL d{};
  ASSERT_EQ(calc.CanHuPairWait(Lay("5a 111b 456b 789b 222c"), joker, joker, -1, 1, 0, d, kSelf), 8);
  EXPECT_EQ(d.nWait, 0x10);
  auto units = Units(d);
  EXPECT_NE(std::find(units.begin(), units.end(), std::vector<i32>{4, 5, -3, 0, 0}), units.end());
  ASSERT_EQ(calc.CanHuEdgeWaitJoker(Lay(std::string("45a ") + kRest), joker, joker, -1, 1, 0, d, kSelf), 8);
  units = Units(d);
  EXPECT_NE(std::find(units.begin(), units.end(), std::vector<i32>{1, 4, 5, -3, 0}), units.end());
  EXPECT_EQ(calc.CanHuPairWait(Lay("5a 111b 456b 789b 222c"), joker, joker, -1, 1, 0, d, kDiscard), 0);
}

}  // namespace
