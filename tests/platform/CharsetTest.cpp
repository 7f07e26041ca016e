#include "platform/Charset.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The system's own texts are written in UTF-8 sources and compiled to GBK bytes.
TEST(ExecCharset, NarrowLiteralsAreGbk)
{
    const char text[] = "清一色%d番";
    const unsigned char expected[] = {0xC7, 0xE5, 0xD2, 0xBB, 0xC9, 0xAB, 0x25, 0x64, 0xB7, 0xAC};
    ASSERT_EQ(sizeof text - 1, sizeof expected);
    EXPECT_EQ(0, std::memcmp(text, expected, sizeof expected));
}

TEST(Charset, RoundTripsGbkAndUtf8)
{
    const std::string gbk = "宋体 abc 两";
    const std::string utf8 = platform::GbkToUtf8(gbk);
    EXPECT_EQ(utf8, std::string(reinterpret_cast<const char*>(u8"宋体 abc 两")));
    EXPECT_EQ(platform::Utf8ToGbk(utf8), gbk);
}

// 600 characters: 1200 GBK bytes and 1800 UTF-8 bytes, well past one conversion block.
std::string LongGbkText()
{
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "誠運錦淺";
    return text;
}

TEST(Charset, TextsLongerThanOneBlockComeBackWhole)
{
    const std::string gbk = LongGbkText();
    const std::string utf8 = platform::GbkToUtf8(gbk);
    EXPECT_EQ(utf8.size(), 1800u);
    EXPECT_EQ(platform::Utf8ToGbk(utf8), gbk);
}

TEST(Charset, BadInputBecomesQuestionMarks)
{
    // A lone lead byte at the end, and a lead byte followed by an invalid trail.
    EXPECT_EQ(platform::GbkToUtf8(std::string("ab\xC7", 3)), "ab?");
    EXPECT_EQ(platform::GbkToUtf8(std::string("\x81\x20x", 3)).back(), 'x');
    // Invalid UTF-8 and a character GBK cannot hold.
    EXPECT_EQ(platform::Utf8ToGbk(std::string("a\xFF" "b", 3)), "a?b");
    EXPECT_EQ(platform::Utf8ToGbk(reinterpret_cast<const char*>(u8"x😀y")), "x?y");
    EXPECT_EQ(platform::GbkToUtf8(""), "");
}

TEST(Clock, ManualClockMovesOnlyWhenTold)
{
    {
        platform::ManualClock clock(100);
        platform::ScopedClock installed(clock);
        EXPECT_EQ(platform::TickCount(), 100u);
        clock.Advance(5);
        EXPECT_EQ(platform::TickCount(), 105u);
    }
    EXPECT_NE(dynamic_cast<platform::SteadyClock*>(&platform::CurrentClock()), nullptr);
    const uint64_t a = platform::CurrentClock().NowMs();
    EXPECT_GE(platform::CurrentClock().NowMs(), a);
}

TEST(Clock, ScopedClocksPutBackWhatTheyReplacedEvenWhenLeftByAnException)
{
    platform::ManualClock outer(1), inner(2);
    {
        platform::ScopedClock a(outer);
        try {
            platform::ScopedClock b(inner);
            EXPECT_EQ(&platform::CurrentClock(), &inner);
            throw 1;
        } catch (int) {
        }
        EXPECT_EQ(&platform::CurrentClock(), &outer) << "the inner scope restores the outer clock, not the steady one";
    }
    EXPECT_NE(dynamic_cast<platform::SteadyClock*>(&platform::CurrentClock()), nullptr);
}

} // namespace
