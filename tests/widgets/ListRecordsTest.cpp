// The hall's user record and the match row record read from bytes laid out independently
// (Python's struct.pack), including text fields that lack their terminating zero.
#include "widgets/GameUserRecord.h"
#include "widgets/MatchRowRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lumora::GameUserRecord;
using Lumora::MatchRowRecord;

namespace {

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// user 123456, name "张三丰", second name "ABCDEFGHIJKLMNOP" filling its 16 bytes with no zero,
// sex 1, character 7, silver -250000, level "大侠", score 1999, chair 3, look-on 1; bytes 4-19
// are 0xEE.
const char* kUserHex =
    "40e20100eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeeed5c5c8fdb7e10000000000000000000000000000"
    "0000000000000000000000004142434445464748494a4b4c4d4e4f50010000000000000007000000"
    "702ffcff00000000b4f3cfc0000000000000000000000000cf070000000000000000000000000000"
    "00000000000000000000000000000000000000000000000003000000010000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000";

// user 77, score -15, rank 2, mark -4, out 1, name "选手" x 8 filling all 32 bytes.
const char* kMatchHex =
    "4d000000f1ffffff5a5a5a5a02000000fcffffff01000000ccccccccccccccccd1a1cad6d1a1cad6"
    "d1a1cad6d1a1cad6d1a1cad6d1a1cad6d1a1cad6d1a1cad6";

} // namespace

TEST(GameUserRecordTest, FieldsAtTheirOffsets)
{
    const std::vector<uint8_t> bytes = FromHex(kUserHex);
    ASSERT_EQ(bytes.size(), 320u);
    GameUserRecord r;
    ASSERT_TRUE(r.Assign(bytes.data(), bytes.size()));
    EXPECT_EQ(r.UserId(), 123456);
    EXPECT_EQ(r.Name(), "张三丰");
    EXPECT_EQ(r.SecondName(), "ABCDEFGHIJKLMNOP");  // ends at the field, not in the sex word
    EXPECT_EQ(r.Sex(), 1);
    EXPECT_EQ(r.Character(), 7);
    EXPECT_EQ(r.Silver(), -250000);
    EXPECT_EQ(r.Level(), "大侠");
    EXPECT_EQ(r.Score(), 1999);
    EXPECT_EQ(r.Chair(), 3);
    EXPECT_EQ(r.LookOn(), 1);
}

TEST(GameUserRecordTest, WritersGiveTheSameBytesAndCutTextsToTheirFields)
{
    const std::vector<uint8_t> bytes = FromHex(kUserHex);
    GameUserRecord r;
    r.SetUserId(123456);
    for (size_t i = 4; i < 20; ++i)
        r.MutableData()[i] = 0xEE;
    r.SetName("张三丰");
    std::copy(bytes.begin() + 52, bytes.begin() + 68, r.MutableData() + 52);
    r.SetSex(1);
    r.SetCharacter(7);
    r.SetSilver(-250000);
    r.SetLevel("大侠");
    r.SetScore(1999);
    r.SetChair(3);
    r.SetLookOn(1);
    EXPECT_EQ(std::vector<uint8_t>(r.Data(), r.Data() + 320), bytes);

    // Eight two-byte characters do not fit 15 bytes: seven stay, none is split.
    r.SetLevel("一二三四五六七八");
    EXPECT_EQ(r.Level(), "一二三四五六七");
    EXPECT_EQ(r.Score(), 1999);
}

TEST(GameUserRecordTest, ShortInputIsRefusedAndLeavesAnEmptyRecord)
{
    const std::vector<uint8_t> bytes = FromHex(kUserHex);
    GameUserRecord r;
    r.SetUserId(5);
    EXPECT_FALSE(r.Assign(bytes.data(), 319));
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.Name(), "");
    EXPECT_FALSE(r.Assign(nullptr, 320));
}

TEST(MatchRowRecordTest, FieldsNameBoundAndScoreText)
{
    const std::vector<uint8_t> bytes = FromHex(kMatchHex);
    ASSERT_EQ(bytes.size(), 64u);
    MatchRowRecord r;
    ASSERT_TRUE(r.Assign(bytes.data(), bytes.size()));
    EXPECT_EQ(r.UserId(), 77u);
    EXPECT_EQ(r.Score(), -15);
    EXPECT_EQ(r.Rank(), 2);
    EXPECT_EQ(r.Out(), 1);
    EXPECT_EQ(r.Name().size(), 32u);  // no zero in the field: the name stops at its end
    EXPECT_EQ(r.ScoreText(), "-15");  // out, but marked to show the score

    r.SetI32(MatchRowRecord::OFF_MARK, 0);
    EXPECT_EQ(r.ScoreText(), "出局");
    r.SetI32(MatchRowRecord::OFF_OUT, 0);
    EXPECT_EQ(r.ScoreText(), "-15");
    EXPECT_FALSE(r.Assign(bytes.data(), 63));
    EXPECT_EQ(r.UserId(), 0u);
}
