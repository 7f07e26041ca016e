// Hand notation for the calculator's tests: digits followed by their suit letter, "123a456b55c"
// (a, b, c the three suits, z the honours 1-7, f the flowers 1-16 as single digits 1-9 only).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "rules/CardTypes.h"

namespace hands {

inline TileId TileOf(int suit, int rank, int copy = 0) {
  if (suit < 3) return suit * 36 + (rank - 1) + 9 * copy;
  if (suit == 3) return 108 + (rank - 1) + 7 * copy;
  return 135 + rank;
}

inline CardIndex IndexOf(int suit, int rank) { return suit * 10 + rank; }

inline int SuitOfLetter(char c) {
  switch (c) {
    case 'a': return 0;
    case 'b': return 1;
    case 'c': return 2;
    case 'z': return 3;
    case 'f': return 4;
    default: throw std::invalid_argument("bad suit letter");
  }
}

// The tile ids of a hand, each copy of a face a different physical tile.
inline std::vector<TileId> Tiles(const std::string& text) {
  std::vector<TileId> ids;
  std::string digits;
  int copies[5][17] = {};
  for (char c : text) {
    if (c == ' ') continue;
    if (c >= '0' && c <= '9') {
      digits += c;
      continue;
    }
    const int suit = SuitOfLetter(c);
    for (char d : digits) {
      const int rank = d - '0';
      ids.push_back(TileOf(suit, rank, copies[suit][rank]++));
    }
    digits.clear();
  }
  return ids;
}

inline CardLay Lay(const std::string& text) {
  CardLay lay{};
  for (TileId id : Tiles(text)) {
    const int index = id < 108 ? (id / 36) * 10 + id % 9 + 1 : (id < 136 ? 31 + (id - 108) % 7 : 41 + id - 136);
    ++lay[index];
  }
  return lay;
}

}  // namespace hands
