#pragma once
// What is wrong with a record of this game's deal before it reaches the table: the deal start
// (211040), a throw (222170), a win (229800) and the result (229810). Each check answers the first fault it finds,
// or null when the record holds nothing outside this game's table: chairs 0-3, tile ids 0-107,
// counts within what a hand or the record's arrays can hold, no negative count. The dispatcher
// refuses a record with a fault before anything changes. No engine here.
#include <cstddef>
#include <cstdint>
#include <span>

namespace xueliu {

inline constexpr int kTiles = 108;
// A hand holds at most 14 concealed tiles.
inline constexpr int kMaxConcealed = 14;
// Every win takes one tile that a draw brought into play: the 55 the deal leaves on the wall and
// the banker's 14th. No chair wins more often in one hand.
inline constexpr int kMaxWins = 56;

const char* DealStartFault(std::span<const uint8_t> record);
const char* ThrowFault(std::span<const uint8_t> record);
const char* WinFault(std::span<const uint8_t> record);
const char* ResultFault(std::span<const uint8_t> record);

} // namespace xueliu
