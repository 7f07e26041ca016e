// The hall's records: the cipher against openssl and python3-cryptography, the start data built
// by the hall stand-in's own Python and applied here, the validation of the own user, and the
// bounds that refuse a record whose counts do not fit.
#include "framework/PyRun.h"
#include "framework/app/HallCipher.h"
#include "framework/app/HallState.h"
#include "net/Hex.h"

#include <gtest/gtest.h>

#include <random>

using namespace hall;
using fwtest::AsBytes;
using fwtest::AsString;

namespace {

std::string Hex(const std::vector<uint8_t>& b)
{
    std::string s;
    net::BytesToHex(b.data(), b.size(), s);
    return s;
}

std::vector<uint8_t> Random(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> b(n);
    for (auto& x : b)
        x = static_cast<uint8_t>(gen());
    return b;
}

// Start data of the default table file, built by the stand-in's record module; `extra` is Python
// that may change `t` (the table) or pass arguments to start_data.
std::vector<uint8_t> PythonStartData(const std::string& extra = "", const std::string& args = "")
{
    auto out = fwtest::RunPython("import sys, xltable, xlhall\n"
                                 "t = xltable.load()\n" +
                                 extra + "sys.stdout.buffer.write(xlhall.start_data(t" + args + "))\n");
    return out ? AsBytes(*out) : std::vector<uint8_t>{};
}

const OwnIdentity kHuman{1001, 0, 0};

} // namespace

TEST(HallCipher, AgreesWithOpensslAndPythonAndRoundsUp)
{
    EXPECT_EQ(Hex(EncryptHallData(std::vector<uint8_t>(16, 0))), "c19dc61b3eb898d9258582b612e60d57");
    for (size_t n : {16u, 272u, 320u, 532u, 2548u}) {
        auto plain = Random(n, static_cast<uint32_t>(n));
        auto cipher = EncryptHallData(plain);
        ASSERT_EQ(cipher.size(), (n + 15) / 16 * 16) << n;
        auto padded = plain;
        padded.resize(cipher.size(), 0);
        auto ossl = fwtest::RunCommand(
            {"openssl", "enc", "-aes-128-ecb", "-nopad", "-K", "3c7a19e4d2086bf15a9e07c3b4d6218f"}, AsString(padded));
        ASSERT_TRUE(ossl);
        EXPECT_EQ(AsBytes(*ossl), cipher) << n;
        auto py = fwtest::RunPython("import sys, xlhall\n"
                                    "sys.stdout.buffer.write(xlhall.encrypt(sys.stdin.buffer.read()))\n",
                                    AsString(plain));
        ASSERT_TRUE(py);
        EXPECT_EQ(AsBytes(*py), cipher) << n;
        EXPECT_EQ(DecryptHallData(cipher).value(), padded);
    }
    EXPECT_FALSE(DecryptHallData(std::vector<uint8_t>(17)));
}

TEST(StartData, TheStandInsRecordSeatsEveryPlayerAndKeepsTextsAndRoomList)
{
    // A name of the field's whole 31 bytes travels whole.
    auto data = PythonStartData("t.players[3].name = '一二三四五六七八九十一二三四五A'\n", ", texts=['甲', 'b', '', 'd']");
    ASSERT_EQ(data.size(), 2580u);
    HallState state;
    state.configTexts[9] = "old";
    ASSERT_EQ(ApplyOrdinaryStartData(state, data, kHuman), StartDataOutcome::Applied);
    EXPECT_EQ(state.room.I32(RoomRecord::kRoomId), 1);
    EXPECT_EQ(state.table.I32(TableRecord::kPlayerCount), 4);
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(state.players[chair].UserId(), 1001 + chair);
        EXPECT_EQ(state.players[chair].Chair(), chair);
    }
    EXPECT_EQ(state.players[2].Name(), "<c=255>红名");
    EXPECT_EQ(state.players[3].Name(), "一二三四五六七八九十一二三四五A");
    EXPECT_EQ(state.players[1].Silver(), 10000);
    EXPECT_EQ(state.configTexts, (std::map<int, std::string>{{0, "甲"}, {1, "b"}}));
    ASSERT_EQ(state.roomList.size(), 3u);
    EXPECT_EQ(state.roomList[2].I32(RoomListEntry::kRoomId), 3);
}

TEST(StartData, ValidationOfTheOwnUser)
{
    struct Case {
        const char* what;
        OwnIdentity own;
        std::string extra;
        StartDataOutcome expected;
    } cases[] = {
        {"own user missing", {4711, 0, 0}, "", StartDataOutcome::OwnUserMissing},
        {"chair differs", {1001, 1, 0}, "", StartDataOutcome::ChairMismatch},
        {"look-on differs", {1001, 0, 1}, "", StartDataOutcome::LookOnMismatch},
        {"no users at all", kHuman, "t.players = []\n", StartDataOutcome::OwnUserMissing},
        {"watcher found among look-on users", {2001, 0, 1},
         "t.watchers = [xltable.User(chair=0, user_id=2001, name='看客')]\n", StartDataOutcome::Applied},
    };
    for (const auto& c : cases) {
        HallState state;
        auto data = PythonStartData(c.extra);
        ASSERT_FALSE(data.empty()) << c.what;
        EXPECT_EQ(ApplyOrdinaryStartData(state, data, c.own), c.expected) << c.what;
    }
}

TEST(StartData, WaitingPlayersOfOtherChairsAreSkippedInRoomsWithBit6AndNotBit1)
{
    std::string twelve = "ps = [xlhall.user_record(p, t.number, status=12) for p in t.players]\n";
    HallState state;
    auto data = PythonStartData("t.room.options = 0x40\n" + twelve, ", players=ps");
    ASSERT_EQ(ApplyOrdinaryStartData(state, data, kHuman), StartDataOutcome::Applied);
    EXPECT_EQ(state.table.I32(TableRecord::kPlayerCount), 1);
    EXPECT_TRUE(state.players[1].IsEmpty());
    data = PythonStartData("t.room.options = 0x42\n" + twelve, ", players=ps");
    ASSERT_EQ(ApplyOrdinaryStartData(state, data, kHuman), StartDataOutcome::Applied);
    EXPECT_EQ(state.table.I32(TableRecord::kPlayerCount), 4);
}

TEST(StartData, ASecondRecordClearsDepartedUsersAndAMismatchedRoomListIsIgnored)
{
    HallState state;
    ASSERT_EQ(ApplyOrdinaryStartData(state, PythonStartData(), kHuman), StartDataOutcome::Applied);
    auto data = PythonStartData("t.players = t.players[:2]\n", ", room_list_count=3");
    // A header count different from N: the list stays.
    data[980 + 2 * 320 + 8] = 2;
    ASSERT_EQ(ApplyOrdinaryStartData(state, data, kHuman), StartDataOutcome::Applied);
    EXPECT_TRUE(state.players[3].IsEmpty());
    EXPECT_EQ(state.roomList.size(), 3u);
}

TEST(StartData, CountsBeyondTheirBoundsOrTheReceivedLengthRefuseTheWholeRecord)
{
    auto good = PythonStartData();
    auto setWord = [](std::vector<uint8_t> d, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            d[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return d;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        StartDataOutcome expected;
    } cases[] = {
        {"P > 8", setWord(good, 444 + 8, 9), StartDataOutcome::TooManyPlayers},
        {"P huge", setWord(good, 444 + 8, 0x80000000u), StartDataOutcome::TooManyPlayers},
        {"L > 64", setWord(good, 444 + 12, 65), StartDataOutcome::TooManyLookOn},
        {"N > 32", setWord(good, 328, 33), StartDataOutcome::TooManyRooms},
        {"chair 99", setWord(good, 620 + 320 + 144, 99), StartDataOutcome::BadChair},
        {"short", std::vector<uint8_t>(good.begin(), good.end() - 1), StartDataOutcome::TooShort},
        {"L beyond the bytes", setWord(good, 444 + 12, 3), StartDataOutcome::TooShort},
        {"empty", {}, StartDataOutcome::TooShort},
    };
    for (const auto& c : cases) {
        HallState state;
        state.players[5].SetUserId(77);
        EXPECT_EQ(ApplyOrdinaryStartData(state, c.data, kHuman), c.expected) << c.what;
        EXPECT_EQ(state.players[5].UserId(), 77) << c.what << ": a refused record changes nothing";
    }
}

TEST(StartData, MatchDataSeatTheOwnRecordAtChairZero)
{
    auto out = fwtest::RunPython("import sys, xltable, xlhall\nt = xltable.load()\n"
                                 "sys.stdout.buffer.write(xlhall.match_start_data(t, t.players[2], '决赛'))\n");
    ASSERT_TRUE(out);
    auto data = AsBytes(*out);
    HallState state;
    EXPECT_EQ(ApplyMatchStartData(state, std::span(data).first(2547)), StartDataOutcome::TooShort);
    ASSERT_EQ(ApplyMatchStartData(state, data), StartDataOutcome::Applied);
    EXPECT_EQ(state.players[0].UserId(), 1003);
    EXPECT_EQ(state.matchData.Text(MatchData::kRoomName, MatchData::kRoomNameSize), "决赛");
}

TEST(LookOnJoin, TakesTheFirstFreeEntryAndDropsWhenFull)
{
    HallState state;
    Lumora::GameUserRecord user;
    user.SetUserId(3001);
    std::span<const uint8_t> bytes(user.Data(), 320);
    EXPECT_EQ(AddLookOnUser(state, bytes.first(319)), nullptr);
    for (int i = 0; i < 64; ++i)
        ASSERT_NE(AddLookOnUser(state, bytes), nullptr);
    EXPECT_EQ(AddLookOnUser(state, bytes), nullptr);
    EXPECT_EQ(state.table.I32(TableRecord::kLookOnCount), 64);
}
