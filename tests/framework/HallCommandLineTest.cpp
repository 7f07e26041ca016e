// The hall's command line: quoting, 9, 15 and 31 fields, the default port, ids above 2^31 - 1,
// the joining of split arguments and the test-mode argument.
#include "framework/app/HallCommandLine.h"

#include <gtest/gtest.h>

TEST(HallCommandLine, ReadsItsFieldsWithDefaultsAndQuotes)
{
    auto nine = ParseHallCommandLine("\"79|host|2|5|4|1001|6|3|1\"");
    ASSERT_TRUE(nine);
    EXPECT_EQ(nine->fieldCount, 9);
    EXPECT_EQ(nine->serverHost, "host");
    EXPECT_EQ(nine->chair, 3);
    EXPECT_EQ(nine->lookOn, 1);
    EXPECT_EQ(nine->relaunched, 0);
    EXPECT_EQ(nine->port, 0) << "absent: the default port";
    EXPECT_FALSE(nine->roomType);

    auto full = ParseHallCommandLine("79|h|x|4294967295|0|3000000000|-1|0|0|1|血流成河|0|20|64|7");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->field2, 0) << "a non-number reads as 0";
    EXPECT_EQ(full->hallWindow, 4294967295u);
    EXPECT_EQ(full->userId, 3000000000u);
    EXPECT_EQ(full->port, 0) << "\"0\": the default port";
    EXPECT_EQ(full->gameName, "血流成河");
    EXPECT_EQ(full->roomType.value(), 20u);
    EXPECT_EQ(full->optionWord.value(), 7u);

    std::string line;
    for (int i = 0; i < 31; ++i)
        line += (i ? "|" : "") + std::to_string(i + 1);
    auto many = ParseHallCommandLine(line);
    ASSERT_TRUE(many);
    EXPECT_EQ(many->fieldCount, 30);
    EXPECT_EQ(many->port, 12);

    EXPECT_FALSE(ParseHallCommandLine("1|2|3|4|5|6|7|8"));
    EXPECT_FALSE(ParseHallCommandLine(""));
    EXPECT_FALSE(ParseHallCommandLine("\""));
}

TEST(HallCommandLine, ArgumentsAreJoinedAndOptionsAreNeverAHallLine)
{
    EXPECT_EQ(JoinArguments({"79|a b|2"}), "79|a b|2");
    EXPECT_EQ(JoinArguments({"79|a", "b|2"}), "79|a b|2");
    EXPECT_EQ(TestModeArgument({"--test-mode=2"}).value(), 2);
    EXPECT_FALSE(TestModeArgument({"--test-mode=0"}));
    EXPECT_FALSE(TestModeArgument({"--test-mode=1", "x"}));
    EXPECT_TRUE(IsOptionArgument({"--anything"}));
    EXPECT_FALSE(IsOptionArgument({"79|--"}));
}

TEST(HallCommandLine, ARelaunchCarriesFifteenFieldsAsAPlayer)
{
    auto line = ParseHallCommandLine("79|h|2|5|4|1001|6|3|1|0|name|26000|20|64|7").value();
    EXPECT_EQ(BuildRelaunchCommandLine(line, 26000, 20, 64, 7), "79|h|2|5|4|1001|6|3|0|1|name|26000|20|64|7");
}
