#include "net/FileLogger.h"

#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>
#include <vector>

namespace {

class FileLoggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("xl-log-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        platform::SetProgramFolder(folder_.string() + "/");
    }
    void TearDown() override
    {
        net::OxtLogInit("OXTLog", net::kLogDefaultFlags);
        platform::SetProgramFolder("");
        std::filesystem::remove_all(folder_);
    }
    std::string ReadLog()
    {
        std::ifstream in(net::OxtLogFilePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::path folder_;
};

TEST_F(FileLoggerTest, GameLineFormatAndFileName)
{
    net::OxtLogInit("Game", net::kGameLogFlags);
    const std::string path = net::OxtLogFilePath();
    EXPECT_TRUE(std::regex_match(path, std::regex(".*/Game20[0-9]{6}\\.log")));
    net::OxtLog("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", 229010L, 1030L);
    net::OxtLogWrite(net::kLogError, "bad");
    net::OxtLogWrite(net::kLogTrace, "never written");
    net::OxtLogWrite(9, "odd level");
    const std::string log = ReadLog();
    const std::regex line(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[[ \d]{4,}\]\[(INF|ERR)\] [^\r\n]*\r\n)");
    size_t lines = 0;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
        ++lines;
    EXPECT_EQ(lines, 3u) << log;
    EXPECT_NE(log.find("[INF] ProcoessRequest Faild,ReQuestid:229010,nResponse:1030\r\n"), std::string::npos);
    EXPECT_NE(log.find("[ERR] bad\r\n"), std::string::npos);
    EXPECT_NE(log.find("[INF] odd level\r\n"), std::string::npos);
    EXPECT_EQ(log.find("never written"), std::string::npos);
    EXPECT_EQ(log.find("\r\r"), std::string::npos);
}

TEST_F(FileLoggerTest, LongMessagesAreCutAndConcurrentLinesStayWhole)
{
    net::OxtLogInit("Cut", net::kGameLogFlags);
    net::OxtLog("%s", std::string(5000, 'z').c_str());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                net::OxtLog("thread %d line %d %s", t, i, std::string(200, char('a' + t)).c_str());
        });
    for (auto& th : threads)
        th.join();
    const std::string log = ReadLog();
    const size_t first = log.find("\r\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.substr(first - 3999, 3999), std::string(3999, 'z'));
    EXPECT_NE(log[first - 4000], 'z');
    size_t whole = 0;
    for (size_t pos = first + 2; pos < log.size();) {
        const size_t end = log.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        const std::string l = log.substr(pos, end - pos);
        if (std::regex_search(l, std::regex(R"(\[INF\] thread (\d) line \d+ ([a-d])\2{199}$)")))
            ++whole;
        pos = end + 2;
    }
    EXPECT_EQ(whole, 200u);
}

TEST_F(FileLoggerTest, FlagsSelectFileAndLineEnd)
{
    net::OxtLogInit("NoFile", 0x8);
    net::OxtLog("lost");
    EXPECT_FALSE(std::filesystem::exists(net::OxtLogFilePath()));
    net::OxtLogInit("Bare", 0x80000);
    net::OxtLog("one");
    net::OxtLog("two");
    EXPECT_NE(ReadLog().find("[INF] one") , std::string::npos);
    EXPECT_EQ(ReadLog().find("\r\n"), std::string::npos);
    net::OxtLogInit(std::string(300, 'n').c_str(), 0);
    EXPECT_NE(net::OxtLogFilePath().find(std::string(259, 'n') + "20"), std::string::npos);
}

} // namespace
