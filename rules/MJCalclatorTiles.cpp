// Tile model: conversions, face tests, lays, jokers and the wall tail.
#include <algorithm>

#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

namespace {
constexpr i32 kStandInIndex = 37;  // the seventh honour plays the jokers' own face

// A joker id that names no tile counts as no joker, so no lay is ever indexed by it.
constexpr TileId NormaliseJoker(TileId joker) { return IsTileIdValid(joker) ? joker : -1; }
}  // namespace

CMJCalclator::~CMJCalclator() = default;

bool CMJCalclator::LayCountsValid(const CardLay& lay, i32 maxCount) {
  return std::all_of(lay.begin(), lay.end(), [maxCount](i32 n) { return n >= 0 && n <= maxCount; });
}

i32 CMJCalclator::GetCardValue(TileId tile, i32 /*flags*/) {
  if (tile < 0 || tile >= kTileCount) return 0;
  if (tile < 108) return tile % 9 + 1;
  if (tile < 136) return (tile - 108) % 7 + 1;
  return tile - 135;
}

i32 CMJCalclator::GetCardShape(TileId tile, i32 /*flags*/) {
  if (tile < 0 || tile >= kTileCount) return -1;
  if (tile < 108) return tile / 36;
  return tile < 136 ? 3 : 4;
}

i32 CMJCalclator::GetShapeOfIndex(CardIndex index, i32 /*flags*/) {
  if (index >= 1 && index <= 9) return 0;
  if (index >= 11 && index <= 19) return 1;
  if (index >= 21 && index <= 29) return 2;
  if (index >= 31 && index <= 37) return 3;
  if (index >= 41 && index <= 143) return 4;
  return -1;
}

i32 CMJCalclator::CardsToLay(TileSpan tiles, CardLay& lay, i32 flags) {
  i32 counted = 0;
  for (TileId id : tiles) {
    if (!IsTileIdValid(id)) continue;  // empty places, and ids that name no tile
    const i32 index = GetCardIndex(id, flags);
    if (!IsLayIndex(index)) continue;
    ++lay[index];
    ++counted;
  }
  return counted;
}

i32 CMJCalclator::GetCardIndex(TileId tile, i32 flags) {
  return GetCardShape(tile, flags) * 10 + GetCardValue(tile, flags);
}

i32 CMJCalclator::GetCardIDOfIndex(CardIndex index, i32 flags) {
  if (index < 0) return -1;
  for (TileId id = 0; id < kTileCount; ++id)
    if (GetCardIndex(id, flags) == index) return id;
  return -1;
}

i32 CMJCalclator::GetCardIDOfIndex168(CardIndex index, i32 flags) {
  for (TileId id = 0; id < 168; ++id)
    if (GetCardIndex(id, flags) == index) return id;
  return -1;
}

i32 CMJCalclator::GetCardsOfIndex(TileSpan tiles, CardIndex index, IdsOut idsOut, i32 flags) {
  i32 n = 0;
  for (TileId id : tiles) {
    if (n >= static_cast<i32>(idsOut.size())) break;
    if (IsTileIdValid(id) && GetCardIndex(id, flags) == index) idsOut[n++] = id;
  }
  return n;
}

i32 CMJCalclator::GetSameIndexCards(TileSpan tiles, TileId tile, IdsOut idsOut, i32 flags) {
  i32 n = 0;
  for (TileId id : tiles) {
    if (n >= static_cast<i32>(idsOut.size())) break;
    if (IsTileIdValid(id) && IsSameCardIndex(id, tile, flags)) idsOut[n++] = id;
  }
  return n;
}

i32 CMJCalclator::IsDragonIndex(CardIndex index, i32 /*flags*/) { return index >= 35 && index <= 37 ? index : 0; }
i32 CMJCalclator::IsWindIndex(CardIndex index, i32 /*flags*/) { return index >= 31 && index <= 34 ? index : 0; }

i32 CMJCalclator::IsHonourIndex(CardIndex index, TileId, TileId, i32 flags) {
  return (IsWindIndex(index, flags) || IsDragonIndex(index, flags)) ? 1 : 0;
}

i32 CMJCalclator::IsFlowerIndex(CardIndex index, TileId, TileId, i32) { return index / 10 >= 4 ? 1 : 0; }

i32 CMJCalclator::IsFlowerCard(TileId tile, TileId joker1, TileId joker2, i32 flags) {
  return IsFlowerIndex(GetCardIndex(tile, flags), joker1, joker2, flags);
}

i32 CMJCalclator::IsHonourCard(TileId tile, TileId joker1, TileId joker2, i32 flags) {
  return IsHonourIndex(GetCardIndex(tile, flags), joker1, joker2, flags);
}

i32 CMJCalclator::IsWindCard(TileId tile, i32 flags) { return IsWindIndex(GetCardIndex(tile, flags), flags); }
i32 CMJCalclator::IsDragonCard(TileId tile, i32 flags) { return IsDragonIndex(GetCardIndex(tile, flags), flags); }

i32 CMJCalclator::IsJiangIndex(CardIndex index) {
  if (index < 1 || index > 29) return 0;
  const i32 rank = index % 10;
  return (rank == 2 || rank == 5 || rank == 8) ? 1 : 0;
}

i32 CMJCalclator::IsSameCardIndex(TileId a, TileId b, i32 flags) {
  return GetCardIndex(a, flags) == GetCardIndex(b, flags) ? 1 : 0;
}

i32 CMJCalclator::MakeCardIndex(i32 shape, i32 rank) { return (shape < 0 || rank < 1) ? 0 : shape * 10 + rank; }

i32 CMJCalclator::SumIfValid(i32 a, i32 b) { return (a >= 0 && b >= 0) ? a + b : 0; }

i32 CMJCalclator::SetTwoValues(i32 a, i32 b, i32& outA, i32& outB) {
  outA = a;
  outB = b;
  return 1;
}

i32 CMJCalclator::CountFlowersInLay(const CardLay& lay, TileId joker1, TileId joker2, i32 flags) {
  i32 flowers = 0;
  for (CardIndex i = 0; i < kLaySize; ++i)
    if (lay[i] > 0 && IsFlowerIndex(i, joker1, joker2, flags)) flowers += lay[i];
  return flowers;
}

// --- jokers ---

i32 CMJCalclator::IsJokerIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags) {
  joker1 = NormaliseJoker(joker1);
  joker2 = NormaliseJoker(joker2);
  if (index < 1 || !(flags & RuleFlag::kJokers) || joker1 < 0) return 0;
  if (index == GetCardIndex(joker1, flags)) return 1;
  return (joker2 >= 0 && index == GetCardIndex(joker2, flags)) ? 1 : 0;
}

i32 CMJCalclator::IsJokerCard(TileId tile, TileId joker1, TileId joker2, i32 flags) {
  if (tile < 0) return 0;
  return IsJokerIndex(GetCardIndex(tile, flags), joker1, joker2, flags);
}

i32 CMJCalclator::GetJokerIndexes(TileId joker1, TileId joker2, i32 flags, i32& index1, i32& index2) {
  i32 given = 0;
  if (IsTileIdValid(joker1)) {
    index1 = GetCardIndex(joker1, flags);
    ++given;
  }
  if (IsTileIdValid(joker2)) {
    index2 = GetCardIndex(joker2, flags);
    ++given;
  }
  return given;
}

i32 CMJCalclator::GetJokerStandInIndex(CardIndex, CardIndex, i32) { return kStandInIndex; }

i32 CMJCalclator::GetJokerStandInOfCards(TileId joker1, TileId joker2, i32 flags) {
  const i32 index1 = MakeCardIndex(GetCardShape(joker1, flags), GetCardValue(joker1, flags));
  const i32 index2 = MakeCardIndex(GetCardShape(joker2, flags), GetCardValue(joker2, flags));
  return GetJokerStandInIndex(index1, index2, flags);
}

i32 CMJCalclator::IsJokerStandInIndex(CardIndex index, TileId joker1, TileId joker2, i32 flags) {
  return index == GetJokerStandInOfCards(joker1, joker2, flags) ? index : 0;
}

i32 CMJCalclator::IsJokerStandInCard(TileId tile, TileId joker1, TileId joker2, i32 flags) {
  return IsJokerStandInIndex(GetCardIndex(tile, flags), joker1, joker2, flags);
}

i32 CMJCalclator::CountJokersInLay(const CardLay& lay, TileId joker1, TileId joker2, i32 flags, i32& count2) {
  joker1 = NormaliseJoker(joker1);
  joker2 = NormaliseJoker(joker2);
  if (!(flags & RuleFlag::kJokers) || joker1 < 0) return 0;
  if (joker2 >= 0) count2 += lay[GetCardIndex(joker2, flags)];
  return lay[GetCardIndex(joker1, flags)];
}

i32 CMJCalclator::PickJokersFromLay(CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32& indexOut, i32 flags,
                                    i32 keep, i32& count2) {
  // Joker 2 exists only beside joker 1, as every other joker operation reads it.
  joker1 = NormaliseJoker(joker1);
  joker2 = joker1 < 0 ? -1 : NormaliseJoker(joker2);
  i32 index1 = 0, index2 = 0;
  GetJokerIndexes(joker1, joker2, flags, index1, index2);

  indexOut = 0;
  const i32 shape = GetCardShape(tile, flags);
  const i32 rank = GetCardValue(tile, flags);
  if (shape >= 0 && rank != 0) {
    const i32 index = GetCardIndex(tile, flags);
    if (IsLayIndex(index)) {
      ++lay[index];
      indexOut = index;
    }
  }
  count2 = 0;
  if (!(flags & RuleFlag::kJokers)) return 0;

  const bool kept = (flags & RuleFlag::kJokersAsTiles) && keep;
  i32 taken1 = 0;
  if (!kept) {
    if (joker1 >= 0) {
      taken1 = lay[index1];
      lay[index1] = 0;
    }
    if (joker2 >= 0) {
      count2 += lay[index2];
      lay[index2] = 0;
    }
  }
  if ((flags & RuleFlag::kStandInPlaysJoker) && joker1 >= 0) {
    const i32 standIn = GetJokerStandInOfCards(joker1, joker2, flags);
    if (IsLayIndex(standIn) && standIn != index1) {
      // Jokers kept as tiles still sit at their index: the substitute joins them instead of
      // replacing them. (No rule set of this game keeps jokers.)
      lay[index1] = kept ? lay[index1] + lay[standIn] : lay[standIn];
      lay[standIn] = 0;
    }
  }
  return taken1;
}

i32 CMJCalclator::TakeJokers(i32& saved1, i32& saved2, i32& have1, i32& have2, i32 need) {
  saved1 = have1;
  saved2 = have2;
  if (need < 1) return 0;
  for (i32 taken = 0; taken < need; ++taken) {
    if (have1 <= 0 && have2 <= 0) return taken;
    if (have2 > 0 && (have1 <= 0 || have2 < have1))
      --have2;
    else
      --have1;
  }
  return need;
}

i32 CMJCalclator::TakeOneJoker(i32& have1, i32& have2, i32 id1, i32 id2) {
  if (have1 <= 0 && have2 <= 0) return 0;
  if (have2 > 0 && (have1 <= 0 || have2 < have1)) {
    --have2;
    return id2;
  }
  --have1;
  return id1;
}

i32 CMJCalclator::MatchJokerIndexes(CardIndex index, CardIndex jokerIndex1, CardIndex jokerIndex2, i32& is1,
                                    i32& is2) {
  is1 = 0;
  is2 = 0;
  if (index == jokerIndex1)
    is1 = 1;
  else if (index == jokerIndex2)
    is2 = 1;
  return is1 + is2;
}

i32 CMJCalclator::IsThreeAboveJoker(i32 shape, i32 rank, TileId joker1, TileId joker2, i32 flags) {
  if (!(flags & RuleFlag::kJokers) || (flags & RuleFlag::kStandInPlaysJoker)) return 0;
  for (TileId joker : {joker1, joker2})
    if (IsTileIdValid(joker) && shape == GetCardShape(joker, flags) && rank == GetCardValue(joker, flags) + 3) return 1;
  return 0;
}

i32 CMJCalclator::IsThreeBelowJoker(i32 shape, i32 rank, TileId joker1, TileId joker2, i32 flags) {
  if (!(flags & RuleFlag::kJokers) || (flags & RuleFlag::kStandInPlaysJoker)) return 0;
  for (TileId joker : {joker1, joker2})
    if (IsTileIdValid(joker) && shape == GetCardShape(joker, flags) && rank == GetCardValue(joker, flags) - 3) return 1;
  return 0;
}

// --- wall ---

i32 CMJCalclator::GetWallTailPos(i32 start, i32 skip, i32 wallSize, i32& step, i32& skipped) {
  skipped = 0;
  i32 pos = start - 2 + (step % 2) - 2 * (step / 2);
  if (pos < 0) pos += wallSize;
  if (pos == skip) {
    skipped = 1;
    ++step;
    ++pos;
  }
  ++step;
  // A start beyond the wall, or a skip at its last place, must still give a place on the wall.
  if (wallSize > 0) pos = ((pos % wallSize) + wallSize) % wallSize;
  return pos;
}
