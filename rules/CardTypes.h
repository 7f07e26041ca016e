// Tile numbering, lays and the records shared by the hand calculator and its callers.
// The records keep fixed 32-bit layouts: the scene and the result boards read them word by word.
#pragma once

#include <array>
#include <cstdint>

// A tile id names one of the 152 physical tiles: 0-107 the three suits (rank = id % 9 + 1),
// 108-135 the honours, 136-151 the flowers. Negative ids (as a rule -1) are empty places; ids of
// 152 and more name nothing and are treated as empty places as well.
using TileId = std::int32_t;

// A card index names a face: shape * 10 + rank (1-9, 11-19, 21-29 suits; 31-37 honours;
// 41-56 flowers). Index 0 names no face.
using CardIndex = std::int32_t;

inline constexpr int kTileCount = 152;
inline constexpr int kLaySize = 64;

// Count of tiles per card index: the form in which every hand test takes a hand.
using CardLay = std::array<std::int32_t, kLaySize>;

// What every win test and search returns on success (0 otherwise).
inline constexpr std::int32_t kWin = 8;

inline constexpr bool IsTileIdValid(TileId id) { return id >= 0 && id < kTileCount; }
inline constexpr bool IsLayIndex(CardIndex index) { return index >= 0 && index < kLaySize; }

// Rule-flag bits (the word from the game's start data).
namespace RuleFlag {
inline constexpr std::int32_t kJokers = 0x1;
inline constexpr std::int32_t kStandInPlaysJoker = 0x4;
inline constexpr std::int32_t kJokersAsTiles = 0x8;
inline constexpr std::int32_t kHonourChows = 0x20;
inline constexpr std::int32_t kNoChows = 0x100;
inline constexpr std::int32_t kNoWinOnDiscard = 0x200;
inline constexpr std::int32_t kNoWinOnRobbedKong = 0x400;
inline constexpr std::int32_t kNoJokerPairOnRobbedKong = 0x4000;
inline constexpr std::int32_t kNoJokerForSevenHonours = 0x400000;
inline constexpr std::int32_t kJokerPairSelfDrawnOnly = 0x1000000;
inline constexpr std::int32_t kTwoJokerPungSelfDrawnOnly = 0x2000000;
inline constexpr std::int32_t kJokerMiddleSelfDrawnOnly = 0x4000000;
inline constexpr std::int32_t kJokerEdgeSelfDrawnOnly = 0x8000000;
}  // namespace RuleFlag

// Win-flag bits: how the winning tile comes, and which special hand a search is limited to.
// The special-hand bits double as the allowed-hands word and as kind-word bits.
namespace WinFlag {
inline constexpr std::int32_t kDiscard = 1;
inline constexpr std::int32_t kSelfDrawn = 2;
inline constexpr std::int32_t kRobbedKong = 4;
inline constexpr std::int32_t kSevenPairs = 16;
inline constexpr std::int32_t kThirteenUnrelated = 32;
inline constexpr std::int32_t kSevenHonours = 64;
inline constexpr std::int32_t kAllHonours = 128;
inline constexpr std::int32_t kAllJiang = 0x1000000;
inline constexpr std::int32_t kLastTile = 0x400000;
}  // namespace WinFlag

// Wait-kind bits of the hu detail's wait word.
namespace WaitKind {
inline constexpr std::int32_t kJokerPair = 0x1;
inline constexpr std::int32_t kPair = 0x10;
inline constexpr std::int32_t kPung = 0x20;
inline constexpr std::int32_t kMiddle = 0x40;
inline constexpr std::int32_t kEdge = 0x80;
inline constexpr std::int32_t kTwoSided = 0x100;
}  // namespace WaitKind

// Hand-unit types.
namespace UnitType {
inline constexpr std::int32_t kChow = 1;
inline constexpr std::int32_t kPung = 2;
inline constexpr std::int32_t kPair = 4;
inline constexpr std::int32_t kFour = 8;
inline constexpr std::int32_t kThirteenUnrelated = 32;
inline constexpr std::int32_t kSevenHonours = 64;
inline constexpr std::int32_t kAllHonours = 128;
inline constexpr std::int32_t kAllJiang = 256;
inline constexpr bool IsWholeHand(std::int32_t type) {
  return type == kThirteenUnrelated || type == kSevenHonours || type == kAllHonours || type == kAllJiang;
}
}  // namespace UnitType

// One hand unit of a split: type, four card-index values (a joker's place holds the negated index
// of that joker's face), and two words the calculator clears and never writes.
struct HU_UNIT {
  std::int32_t nType;
  std::int32_t nValues[4];
  std::int32_t nReserved[2];
};
static_assert(sizeof(HU_UNIT) == 28);

inline constexpr int kMaxHuUnits = 8;
inline constexpr int kFanCounterCount = 16;

// The record every win test fills. Cleared whole before every search.
struct HU_DETAIL {
  std::int32_t nKind;       // special-hand, win-source and fan bits
  std::int32_t nWait;       // wait-kind bits
  std::int32_t nMerged[2];  // ORed with the kind and wait words when two details are merged
  std::int32_t nFanCounters[kFanCounterCount];
  std::int32_t nReserved[112];
  std::int32_t nUnitCount;  // 0-8
  HU_UNIT units[kMaxHuUnits];
  std::int32_t nTail[4];

  // The number of units that may be read, whatever the count word holds.
  int ReadableUnits() const { return nUnitCount < 0 ? 0 : (nUnitCount > kMaxHuUnits ? kMaxHuUnits : nUnitCount); }
};
static_assert(sizeof(HU_DETAIL) == 193 * 4);

// Seven 32-bit words. In a meld list: the tile ids of the meld (-1 in an empty place; three for
// pungs and chows, four for kongs) and three words of the scene. In the unit records: a key in
// the first word and a value in the fourth.
struct _tagCARDS_UNIT {
  std::int32_t nCards[4];
  std::int32_t nSceneWords[3];
};
static_assert(sizeof(_tagCARDS_UNIT) == 28);
