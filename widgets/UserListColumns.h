#pragma once
// The columns of the side panel's user list: their kinds, and the text each kind shows for a
// row. Texts come from the row's record (read within their fields) and, for the watched
// player's name, from the application's player of a chair that is checked against the table.
// They come whole: the list cuts each once, to its column as drawn.
#include <cstdint>
#include <string>

namespace Lumora {

class IAppServices;
struct UserRow;

enum UserColumnKind : int32_t {
    COLUMN_NAME = 0,          // icon cell and name
    COLUMN_SCORE = 1,
    COLUMN_SILVER = 2,
    COLUMN_LEVEL = 3,
    COLUMN_WEALTH = 4,
    COLUMN_WATCHED = 5,       // for a look-on user: the player he watches
    COLUMN_NONE = 6,
    COLUMN_SECOND_NAME = 7,
    COLUMN_SEX = 8,
};

struct ListColumn {
    int32_t kind = 0;
    int32_t width = 0;
    std::string title;
    int32_t word3 = 0;  // stored, not read
    int32_t word4 = 0;
    int32_t word5 = 0;
};

struct CellText {
    std::string text;
    bool advance = true;  // whether x moves on by the column's width after the cell
};

// The text of a column of a row with a user (the name cell's icon is drawn apart).
CellText UserCellText(int32_t kind, const UserRow& row, const IAppServices& app);

} // namespace Lumora
