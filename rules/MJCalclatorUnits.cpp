// Hand decomposition: the depth-first split into sets and one pair, and the hu-detail units.
#include <cstdlib>

#include "rules/ChowShapes.h"
#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

namespace {
constexpr i32 kMaxDepth = 1000;
constexpr i32 kLayCountLimit = 1 << 20;  // only negative counts are refused here

// Appends a unit slot, or nullptr when the record is full (its count word is then left as is).
HU_UNIT* NewUnit(HU_DETAIL& detail) {
  if (detail.nUnitCount < 0 || detail.nUnitCount >= kMaxHuUnits) return nullptr;
  HU_UNIT& unit = detail.units[detail.nUnitCount++];
  unit = HU_UNIT{};
  return &unit;
}
}  // namespace

i32 CMJCalclator::AddHuUnitRaw(HU_DETAIL& detail, i32 type, i32 v1, i32 v2, i32 v3, i32 v4) {
  HU_UNIT* unit = NewUnit(detail);
  if (!unit) return 0;
  unit->nType = type;
  unit->nValues[0] = v1;
  unit->nValues[1] = v2;
  unit->nValues[2] = v3;
  unit->nValues[3] = v4;
  return 1;
}

i32 CMJCalclator::AddHuUnit(HU_DETAIL& detail, i32 type, CardIndex i, i32 used1, i32 used2, CardIndex jokerIndex1,
                            CardIndex jokerIndex2, i32 jokerPlace, i32 skipPlace) {
  HU_UNIT* unit = NewUnit(detail);
  if (!unit) return detail.nUnitCount;
  const i32 n = used1 + used2;
  auto joker = [&]() { return -TakeOneJoker(used1, used2, jokerIndex1, jokerIndex2); };
  i32* v = unit->nValues;
  unit->nType = type;
  if (type == UnitType::kFour && (n == 0 || n == 1)) {
    v[0] = v[1] = v[2] = i;
    v[3] = n == 0 ? i : joker();
  } else if (type == UnitType::kPung && n >= 0 && n <= 2) {
    v[0] = i;
    v[1] = n == 2 ? joker() : i;
    v[2] = n == 0 ? i : joker();
  } else if (type == UnitType::kPair && n >= 0 && n <= 2) {
    v[0] = n == 2 ? joker() : i;
    v[1] = n == 0 ? i : joker();
  } else if (type == UnitType::kChow && n == 0) {
    v[0] = i;
    v[1] = skipPlace == 1 ? i + 2 : i + 1;
    v[2] = skipPlace == 0 ? i + 2 : i + 3;
  } else if (type == UnitType::kChow && n == 1) {
    if (jokerPlace == 2) {
      v[0] = i;
      v[1] = skipPlace == 1 ? joker() : i + 1;
      v[2] = skipPlace == 1 ? i + 3 : joker();
    } else if (jokerPlace == 1) {
      v[0] = i;
      v[1] = joker();
      v[2] = skipPlace == 2 ? i + 3 : i + 2;
    } else if (jokerPlace == 0) {
      v[0] = joker();
      v[1] = i;
      v[2] = i + 1;
    }
  }
  return detail.nUnitCount;
}

i32 CMJCalclator::AddHuUnitOfIndexes(HU_DETAIL& detail, i32 type, i32 used1, i32 used2, CardIndex jokerIndex1,
                                     CardIndex jokerIndex2) {
  HU_UNIT* unit = NewUnit(detail);
  if (!unit) return detail.nUnitCount;
  unit->nType = type;
  const i32 places = type == UnitType::kPair ? 2 : (type == UnitType::kPung ? 3 : 0);
  for (i32 p = 0; p < places; ++p) unit->nValues[p] = -TakeOneJoker(used1, used2, jokerIndex1, jokerIndex2);
  return detail.nUnitCount;
}

i32 CMJCalclator::SearchHuUnits(CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex winIndex,
                                i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken, i32 depth) {
  if (depth > kMaxDepth) return 0;
  if (depth == 0 && !LayCountsValid(lay, kLayCountLimit)) return 0;  // a negative count is no hand
  ++depth;
  i32 s1 = 0, s2 = 0;
  auto recurse = [&](i32 h1, i32 h2, i32 pair) {
    return SearchHuUnits(lay, h1, h2, ji1, ji2, winIndex, flags, allowed, detail, pair, depth);
  };

  CardIndex i = 1;
  while (i < kLaySize && lay[i] <= 0) ++i;
  if (i >= kLaySize) {
    if (c1 + c2 <= 0) return kWin;
    if (c1 + c2 >= 3) {
      i32 h1 = c1, h2 = c2;
      TakeJokers(s1, s2, h1, h2, 3);
      if (recurse(h1, h2, pairTaken)) {
        AddHuUnitOfIndexes(detail, UnitType::kPung, c1 - h1, c2 - h2, ji1, ji2);
        return kWin;
      }
    }
    if (pairTaken || c1 + c2 < 2) return 0;
    i32 h1 = c1, h2 = c2;
    TakeJokers(s1, s2, h1, h2, 2);
    if (recurse(h1, h2, 1)) {
      AddHuUnitOfIndexes(detail, UnitType::kPair, c1 - h1, c2 - h2, ji1, ji2);
      return kWin;
    }
    return 0;
  }

  // Tries one unit made of `tiles` tiles of face i and `jokers` jokers.
  auto trySame = [&](i32 type, i32 tiles, i32 jokers, i32 pair) {
    if (lay[i] < tiles || c1 + c2 < jokers) return false;
    i32 h1 = c1, h2 = c2;
    if (jokers) TakeJokers(s1, s2, h1, h2, jokers);
    lay[i] -= tiles;
    const bool won = recurse(h1, h2, pair);
    lay[i] += tiles;
    if (won) AddHuUnit(detail, type, i, c1 - h1, c2 - h2, ji1, ji2, 0, 0);
    return won;
  };

  // A four of one face is no set of a standard split: four identical concealed tiles can only
  // be two pairs of seven pairs, which that test finds on its own.
  if (trySame(UnitType::kPung, 3, 0, pairTaken)) return kWin;
  if (trySame(UnitType::kPung, 2, 1, pairTaken)) return kWin;
  if (trySame(UnitType::kPung, 1, 2, pairTaken)) return kWin;
  if (!pairTaken) {
    if (trySame(UnitType::kPair, 2, 0, 1)) return kWin;
    if (trySame(UnitType::kPair, 1, 1, 1)) return kWin;
  }
  if (i > 29) return SearchHonourChows(lay, c1, c2, ji1, ji2, winIndex, flags, allowed, detail, pairTaken, depth);
  return SearchSuitChows(lay, i, c1, c2, ji1, ji2, winIndex, flags, allowed, detail, pairTaken, depth);
}


i32 CMJCalclator::SearchHonourChows(CardLay& lay, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex winIndex,
                                    i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken, i32 depth) {
  if (!(flags & RuleFlag::kHonourChows)) return 0;
  for (const ChowShape& chow : kHonourChows) {
    const i32 count = chow.faces[2] ? 3 : 2;
    bool present = true;
    for (i32 k = 0; k < count; ++k) present = present && lay[chow.faces[k]] > 0;
    if (!present || (count == 2 && c1 + c2 < 1)) continue;
    i32 h1 = c1, h2 = c2, s1 = 0, s2 = 0;
    if (count == 2) TakeJokers(s1, s2, h1, h2, 1);
    for (i32 k = 0; k < count; ++k) --lay[chow.faces[k]];
    const i32 won = SearchHuUnits(lay, h1, h2, ji1, ji2, winIndex, flags, allowed, detail, pairTaken, depth);
    for (i32 k = 0; k < count; ++k) ++lay[chow.faces[k]];
    if (won) {
      AddHuUnit(detail, UnitType::kChow, chow.at, c1 - h1, c2 - h2, ji1, ji2, chow.jokerPlace, chow.skipPlace);
      return kWin;
    }
  }
  return 0;
}

i32 CMJCalclator::SearchSuitChows(CardLay& lay, CardIndex i, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2,
                                  CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& detail, i32 pairTaken,
                                  i32 depth) {
  const i32 r = i % 10;
  // Tries the chow at i with the faces i + a and i + b taken from the lay (b < 0: a joker).
  auto tryChow = [&](i32 a, i32 b, i32 jokerPlace) {
    const bool joker = b < 0;
    if (lay[i + a] <= 0 || (!joker && lay[i + b] <= 0) || (joker && c1 + c2 < 1)) return false;
    i32 h1 = c1, h2 = c2, s1 = 0, s2 = 0;
    if (joker) TakeJokers(s1, s2, h1, h2, 1);
    --lay[i];
    --lay[i + a];
    if (!joker) --lay[i + b];
    const i32 won = SearchHuUnits(lay, h1, h2, ji1, ji2, winIndex, flags, allowed, detail, pairTaken, depth);
    ++lay[i];
    ++lay[i + a];
    if (!joker) ++lay[i + b];
    if (won) AddHuUnit(detail, UnitType::kChow, i, c1 - h1, c2 - h2, ji1, ji2, jokerPlace, 0);
    return won != 0;
  };
  if (r != 8 && r != 9 && tryChow(1, 2, 0)) return kWin;
  if (r != 9 && tryChow(1, -1, 2)) return kWin;
  if (r != 8 && r != 9 && tryChow(2, -1, 1)) return kWin;
  return 0;
}

i32 CMJCalclator::IsValidCardsUnit(const HU_UNIT& unit, TileId joker1, TileId joker2, i32 flags) {
  const i32 a = std::abs(unit.nValues[0]), b = std::abs(unit.nValues[1]);
  const i32 c = std::abs(unit.nValues[2]), d = std::abs(unit.nValues[3]);
  switch (unit.nType) {
    case UnitType::kChow: {
      if (!IsLayIndex(a) || !IsLayIndex(b) || !IsLayIndex(c)) return 0;
      CardLay lay{};
      ++lay[a];
      ++lay[b];
      ++lay[c];
      return CanChiIndexInLay(lay, a, joker1, joker2, flags) ? 1 : 0;
    }
    case UnitType::kPair: return a == b ? 1 : 0;
    case UnitType::kPung: return (a == b && b == c) ? 1 : 0;
    case UnitType::kFour: return (a == b && b == c && c == d) ? 1 : 0;
    default: return 0;
  }
}

i32 CMJCalclator::IsValidHuDetail(const HU_DETAIL& detail, TileId joker1, TileId joker2, i32 flags) {
  const int units = detail.ReadableUnits();
  if (units == 0) return 0;
  i32 tested = 0;
  for (int u = 0; u < units; ++u) {
    const HU_UNIT& unit = detail.units[u];
    bool hasJoker = false;
    for (i32 v : unit.nValues) hasJoker = hasJoker || v < 0;
    if (!hasJoker) continue;
    if (!IsValidCardsUnit(unit, joker1, joker2, flags)) return 0;
    ++tested;
  }
  return tested;
}
