// The pure parts of the list widgets: the emoticon picker's pages, the combo box's recent
// entries, and the user list's rows and cells built from the application's user tables.
#include "tests/widgets/FakeAppServices.h"
#include "widgets/FacePaging.h"
#include "widgets/RecentEntries.h"
#include "widgets/UserListColumns.h"
#include "widgets/UserRows.h"

#include <gtest/gtest.h>

using namespace Lumora;
using widgettest::FakeAppServices;

TEST(FacePagingTest, PageCountHasNoEmptyLastPage)
{
    const FaceGrid grid{10, 8, 32, 2};
    EXPECT_EQ(FacePageCount(0, grid), 1);
    EXPECT_EQ(FacePageCount(25, grid), 1);
    EXPECT_EQ(FacePageCount(80, grid), 1);  // a full page is not followed by an empty one
    EXPECT_EQ(FacePageCount(81, grid), 2);
    EXPECT_EQ(FacePageCount(160, grid), 2);
    EXPECT_EQ(FacePageCount(10, FaceGrid{0, 8, 32, 2}), 0);
    EXPECT_EQ(FacePageCount(10, FaceGrid{-3, 8, 32, 2}), 0);
}

TEST(FacePagingTest, CellsAndFacesUnderPoints)
{
    const FaceGrid grid{10, 8, 32, 2};  // 36-pixel cells
    EXPECT_EQ(FaceCellAt(0, 0, grid), 0);
    EXPECT_EQ(FaceCellAt(35, 35, grid), 0);
    EXPECT_EQ(FaceCellAt(36, 0, grid), 1);
    EXPECT_EQ(FaceCellAt(0, 36, grid), 10);
    EXPECT_EQ(FaceCellAt(359, 287, grid), 79);
    EXPECT_EQ(FaceCellAt(360, 0, grid), -1);
    EXPECT_EQ(FaceCellAt(0, 288, grid), -1);
    EXPECT_EQ(FaceCellAt(-1, 5, grid), -1);

    // 25 faces: cells 25 ... 79 are empty; on the second page of 90 faces only 10 show.
    EXPECT_EQ(FaceIndexAt(0, 24, 25, grid), 24);
    EXPECT_EQ(FaceIndexAt(0, 25, 25, grid), -1);
    EXPECT_EQ(FaceIndexAt(1, 9, 90, grid), 89);
    EXPECT_EQ(FaceIndexAt(1, 10, 90, grid), -1);
    EXPECT_EQ(FaceIndexAt(0, -1, 90, grid), -1);
    EXPECT_EQ(FaceIndexAt(0, 80, 90, grid), -1);
}

TEST(FacePagingTest, PageStepsStopAtBothEnds)
{
    EXPECT_EQ(StepFacePage(0, -1, 3), 0);
    EXPECT_EQ(StepFacePage(2, 1, 3), 2);
    EXPECT_EQ(StepFacePage(1, 1, 3), 2);
    EXPECT_EQ(StepFacePage(5, -1, 3), 2);
    EXPECT_EQ(StepFacePage(0, 1, 0), 0);
}

TEST(RecentEntriesTest, SeventhEntryPushesOutTheOldestAndKeysStayTheirs)
{
    RecentEntries list;
    std::vector<uint32_t> keys;
    std::vector<const std::string*> texts;
    for (int i = 1; i <= 6; ++i) {
        const auto& e = list.Add(std::to_string(i));
        keys.push_back(e.key);
        texts.push_back(&e.text);
    }
    std::optional<RecentEntries::Entry> evicted;
    list.Add("7", &evicted);
    ASSERT_TRUE(evicted);
    EXPECT_EQ(evicted->text, "1");
    std::vector<std::string> now;
    for (const auto& e : list.Entries())
        now.push_back(e.text);
    EXPECT_EQ(now, (std::vector<std::string>{"2", "3", "4", "5", "6", "7"}));
    // A pick of the entry that left finds nothing; the others still find their own text,
    // at the same address as when they were added.
    EXPECT_EQ(list.Find(keys[0]), nullptr);
    for (int i = 1; i < 6; ++i) {
        ASSERT_NE(list.Find(keys[size_t(i)]), nullptr);
        EXPECT_EQ(list.Find(keys[size_t(i)])->text, std::to_string(i + 1));
        EXPECT_EQ(&list.Find(keys[size_t(i)])->text, texts[size_t(i)]);
    }
    EXPECT_EQ(list.Find(0), nullptr);
}

TEST(RecentEntriesTest, DuplicatesAreListedTwiceAndTheFirstLeavesFirst)
{
    RecentEntries list;
    const uint32_t first = list.Add("100").key;
    const uint32_t second = list.Add("100").key;
    EXPECT_NE(first, second);
    for (int i = 0; i < 4; ++i)
        list.Add("x");
    std::optional<RecentEntries::Entry> evicted;
    list.Add("y", &evicted);
    EXPECT_EQ(evicted->key, first);
    EXPECT_NE(list.Find(second), nullptr);
}

TEST(UserRowsTest, TwoPlayersGiveFiveEmptyRowsWithAlternatingFrames)
{
    FakeAppServices app;
    app.SeatPlayer(0, 1001, "甲");
    app.SeatPlayer(2, 1003, "丙");
    std::vector<UserRow> rows;
    BuildUserRows(app, rows);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].record.UserId(), 1001);
    EXPECT_EQ(rows[1].record.UserId(), 1003);
    for (size_t i = 2; i < 7; ++i)
        EXPECT_FALSE(rows[i].HasUser());
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(rows[i].rowFrame, int32_t(i % 2 + 1));
    EXPECT_EQ(CountUserRows(app), 7);
}

TEST(UserRowsTest, HiddenPlayersRoomShowsOnlyTheOwnPlayerUnlessLookingOn)
{
    FakeAppServices app;
    for (int c = 0; c < 4; ++c)
        app.SeatPlayer(c, 1001 + c, "p");
    for (size_t k = 0; k < 6; ++k)
        app.AddLookOn(k * 10, int32_t(2000 + k), "w", 1);
    app.roomBit3 = 1;
    std::vector<UserRow> rows;
    BuildUserRows(app, rows);
    ASSERT_EQ(rows.size(), 7u);  // own player + 6 look-on users
    EXPECT_EQ(rows[0].record.UserId(), 1001);
    EXPECT_EQ(rows[1].record.UserId(), 2000);
    EXPECT_EQ(rows[6].record.UserId(), 2005);
    EXPECT_EQ(CountUserRows(app), 10);

    app.lookOn = 1;
    BuildUserRows(app, rows);
    EXPECT_EQ(rows.size(), 10u);
}

TEST(UserListColumnsTest, CellsOfEachKind)
{
    FakeAppServices app;
    UserRow row;
    row.record = app.SeatPlayer(1, 1003, "玩家名字");
    row.record.SetScore(-20);
    row.record.SetSilver(123456);
    row.record.SetLevel("超级无敌大宗师");  // 14 bytes
    row.record.SetSecondName("第二个名字很长");
    row.record.SetSex(1);
    EXPECT_EQ(UserCellText(COLUMN_NAME, row, app).text, "玩家名字");
    EXPECT_EQ(UserCellText(COLUMN_SCORE, row, app).text, "-20");
    EXPECT_EQ(UserCellText(COLUMN_SILVER, row, app).text, "123456");
    // Whole: the list cuts a cell once, as drawn.
    EXPECT_EQ(UserCellText(COLUMN_LEVEL, row, app).text, "超级无敌大宗师");
    EXPECT_EQ(UserCellText(COLUMN_SECOND_NAME, row, app).text, "第二个名字很长");
    EXPECT_EQ(UserCellText(COLUMN_WEALTH, row, app).text, "富甲一方的大财主");
    EXPECT_EQ(UserCellText(COLUMN_SEX, row, app).text, "美女");
    row.record.SetSex(0);
    EXPECT_EQ(UserCellText(COLUMN_SEX, row, app).text, "帅哥");
    row.record.SetSex(5);
    EXPECT_EQ(UserCellText(COLUMN_SEX, row, app).text, "");
    EXPECT_FALSE(UserCellText(COLUMN_NONE, row, app).advance);
    // A player has no watched chair, and the column takes no room.
    EXPECT_FALSE(UserCellText(COLUMN_WATCHED, row, app).advance);
}

TEST(UserListColumnsTest, WatchedChairFromTheHallIsCheckedAgainstThePlayerArray)
{
    FakeAppServices app;
    app.SeatPlayer(2, 1003, "被看的人");
    UserRow row;
    row.record = app.AddLookOn(0, 2000, "旁观者", 2);
    EXPECT_EQ(UserCellText(COLUMN_WATCHED, row, app).text, "被看的人");
    for (int32_t bad : {8, 64, -1, 1 << 30, INT32_MIN}) {
        row.record.SetChair(bad);
        const CellText cell = UserCellText(COLUMN_WATCHED, row, app);
        EXPECT_EQ(cell.text, "") << bad;
        EXPECT_TRUE(cell.advance);
    }
    // A player name that fills its field without a zero is cut, not read on.
    std::fill(app.players[2].MutableData() + GameUserRecord::OFF_NAME,
              app.players[2].MutableData() + GameUserRecord::OFF_NAME + 32, uint8_t('N'));
    row.record.SetChair(2);
    EXPECT_EQ(UserCellText(COLUMN_WATCHED, row, app).text, std::string(32, 'N'));
}
