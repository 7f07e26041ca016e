// This game's calculator: the base calculator plus the deal's state that the table writes, the
// variant's fan count with its sixteen counters, the search for the split with the most fan, and
// the ready-hand hint with its best multiple.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/CardTypes.h"
#include "rules/MJCalclator.h"
#include "rules/RoomTypeQuery.h"

namespace Lumora {

// Meld kinds of the per-chair meld lists.
enum MeldKind : int { kMeldPung = 0, kMeldChow = 1, kMeldKong2 = 2, kMeldKong3 = 3, kMeldKong4 = 4 };
inline constexpr int kChairs = 4;
inline constexpr int kMeldKinds = 5;

class CMyCalclator : public CMJCalclator {
 public:
  using MeldList = std::vector<_tagCARDS_UNIT>;

  // The room query may be absent (no heavenly or earthly hands then); it must outlive the calculator.
  explicit CMyCalclator(const IRoomTypeQuery* roomType = nullptr);
  ~CMyCalclator() override;
  void SetRoomTypeQuery(const IRoomTypeQuery* roomType) { m_roomType = roomType; }

  // Added virtual operations, in their fixed slot order after the base's.
  virtual i32 FindUnitValue(i32 key);
  virtual i32 CountNonZero5(const std::array<i32, 5>& counters);
  virtual i32 GetSuitOfIndex(CardIndex index, i32 flags);
  virtual i32 CountSuitsInHuDetail(i32 chair, TileId tile, const HU_DETAIL& detail, i32 winFlags, i32 flags,
                                   std::array<i32, 5>& counters);
  virtual i32 CountSuitsInMelds(i32 chair, i32 flags, std::array<i32, 5>& counters);
  virtual i32 CalcBestHuFan(i32 chair, TileId tile, HU_DETAIL& detailOut, i32 winFlags);
  virtual i32 CountHuFan(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsQingYiSe(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsDiHu(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsGangShangKaiHua(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsPengPengHu(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsTianHu(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsJiangDui(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsDaiYaoJiu(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsGangShangPao(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 IsJinGouDiao(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CountGen(i32 chair, TileId tile, HU_DETAIL& detail, i32 winFlags);
  virtual i32 CanHuXueLiu(const CardLay& lay, TileId tile, TileId joker1, TileId joker2, i32 flags, i32 allowed,
                          HU_DETAIL& detail, i32 winFlags, i32 chair);
  virtual i32 SearchHuUnitsXueLiu(CardLay& lay, i32 c1, i32 c2, CardIndex jokerIndex1, CardIndex jokerIndex2,
                                  CardIndex winIndex, i32 flags, i32 allowed, HU_DETAIL& bestDetail, i32& bestFan,
                                  i32 pairTaken, i32 chair, TileId tile, HU_DETAIL& currentDetail, i32 winFlags,
                                  i32 maxFan, i32& depthCounter);
  virtual void ResetGameState();
  virtual i32 SetJokers(TileId joker1, TileId joker2);
  virtual void SetChairCounters(const std::array<i32, kChairs>& counters);

  // Non-virtual helpers.
  i32 CountFourUnits(const HU_DETAIL& detail) const;
  i32 HasNoMissingSuitTiles(i32 chair) const;
  // The multiple 2^(best fan - 1) of the best winning tile (0 when none wins); every winning
  // tile id is appended to winningTiles when given. The kong-discard mark is left as it was.
  i32 CalcTingMaxMultiple(i32 chair, HU_DETAIL& detailOut, std::vector<TileId>* winningTiles, i32 winFlags);
  // kinds: 1 pungs (those whose tiles carry unit records 10 or 30), 2 the three kong kinds, 4 chows.
  void BuildChairLay(i32 chair, CardLay& layOut, i32 kinds);
  // Appends the chair's melds as units; 1 when all fitted, 0 when the record was full.
  i32 AddMeldUnitsToDetail(i32 chair, HU_DETAIL& detail, i32 kinds);
  static void SortInts(i32* values, i32 count);

  // --- The deal's state, written by the table as the game goes on. ---
  //
  // Contract for the table layer:
  //  * Fill only the five meld-kind lists m_melds[kind][chair]: pungs in kMeldPung, chows in
  //    kMeldChow, kongs in one of kMeldKong2/3/4. Leave the extra lists A and B empty.
  //  * Give every tile id of every pung a unit record {key = tile id, value (fourth word) = 10}
  //    in m_unitRecords. Pungs without such records are invisible to the fours count and to the
  //    all-2/5/8 and terminal fans.
  //  * m_lays[chair] is the concealed hand, including a tile just drawn.
  //  * After CalcBestHuFan for the real win, m_nKongDiscardMark describes that win; the same
  //    fact is in the detail's kind bit 0x200000 when the wall flag is set.
  i32 m_nWallFlag = 0;
  i32 m_nWallCountA = 0;
  i32 m_nWallCountB = 0;
  i32 m_nWallSize = 108;
  i32 m_nKongDiscardMark = 0;
  i32 m_nAfterKongDiscard = 0;
  i32 m_nKongReplacement = 0;
  MeldList m_extraA[kChairs];
  MeldList m_extraB[kChairs];
  i32 m_nMinFan = 0;
  i32 m_nMaxFan = 20;
  CardLay m_lays[8]{};
  i32 m_nMissingSuit[kChairs]{};
  i32 m_nBanker = -1;
  i32 m_nDrawCount[kChairs]{};
  i32 m_nJoker1 = -1;
  i32 m_nJoker2 = -1;
  i32 m_nChairCounters[kChairs]{};
  i32 m_nAllowedHands = 0;
  i32 m_nReserved[3]{};
  std::vector<_tagCARDS_UNIT> m_unitRecords;
  MeldList m_melds[kMeldKinds][kChairs];

 private:
  static bool IsChair(i32 chair) { return chair >= 0 && chair < kChairs; }
  bool IsLastTileDraw() const { return m_nWallFlag && m_nWallCountA + m_nWallCountB >= m_nWallSize; }
  bool PungCounts(TileId tile) {
    const i32 value = FindUnitValue(tile);
    return value == 10 || value == 30;
  }
  i32 CountKongMelds(i32 chair) const;
  i32 TileCountWithMelds(i32 chair, CardIndex index);
  i32 SearchXueLiuChows(CardLay& lay, CardIndex i, i32 c1, i32 c2, CardIndex ji1, CardIndex ji2, CardIndex winIndex,
                        i32 flags, i32 allowed, HU_DETAIL& best, i32& bestFan, i32 pairTaken, i32 chair, TileId tile,
                        HU_DETAIL& current, i32 winFlags, i32 maxFan, i32& depth);

  const IRoomTypeQuery* m_roomType = nullptr;
};

}  // namespace Lumora
