#include "widgets/UserListColumns.h"

#include "widgets/AppServices.h"
#include "widgets/UserRows.h"

namespace Lumora {

CellText UserCellText(int32_t kind, const UserRow& row, const IAppServices& app)
{
    const GameUserRecord& r = row.record;
    switch (kind) {
    case COLUMN_NAME:
        return {std::string(r.Name()), true};
    case COLUMN_SCORE:
        return {std::to_string(r.Score()), true};
    case COLUMN_SILVER:
        return {std::to_string(r.Silver()), true};
    case COLUMN_LEVEL:
        return {std::string(r.Level()), true};
    case COLUMN_WEALTH: {
        std::string title;
        app.GetWealthTitle(r.Silver(), title);
        return {title, true};
    }
    case COLUMN_WATCHED: {
        if (r.LookOn() == 0)
            return {std::string(), false};
        // The chair comes from the hall's record: only a chair of the player array names one.
        const int32_t chair = r.Chair();
        const auto players = app.GetPlayerRecords();
        if (chair < 0 || size_t(chair) >= players.size())
            return {std::string(), true};
        return {std::string(players[size_t(chair)].Name()), true};
    }
    case COLUMN_SECOND_NAME:
        return {std::string(r.SecondName()), true};
    case COLUMN_SEX:
        if (r.Sex() == 1)
            return {"美女", true};
        if (r.Sex() == 0)
            return {"帅哥", true};
        return {std::string(), true};
    case COLUMN_NONE:
        return {std::string(), false};
    default:
        return {std::string(), true};
    }
}

} // namespace Lumora
