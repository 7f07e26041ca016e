#pragma once
// What a player reads at the table, listed once per layout: each seat's hand and melds, discards
// and wall (at their fullest), the seat panels with their marks, the info boards' lines and the
// slogan, the clock, the dice, the claim words and buttons, and an open board. Every placement
// (panels, claim buttons, words, boards) asks the list what it keeps clear of, by one rule
// (`Keeps`), and the tests judge each layout from the same list. Engine-free: the scene fills it
// as it lays the table out; tests read it back.
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Lumora {

enum class ReadKind : uint8_t { Hand, Discards, Wall, Panel, BoardLine, Clock, Dice, ClaimWord, ClaimButton, Board };

// How firmly a piece keeps clear of an item, weakest first: not at all; where there is room; unless
// nothing near is clear; always (a word moves anywhere rather than stand under a board).
enum class Keep : uint8_t { No, IfRoom, Firm, Always };

struct ReadItem {
    ReadKind kind;
    int seat = -1; // the table's own items have none
    Rect box;
    bool reserved = false; // a place held for what is not shown now (the whole row of claim buttons)
};

// The one rule: how firmly a piece of `piece` at `seat` keeps clear of `item`.
Keep Keeps(ReadKind piece, int seat, const ReadItem& item);

class ReadList {
public:
    void Clear() { items_.clear(); }
    // Inline: a layout adds some sixty items.
    void Add(ReadKind kind, int seat, const Rect& box, bool reserved = false) { items_.push_back({kind, seat, box, reserved}); }
    // Every item of that kind that is (or is not) reserved.
    void Remove(ReadKind kind, bool reserved);
    std::span<const ReadItem> Items() const { return items_; }
    // The boxes a piece keeps clear of at `atLeast` firmness or more.
    std::vector<Rect> ClearOf(ReadKind piece, int seat, Keep atLeast) const;

private:
    std::vector<ReadItem> items_;
};

} // namespace Lumora
