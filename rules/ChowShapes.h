// The honour chows that the splitting searches try, in their fixed order: the three-face chows,
// then two faces with a joker in the missing place. Internal to the calculator.
#pragma once

#include <cstdint>

#include "rules/CardTypes.h"

struct ChowShape {
  CardIndex faces[3];  // the faces taken from the lay (the third 0 when a joker fills a place)
  CardIndex at;        // the face the unit is recorded at
  std::int32_t jokerPlace;
  std::int32_t skipPlace;
};

inline constexpr ChowShape kHonourChows[] = {
    {{31, 32, 33}, 31, 0, 0}, {{31, 32, 34}, 31, 0, 2}, {{32, 33, 34}, 32, 0, 0}, {{31, 33, 34}, 31, 0, 1},
    {{35, 36, 37}, 35, 0, 0}, {{31, 32, 0}, 31, 2, 0},  {{31, 33, 0}, 31, 1, 0},  {{31, 34, 0}, 31, 1, 2},
    {{32, 33, 0}, 32, 2, 0},  {{32, 34, 0}, 32, 1, 0},  {{33, 34, 0}, 33, 2, 0},  {{35, 36, 0}, 35, 2, 0},
    {{35, 37, 0}, 35, 1, 0},  {{36, 37, 0}, 36, 2, 0},
};
