#include <gtest/gtest.h>

#include <vector>

#include "rules/FanTable.h"
#include "rules/MyCalclator.h"
#include "tests/rules/Hands.h"

namespace {

using i32 = CMJCalclator::i32;
using hands::Lay;
using hands::TileOf;
using Lumora::CMyCalclator;

constexpr i32 kDiscard = 1, kSelf = 2, kRobbed = 4;

struct FakeRoom : IRoomTypeQuery {
  i32 bit = 0;
  i32 IsRoomTypeBit4() const override { return bit; }
};

_tagCARDS_UNIT Meld(int suit, int rank, int tiles, int firstCopy = 0) {
  _tagCARDS_UNIT m{{-1, -1, -1, -1}, {0, 0, 0}};
  for (int k = 0; k < tiles; ++k) m.nCards[k] = TileOf(suit, rank, firstCopy + k);
  return m;
}

class FanCount : public ::testing::Test {
 protected:
  void SetUp() override {
    calc.ResetGameState();
    calc.m_nAllowedHands = 16;
    calc.m_nMissingSuit[0] = 2;
    calc.m_nBanker = 1;
  }
  i32 Win(const char* hand, TileId tile, i32 winFlags) {
    calc.m_lays[0] = Lay(hand);
    d = HU_DETAIL{};
    return calc.CalcBestHuFan(0, tile, d, winFlags);
  }
  i32 Ting(const char* hand, std::vector<TileId>* tiles = nullptr, i32 winFlags = 0) {
    calc.m_lays[0] = Lay(hand);
    HU_DETAIL best{};
    return calc.CalcTingMaxMultiple(0, best, tiles, winFlags);
  }
  // A pung meld whose tiles carry the unit records the fan tests look for.
  void AddPung(int chair, int suit, int rank) {
    const _tagCARDS_UNIT m = Meld(suit, rank, 3);
    calc.m_melds[Lumora::kMeldPung][chair].push_back(m);
    for (int k = 0; k < 3; ++k) calc.m_unitRecords.push_back({{m.nCards[k], 0, 0, 10}, {0, 0, 0}});
  }
  i32 C(int counter) const { return d.nFanCounters[counter]; }

  FakeRoom room;
  CMyCalclator calc{&room};
  HU_DETAIL d{};
};

const char* const kBasic = "123a 456a 789b 234b 5b";

TEST_F(FanCount, BasicHandOnADiscardAndSelfDrawn) {
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 1);
  EXPECT_EQ(C(0), 1);
  EXPECT_EQ(d.nKind & 1, 1);
  EXPECT_EQ(Ting(kBasic), 1);
  EXPECT_EQ(Win("123a 456a 789b 234b 55b", TileOf(1, 5, 1), kSelf), 2);
  EXPECT_EQ(C(0), 1);
  EXPECT_EQ(d.nKind & 2, 2);
}

TEST_F(FanCount, OneSuitAllPungs) {
  EXPECT_EQ(Win("111a 333a 555a 777a 9a", TileOf(0, 9, 1), kDiscard), 4);
  EXPECT_EQ(C(3), 1);
  EXPECT_EQ(C(4), 2);
  EXPECT_EQ(C(0), 0);
  EXPECT_EQ(d.nKind & 0x3000, 0x3000);
  EXPECT_EQ(Ting("111a 333a 555a 777a 9a"), 8);
}

TEST_F(FanCount, PungsOfTwoFiveEightReplaceAllPungs) {
  EXPECT_EQ(Win("222a 555a 888a 222b 5b", TileOf(1, 5, 1), kDiscard), 4);
  EXPECT_EQ(C(6), 3);
  EXPECT_EQ(C(3), 0);
}

TEST_F(FanCount, DragonSevenPairs) {
  EXPECT_EQ(Win("1111a 22a 33a 55b 77b 9b", TileOf(1, 9, 1), kDiscard), 5);
  EXPECT_EQ(C(2), 4);
  EXPECT_EQ(C(7), 0) << "the four already pays inside the dragon seven pairs";
  EXPECT_EQ(d.nKind & 16, 16);
  EXPECT_EQ(Ting("1111a 22a 33a 55b 77b 9b"), 16);
  EXPECT_EQ(Win("1111a 2222a 33b 55b 7b", TileOf(1, 7, 1), kDiscard), 6);
  EXPECT_EQ(C(2), 4);
  EXPECT_EQ(C(7), 1);
  EXPECT_EQ(Win("1111a 22a 33a 55a 77a 9a", TileOf(0, 9, 1), kDiscard), 7);
  EXPECT_EQ(Ting("1111a 22a 33a 55a 77a 9a"), 64);
  calc.m_nAllowedHands = 0;
  EXPECT_EQ(Win("1111a 22a 33a 55b 77b 9b", TileOf(1, 9, 1), kDiscard), 0);
}

TEST_F(FanCount, LastTileKongFlowerKongDiscardAndRobbedKong) {
  calc.m_nWallFlag = 1;
  calc.m_nWallCountA = 100;
  calc.m_nWallCountB = 8;
  EXPECT_EQ(Win("123a 456a 789b 234b 55b", TileOf(1, 5, 1), kSelf), 3);
  EXPECT_EQ(C(15), 2);
  EXPECT_EQ(C(0), 0);
  EXPECT_EQ(d.nKind & 0x400002, 0x400000);

  calc.m_nWallCountB = 0;
  calc.m_melds[Lumora::kMeldKong2][0].push_back(Meld(1, 1, 4));
  calc.m_nKongReplacement = 1;
  EXPECT_EQ(Win("123a 456a 789b 55b", TileOf(1, 5, 1), kSelf), 4);
  EXPECT_EQ(C(8), 1);
  EXPECT_EQ(C(13), 1);
  EXPECT_EQ(C(0), 0);
  EXPECT_EQ(d.nKind & 0x100000, 0x100000);
  EXPECT_EQ(Win("123a 456a 789b 5b", TileOf(1, 5, 1), kRobbed), 3) << "no kong flower on a robbed kong";
  EXPECT_EQ(C(10), 1);
  EXPECT_EQ(C(8), 0);

  calc.m_nKongReplacement = 0;
  calc.m_nAfterKongDiscard = 1;
  EXPECT_EQ(Win("123a 456a 789b 5b", TileOf(1, 5, 1), kDiscard), 3);
  EXPECT_EQ(C(9), 1);
  EXPECT_EQ(d.nKind & 0x200000, 0x200000);
  EXPECT_EQ(calc.m_nKongDiscardMark, 1);
  // The hint evaluates other tiles but leaves the real win's mark alone.
  HU_DETAIL hint{};
  calc.CalcTingMaxMultiple(0, hint, nullptr, 0);
  EXPECT_EQ(calc.m_nKongDiscardMark, 1);
  EXPECT_EQ(Win("123a 456a 789b 5b", TileOf(1, 6, 1), kDiscard), 0);
  EXPECT_EQ(calc.m_nKongDiscardMark, 0);
}

TEST_F(FanCount, GoldenHookAndFoursFromPungMelds) {
  AddPung(0, 0, 1);
  AddPung(0, 0, 3);
  AddPung(0, 1, 4);
  AddPung(0, 1, 6);
  EXPECT_EQ(Win("7b", TileOf(1, 7, 1), kDiscard), 3);
  EXPECT_EQ(C(3), 1);
  EXPECT_EQ(C(14), 1);
  // Three melds and a concealed chow are no golden hook, though one tile still waits for its pair.
  calc.m_melds[Lumora::kMeldPung][0].pop_back();
  EXPECT_GT(Win("567a 7b", TileOf(1, 7, 1), kDiscard), 0);
  EXPECT_EQ(C(14), 0);
  // A pung meld plus its fourth tile in the hand is a four; a pung without records is not seen.
  calc.m_melds[Lumora::kMeldPung][0].clear();
  AddPung(0, 0, 1);
  EXPECT_EQ(Win("123a 789b 234b 5b", TileOf(1, 5, 1), kDiscard), 2);
  EXPECT_EQ(C(7), 1);
  calc.m_unitRecords.clear();
  EXPECT_EQ(Win("123a 789b 234b 5b", TileOf(1, 5, 1), kDiscard), 1);
  EXPECT_EQ(C(7), 0);
}

TEST_F(FanCount, HeavenlyAndEarthlyOnlyInRoomsWithTheBit) {
  calc.m_nBanker = 0;
  EXPECT_EQ(Win("123a 456a 789b 234b 55b", TileOf(1, 5, 1), kSelf), 2);
  EXPECT_EQ(C(11), 0);
  room.bit = 1;
  EXPECT_EQ(Win("123a 456a 789b 234b 55b", TileOf(1, 5, 1), kSelf), 7);
  EXPECT_EQ(C(11), 5);
  EXPECT_EQ(d.nKind & 0x100, 0x100);
  calc.m_nChairCounters[2] = 1;
  EXPECT_EQ(Win("123a 456a 789b 234b 55b", TileOf(1, 5, 1), kSelf), 2);
  calc.m_nBanker = 1;
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 6);
  EXPECT_EQ(C(12), 5);
  EXPECT_EQ(d.nKind & 0x200, 0x200);
  calc.m_nDrawCount[0] = 1;
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 1);
}

TEST_F(FanCount, TotalsAreCappedAndFloored) {
  struct ManyFours : CMyCalclator {
    using CMyCalclator::CMyCalclator;
    i32 CountGen(i32, TileId, HU_DETAIL&, i32) override { return 22; }
  } many;
  many.m_nMissingSuit[0] = 2;
  many.m_lays[0] = Lay(kBasic);
  HU_DETAIL out{};
  EXPECT_EQ(many.CalcBestHuFan(0, TileOf(1, 5, 1), out, kDiscard), 20);
  EXPECT_EQ(out.nFanCounters[7], 22);
  calc.m_nMinFan = 2;
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 0);
}

TEST_F(FanCount, MissingSuitTilesMeanNoWin) {
  calc.m_nMissingSuit[0] = 0;
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 0);
  calc.m_nMissingSuit[0] = 3;
  EXPECT_EQ(Win(kBasic, TileOf(1, 5, 1), kDiscard), 0);
  calc.ResetGameState();
  calc.m_lays[0] = Lay(kBasic);
  EXPECT_EQ(calc.HasNoMissingSuitTiles(0), 0) << "after a reset every chair is without the first suit";
}

TEST_F(FanCount, CountersAreNotDoubledWhenTheSearchStopsAtTheMaximum) {
  calc.m_nMaxFan = 4;
  EXPECT_EQ(Win("111a 333a 555a 777a 9a", TileOf(0, 9, 1), kDiscard), 4);
  EXPECT_EQ(C(3), 1);
  EXPECT_EQ(C(4), 2);
}

TEST_F(FanCount, AFreshCalculatorCountsBeforeItsFirstReset) {
  CMyCalclator fresh;
  fresh.m_lays[1] = Lay("123b 456b 789c 234c 5c");
  fresh.m_nMissingSuit[1] = 0;
  HU_DETAIL out{};
  EXPECT_EQ(fresh.CalcBestHuFan(1, TileOf(2, 5, 1), out, kDiscard), 1);
}

TEST_F(FanCount, InconsistentWinsAreNoWinsButKeepTheirKindWord) {
  calc.m_lays[0] = Lay("123a 456a 789b 234b 5b");
  EXPECT_EQ(calc.CalcBestHuFan(0, TileOf(1, 6, 1), d, kSelf), 0) << "the drawn tile is not in the hand";
  EXPECT_EQ(d.nKind, kSelf);
  EXPECT_EQ(calc.CalcBestHuFan(0, 200, d, kDiscard), 0);
  EXPECT_EQ(d.nKind, kDiscard);
  EXPECT_EQ(calc.CalcBestHuFan(7, TileOf(1, 5, 1), d, kRobbed), 0);
  EXPECT_EQ(d.nKind, kRobbed);
  calc.m_lays[0][15] = -1;
  EXPECT_EQ(calc.CalcBestHuFan(0, TileOf(1, 5, 1), d, kDiscard), 0);
  EXPECT_EQ(d.nKind, kDiscard);
}

TEST_F(FanCount, ResetEmptiesEveryPerDealList) {
  calc.m_extraA[2].push_back(Meld(0, 1, 4));
  calc.m_extraB[3].push_back(Meld(0, 2, 3));
  calc.m_melds[4][1].push_back(Meld(0, 3, 4));
  calc.m_unitRecords.push_back({});
  calc.m_nKongDiscardMark = calc.m_nAfterKongDiscard = calc.m_nKongReplacement = 1;
  calc.m_nWallCountA = 50;
  calc.m_nWallFlag = 1;
  calc.m_nWallSize = 112;
  calc.ResetGameState();
  EXPECT_TRUE(calc.m_extraA[2].empty());
  EXPECT_TRUE(calc.m_extraB[3].empty());
  EXPECT_TRUE(calc.m_melds[4][1].empty());
  EXPECT_EQ(calc.FindUnitValue(0), -999999);
  EXPECT_EQ(calc.m_nKongDiscardMark + calc.m_nAfterKongDiscard + calc.m_nKongReplacement + calc.m_nWallCountA, 0);
  EXPECT_EQ(calc.m_nWallFlag, 1);
  EXPECT_EQ(calc.m_nWallSize, 112);
  EXPECT_EQ(calc.m_nMaxFan, 20);
  EXPECT_EQ(calc.m_nBanker, -1);
  EXPECT_EQ(calc.SetJokers(3, 4), 4);
  EXPECT_EQ(calc.m_nJoker1, 3);
}

TEST_F(FanCount, MeldsThatOverflowTheRecordFailTheFanTests) {
  for (int rank : {2, 5, 8}) AddPung(0, 0, rank);
  AddPung(0, 1, 2);
  AddPung(0, 1, 5);
  HU_DETAIL four{};
  for (int k = 0; k < 4; ++k) calc.AddHuUnitRaw(four, 2, 22, 22, 22, 0);
  EXPECT_EQ(calc.IsJiangDui(0, -1, four, kDiscard), 0);
  four.nUnitCount = 3;
  EXPECT_EQ(calc.IsJiangDui(0, -1, four, kDiscard), 8);
  EXPECT_EQ(calc.IsPengPengHu(0, -1, four, kDiscard), 0x1000);
  HU_DETAIL none{};
  EXPECT_EQ(calc.IsPengPengHu(0, -1, none, kDiscard), 0x1000);
}

TEST_F(FanCount, HelpersOnMeldsAndUnits) {
  calc.m_melds[Lumora::kMeldChow][0].push_back({{TileOf(1, 6), TileOf(1, 4), TileOf(1, 5), -1}, {0, 0, 0}});
  calc.m_melds[Lumora::kMeldKong3][0].push_back(Meld(0, 9, 4));
  HU_DETAIL detail{};
  EXPECT_EQ(calc.AddMeldUnitsToDetail(0, detail, 7), 1);
  ASSERT_EQ(detail.nUnitCount, 2);
  EXPECT_EQ(detail.units[0].nType, 2);
  EXPECT_EQ(detail.units[0].nValues[0], 9);
  EXPECT_EQ(detail.units[1].nValues[0], 14);
  EXPECT_EQ(detail.units[1].nValues[2], 16);
  i32 v[5] = {5, -3, 9, 0, 5};
  CMyCalclator::SortInts(v, 5);
  EXPECT_EQ(std::vector<i32>(v, v + 5), (std::vector<i32>{-3, 0, 5, 5, 9}));
  std::array<i32, 5> suits{};
  calc.CountSuitsInMelds(0, 0, suits);
  EXPECT_EQ(suits, (std::array<i32, 5>{1, 1, 0, 0, 0}));
  EXPECT_EQ(calc.CountNonZero5(suits), 2);
  CardLay lay{};
  calc.m_lays[0] = Lay("5b");
  calc.BuildChairLay(0, lay, 6);
  EXPECT_EQ(lay, Lay("5b 9999a 456b"));
}

TEST_F(FanCount, TingHintListsEveryWinningTile) {
  std::vector<TileId> tiles;
  EXPECT_EQ(Ting("1112345678999a", &tiles), 8);
  EXPECT_EQ(tiles, (std::vector<TileId>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  tiles.clear();
  EXPECT_EQ(Ting("23a 456a 789a 111b 99b", &tiles), 1);
  EXPECT_EQ(tiles, (std::vector<TileId>{0, 3, 6}));
  tiles.clear();
  EXPECT_EQ(Ting("135799a 13579b 55b", &tiles), 0);
  EXPECT_TRUE(tiles.empty());
  // A face the chair holds four times has no fifth copy to win on.
  tiles.clear();
  EXPECT_EQ(Ting("6a 7777a 8888a 9999a", &tiles), 256) << "6 makes a one-suit dragon seven pairs";
  EXPECT_EQ(tiles, (std::vector<TileId>{4, 5}));
  // The hint always tries discards: a caller's source bits change nothing.
  for (i32 flags : {1, 2, 4}) EXPECT_EQ(Ting("111a 333a 555a 777a 9a", nullptr, flags), 8) << flags;
}

}  // namespace
