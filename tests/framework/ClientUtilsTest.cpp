// The shared helpers: the bar split of the hall's command line, colour texts, wealth titles, URL
// encoding against Python's decoder, MD5 against md5sum, and the machine id from given adapters
// and from the per-machine ini, read once by the application.
#include "framework/PyRun.h"
#include "framework/app/CGameWinApp.h"
#include "framework/app/ClientUtils.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/SystemScreen.h"
#include "tests/support/RigRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <ifaddrs.h>
#include <random>

namespace {
std::atomic<int> g_adapterReads{0};
}

// Counts the reads of the adapter list of this test program, then reads it.
extern "C" int getifaddrs(ifaddrs** list) noexcept
{
    ++g_adapterReads;
    using Real = int (*)(ifaddrs**);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "getifaddrs"));
    return real ? real(list) : -1;
}

using fwtest::RunCommand;
using fwtest::RunPython;

TEST(SplitOnBar, CutsFieldsInPlaceAndLeavesThe31stUnsplit)
{
    std::string line;
    for (int i = 0; i < 32; ++i)
        line += (i ? "|" : "") + std::to_string(i);
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    char* fields[30];
    char* rest = nullptr;
    ASSERT_EQ(SplitOnBar(text.data(), fields, &rest), 30);
    EXPECT_STREQ(fields[0], "0");
    EXPECT_STREQ(fields[29], "29");
    EXPECT_STREQ(rest, "30|31");

    char three[] = "a||b";
    ASSERT_EQ(SplitOnBar(three, fields, &rest), 3);
    EXPECT_STREQ(fields[1], "");
    EXPECT_EQ(rest, nullptr);
    char empty[] = "";
    EXPECT_EQ(SplitOnBar(empty, fields, &rest), 1);
    EXPECT_EQ(SplitOnBar(nullptr, fields, &rest), 0);
}

TEST(ParseColorText, ReadsThreeTwoOrNoNumbers)
{
    struct Case {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"255 0 0", 0x0000FF}, {"46 70 26", 0x1A462E}, {"1 2", 0x000201},
        {"300 0 0", 0x00002C}, {"", 0xABCDEF},         {"7", 0x000007},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseColorText(c.text, 0xABCDEF), c.expected) << c.text;
}

TEST(GetWealthTitle, PicksTheRowWhoseLowerBoundIsReached)
{
    EXPECT_EQ(GetWealthTitle(99), "待业");
    EXPECT_EQ(GetWealthTitle(100), "临时工");
    EXPECT_EQ(GetWealthTitle(-1), "负债");
    EXPECT_EQ(GetWealthTitle(26214400), "世界首富");
    EXPECT_EQ(GetWealthTitle(26214399), "超级大富豪");
    EXPECT_EQ(GetWealthTitle(0), "待业");
}

TEST(UrlEncode, KeepsAsciiLettersAndRoundTripsRandomGbkThroughPython)
{
    EXPECT_EQ(UrlEncode("a b中"), "a+b%D6%D0");
    std::mt19937 gen(7);
    std::string all;
    std::vector<std::string> texts;
    for (int i = 0; i < 50; ++i) {
        std::string t;
        for (int k = 0; k < 12; ++k) {
            switch (gen() % 3) {
            case 0: t += static_cast<char>(0x21 + gen() % 94); break;
            case 1: t += ' '; break;
            default: // a GBK/2 character: lead 0xB0-0xF7, trail 0xA1-0xFE
                t += static_cast<char>(0xB0 + gen() % 0x48);
                t += static_cast<char>(0xA1 + gen() % 0x5E);
            }
        }
        texts.push_back(t);
        all += UrlEncode(t) + "\n";
    }
    auto decoded = RunPython("import sys, urllib.parse\n"
                             "for line in sys.stdin.read().splitlines():\n"
                             "    sys.stdout.buffer.write(urllib.parse.unquote_plus(line, encoding='gbk',"
                             " errors='strict').encode('gbk') + b'\\n')\n",
                             all);
    ASSERT_TRUE(decoded);
    std::string expected;
    for (const auto& t : texts)
        expected += t + "\n";
    EXPECT_EQ(*decoded, expected);
}

TEST(MD5HexString, AgreesWithMd5sum)
{
    std::string text = "hall_id1game_id2game_codepelquser_id3unix_time1700000000r5tkw0bq8mz3yd1h";
    auto sum = RunCommand({"md5sum"}, text);
    ASSERT_TRUE(sum);
    EXPECT_EQ(MD5HexString(text), sum->substr(0, 32));
    EXPECT_EQ(MD5HexString(text), "d4b648c184921c0c5f0e86c6b7bb481f");
}

class MachineIdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = xltest::TempPattern("xl-machine-XXXXXX");
        folder_ = mkdtemp(tmpl.data());
        setenv("XL_MACHINE_DIR", folder_.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("XL_MACHINE_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string folder_;
};

TEST_F(MachineIdTest, OneAdapterGivesItsDigitsThenZerosAndTouchesNoIni)
{
    std::vector<platform::HardwareAddress> one{{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    EXPECT_EQ(GetMachineID(one), "001a2b3c4d5e0000000000000000000");
    EXPECT_EQ(platform::IniFile(GetMachineIniPath()).GetString("SYSTEM", "UniqueID"), "");
}

TEST_F(MachineIdTest, WithoutAdaptersTheStoredIdIsUsedOrANewOneStored)
{
    std::vector<platform::HardwareAddress> none;
    std::string made = GetMachineID(none);
    EXPECT_EQ(made.size(), 30u);
    EXPECT_EQ(platform::IniFile(GetMachineIniPath()).GetString("SYSTEM", "UniqueID"), made);
    platform::IniFile(GetMachineIniPath()).WriteString("SYSTEM", "UniqueID", "  stored-id  ");
    EXPECT_EQ(GetMachineID(std::nullopt), "stored-id");
}

TEST_F(MachineIdTest, TheApplicationReadsTheAdaptersOnceAndEveryRequestGetsTheSameId)
{
    static const platform::ScreenFacts screen;
    platform::SetScreenOverride(&screen);
    {
        CGameWinApp app("qirn", 26283, 9, 3);
        const int before = g_adapterReads.load();
        const std::string id = app.GetMachineID();
        EXPECT_FALSE(id.empty());
        for (int request = 0; request < 3; ++request)
            EXPECT_EQ(app.GetMachineID(), id);
        EXPECT_EQ(g_adapterReads.load() - before, 1);
    }
    platform::SetScreenOverride(nullptr);
}

TEST_F(MachineIdTest, HallFolderComesFromTheExePathOfThePerMachineIni)
{
    EXPECT_EQ(GetProgramDir(), "");
    platform::IniFile(GetMachineIniPath()).WriteString("SYSTEM", "ExePath", "/opt/hall/GameHall.exe");
    EXPECT_EQ(GetProgramDir(), "/opt/hall/");
    EXPECT_EQ(GetAdvertDomainFile(), "/opt/hall/Share/advert/domain.dat");
}
