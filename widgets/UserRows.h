#pragma once
// The rows of the side panel's user list, rebuilt from the application's user tables: the
// players of the occupied chairs first (in rooms that hide the other players, only the own
// one unless this client looks on), then the look-on users, then empty rows up to the chair
// count + 3, with alternating backgrounds.
#include "widgets/GameUserRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Lumora {

class IAppServices;

struct UserRow {
    GameUserRecord record;
    int32_t rowFrame = 1;    // frame 1 or 2 of the row background, alternating by row number
    uint32_t rowMarked = 0;  // drawn like a hovered row; nothing sets it yet
    uint32_t hovered = 0;    // 1 while the mouse is over the row
    std::array<uint32_t, 4> reserved{};

    bool HasUser() const { return record.UserId() > 0; }
};

// The background frame of row n: (n mod 2) + 1.
inline int32_t RowFrameOf(size_t n) { return int32_t(n % 2) + 1; }

// Occupied chairs plus look-on users, but at least the chair count + 3.
int CountUserRows(const IAppServices& app);
// The rows of a refresh, replacing `rows`.
void BuildUserRows(const IAppServices& app, std::vector<UserRow>& rows);

} // namespace Lumora
