#include "net/NetUtils.h"

#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

namespace {

TEST(NetUtils, OsVersionIsModernWorkstation)
{
    uint32_t flags = 0;
    ASSERT_TRUE(net::GetOsVersionFlags(flags));
    EXPECT_GE(flags, 16u);
    EXPECT_TRUE(flags & net::kOsWorkstation);
}

TEST(NetUtils, RandomIdOnlyWhenEmpty)
{
    char id[32];
    std::memset(id, 'X', sizeof id);
    id[0] = '\0';
    ASSERT_TRUE(net::FillRandomIdIfEmpty(id));
    EXPECT_EQ(std::strlen(id), 30u);
    EXPECT_EQ(std::string(id).find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(id[31], 'X'); // nothing written past the 31 bytes
    const std::string before = id;
    EXPECT_FALSE(net::FillRandomIdIfEmpty(id));
    EXPECT_EQ(before, id);
    char other[31] = {};
    ASSERT_TRUE(net::FillRandomIdIfEmpty(other));
    EXPECT_NE(before, other);
}

TEST(NetUtils, EthernetAddressesAtMostFour)
{
    uint8_t out[128];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(net::CopyEthernetAddresses(std::nullopt, out), -1);
    EXPECT_EQ(net::CopyEthernetAddresses(std::vector<platform::HardwareAddress>{}, out), 0);
    EXPECT_EQ(out[0], 0xEE);
    std::vector<platform::HardwareAddress> six;
    for (uint8_t i = 0; i < 6; ++i)
        six.push_back({i, 1, 2, 3, 4, 5});
    EXPECT_EQ(net::CopyEthernetAddresses(six, out), 4);
    EXPECT_EQ(out[18], 3);
    EXPECT_EQ(out[24], 0xEE);
    // The machine's own list: whatever it holds, never more than four.
    const int count = net::GetEthernetMacAddresses(out);
    EXPECT_GE(count, 0);
    EXPECT_LE(count, 4);
}

TEST(NetUtils, CopyTextAlwaysTerminatesAndZeroFills)
{
    char field[8];
    std::memset(field, 'X', sizeof field);
    net::CopyText(field, "abc", 8);
    EXPECT_EQ(std::string(field), "abc");
    EXPECT_EQ(field[7], '\0');
    net::CopyText(field, "abcdefghijk", 8);
    EXPECT_EQ(std::string(field), "abcdefg");
    // A two-byte character is not cut in half: "ab" + 3 GBK pairs into 6 bytes.
    net::CopyText(field, "ab清一色", 6);
    EXPECT_EQ(std::strlen(field), 4u);
    // The source is never read past the limit (no terminator within it here).
    const char unterminated[4] = {'w', 'x', 'y', 'z'};
    net::CopyText(field, unterminated, 4);
    EXPECT_EQ(std::string(field), "wxy");
    net::CopyText(field, "whole", net::kCopyUnbounded);
    EXPECT_EQ(std::string(field), "whole");
    net::CopyText(nullptr, "a", 4);
    net::CopyText(field, nullptr, 4);
    EXPECT_EQ(std::string(field), "whole");
}

TEST(NetUtils, PathPartsAndExistence)
{
    const std::string p = "C:\\games\\xueliu\\game.exe";
    EXPECT_EQ(net::SplitPathParts(p, 3), "C:\\games\\xueliu\\");
    EXPECT_EQ(net::SplitPathParts(p, net::kPathName | net::kPathExtension), "game.exe");
    EXPECT_EQ(net::SplitPathParts(p, net::kPathName), "game");
    EXPECT_EQ(net::SplitPathParts("/opt/x/run.sh", 2 | 4), "/opt/x/run");
    EXPECT_EQ(net::SplitPathParts("name", 1 | 2 | 8), "");
    EXPECT_EQ(net::SplitPathParts("C:\\運\\錦.txt", net::kPathName), "錦"); // trail bytes are 0x5C
    const std::string dir = std::filesystem::temp_directory_path().string();
    EXPECT_TRUE(net::PathExists(dir, true));
    EXPECT_FALSE(net::PathExists(dir, false));
    EXPECT_FALSE(net::PathExists(dir + "/no-such-file-xl", false));
    EXPECT_EQ(net::GetModuleFolder(), platform::ProgramFolder());
    EXPECT_EQ(net::AnsiToUtf8("清一色"), reinterpret_cast<const char*>(u8"清一色"));
}

TEST(NetUtils, RandomInRangeIsUniformAndSafeAtTheEdges)
{
    EXPECT_EQ(net::RandomInRange(5, 5), 5);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i) {
        const int v = net::RandomInRange(3, 1); // reversed bounds are accepted
        EXPECT_GE(v, 1);
        EXPECT_LE(v, 3);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 3u);
    // Full range: no division by zero, and not the same value every call.
    std::set<int> wide;
    for (int i = 0; i < 8; ++i)
        wide.insert(net::RandomInRange(INT32_MIN, INT32_MAX));
    EXPECT_GT(wide.size(), 1u);
}

TEST(NetUtils, IntegerArrays)
{
    int32_t v[4] = {1, 2, 3, 4};
    EXPECT_EQ(net::SumInts(v, 4), 10);
    EXPECT_EQ(net::SumInts(v, 0), 0);
    EXPECT_EQ(net::SumInts(v, -3), 0);
    net::SetIntsToMinusOne(v, 3);
    EXPECT_EQ(v[2], -1);
    EXPECT_EQ(v[3], 4);
    net::SetIntsToMinusOne(v, -1);
    EXPECT_EQ(v[3], 4);
}

} // namespace
