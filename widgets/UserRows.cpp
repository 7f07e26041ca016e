#include "widgets/UserRows.h"

#include "widgets/AppServices.h"

#include <algorithm>

namespace Lumora {

namespace {

int MinimumRows(const IAppServices& app) { return std::max(0, app.GetChairCount()) + 3; }

void Append(std::vector<UserRow>& rows, const GameUserRecord& record)
{
    UserRow row;
    row.record = record;
    row.rowFrame = RowFrameOf(rows.size());
    rows.push_back(row);
}

} // namespace

int CountUserRows(const IAppServices& app)
{
    int n = 0;
    for (size_t chair = 0; chair < GameUserRecord::kPlayerSlots; ++chair)
        n += app.IsPlayerInChair(int(chair)) ? 1 : 0;
    for (const GameUserRecord& r : app.GetLookOnRecords())
        n += r.UserId() != 0 ? 1 : 0;
    return std::max(n, MinimumRows(app));
}

void BuildUserRows(const IAppServices& app, std::vector<UserRow>& rows)
{
    rows.clear();
    const auto players = app.GetPlayerRecords();
    const bool showAll = !app.IsRoomOptionBit3() || app.IsLookOn();
    for (size_t chair = 0; chair < players.size(); ++chair) {
        if (!app.IsPlayerInChair(int(chair)))
            continue;
        const GameUserRecord& r = players[chair];
        if (showAll || uint32_t(r.UserId()) == app.GetUserID())
            Append(rows, r);
    }
    for (const GameUserRecord& r : app.GetLookOnRecords())
        if (r.UserId() != 0)
            Append(rows, r);
    while (rows.size() < size_t(MinimumRows(app)))
        Append(rows, GameUserRecord{});
}

} // namespace Lumora
