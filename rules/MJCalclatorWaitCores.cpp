// Wait kinds for a winning tile that is itself a joker drawn by the winner: the joker stands for
// the first face, in a fixed order, that completes the hand in that role.
#include <functional>

#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

namespace {
// One Core call: the rest of the hand with its jokers taken out, which joker counter the winning
// joker is, and the arguments handed on to the pattern search.
struct CoreRest {
  CMJCalclator& calc;
  CardLay rest;
  i32 c1 = 0, c2 = 0;
  CardIndex ji1 = 0, ji2 = 0;
  i32 is1 = 0, is2 = 0;
  TileId joker1, joker2;
  i32 flags, allowed, winFlags;
  HU_DETAIL& detail;

  CoreRest(CMJCalclator& c, const CardLay& lay, TileId tile, TileId j1, TileId j2, i32 f, i32 a, HU_DETAIL& d, i32 w)
      : calc(c), rest(lay), joker1(j1), joker2(j2), flags(f), allowed(a), winFlags(w), detail(d) {
    i32 unused = 0;
    c1 = calc.PickJokersFromLay(rest, -1, j1, j2, unused, f, 0, c2);
    calc.GetJokerIndexes(j1, j2, f, ji1, ji2);
    calc.MatchJokerIndexes(calc.GetCardIndex(tile, f), ji1, ji2, is1, is2);
  }

  // Takes the faces out, searches the rest and puts them back; on success `record` adds the unit
  // the joker completes and the wait bit is set.
  bool TryFaces(std::initializer_list<CardIndex> faces, i32 waitBit, const std::function<void()>& record) {
    for (CardIndex f : faces)
      if (!IsLayIndex(f) || rest[f] <= 0) return false;
    for (CardIndex f : faces) --rest[f];
    const i32 won =
        calc.SearchHuPatterns(rest, c1, c2, joker1, joker2, *faces.begin(), flags, allowed, detail, winFlags);
    for (CardIndex f : faces) ++rest[f];
    if (!won) return false;
    record();
    detail.nWait |= waitBit;
    return true;
  }

  // The chows of every suit at ranks first..last made of the faces rank and rank + gap, the joker
  // in jokerPlace.
  i32 SuitedRuns(i32 first, i32 last, i32 gap, i32 jokerPlace, i32 waitBit) {
    for (i32 suit = 0; suit < 3; ++suit)
      for (i32 rank = first; rank <= last; ++rank) {
        const CardIndex a = suit * 10 + rank;
        if (TryFaces({a, a + gap}, waitBit, [&] { Chow(a, jokerPlace); })) return kWin;
      }
    return 0;
  }

  void Chow(CardIndex at, i32 jokerPlace) {
    calc.AddHuUnit(detail, UnitType::kChow, at, is1, is2, ji1, ji2, jokerPlace, 0);
  }
};
}  // namespace

i32 CMJCalclator::CanHuPairWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                    i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CoreRest r(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  i32 held = 0;
  for (CardIndex f = 1; f < kLaySize; ++f) {
    held += r.rest[f] > 0 ? r.rest[f] : 0;
    auto record = [&] { AddHuUnit(detail, UnitType::kPair, f, r.is1, r.is2, r.ji1, r.ji2, 0, 0); };
    if (r.TryFaces({f}, WaitKind::kPair, record)) return kWin;
  }
  if (held == 0 && r.c1 + r.c2 == 1) {
    CardLay none{};
    if (!SearchHuPatterns(none, 0, 0, joker1, joker2, 0, flags, allowed, detail, winFlags)) return 0;
    AddHuUnitOfIndexes(detail, UnitType::kPair, r.is1 + r.c1, r.is2 + r.c2, r.ji1, r.ji2);
    detail.nWait |= WaitKind::kPair;
    return kWin;
  }
  return 0;
}

i32 CMJCalclator::CanHuPungWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                    i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CoreRest r(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  for (CardIndex f = 1; f < kLaySize; ++f) {
    auto record = [&] { AddHuUnit(detail, UnitType::kPung, f, r.is1, r.is2, r.ji1, r.ji2, 0, 0); };
    if (r.rest[f] >= 2 && r.TryFaces({f, f}, WaitKind::kPung, record)) return kWin;
  }
  return 0;
}

i32 CMJCalclator::CanHuMiddleWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                      i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CoreRest r(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  return r.SuitedRuns(1, 7, 2, 1, WaitKind::kMiddle);
}

i32 CMJCalclator::CanHuEdgeWaitCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                    i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CoreRest r(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  for (i32 suit = 0; suit < 3; ++suit) {
    const CardIndex one = suit * 10 + 1, eight = suit * 10 + 8;
    // With 1 and 2 held only they are tried (the joker as 3); otherwise 8 and 9 (the joker as 7).
    const bool low = r.rest[one] > 0 && r.rest[one + 1] > 0;
    const CardIndex a = low ? one : eight;
    if (r.TryFaces({a, a + 1}, WaitKind::kEdge, [&] { r.Chow(a, low ? 2 : 0); })) return kWin;
  }
  return 0;
}

i32 CMJCalclator::CanHuEdgeWaitJokerCore(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                         i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  CoreRest r(*this, lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  if (r.SuitedRuns(2, 7, 1, 2, WaitKind::kTwoSided)) return kWin;
  if (!(flags & RuleFlag::kHonourChows)) return 0;
  static constexpr CardIndex kHonourPairs[][2] = {{31, 32}, {31, 33}, {31, 34}, {32, 33}, {32, 34},
                                                  {33, 34}, {35, 36}, {35, 37}, {36, 37}};
  const CardIndex own = GetCardIndex(tile, flags);
  for (const auto& pair : kHonourPairs) {
    auto record = [&] { AddHuUnitRaw(detail, UnitType::kChow, pair[0], pair[1], -own, 0); };
    if (r.TryFaces({pair[0], pair[1]}, WaitKind::kTwoSided, record)) return kWin;
  }
  return 0;
}
