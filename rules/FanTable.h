// The variant's fan table: the value of each of the sixteen fan counters of a hu detail and the
// label the result board shows for it (GBK bytes in the binary).
#pragma once

#include <array>
#include <cstdint>

namespace Lumora {

enum FanCounter : int {
  kFanBasic = 0,
  kFanSevenPairs = 1,
  kFanDragonSevenPairs = 2,
  kFanAllPungs = 3,
  kFanOneSuit = 4,
  kFanTerminalsInAll = 5,
  kFanJiangPungs = 6,
  kFanFours = 7,
  kFanKongFlower = 8,
  kFanKongDiscard = 9,
  kFanRobbedKong = 10,
  kFanHeavenly = 11,
  kFanEarthly = 12,
  kFanKongs = 13,
  kFanGoldenHook = 14,
  kFanLastTile = 15,
};

inline constexpr std::array<std::int32_t, 16> kFanValues = {1, 2, 4, 1, 2, 2, 3, 1, 1, 1, 1, 5, 5, 1, 1, 2};

// Printf formats: every label but the basic hand takes the fan value; the fours label takes the
// number of fours first. The kongs counter has no label of its own.
inline constexpr std::array<const char*, 16> kFanLabels = {
    "屁胡0番",      "七对%d番 ",   "龙七对%d番 ", "碰碰胡%d番 ", "清一色%d番 ",   "带幺九%d番 ",
    "将对%d番 ",    "%d根%d番 ",   "杠上开花%d番 ", "杠上炮%d番 ", "抢杠%d番 ",     "天胡%d番 ",
    "地胡%d番 ",    "",            "金钩钓%d番",  "海底捞月%d番 ",
};

// A self-drawn win not on the last tile: one fan more, shown without a counter.
inline constexpr const char* kSelfDrawnLabel = "自摸1番 ";

}  // namespace Lumora
