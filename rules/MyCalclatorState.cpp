// The deal's state of this game's calculator and the helpers that read the chairs' hands and melds.
#include <algorithm>

#include "rules/MyCalclator.h"

namespace Lumora {

using i32 = CMJCalclator::i32;

CMyCalclator::CMyCalclator(const IRoomTypeQuery* roomType) : m_roomType(roomType) {
  // The member defaults already are the reset values (maximum fan 20, banker and jokers -1):
  // a calculator that is used before its first reset still counts fan.
}

CMyCalclator::~CMyCalclator() = default;

void CMyCalclator::ResetGameState() {
  m_nMaxFan = 20;
  m_nMinFan = 0;
  for (CardLay& lay : m_lays) lay.fill(0);
  std::fill(std::begin(m_nMissingSuit), std::end(m_nMissingSuit), 0);
  std::fill(std::begin(m_nDrawCount), std::end(m_nDrawCount), 0);
  std::fill(std::begin(m_nChairCounters), std::end(m_nChairCounters), 0);
  m_nAllowedHands = 0;
  std::fill(std::begin(m_nReserved), std::end(m_nReserved), 0);
  m_nBanker = -1;
  m_nJoker1 = -1;
  m_nJoker2 = -1;
  m_unitRecords.clear();
  for (auto& kind : m_melds)
    for (MeldList& list : kind) list.clear();
  // Per-deal facts of the last deal must not leak into the next one. The wall flag and the wall
  // size are table settings and stay.
  for (int chair = 0; chair < kChairs; ++chair) {
    m_extraA[chair].clear();
    m_extraB[chair].clear();
  }
  m_nKongDiscardMark = 0;
  m_nAfterKongDiscard = 0;
  m_nKongReplacement = 0;
  m_nWallCountA = 0;
  m_nWallCountB = 0;
}

i32 CMyCalclator::SetJokers(TileId joker1, TileId joker2) {
  m_nJoker1 = joker1;
  m_nJoker2 = joker2;
  return joker2;
}

void CMyCalclator::SetChairCounters(const std::array<i32, kChairs>& counters) {
  std::copy(counters.begin(), counters.end(), m_nChairCounters);
}

i32 CMyCalclator::FindUnitValue(i32 key) {
  for (const _tagCARDS_UNIT& record : m_unitRecords)
    if (record.nCards[0] == key) return record.nCards[3];
  return -999999;
}

i32 CMyCalclator::CountNonZero5(const std::array<i32, 5>& counters) {
  return static_cast<i32>(std::count_if(counters.begin(), counters.end(), [](i32 n) { return n != 0; }));
}

i32 CMyCalclator::GetSuitOfIndex(CardIndex index, i32) { return index / 10; }

i32 CMyCalclator::CountSuitsInHuDetail(i32, TileId, const HU_DETAIL& detail, i32, i32 flags,
                                       std::array<i32, 5>& counters) {
  counters.fill(0);
  for (int u = 0; u < detail.ReadableUnits(); ++u)
    for (i32 v : detail.units[u].nValues) {
      if (v <= 0) continue;
      const i32 suit = GetSuitOfIndex(v, flags);
      if (suit >= 0 && suit < 5) ++counters[suit];
    }
  return 1;
}

i32 CMyCalclator::CountSuitsInMelds(i32 chair, i32 flags, std::array<i32, 5>& counters) {
  if (!IsChair(chair)) return 1;
  for (const auto& kind : m_melds)
    for (const _tagCARDS_UNIT& meld : kind[chair]) {
      if (!IsTileIdValid(meld.nCards[0])) continue;
      const i32 suit = GetSuitOfIndex(GetCardIndex(meld.nCards[0], flags), flags);
      if (suit >= 0 && suit < 5) ++counters[suit];
    }
  return 1;
}

i32 CMyCalclator::CountFourUnits(const HU_DETAIL& detail) const {
  i32 fours = 0;
  for (int u = 0; u < detail.ReadableUnits(); ++u) fours += detail.units[u].nType == UnitType::kFour ? 1 : 0;
  return fours;
}

i32 CMyCalclator::HasNoMissingSuitTiles(i32 chair) const {
  if (!IsChair(chair)) return 0;
  const i32 suit = m_nMissingSuit[chair];
  if (suit < 0 || suit > 2) return 0;
  for (CardIndex i = 0; i <= 48; ++i)
    if (i / 10 == suit && m_lays[chair][i] != 0) return 0;
  return 1;
}

i32 CMyCalclator::CountKongMelds(i32 chair) const {
  if (!IsChair(chair)) return 0;
  return static_cast<i32>(m_melds[kMeldKong2][chair].size() + m_melds[kMeldKong3][chair].size() +
                          m_melds[kMeldKong4][chair].size());
}

void CMyCalclator::BuildChairLay(i32 chair, CardLay& layOut, i32 kinds) {
  if (!IsChair(chair)) {
    layOut.fill(0);
    return;
  }
  layOut = m_lays[chair];
  auto add = [&](TileId id) {
    if (!IsTileIdValid(id)) return;
    const CardIndex index = GetCardIndex(id, 0);
    if (IsLayIndex(index)) ++layOut[index];
  };
  if (kinds & 1)
    for (const _tagCARDS_UNIT& pung : m_melds[kMeldPung][chair])
      for (TileId id : pung.nCards) {
        if (!PungCounts(id)) break;
        add(id);
      }
  if (kinds & 2)
    for (int kind : {kMeldKong2, kMeldKong3, kMeldKong4})
      for (const _tagCARDS_UNIT& kong : m_melds[kind][chair])
        for (TileId id : kong.nCards) add(id);
  if (kinds & 4)
    for (const _tagCARDS_UNIT& chow : m_melds[kMeldChow][chair])
      for (int k = 0; k < 3; ++k) add(chow.nCards[k]);
}

i32 CMyCalclator::AddMeldUnitsToDetail(i32 chair, HU_DETAIL& detail, i32 kinds) {
  if (!IsChair(chair)) return 1;
  bool allFitted = true;
  auto index = [this](TileId id) { return IsTileIdValid(id) ? GetCardIndex(id, 0) : 0; };
  auto addThree = [&](i32 type, const _tagCARDS_UNIT& meld, bool sort) {
    i32 v[3] = {index(meld.nCards[0]), index(meld.nCards[1]), index(meld.nCards[2])};
    if (sort) SortInts(v, 3);
    allFitted = AddHuUnitRaw(detail, type, v[0], v[1], v[2], 0) && allFitted;
  };
  if (kinds & 2)
    for (int kind : {kMeldKong3, kMeldKong2, kMeldKong4})
      for (const _tagCARDS_UNIT& kong : m_melds[kind][chair]) addThree(UnitType::kPung, kong, false);
  if (kinds & 1)
    for (const _tagCARDS_UNIT& pung : m_melds[kMeldPung][chair])
      if (PungCounts(pung.nCards[0])) addThree(UnitType::kPung, pung, false);
  if (kinds & 4) {
    for (const _tagCARDS_UNIT& chow : m_melds[kMeldChow][chair]) addThree(UnitType::kChow, chow, true);
    for (int u = 0; u < detail.ReadableUnits(); ++u)
      if (detail.units[u].nType == UnitType::kChow) SortInts(detail.units[u].nValues, 3);
  }
  return allFitted ? 1 : 0;
}

void CMyCalclator::SortInts(i32* values, i32 count) {
  for (i32 a = 0; a < count; ++a)
    for (i32 b = a + 1; b < count; ++b)
      if (values[b] < values[a]) std::swap(values[a], values[b]);
}

i32 CMyCalclator::TileCountWithMelds(i32 chair, CardIndex index) {
  if (!IsChair(chair) || !IsLayIndex(index)) return 0;
  i32 count = m_lays[chair][index];
  auto countList = [&](const MeldList& list) {
    for (const _tagCARDS_UNIT& meld : list)
      for (TileId id : meld.nCards)
        if (IsTileIdValid(id) && GetCardIndex(id, 0) == index) ++count;
  };
  for (const auto& kind : m_melds) countList(kind[chair]);
  countList(m_extraA[chair]);
  countList(m_extraB[chair]);
  return count;
}

}  // namespace Lumora
