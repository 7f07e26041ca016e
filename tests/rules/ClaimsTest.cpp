#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "rules/MJCalclator.h"
#include "tests/rules/Hands.h"

namespace {

using i32 = CMJCalclator::i32;
using hands::Lay;
using hands::TileOf;
using hands::Tiles;

// The scene's 32-entry tile array: the hand, then face-down places.
std::array<TileId, 32> SceneArray(const std::string& hand, TileId filler = 200) {
  std::array<TileId, 32> a;
  a.fill(filler);
  const std::vector<TileId> ids = Tiles(hand);
  std::copy(ids.begin(), ids.end(), a.begin());
  return a;
}

TEST(Claims, PengAndExposedKongCountTheDiscardsFace) {
  CMJCalclator calc;
  const TileId discard = TileOf(1, 4, 3);
  auto two = SceneArray("44b 123a");
  std::array<TileId, 32> out;
  EXPECT_EQ(calc.CanPeng(two, discard, -1, -1, 0, out), 1);
  EXPECT_EQ(out[0], TileOf(1, 4, 0));
  EXPECT_EQ(out[1], TileOf(1, 4, 1));
  EXPECT_EQ(out[2], -1);
  EXPECT_EQ(calc.CanMnGang(two, discard, -1, -1, 0, out), 0);
  auto three = SceneArray("444b 123a");
  EXPECT_EQ(calc.CanPeng(three, discard, -1, -1, 0, out), 1);
  EXPECT_EQ(calc.CanMnGang(three, discard, -1, -1, 0, out), 2);
  EXPECT_EQ(out[2], TileOf(1, 4, 2));
  EXPECT_EQ(calc.CanPeng(three, 200, -1, -1, 0, out), 0);
}

TEST(Claims, JokerDiscardsAreClaimedOnlyAsTiles) {
  CMJCalclator calc;
  const TileId joker = TileOf(0, 5);
  const CardLay lay = Lay("5555a");
  EXPECT_EQ(calc.CanPengInLay(lay, joker + 9, joker, -1, 1), 0);
  EXPECT_EQ(calc.CanMnGangInLay(lay, joker + 9, joker, -1, 1), 0);
  EXPECT_EQ(calc.CanChiInLay(Lay("46a"), joker + 9, joker, -1, 1), 0);
  EXPECT_EQ(calc.CanPengInLay(lay, joker + 9, joker, -1, 1 | 8), 1);
  i32 index = -1;
  EXPECT_EQ(calc.FindAnGangInLay(lay, -1, joker, -1, 1, index), 0);
  EXPECT_EQ(calc.FindAnGangInLay(lay, -1, joker, -1, 1 | 8, index), 2);
  EXPECT_EQ(index, 5);
}

TEST(Claims, ConcealedKongReportsTheSmallestFace) {
  CMJCalclator calc;
  auto hand = SceneArray("9999a 2222b 5c");
  std::array<TileId, 32> out;
  EXPECT_EQ(calc.CanAnGangAny(hand, -1, -1, 0, out), 2);
  EXPECT_EQ(out[0], TileOf(0, 9, 0));
  EXPECT_EQ(out[3], TileOf(0, 9, 3));
  EXPECT_EQ(out[4], -1);
  EXPECT_EQ(calc.CanAnGangAny(SceneArray("999a"), -1, -1, 0, out), 0);
  // The four 1s of the first suit include tile id 0.
  EXPECT_EQ(calc.CanAnGangAny(SceneArray("1111a 23b"), -1, -1, 0, out), 2);
  EXPECT_EQ(out[0], 0);
}

TEST(Claims, ChowRuns) {
  CMJCalclator calc;
  auto chi = [&](const char* hand, int rank) { return calc.CanChiInLay(Lay(hand), TileOf(0, rank, 3), -1, -1, 0); };
  EXPECT_EQ(chi("23a", 1), 4);
  EXPECT_EQ(chi("29a", 1), 0);
  EXPECT_EQ(chi("78a", 9), 4);
  EXPECT_EQ(chi("13a", 2), 4);
  EXPECT_EQ(chi("34a", 2), 4);
  EXPECT_EQ(chi("9a 1b", 8), 0);
  EXPECT_EQ(chi("79a", 8), 4);
  EXPECT_EQ(chi("46a", 5), 4);
  EXPECT_EQ(chi("4a 2b", 3), 0);
  EXPECT_EQ(calc.CanChiInLay(Lay("23a"), TileOf(0, 1), -1, -1, 0x100), 0);
}

TEST(Claims, HonourChowsNeedTwoOtherFacesOfTheGroup) {
  CMJCalclator calc;
  const TileId east = TileOf(3, 1);
  EXPECT_EQ(calc.CanChiInLay(Lay("23z"), east, -1, -1, 0x20 | 0x1), 4);
  EXPECT_EQ(calc.CanChiInLay(Lay("22z"), east, -1, -1, 0x20 | 0x1), 0);
  EXPECT_EQ(calc.CanChiInLay(Lay("23z"), east, -1, -1, 0), 0);
  EXPECT_EQ(calc.CanChiInLay(Lay("56z"), TileOf(3, 7), -1, -1, 0x20 | 0x1), 4);
  EXPECT_EQ(calc.CanChiInLay(Lay("45z"), TileOf(3, 6), -1, -1, 0x20 | 0x1), 0) << "winds and dragons do not mix";
}

TEST(Claims, ChowRefusalMatrixOverTheFourJokerBits) {
  CMJCalclator calc;
  // (0x20, 0x8, 0x4, 0x1) combinations under which no chow is offered, whatever the hand.
  const int refused[] = {0x04, 0x08, 0x0C, 0x24, 0x25, 0x28, 0x2C, 0x2D};
  for (int bits = 0; bits < 16; ++bits) {
    const int flags = (bits & 8 ? 0x20 : 0) | (bits & 4 ? 0x8 : 0) | (bits & 2 ? 0x4 : 0) | (bits & 1 ? 0x1 : 0);
    const bool isRefused = std::find(std::begin(refused), std::end(refused), flags) != std::end(refused);
    // No jokers given: a plain 2-3 + 4 chow decides only on the bits.
    EXPECT_EQ(calc.CanChiInLay(Lay("23a"), TileOf(0, 4), -1, -1, flags), isRefused ? 0 : 4) << std::hex << flags;
  }
}

TEST(Claims, CanChiListsEveryPairInHandOrder) {
  CMJCalclator calc;
  const std::vector<TileId> hand = Tiles("2345a");
  std::array<TileId, 8> out;
  out.fill(99);
  EXPECT_EQ(calc.CanChi(hand, TileOf(0, 3, 1), -1, -1, 0, out), 4);
  EXPECT_EQ(out[0], hand[0]);  // (2, 4)
  EXPECT_EQ(out[1], hand[2]);
  EXPECT_EQ(out[2], hand[2]);  // (4, 5)
  EXPECT_EQ(out[3], hand[3]);
  EXPECT_EQ(out[4], 99);  // beyond the hand's length nothing is cleared
}

TEST(Claims, CanChiNeverWritesPastTheOutputCapacity) {
  CMJCalclator calc;
  // 4 x 3, 4 x 4, 4 x 6 and 2 x 7 around a discard of 5: 40 matching pairs, 80 ids.
  const std::vector<TileId> hand = Tiles("33334444666677a");
  struct Guarded {
    TileId out[32];
    TileId guard[64];
  } g;
  std::fill(std::begin(g.guard), std::end(g.guard), 12345);
  EXPECT_EQ(calc.CanChi(hand, TileOf(0, 5, 0), -1, -1, 0, std::span<TileId>(g.out, 32)), 4);
  for (TileId w : g.guard) ASSERT_EQ(w, 12345);
  for (TileId id : g.out) EXPECT_NE(id, -1);
}

TEST(Claims, FlowerReplacement) {
  CMJCalclator calc;
  const TileId flower = TileOf(4, 3);
  EXPECT_EQ(calc.CanBuHuaInLay(Lay("3f 12a"), flower, -1, -1, 0), 16);
  EXPECT_EQ(calc.CanBuHuaInLay(Lay("12a"), flower, -1, -1, 0), 0);
  EXPECT_EQ(calc.CanBuHuaInLay(Lay("3f"), TileOf(0, 3), -1, -1, 0), 0);
  std::array<TileId, 4> out{7, 7, 7, 7};
  EXPECT_EQ(calc.CanBuHua(std::vector<TileId>{flower, 0}, flower, -1, -1, 0, out), 16);
  EXPECT_EQ(out[0], -1);
  EXPECT_EQ(out[2], 7);
}

}  // namespace
