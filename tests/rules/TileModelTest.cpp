#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "rules/CardTypes.h"
#include "rules/FanTable.h"
#include "rules/MJCalclator.h"
#include "tests/rules/Hands.h"

namespace {

using i32 = CMJCalclator::i32;
using hands::Lay;
using hands::Tiles;

TEST(TileConversions, AllIdsGiveShapeRankAndIndexOfTheirBlock) {
  CMJCalclator calc;
  for (TileId id = 0; id < 152; ++id) {
    int shape, rank;
    if (id < 108) {
      shape = id / 36;
      rank = id % 9 + 1;
    } else if (id < 136) {
      shape = 3;
      rank = (id - 108) % 7 + 1;
    } else {
      shape = 4;
      rank = id - 135;
    }
    SCOPED_TRACE(id);
    EXPECT_EQ(calc.GetCardShape(id, 0), shape);
    EXPECT_EQ(calc.GetCardValue(id, 0), rank);
    const int index = shape * 10 + rank;
    EXPECT_EQ(calc.GetCardIndex(id, 0), index);
    EXPECT_EQ(calc.GetShapeOfIndex(index, 0), shape);
    // The first id of a face is the first of its four copies (nine or seven ids apart).
    const TileId first = calc.GetCardIDOfIndex(index, 0);
    EXPECT_EQ(calc.GetCardIndex(first, 0), index);
    EXPECT_LE(first, id);
    EXPECT_EQ(first, id < 108 ? id % 9 + (id / 36) * 36 : (id < 136 ? 108 + (id - 108) % 7 : id));
    EXPECT_EQ(calc.IsFlowerCard(id, -1, -1, 0), shape == 4 ? 1 : 0);
    EXPECT_EQ(calc.IsHonourCard(id, -1, -1, 0), shape == 3 ? 1 : 0);
    EXPECT_EQ(calc.IsWindCard(id, 0) != 0, shape == 3 && rank <= 4);
    EXPECT_EQ(calc.IsDragonCard(id, 0) != 0, shape == 3 && rank >= 5);
  }
}

TEST(TileConversions, EdgeValues) {
  CMJCalclator calc;
  EXPECT_EQ(calc.GetCardValue(135, 0), 7);
  EXPECT_EQ(calc.GetCardValue(136, 0), 1);
  EXPECT_EQ(calc.GetCardShape(152, 0), -1);
  EXPECT_EQ(calc.GetCardShape(-1, 0), -1);
  EXPECT_EQ(calc.GetCardValue(152, 0), 0);
  EXPECT_EQ(calc.GetCardIndex(151, 0), 56);
  EXPECT_EQ(calc.MakeCardIndex(3, 0), 0);
  EXPECT_EQ(calc.MakeCardIndex(0, 9), 9);
  EXPECT_EQ(calc.MakeCardIndex(-1, 3), 0);
  EXPECT_EQ(calc.GetCardIDOfIndex(12, 0), 37);
  EXPECT_EQ(calc.GetCardIDOfIndex(10, 0), -1);
  EXPECT_EQ(calc.GetCardIDOfIndex(-10, 0), -1);
  EXPECT_EQ(calc.GetCardIDOfIndex168(-10, 0), 152);
  EXPECT_EQ(calc.GetShapeOfIndex(143, 0), 4);
  EXPECT_EQ(calc.GetShapeOfIndex(144, 0), -1);
  EXPECT_EQ(calc.GetShapeOfIndex(30, 0), -1);
  EXPECT_EQ(calc.IsWindIndex(33, 0), 33);
  EXPECT_EQ(calc.IsDragonIndex(34, 0), 0);
  EXPECT_EQ(calc.SumIfValid(2, 3), 5);
  EXPECT_EQ(calc.SumIfValid(-1, 3), 0);
  for (CardIndex i : {2, 5, 8, 12, 15, 18, 22, 25, 28}) EXPECT_EQ(calc.IsJiangIndex(i), 1) << i;
  for (CardIndex i : {1, 3, 9, 32, 35, 0}) EXPECT_EQ(calc.IsJiangIndex(i), 0) << i;
}

TEST(Lays, BuildersCountOnlyRealTilesAndNeverWriteOutside) {
  CMJCalclator calc;
  std::vector<TileId> ids = Tiles("1112345678999a 5b");
  ids[2] = ids[5] = ids[9] = -1;
  CardLay lay{};
  EXPECT_EQ(calc.CardsToLay(ids, lay, 0), 11);

  // Ids of 152 and more (the table's "face-down" 200) are empty places, not writes at index -10.
  struct Guarded {
    std::int32_t before[16];
    CardLay lay;
    std::int32_t after[16];
  } g{};
  const TileId odd[] = {200, 152, 500, 0, -1, 151};
  EXPECT_EQ(calc.CardsToLay(odd, g.lay, 0), 2);
  EXPECT_EQ(g.lay[1], 1);
  EXPECT_EQ(g.lay[56], 1);
  for (std::int32_t w : g.before) EXPECT_EQ(w, 0);
  for (std::int32_t w : g.after) EXPECT_EQ(w, 0);
}

TEST(Lays, GetCardsOfIndexKeepsArrayOrderAndStopsAtMax) {
  CMJCalclator calc;
  const TileId ids[] = {9, 200, 0, 18, 1, 27, 36};
  TileId out[3] = {-7, -7, -7};
  EXPECT_EQ(calc.GetCardsOfIndex(ids, 1, std::span<TileId>(out, 2), 0), 2);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], -7);
  EXPECT_EQ(calc.GetSameIndexCards(ids, 27, out, 0), 3);
  EXPECT_EQ(out[2], 18);
  EXPECT_EQ(calc.CountFlowersInLay(Lay("12f 55a"), -1, -1, 0), 2);
}

TEST(Jokers, IndexTestsNeedFlagAndFirstJoker) {
  CMJCalclator calc;
  const TileId j1 = hands::TileOf(0, 5), j2 = hands::TileOf(1, 3);
  EXPECT_EQ(calc.IsJokerIndex(5, j1, j2, 1), 1);
  EXPECT_EQ(calc.IsJokerIndex(13, j1, j2, 1), 1);
  EXPECT_EQ(calc.IsJokerIndex(13, -1, j2, 1), 0);
  EXPECT_EQ(calc.IsJokerIndex(5, j1, j2, 0), 0);
  EXPECT_EQ(calc.IsJokerIndex(0, j1, j2, 1), 0);
  EXPECT_EQ(calc.IsJokerCard(-1, j1, j2, 1), 0);
  EXPECT_EQ(calc.IsJokerCard(j1 + 9, j1, j2, 1), 1);
  EXPECT_EQ(calc.IsJokerCard(j1, 200, -1, 1), 0);
  i32 a = -5, b = -5;
  EXPECT_EQ(calc.GetJokerIndexes(j1, -1, 1, a, b), 1);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, -5);
  EXPECT_EQ(calc.GetJokerStandInOfCards(j1, j2, 1), 37);
  EXPECT_EQ(calc.IsJokerStandInCard(hands::TileOf(3, 7), j1, j2, 1), 37);
  EXPECT_EQ(calc.IsThreeAboveJoker(0, 8, j1, j2, 1), 1);
  EXPECT_EQ(calc.IsThreeBelowJoker(0, 2, j1, j2, 1), 1);
  EXPECT_EQ(calc.IsThreeAboveJoker(0, 8, j1, j2, 1 | 4), 0);
  i32 is1, is2;
  EXPECT_EQ(calc.MatchJokerIndexes(13, 5, 13, is1, is2), 1);
  EXPECT_EQ(is2, 1);
}

TEST(Jokers, CountJokersAddsToCount2) {
  CMJCalclator calc;
  const CardLay lay = Lay("555a 33b");
  i32 count2 = 1;
  EXPECT_EQ(calc.CountJokersInLay(lay, hands::TileOf(0, 5), hands::TileOf(1, 3), 1, count2), 3);
  EXPECT_EQ(count2, 3);
  count2 = 0;
  EXPECT_EQ(calc.CountJokersInLay(lay, -1, hands::TileOf(1, 3), 1, count2), 0);
  EXPECT_EQ(count2, 0);
}

TEST(Jokers, TakeJokersTakesFromTheSmallerCounter) {
  CMJCalclator calc;
  i32 s1, s2, h1 = 2, h2 = 1;
  EXPECT_EQ(calc.TakeJokers(s1, s2, h1, h2, 2), 2);
  EXPECT_EQ(h1, 1);
  EXPECT_EQ(h2, 0);
  EXPECT_EQ(s1, 2);
  EXPECT_EQ(s2, 1);
  h1 = h2 = 0;
  EXPECT_EQ(calc.TakeJokers(s1, s2, h1, h2, 2), 0);
  h1 = 1;
  h2 = 0;
  EXPECT_EQ(calc.TakeJokers(s1, s2, h1, h2, 3), 1);
  h1 = 1;
  h2 = 1;
  EXPECT_EQ(calc.TakeOneJoker(h1, h2, 5, 13), 5);
  EXPECT_EQ(calc.TakeOneJoker(h1, h2, 5, 13), 13);
  EXPECT_EQ(calc.TakeOneJoker(h1, h2, 5, 13), 0);
}

TEST(Jokers, PickTakesJokersOutAndMovesTheSubstitute) {
  CMJCalclator calc;
  const TileId j1 = hands::TileOf(0, 5), j2 = hands::TileOf(1, 3);
  CardLay lay = Lay("55a 3b 77z 12a");
  i32 index = -1, count2 = -1;
  EXPECT_EQ(calc.PickJokersFromLay(lay, hands::TileOf(0, 9), j1, j2, index, 1 | 4, 0, count2), 2);
  EXPECT_EQ(index, 9);
  EXPECT_EQ(count2, 1);
  EXPECT_EQ(lay[9], 1);
  EXPECT_EQ(lay[13], 0);
  EXPECT_EQ(lay[5], 2) << "the substitute plays the joker's face";
  EXPECT_EQ(lay[37], 0);

  // Without a first joker there are no jokers at all: the second joker's tiles stay ordinary.
  lay = Lay("55a 33b");
  EXPECT_EQ(calc.PickJokersFromLay(lay, -1, -1, j2, index, 1, 0, count2), 0);
  EXPECT_EQ(count2, 0);
  EXPECT_EQ(lay[13], 2);

  // Jokers kept as tiles stay in the lay; the substitute joins them.
  lay = Lay("55a 7z");
  EXPECT_EQ(calc.PickJokersFromLay(lay, -1, j1, j2, index, 1 | 4 | 8, 1, count2), 0);
  EXPECT_EQ(lay[5], 3);
  EXPECT_EQ(lay[37], 0);
}

TEST(Wall, TailPositionsWalkBackInStacksAndStayOnTheWall) {
  CMJCalclator calc;
  i32 step = 0, skipped = 0;
  EXPECT_EQ(calc.GetWallTailPos(0, -1, 108, step, skipped), 106);
  EXPECT_EQ(step, 1);
  step = 0;
  std::vector<i32> got;
  for (int k = 0; k < 4; ++k) got.push_back(calc.GetWallTailPos(50, -1, 108, step, skipped));
  EXPECT_EQ(got, (std::vector<i32>{48, 49, 46, 47}));
  step = 0;
  EXPECT_EQ(calc.GetWallTailPos(50, 48, 108, step, skipped), 49);
  EXPECT_EQ(skipped, 1);
  EXPECT_EQ(step, 2);
  // A skip on the wall's last place and starts beyond the wall still give places on the wall.
  step = 1;
  EXPECT_EQ(calc.GetWallTailPos(0, 107, 108, step, skipped), 0);
  step = 0;
  EXPECT_EQ(calc.GetWallTailPos(300, -1, 108, step, skipped), 82);
}

TEST(Records, LayoutsAreFixed) {
  EXPECT_EQ(sizeof(HU_DETAIL), 772u);
  EXPECT_EQ(offsetof(HU_DETAIL, nFanCounters), 16u);
  EXPECT_EQ(offsetof(HU_DETAIL, nUnitCount), 528u);
  EXPECT_EQ(offsetof(HU_DETAIL, units), 532u);
  EXPECT_EQ(offsetof(HU_DETAIL, nTail), 756u);
  EXPECT_EQ(sizeof(_tagCARDS_UNIT), 28u);
  EXPECT_EQ(sizeof(HU_UNIT), 28u);
}

TEST(Records, FanLabelsAreGbkBytes) {
  // Known GBK encodings (from Python's gbk codec).
  EXPECT_STREQ(Lumora::kFanLabels[0], "\xc6\xa8\xba\xfa" "0" "\xb7\xac");
  EXPECT_STREQ(Lumora::kFanLabels[7], "%d\xb8\xf9%d\xb7\xac ");
  EXPECT_STREQ(Lumora::kSelfDrawnLabel, "\xd7\xd4\xc3\xfe" "1" "\xb7\xac ");
  EXPECT_STREQ(Lumora::kFanLabels[14], "\xbd\xf0\xb9\xb3\xb5\xf6%d\xb7\xac");
  EXPECT_EQ(Lumora::kFanValues[11], 5);
}

}  // namespace
