// The variant's fan count: the fan tests and the total with its sixteen counters.
#include <algorithm>
#include <array>

#include "rules/FanTable.h"
#include "rules/MyCalclator.h"

namespace Lumora {

using i32 = CMJCalclator::i32;

namespace {
constexpr i32 kKindHeavenly = 0x100;
constexpr i32 kKindEarthly = 0x200;
constexpr i32 kKindAllPungs = 0x1000;
constexpr i32 kKindOneSuit = 0x2000;
constexpr i32 kKindKongFlower = 0x100000;
constexpr i32 kKindKongDiscard = 0x200000;

bool IsTerminalRank(i32 value) { return value % 10 == 1 || value % 10 == 9; }
}  // namespace

i32 CMyCalclator::CountHuFan(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags) {
  m_nKongDiscardMark = 0;
  if (!HasNoMissingSuitTiles(chair)) return 0;
  const auto& t = kFanValues;
  i32* c = detail.nFanCounters;
  bool found = false;
  i32 total = t[kFanBasic];
  c[kFanBasic] += t[kFanBasic];
  auto score = [&](int counter) {
    c[counter] += t[counter];
    total += t[counter];
    found = true;
  };

  if (m_roomType && m_roomType->IsRoomTypeBit4() == 1) {
    if (IsTianHu(chair, tile, detail, winFlags)) score(kFanHeavenly);
    if (IsDiHu(chair, tile, detail, winFlags)) score(kFanEarthly);
  }
  if ((m_nAllowedHands & WinFlag::kSevenPairs) && (detail.nKind & WinFlag::kSevenPairs)) {
    score(CountFourUnits(detail) < 1 ? kFanSevenPairs : kFanDragonSevenPairs);
  } else if (IsPengPengHu(chair, tile, detail, winFlags)) {
    score(IsJiangDui(chair, tile, detail, winFlags) ? kFanJiangPungs : kFanAllPungs);
  }
  if (IsDaiYaoJiu(chair, tile, detail, winFlags)) score(kFanTerminalsInAll);
  if (IsQingYiSe(chair, tile, detail, winFlags)) score(kFanOneSuit);
  if (IsGangShangKaiHua(chair, tile, detail, winFlags)) {
    detail.nKind |= kKindKongFlower;
    score(kFanKongFlower);
  }
  if (IsGangShangPao(chair, tile, detail, winFlags)) {
    detail.nKind |= kKindKongDiscard;
    score(kFanKongDiscard);
    if (m_nWallFlag) m_nKongDiscardMark = 1;
  }
  if (IsJinGouDiao(chair, tile, detail, winFlags)) score(kFanGoldenHook);
  if (winFlags & WinFlag::kRobbedKong) {
    detail.nKind |= WinFlag::kRobbedKong;
    score(kFanRobbedKong);
  }
  if (winFlags & WinFlag::kSelfDrawn) {
    if (IsLastTileDraw()) {
      detail.nKind |= WinFlag::kLastTile;
      score(kFanLastTile);
    } else {
      detail.nKind |= WinFlag::kSelfDrawn;
      total += t[kFanBasic];
    }
  }
  // Seven pairs with a four already pay for that four.
  const i32 fours = std::max(0, CountGen(chair, tile, detail, winFlags) - (c[kFanDragonSevenPairs] ? 1 : 0));
  const i32 g = t[kFanFours] * fours;
  c[kFanFours] += g;
  const i32 k = t[kFanKongs] * CountKongMelds(chair);
  c[kFanKongs] += k;
  total += g + k;
  if (found) c[kFanBasic] -= t[kFanBasic];
  if (total < m_nMinFan) return 0;
  return std::min(total, m_nMaxFan);
}

i32 CMyCalclator::IsQingYiSe(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags) {
  if (UnitType::IsWholeHand(detail.units[0].nType)) return 0;
  std::array<i32, 5> suits{};
  CountSuitsInHuDetail(chair, tile, detail, winFlags, 0, suits);
  CountSuitsInMelds(chair, 0, suits);
  if (CountNonZero5(suits) != 1) return 0;
  if (!suits[0] && !suits[1] && !suits[2]) return 0;
  detail.nKind |= kKindOneSuit;
  return kKindOneSuit;
}

i32 CMyCalclator::IsDiHu(i32 chair, TileId, HU_DETAIL& detail, i32) {
  if (!IsChair(chair) || chair == m_nBanker) return 0;
  if (!m_extraA[chair].empty() || !m_extraB[chair].empty()) return 0;
  for (int kind = kMeldPung; kind <= kMeldKong3; ++kind)
    if (!m_melds[kind][chair].empty()) return 0;
  const bool onDiscard = m_nDrawCount[chair] == 0 && (detail.nKind & WinFlag::kDiscard);
  const bool selfDrawn = m_nDrawCount[chair] == 1 && (detail.nKind & WinFlag::kSelfDrawn);
  if (!onDiscard && !selfDrawn) return 0;
  detail.nKind |= kKindEarthly;
  return kKindEarthly;
}

i32 CMyCalclator::IsGangShangKaiHua(i32 chair, TileId, HU_DETAIL& detail, i32) {
  if (!IsChair(chair)) return 0;
  const bool hasKong = !m_extraA[chair].empty() || CountKongMelds(chair) > 0;
  if (!hasKong || !m_nKongReplacement || (detail.nKind & WinFlag::kRobbedKong)) return 0;
  detail.nKind |= kKindKongFlower;
  return kKindKongFlower;
}

i32 CMyCalclator::IsPengPengHu(i32 chair, TileId, HU_DETAIL& detail, i32) {
  if (!IsChair(chair) || !m_melds[kMeldChow][chair].empty()) return 0;
  i32 pairs = 0;
  for (int u = 0; u < detail.ReadableUnits(); ++u) {
    const i32 type = detail.units[u].nType;
    if (type != UnitType::kPung && type != UnitType::kPair && type != UnitType::kFour) return 0;
    pairs += type == UnitType::kPair ? 1 : 0;
  }
  if (pairs > 1) return 0;
  detail.nKind |= kKindAllPungs;
  return kKindAllPungs;
}

i32 CMyCalclator::IsTianHu(i32 chair, TileId, HU_DETAIL& detail, i32) {
  if (!IsChair(chair) || chair != m_nBanker || !m_extraA[chair].empty()) return 0;
  for (int other = 0; other < kChairs; ++other) {
    if (m_nChairCounters[other] != 0 || !m_extraB[other].empty()) return 0;
    for (const auto& kind : m_melds)
      if (!kind[other].empty()) return 0;
  }
  detail.nKind |= kKindHeavenly;
  return kKindHeavenly;
}

i32 CMyCalclator::IsJiangDui(i32 chair, TileId, HU_DETAIL& detail, i32) {
  HU_DETAIL all = detail;
  if (!AddMeldUnitsToDetail(chair, all, 7)) return 0;  // more units than a record holds: no such hand
  for (int u = 0; u < all.ReadableUnits(); ++u) {
    const HU_UNIT& unit = all.units[u];
    const i32 face = unit.nValues[0];
    if (unit.nType == UnitType::kChow || face > 30 || !IsJiangIndex(face)) return 0;
  }
  return kWin;
}

i32 CMyCalclator::IsDaiYaoJiu(i32 chair, TileId, HU_DETAIL& detail, i32) {
  HU_DETAIL all = detail;
  if (!AddMeldUnitsToDetail(chair, all, 7)) return 0;
  for (int u = 0; u < all.ReadableUnits(); ++u) {
    const HU_UNIT& unit = all.units[u];
    bool ok = false;
    if (unit.nType == UnitType::kChow) {
      ok = unit.nValues[0] <= 30 &&
           std::any_of(unit.nValues, unit.nValues + 3, [](i32 v) { return v > 0 && IsTerminalRank(v); });
    } else if (unit.nType == UnitType::kPung || unit.nType == UnitType::kPair) {
      ok = unit.nValues[0] > 0 && IsTerminalRank(unit.nValues[0]);
    }
    if (!ok) return 0;
  }
  return kWin;
}

i32 CMyCalclator::IsGangShangPao(i32, TileId, HU_DETAIL&, i32 winFlags) {
  return (m_nAfterKongDiscard && (winFlags & WinFlag::kDiscard)) ? kWin : 0;
}

i32 CMyCalclator::IsJinGouDiao(i32 chair, TileId, HU_DETAIL&, i32) {
  if (!IsChair(chair)) return 0;
  const size_t melds = m_melds[kMeldPung][chair].size() + m_melds[kMeldKong2][chair].size() +
                       m_melds[kMeldKong3][chair].size();
  return melds >= 4 ? kWin : 0;
}

i32 CMyCalclator::CountGen(i32 chair, TileId tile, HU_DETAIL&, i32 winFlags) {
  CardLay lay{};
  BuildChairLay(chair, lay, 5);
  if (!(winFlags & WinFlag::kSelfDrawn) && IsTileIdValid(tile)) {
    const CardIndex index = GetCardIndex(tile, 0);
    if (IsLayIndex(index)) ++lay[index];
  }
  i32 fours = 0;
  for (CardIndex i = 0; i <= 48; ++i) fours += lay[i] >= 4 ? 1 : 0;
  return fours;
}

}  // namespace Lumora
