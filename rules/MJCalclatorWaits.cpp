// Wait kinds: in which role the winning tile completes the hand (pair, pung, middle, edge,
// two-sided), with jokers filling a missing partner where the rule flags allow it.
#include <algorithm>

#include "rules/MJCalclator.h"

using i32 = CMJCalclator::i32;

struct CMJCalclator::WaitContext {
  CardLay rest{};  // the hand without the winning tile, jokers taken out when they are wild
  i32 c1 = 0, c2 = 0;
  CardIndex ji1 = 0, ji2 = 0;
  TileId joker1 = -1, joker2 = -1;  // as handed to the pattern search
  CardIndex i = 0;                  // the winning face
  i32 flags = 0, winFlags = 0;
  bool jokers = false;
  bool selfDrawn = false;

  bool Refused(i32 ruleBit) const { return (flags & ruleBit) && !selfDrawn; }
};

namespace {
constexpr i32 kFromOtherPlayer = WinFlag::kDiscard | WinFlag::kRobbedKong;
constexpr i32 kGoOn = -1;

bool IsSuitedIndex(CardIndex i) { return i >= 1 && i <= 29 && i % 10 != 0; }

// True when low, low+1 and low+2 are three faces of one suit.
bool IsChowStart(CardIndex low) { return IsSuitedIndex(low) && low % 10 <= 7; }
}  // namespace

i32 CMJCalclator::PrepareWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 winFlags,
                              WaitContext& ctx) {
  ctx.rest = lay;
  ctx.flags = flags;
  ctx.winFlags = winFlags;
  ctx.selfDrawn = !(winFlags & kFromOtherPlayer);
  ctx.jokers = (flags & RuleFlag::kJokers) != 0;
  ctx.i = GetCardIndex(tile, flags);
  if (ctx.jokers) {
    if ((flags & RuleFlag::kStandInPlaysJoker) && ctx.i == GetJokerStandInOfCards(joker1, joker2, flags))
      ctx.i = MakeCardIndex(GetCardShape(joker1, flags), GetCardValue(joker1, flags));
    i32 unused = 0;
    ctx.c1 = PickJokersFromLay(ctx.rest, -1, joker1, joker2, unused, flags, 0, ctx.c2);
    GetJokerIndexes(joker1, joker2, flags, ctx.ji1, ctx.ji2);
    ctx.joker1 = joker1;
    ctx.joker2 = joker2;
  }
  return IsTileIdValid(tile) && IsLayIndex(ctx.i) && ctx.i > 0 ? 1 : 0;
}

i32 CMJCalclator::SearchRest(WaitContext& ctx, i32 allowed, HU_DETAIL& detail) {
  return SearchHuPatterns(ctx.rest, ctx.c1, ctx.c2, ctx.joker1, ctx.joker2, ctx.i, ctx.flags, allowed, detail,
                          ctx.winFlags);
}

i32 CMJCalclator::AddChowWithJoker(HU_DETAIL& detail, CardIndex low, i32 jokerSlot, i32 used1, i32 used2,
                                   CardIndex ji1, CardIndex ji2) {
  if (jokerSlot == 0) return AddHuUnit(detail, UnitType::kChow, low + 1, used1, used2, ji1, ji2, 0, 0);
  return AddHuUnit(detail, UnitType::kChow, low, used1, used2, ji1, ji2, jokerSlot, 0);
}

i32 CMJCalclator::TryChowWait(WaitContext& ctx, CardIndex low, i32 tilePlace, bool jokerRefused, i32 allowed,
                              HU_DETAIL& detail, i32 waitBit) {
  if (!IsChowStart(low)) return 0;
  i32 missingPlace = -1, missing = 0;
  for (i32 p = 0; p < 3; ++p) {
    if (p == tilePlace || ctx.rest[low + p] > 0) continue;
    missingPlace = p;
    ++missing;
  }
  if (missing > 1) return 0;
  if (missing == 1 && (!ctx.jokers || ctx.c1 + ctx.c2 < 1 || jokerRefused)) return 0;

  const i32 c1 = ctx.c1, c2 = ctx.c2;
  i32 s1 = 0, s2 = 0;
  if (missing) TakeJokers(s1, s2, ctx.c1, ctx.c2, 1);
  for (i32 p = 0; p < 3; ++p)
    if (p != tilePlace && p != missingPlace) --ctx.rest[low + p];
  const i32 won = SearchRest(ctx, allowed, detail);
  for (i32 p = 0; p < 3; ++p)
    if (p != tilePlace && p != missingPlace) ++ctx.rest[low + p];
  const i32 used1 = c1 - ctx.c1, used2 = c2 - ctx.c2;
  ctx.c1 = c1;
  ctx.c2 = c2;
  if (!won) return 0;
  if (missing)
    AddChowWithJoker(detail, low, missingPlace, used1, used2, ctx.ji1, ctx.ji2);
  else
    AddHuUnit(detail, UnitType::kChow, low, 0, 0, ctx.ji1, ctx.ji2, 0, 0);
  detail.nWait |= waitBit;
  return kWin;
}

i32 CMJCalclator::TryHonourChowWait(WaitContext& ctx, i32 allowed, HU_DETAIL& detail) {
  const bool wind = ctx.i >= 31 && ctx.i <= 34;
  const CardIndex first = wind ? 31 : 35, last = wind ? 34 : 37;
  auto attempt = [&](CardIndex a, CardIndex b) {  // b == 0: a joker in the third place
    const i32 c1 = ctx.c1, c2 = ctx.c2;
    i32 s1 = 0, s2 = 0;
    if (!b) TakeJokers(s1, s2, ctx.c1, ctx.c2, 1);
    --ctx.rest[a];
    if (b) --ctx.rest[b];
    const i32 won = SearchRest(ctx, allowed, detail);
    ++ctx.rest[a];
    if (b) ++ctx.rest[b];
    i32 used1 = c1 - ctx.c1, used2 = c2 - ctx.c2;
    ctx.c1 = c1;
    ctx.c2 = c2;
    if (!won) return false;
    i32 faces[3] = {ctx.i, a, b ? b : 0};
    std::sort(faces, faces + (b ? 3 : 2));
    if (!b) faces[2] = -TakeOneJoker(used1, used2, ctx.ji1, ctx.ji2);
    AddHuUnitRaw(detail, UnitType::kChow, faces[0], faces[1], faces[2], 0);
    detail.nWait |= WaitKind::kTwoSided;
    return true;
  };
  for (CardIndex a = first; a <= last; ++a)
    for (CardIndex b = a + 1; b <= last; ++b)
      if (a != ctx.i && b != ctx.i && ctx.rest[a] > 0 && ctx.rest[b] > 0 && attempt(a, b)) return kWin;
  if (!ctx.jokers || ctx.c1 + ctx.c2 < 1) return 0;
  for (CardIndex a = first; a <= last; ++a)
    if (a != ctx.i && ctx.rest[a] > 0 && attempt(a, 0)) return kWin;
  return 0;
}

// A winning tile that is itself a joker: first as its own face (jokers as tiles), then, on a
// self-drawn win, standing for whatever face the wait needs.
i32 CMJCalclator::JokerTileWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                                HU_DETAIL& detail, i32 winFlags, i32 waitKind) {
  const CardIndex i = GetCardIndex(tile, flags);
  if (flags & RuleFlag::kJokersAsTiles) {
    // Each option: the partner faces taken from the hand and the unit the joker completes.
    struct Option {
      CardIndex partners[2];
      i32 type;
      CardIndex at;
    };
    Option options[2];
    i32 count = 0;
    const i32 r = i % 10;
    const bool suited = IsSuitedIndex(i);
    switch (waitKind) {
      case WaitKind::kPair: options[count++] = {{i, 0}, UnitType::kPair, i}; break;
      case WaitKind::kPung: options[count++] = {{i, i}, UnitType::kPung, i}; break;
      case WaitKind::kMiddle:
        if (suited && r >= 2 && r <= 8) options[count++] = {{i - 1, i + 1}, UnitType::kChow, i - 1};
        break;
      case WaitKind::kEdge:
        if (suited && r == 3) options[count++] = {{i - 2, i - 1}, UnitType::kChow, i - 2};
        if (suited && r == 7) options[count++] = {{i + 1, i + 2}, UnitType::kChow, i};
        break;
      default:
        if (suited && r >= 4) options[count++] = {{i - 2, i - 1}, UnitType::kChow, i - 2};
        if (suited && r <= 6) options[count++] = {{i + 1, i + 2}, UnitType::kChow, i};
        break;
    }
    for (i32 k = 0; k < count; ++k) {
      CardLay rest = lay;
      bool present = true;
      for (CardIndex p : options[k].partners)
        if (p) present = present && rest[p]-- > 0;
      if (!present) continue;
      if (!CanHuInLay(rest, -1, joker1, joker2, flags, allowed, detail, winFlags)) continue;
      AddHuUnit(detail, options[k].type, options[k].at, 0, 0, 0, 0, 0, 0);
      detail.nWait |= waitKind;
      return kWin;
    }
  }
  if (winFlags & kFromOtherPlayer) return 0;
  switch (waitKind) {
    case WaitKind::kPair: return CanHuPairWaitCore(lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
    case WaitKind::kPung: return CanHuPungWaitCore(lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
    case WaitKind::kMiddle: return CanHuMiddleWaitCore(lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
    case WaitKind::kEdge: return CanHuEdgeWaitCore(lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
    default: return CanHuEdgeWaitJokerCore(lay, tile, joker1, joker2, flags, allowed, detail, winFlags);
  }
}

// The common start of every wait try: the whole hand must win; a joker tile goes its own way;
// otherwise the context is made ready and kGoOn returned.
i32 CMJCalclator::StartWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                            HU_DETAIL& detail, i32 winFlags, i32 waitKind, WaitContext& ctx) {
  if (!CanHuInLay(lay, tile, joker1, joker2, flags, allowed, detail, winFlags)) return 0;
  if (IsJokerCard(tile, joker1, joker2, flags))
    return JokerTileWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, waitKind);
  return PrepareWait(lay, tile, joker1, joker2, flags, winFlags, ctx) ? kGoOn : 0;
}

i32 CMJCalclator::CanHuPairWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                                HU_DETAIL& detail, i32 winFlags) {
  WaitContext ctx;
  const i32 started = StartWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WaitKind::kPair, ctx);
  if (started != kGoOn) return started;
  const CardIndex i = ctx.i;
  if (ctx.rest[i] >= 1) {
    --ctx.rest[i];
    if (!SearchRest(ctx, allowed, detail)) return 0;
    AddHuUnit(detail, UnitType::kPair, i, 0, 0, ctx.ji1, ctx.ji2, 0, 0);
  } else {
    if (!ctx.jokers || ctx.c1 + ctx.c2 < 1 || ctx.Refused(RuleFlag::kJokerPairSelfDrawnOnly)) return 0;
    if ((flags & RuleFlag::kNoJokerPairOnRobbedKong) && (winFlags & WinFlag::kRobbedKong)) return 0;
    const i32 c1 = ctx.c1, c2 = ctx.c2;
    i32 s1 = 0, s2 = 0;
    TakeJokers(s1, s2, ctx.c1, ctx.c2, 1);
    if (!SearchRest(ctx, allowed, detail)) return 0;
    AddHuUnit(detail, UnitType::kPair, i, c1 - ctx.c1, c2 - ctx.c2, ctx.ji1, ctx.ji2, 0, 0);
  }
  detail.nWait |= WaitKind::kPair;
  return kWin;
}

i32 CMJCalclator::CanHuPungWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                                HU_DETAIL& detail, i32 winFlags) {
  WaitContext ctx;
  const i32 started = StartWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WaitKind::kPung, ctx);
  if (started != kGoOn) return started;
  const CardIndex i = ctx.i;
  const i32 held = std::min(ctx.rest[i], 2);
  const i32 jokersNeeded = 2 - held;
  if (jokersNeeded > 0 && (!ctx.jokers || ctx.c1 + ctx.c2 < jokersNeeded)) return 0;
  if (jokersNeeded == 2 && ctx.Refused(RuleFlag::kTwoJokerPungSelfDrawnOnly)) return 0;
  const i32 c1 = ctx.c1, c2 = ctx.c2;
  i32 s1 = 0, s2 = 0;
  if (jokersNeeded) TakeJokers(s1, s2, ctx.c1, ctx.c2, jokersNeeded);
  ctx.rest[i] -= held;
  if (!SearchRest(ctx, allowed, detail)) return 0;
  AddHuUnit(detail, UnitType::kPung, i, c1 - ctx.c1, c2 - ctx.c2, ctx.ji1, ctx.ji2, 0, 0);
  detail.nWait |= WaitKind::kPung;
  return kWin;
}

i32 CMJCalclator::CanHuMiddleWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                  i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  WaitContext ctx;
  const i32 started = StartWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WaitKind::kMiddle, ctx);
  if (started != kGoOn) return started;
  const i32 r = ctx.i % 10;
  if (!IsSuitedIndex(ctx.i) || r == 1 || r == 9) return 0;
  return TryChowWait(ctx, ctx.i - 1, 1, ctx.Refused(RuleFlag::kJokerMiddleSelfDrawnOnly), allowed, detail,
                     WaitKind::kMiddle);
}

i32 CMJCalclator::CanHuEdgeWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                                HU_DETAIL& detail, i32 winFlags) {
  WaitContext ctx;
  const i32 started = StartWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WaitKind::kEdge, ctx);
  if (started != kGoOn) return started;
  if (!IsSuitedIndex(ctx.i)) return 0;
  const i32 shape = ctx.i / 10, r = ctx.i % 10;
  const bool low = r == 3 || IsThreeAboveJoker(shape, r, joker1, joker2, flags);
  const bool high = r == 7 || IsThreeBelowJoker(shape, r, joker1, joker2, flags);
  const bool refused = ctx.Refused(RuleFlag::kJokerEdgeSelfDrawnOnly);
  if (low && TryChowWait(ctx, ctx.i - 2, 2, refused, allowed, detail, WaitKind::kEdge)) return kWin;
  if (high && TryChowWait(ctx, ctx.i, 0, refused, allowed, detail, WaitKind::kEdge)) return kWin;
  return 0;
}

i32 CMJCalclator::CanHuEdgeWaitJoker(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                     i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  WaitContext ctx;
  const i32 started = StartWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags, WaitKind::kTwoSided, ctx);
  if (started != kGoOn) return started;
  if (IsHonourIndex(ctx.i, joker1, joker2, flags))
    return (flags & RuleFlag::kHonourChows) ? TryHonourChowWait(ctx, allowed, detail) : 0;
  if (!IsSuitedIndex(ctx.i)) return 0;
  const i32 r = ctx.i % 10;
  if (r >= 4 && TryChowWait(ctx, ctx.i - 2, 2, false, allowed, detail, WaitKind::kTwoSided)) return kWin;
  if (r <= 6 && TryChowWait(ctx, ctx.i, 0, false, allowed, detail, WaitKind::kTwoSided)) return kWin;
  return 0;
}

i32 CMJCalclator::CanHuJokerPairWait(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags,
                                     i32 allowed, HU_DETAIL& detail, i32 winFlags) {
  if (!(flags & RuleFlag::kJokers) || (winFlags & kFromOtherPlayer)) return 0;
  if (!CanHuPairWait(lay, tile, joker1, joker2, flags, allowed, detail, winFlags)) return 0;
  WaitContext ctx;
  if (!PrepareWait(lay, tile, joker1, joker2, flags, winFlags, ctx) || ctx.c1 + ctx.c2 < 1) return 0;
  const i32 c1 = ctx.c1, c2 = ctx.c2;
  i32 s1 = 0, s2 = 0;
  TakeJokers(s1, s2, ctx.c1, ctx.c2, 1);
  if (!SearchRest(ctx, allowed, detail)) return 0;
  AddHuUnit(detail, UnitType::kPair, ctx.i, c1 - ctx.c1, c2 - ctx.c2, ctx.ji1, ctx.ji2, 0, 0);
  detail.nWait |= WaitKind::kJokerPair;
  return kWin;
}
