// Properties checked against hands whose answer is known without the calculator's own search:
// hands built forward from sets and a pair, a small independent split checker, and symmetries.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "rules/MyCalclator.h"
#include "tests/rules/Hands.h"

namespace {

using i32 = CMJCalclator::i32;
using Lumora::CMyCalclator;

// Pair first, then sets lowest face first: a pung or the chow starting there.
bool SplitsIntoSets(CardLay& lay) {
  CardIndex i = 1;
  while (i < kLaySize && lay[i] == 0) ++i;
  if (i >= kLaySize) return true;
  if (lay[i] >= 3) {
    lay[i] -= 3;
    const bool ok = SplitsIntoSets(lay);
    lay[i] += 3;
    if (ok) return true;
  }
  if (i <= 29 && i % 10 <= 7 && lay[i + 1] > 0 && lay[i + 2] > 0) {
    --lay[i], --lay[i + 1], --lay[i + 2];
    const bool ok = SplitsIntoSets(lay);
    ++lay[i], ++lay[i + 1], ++lay[i + 2];
    return ok;
  }
  return false;
}

bool OracleWins(CardLay lay) {
  i32 total = 0;
  for (i32 n : lay) total += n;
  if (total % 3 != 2) return false;
  for (CardIndex i = 1; i < kLaySize; ++i) {
    if (lay[i] < 2) continue;
    lay[i] -= 2;
    if (SplitsIntoSets(lay)) return true;
    lay[i] += 2;
  }
  return false;
}

// A winning 14-tile lay built from four sets and a pair in the given suits.
CardLay ForwardHand(std::mt19937& rng, const std::vector<int>& suits) {
  for (;;) {
    CardLay lay{};
    auto face = [&](int lowRank, int highRank) {
      const int suit = suits[std::uniform_int_distribution<int>(0, static_cast<int>(suits.size()) - 1)(rng)];
      return suit * 10 + std::uniform_int_distribution<int>(lowRank, highRank)(rng);
    };
    bool ok = true;
    for (int set = 0; set < 4 && ok; ++set) {
      if (rng() % 2) {
        const CardIndex f = face(1, 9);
        lay[f] += 3;
        ok = lay[f] <= 4;
      } else {
        const CardIndex f = face(1, 7);
        for (int k = 0; k < 3; ++k) ok = ok && ++lay[f + k] <= 4;
      }
    }
    const CardIndex pair = face(1, 9);
    lay[pair] += 2;
    if (ok && lay[pair] <= 4) return lay;
  }
}

CardIndex RandomHeldFace(std::mt19937& rng, const CardLay& lay) {
  for (;;) {
    const CardIndex i = std::uniform_int_distribution<int>(1, 29)(rng);
    if (lay[i] > 0) return i;
  }
}

TileId TileOfIndex(CardIndex i, int copy) { return hands::TileOf(i / 10, i % 10, copy); }

i32 BaseWins(CMJCalclator& calc, CardLay lay, CardIndex won) {
  --lay[won];
  HU_DETAIL d{};
  i32 c1 = 0, c2 = 0, w = 0;
  return calc.CanHuLay(lay, TileOfIndex(won, 3), -1, -1, c1, c2, w, 0, 0, d, 1);
}

// The faces the units of a detail hold; a joker's place counts under `jokerIndex`.
CardLay LayOfUnits(const HU_DETAIL& d, CardIndex jokerIndex = 0) {
  CardLay lay{};
  for (int u = 0; u < d.ReadableUnits(); ++u) {
    const HU_UNIT& unit = d.units[u];
    const int size = unit.nType == 1 || unit.nType == 2 ? 3 : (unit.nType == 4 ? 2 : (unit.nType == 8 ? 4 : 0));
    for (int k = 0; k < size; ++k) ++lay[unit.nValues[k] < 0 ? jokerIndex : unit.nValues[k]];
  }
  return lay;
}

TEST(Properties, HandsBuiltFromSetsAndAPairWin) {
  CMJCalclator calc;
  std::mt19937 rng(20261207);
  for (int n = 0; n < 3000; ++n) {
    const CardLay lay = ForwardHand(rng, {0, 1, 2});
    ASSERT_TRUE(OracleWins(lay));
    const CardIndex won = RandomHeldFace(rng, lay);
    ASSERT_EQ(BaseWins(calc, lay, won), 8) << n;
    CardLay hand = lay;
    --hand[won];
    HU_DETAIL split{};
    i32 c1 = 0, c2 = 0, w = 0;
    calc.CanHuLay(hand, TileOfIndex(won, 0), -1, -1, c1, c2, w, 0, 0, split, 1);
    ASSERT_EQ(LayOfUnits(split), lay) << "the units reassemble the hand";
    // Thirteen of its tiles never split into sets and one pair.
    CardLay thirteen = lay;
    --thirteen[RandomHeldFace(rng, lay)];
    ASSERT_EQ(calc.CanHuLay(thirteen, -1, -1, -1, c1, c2, w, 0, 0, split, 2), 0);
  }
}

TEST(Properties, SwappedTilesWinExactlyWhenASplitExists) {
  CMyCalclator calc;  // its own best-fan search must agree as well
  calc.ResetGameState();
  calc.m_nMissingSuit[0] = 2;
  std::mt19937 rng(7);
  int wins = 0, losses = 0;
  for (int n = 0; n < 4000; ++n) {
    CardLay lay = ForwardHand(rng, {0, 1});
    --lay[RandomHeldFace(rng, lay)];
    CardIndex put;
    do put = std::uniform_int_distribution<int>(0, 1)(rng) * 10 + std::uniform_int_distribution<int>(1, 9)(rng);
    while (lay[put] >= 4);
    ++lay[put];
    const bool expected = OracleWins(lay);
    (expected ? wins : losses)++;
    ASSERT_EQ(BaseWins(calc, lay, put) != 0, expected) << n;
    calc.m_lays[0] = lay;
    --calc.m_lays[0][put];
    HU_DETAIL d{};
    ASSERT_EQ(calc.CalcBestHuFan(0, TileOfIndex(put, 3), d, 1) > 0, expected) << n;
  }
  EXPECT_GT(wins, 100);
  EXPECT_GT(losses, 100);
}

TEST(Properties, RandomDrawsAgreeWithTheIndependentChecker) {
  CMJCalclator calc;
  std::mt19937 rng(99);
  std::vector<TileId> wall;
  for (TileId id = 0; id < 36; ++id) wall.push_back(id);  // one suit: winning draws are common
  for (int n = 0; n < 3000; ++n) {
    std::shuffle(wall.begin(), wall.end(), rng);
    CardLay lay{};
    for (int k = 0; k < 14; ++k) ++lay[wall[k] % 9 + 1];
    ASSERT_EQ(BaseWins(calc, lay, RandomHeldFace(rng, lay)) != 0, OracleWins(lay)) << n;
  }
}

CardLay MapFaces(const CardLay& lay, const int suitMap[3], bool reverse) {
  CardLay out{};
  for (CardIndex i = 1; i <= 29; ++i) {
    if (i % 10 == 0 || lay[i] == 0) continue;
    const int rank = reverse ? 10 - i % 10 : i % 10;
    out[suitMap[i / 10] * 10 + rank] += lay[i];
  }
  return out;
}

i32 BestFan(CMyCalclator& calc, const CardLay& lay, CardIndex won, int missing, i32 winFlags) {
  calc.m_lays[0] = lay;
  calc.m_nMissingSuit[0] = missing;
  HU_DETAIL d{};
  if (winFlags & 1) --calc.m_lays[0][won];
  return calc.CalcBestHuFan(0, TileOfIndex(won, 3), d, winFlags);
}

TEST(Properties, SuitPermutationAndRankReversalKeepVerdictAndFan) {
  CMyCalclator calc;
  calc.ResetGameState();
  calc.m_nAllowedHands = 16;
  std::mt19937 rng(4242);
  const int identity[3] = {0, 1, 2};
  const int rotate[3] = {2, 0, 1};  // suit 0 to 2, 1 to 0, 2 (missing) to 1
  for (int n = 0; n < 300; ++n) {
    const CardLay lay = ForwardHand(rng, {0, 1});
    const CardIndex won = RandomHeldFace(rng, lay);
    const i32 winFlags = n % 2 ? 1 : 2;
    const i32 fan = BestFan(calc, lay, won, 2, winFlags);
    ASSERT_GE(fan, 1) << n;
    HU_DETAIL best{};
    calc.CalcBestHuFan(0, TileOfIndex(won, 3), best, winFlags);
    ASSERT_EQ(LayOfUnits(best), lay) << n;
    const CardLay rotated = MapFaces(lay, rotate, false);
    const CardIndex rotatedWon = rotate[won / 10] * 10 + won % 10;
    EXPECT_EQ(BestFan(calc, rotated, rotatedWon, 1, winFlags), fan) << n;
    const CardLay reversed = MapFaces(lay, identity, true);
    EXPECT_EQ(BestFan(calc, reversed, (won / 10) * 10 + 10 - won % 10, 2, winFlags), fan) << n;
    const bool holdsSuit0 = std::any_of(lay.begin() + 1, lay.begin() + 10, [](i32 c) { return c > 0; });
    if (holdsSuit0) {
      EXPECT_EQ(BestFan(calc, lay, won, 0, winFlags), 0) << "the hand holds its missing suit";
    }
  }
}

TEST(Properties, WildJokersStandInForAnyTileOfAWinningHand) {
  CMJCalclator calc;
  std::mt19937 rng(31);
  const TileId joker = hands::TileOf(3, 1);  // an honour face, so no joker is also needed as itself
  for (int n = 0; n < 1500; ++n) {
    CardLay lay = ForwardHand(rng, {0, 1, 2});
    const int jokers = 1 + n % 2;
    for (int k = 0; k < jokers; ++k) --lay[RandomHeldFace(rng, lay)];
    lay[31] = jokers;
    const CardIndex won = RandomHeldFace(rng, lay);
    --lay[won];
    HU_DETAIL d{};
    ASSERT_EQ(calc.CanHuInLay(lay, TileOfIndex(won, 3), joker, -1, 1, 0, d, 2), 8) << n;
    ++lay[won];
    lay[31] = 0;
    CardLay units = LayOfUnits(d, 31);
    EXPECT_EQ(units[31], jokers) << n;
    units[31] = 0;
    EXPECT_EQ(units, lay) << n;
  }
}

TEST(Properties, SymmetriesKeepTheVerdictOfArbitraryHands) {
  CMJCalclator calc;
  std::mt19937 rng(5);
  const int swap[3] = {1, 0, 2};
  const int identity[3] = {0, 1, 2};
  for (int n = 0; n < 2000; ++n) {
    CardLay lay = ForwardHand(rng, {0, 1, 2});
    --lay[RandomHeldFace(rng, lay)];
    CardIndex put;
    do put = std::uniform_int_distribution<int>(0, 2)(rng) * 10 + std::uniform_int_distribution<int>(1, 9)(rng);
    while (lay[put] >= 4);
    ++lay[put];
    const i32 verdict = BaseWins(calc, lay, put);
    EXPECT_EQ(BaseWins(calc, MapFaces(lay, swap, false), swap[put / 10] * 10 + put % 10), verdict);
    EXPECT_EQ(BaseWins(calc, MapFaces(lay, identity, true), (put / 10) * 10 + 10 - put % 10), verdict);
  }
}

}  // namespace
