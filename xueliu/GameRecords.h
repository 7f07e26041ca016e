#pragma once
// Byte layouts of the records this game keeps from the server (see docs/protocol.md): the
// deal-start record (211040), the game result (229810), the entry blocks A (210200) and B
// (210210, 210220, 201140) and the table record inside block B.
#include <cstddef>
#include <cstdint>

namespace GameRecord {
inline constexpr size_t kParamsSize = 196; // 49 words
inline constexpr size_t kStartExtraOffset = 196; // 16 bytes
inline constexpr size_t kStartExtraSize = 16;
inline constexpr size_t kTileListsOffset = 212; // four lists of 32 i32 by chair
inline constexpr size_t kTileListLength = 32;
inline constexpr size_t kTileCountsOffset = 724; // four counts
inline constexpr size_t kDealStartSize = 740;
inline constexpr size_t kChairs = 4;
static_assert(kTileListsOffset + kChairs * kTileListLength * 4 == kTileCountsOffset);
static_assert(kTileCountsOffset + kChairs * 4 == kDealStartSize);

inline constexpr size_t kResultSize = 2096;
inline constexpr size_t kResultChairBlock = 128;
inline constexpr size_t kResultSettlementCount = 536; // word 0x218
static_assert(4 + kChairs * kResultChairBlock + 16 + 4 == kResultSettlementCount);
inline constexpr size_t kResultWinCounts = 516;
inline constexpr size_t kResultLastWinTile = 540; // -1 none
inline constexpr size_t kResultHandsOffset = 560; // four final hands of 32 i32
inline constexpr size_t kResultEntriesOffset = 1072; // 64 settlement entries of 16
inline constexpr size_t kResultEntries = 64;
static_assert(kResultHandsOffset + kChairs * kTileListLength * 4 == kResultEntriesOffset);
static_assert(kResultEntriesOffset + kResultEntries * 16 == kResultSize);

inline constexpr size_t kBlockASize = 256;
inline constexpr size_t kTableRecordOffset = 740;
inline constexpr size_t kTableRecordSize = 4624;
inline constexpr size_t kPlayStateOffset = 5364;
inline constexpr size_t kPlayStateSize = 64;
inline constexpr size_t kBlockBSize = 5428;
static_assert(kTableRecordOffset + kTableRecordSize == kPlayStateOffset);
static_assert(kPlayStateOffset + kPlayStateSize == kBlockBSize);
// The play state at the end of block B: words from kPlayStateOffset.
namespace PlayState {
inline constexpr size_t kTurn = 0;          // chair to act (the thrower while claims are open)
inline constexpr size_t kMustThrow = 4;     // 1/0
inline constexpr size_t kLastThrower = 8;   // -1 none
inline constexpr size_t kMiddleTile = 12;   // the thrown tile still in the middle, -1 none
inline constexpr size_t kTilesLeft = 16;
inline constexpr size_t kNextDraw = 20;     // lowest wall position still standing
inline constexpr size_t kNextReplacement = 24; // highest wall position still standing
inline constexpr size_t kWinCounts = 28;    // four
inline constexpr size_t kMissingSuits = 44; // four, -1 none yet
inline constexpr size_t kPhase = 60;
enum Phase : int32_t { kIdle = 0, kExchange = 1, kMissingSuit = 2, kPlay = 3, kEnded = 4 };
} // namespace PlayState
// Word 13 of the game parameters: the chair holding a drawn tile.
inline constexpr size_t kDrawnTileChairWord = 13;

// Word 3 of a 201160 record names the chair that pressed start.
inline constexpr size_t kStartedChairOffset = 12;
inline constexpr uint32_t kChairStarted = 0x2;
} // namespace GameRecord
