#pragma once
// What the result board shows of each chair, built from the game result (229810) and the
// records of the hand the scene kept as they came (the wins, 229800, and the score changes,
// 229370): a caption (name, this hand's silver or score, wins) and the detail lines (each win's
// fan labels and multiple, 刮风/下雨, 查花猪/查大叫, and every settlement entry of the chair).
// No engine here: the board draws what this returns. Every record is read through bounds
// checks; a record too short, or a chair outside the table, adds nothing.
#include "engine/text/Markup.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xueliu {

// The records of one hand, in the order they came.
struct HandRecords {
    std::vector<std::vector<uint8_t>> wins;    // 229800, 136 bytes each
    std::vector<std::vector<uint8_t>> changes; // 229370, 48 bytes each
    void Clear()
    {
        wins.clear();
        changes.clear();
    }
};

struct ResultRow {
    int chair = 0;
    int64_t total = 0; // this hand's silver (silver rooms) or score
    int wins = 0;
    std::string name; // GBK, the chair's player, as the server gave it
    std::string caption;              // GBK, plain text
    std::vector<Lumora::Markup> details; // one line of chat markup each (the names escaped)
};

// The fan labels of a win's sixteen counters ("清一色2番 " ...), GBK; kind 2 is a self-drawn win.
std::string FanLabels(const int32_t counters[16], int kind);

// One row per chair (0-3); none when the result is shorter than its layout.
std::vector<ResultRow> BuildResultRows(const uint8_t* result, size_t size, const HandRecords& hand, bool silverRoom,
                                       const std::function<std::string(int chair)>& chairName);

} // namespace xueliu
