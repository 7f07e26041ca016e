#include "platform/Ini.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

using platform::IniFile;

class IniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("xl_ini_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "game.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void WriteFile(const std::string& bytes)
    {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    std::string ReadFile() const
    {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(IniTest, ReadsWithCaseInsensitiveNamesBlanksQuotesAndDefaults)
{
    WriteFile("; settings\r\n"
              "[Server]\r\n"
              "  Host = 127.0.0.1  \r\n"
              "Name=\"  quoted  \"\r\n"
              "host=second\r\n"
              "[Other]\r\n"
              "Host=other\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.GetString("server", "HOST"), "127.0.0.1") << "first of two equal keys";
    EXPECT_EQ(ini.GetString(" SERVER ", "name"), "  quoted  ");
    EXPECT_EQ(ini.GetString("other", "host"), "other");
    EXPECT_EQ(ini.GetString("Server", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.GetString("Missing", "Host", "dflt"), "dflt");
    EXPECT_EQ(IniFile(path_ + ".none").GetString("Server", "Host", "d"), "d");
}

TEST_F(IniTest, IntegersAreReadLikeTheClassicCall)
{
    WriteFile("[n]\na=42\nb= -17xyz\nc=abc\nd=\ne=+8\nf=99999999999\ng=-99999999999\nh=0x10\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.GetInt("n", "a", 5), 42);
    EXPECT_EQ(ini.GetInt("n", "b", 5), -17);
    EXPECT_EQ(ini.GetInt("n", "c", 5), 0) << "present but not a number";
    EXPECT_EQ(ini.GetInt("n", "d", 5), 0);
    EXPECT_EQ(ini.GetInt("n", "e", 5), 8);
    EXPECT_EQ(ini.GetInt("n", "f", 5), INT_MAX);
    EXPECT_EQ(ini.GetInt("n", "g", 5), INT_MIN);
    EXPECT_EQ(ini.GetInt("n", "h", 5), 0);
    EXPECT_EQ(ini.GetInt("n", "zz", 5), 5);
}

TEST_F(IniTest, DoubleByteNamesMatchExactlyAndMayHoldBracketBytes)
{
    // 0x81 0x41 and 0x81 0x61 are two different characters whose trail bytes are 'A' and 'a';
    // 0x81 0x5D has the byte of ']' as its trail.
    WriteFile("[\x81\x41]\r\nk=upper\r\n[\x81\x61]\r\nk=lower\r\n[x\x81\x5Dy]\r\nk=bracket\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.GetString("\x81\x41", "K"), "upper");
    EXPECT_EQ(ini.GetString("\x81\x61", "k"), "lower");
    EXPECT_EQ(ini.GetString("X\x81\x5DY", "k"), "bracket");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"\x81\x41", "\x81\x61", "x\x81\x5Dy"}));
    EXPECT_TRUE(platform::IniNamesEqual("AbC", "aBc"));
    EXPECT_FALSE(platform::IniNamesEqual("\x81\x41", "\x81\x61"));
}

TEST_F(IniTest, SectionsAndKeysAreListed)
{
    WriteFile("[A]\nx=1\n;y=2\nnot a key\nz = \"3\"\n\n[B]\n[C]\nw=4\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ini.KeyNames("a"), (std::vector<std::string>{"x", "z"}));
    const std::vector<std::pair<std::string, std::string>> want{{"x", "1"}, {"z", "3"}};
    EXPECT_EQ(ini.ReadSection("A"), want);
    EXPECT_TRUE(ini.ReadSection("B").empty());
    EXPECT_TRUE(ini.ReadSection("none").empty());
}

TEST_F(IniTest, WritesKeepTheRestOfTheFileAndItsLineEnding)
{
    WriteFile("; top comment\n[A]\nx=1\n; note\ny=2\n\n[B]\nz=3\n");
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("a", "X", "10"));     // replaced in place, spelling of the file
    ASSERT_TRUE(ini.WriteString("A", "new", "n"));    // after the section's last line
    ASSERT_TRUE(ini.WriteString("C", "k", "v"));      // new section at the end
    ASSERT_TRUE(ini.DeleteKey("b", "z"));
    ASSERT_TRUE(ini.DeleteKey("b", "absent"));
    ASSERT_TRUE(ini.DeleteKey("absent", "z"));
    EXPECT_EQ(ReadFile(), "; top comment\n[A]\nx=10\n; note\ny=2\nnew=n\n\n[B]\n[C]\nk=v\n");
    ASSERT_TRUE(ini.DeleteSection("A"));
    EXPECT_EQ(ReadFile(), "; top comment\n[B]\n[C]\nk=v\n");
    EXPECT_EQ(ini.GetString("C", "k"), "v");
}

TEST_F(IniTest, NewFilesGetCrlfAndCrlfFilesStayCrlf)
{
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("Sec", "Key", "\xC7\xE5"));
    ASSERT_TRUE(ini.WriteString("Sec", "Two", "2"));
    EXPECT_EQ(ReadFile(), "[Sec]\r\nKey=\xC7\xE5\r\nTwo=2\r\n");
    EXPECT_EQ(ini.GetString("sec", "key"), "\xC7\xE5");
    EXPECT_FALSE(IniFile((dir_ / "no/such/folder.ini").string()).WriteString("a", "b", "c"));
}

TEST_F(IniTest, LineBreaksInNamesOrValuesAreRefused)
{
    IniFile ini(path_);
    EXPECT_FALSE(ini.WriteString("A", "k", "1\r\n[Evil]\r\nk=2"));
    EXPECT_FALSE(ini.WriteString("A\n", "k", "1"));
    EXPECT_FALSE(ini.WriteString("A", "k=j", "1"));
    EXPECT_FALSE(ini.WriteString("A", " ", "1"));
    EXPECT_FALSE(std::filesystem::exists(path_));

    // No file at all: nothing is written where the program stands, not even a passing copy.
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    std::ofstream(".tmp~") << "theirs";
    const bool wrote = IniFile("").WriteString("A", "k", "1");
    std::filesystem::current_path(was);
    EXPECT_FALSE(wrote);
    std::ifstream in(dir_ / ".tmp~");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "theirs");
}

TEST_F(IniTest, ConcurrentWritersLoseNoKey)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            IniFile ini(path_);
            for (int i = 0; i < 25; ++i)
                ASSERT_TRUE(ini.WriteString("S" + std::to_string(t), "k" + std::to_string(i), std::to_string(i)));
        });
    for (auto& w : writers)
        w.join();
    IniFile ini(path_);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(ini.ReadSection("s" + std::to_string(t)).size(), 25u);
}

} // namespace
