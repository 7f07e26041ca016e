#pragma once
// The detail board's lines, without the engine: the rates and the eleven lines of a player.
#include "widgets/GameUserRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace framework {

// part / (wins + losses + draws) × 100 in single precision as "%.2f%%"; `noGames` without games.
std::string FormatRate(int32_t part, int32_t wins, int32_t losses, int32_t draws, const char* noGames);

// The record's fields the board reads beyond the named ones.
struct DetailStats {
    int32_t experience, disconnections, speed, wins, losses, draws;
    static DetailStats Of(const Lumora::GameUserRecord& user);
};

// The eleven lines: silver and wealth first in a silver room, score and level first otherwise.
std::vector<std::string> DetailLines(const Lumora::GameUserRecord& user, bool silverRoom,
                                     const std::string& wealthTitle);

} // namespace framework
