// The click and start-up traces are switched by their variables, read before main: this program
// runs itself again with them set (the child's half of each test checks what it sees), and
// without them both traces are off. The start-up trace goes off after its table frame.
#include "platform/ClickTrace.h"
#include "platform/StartTrace.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kChildVariable = "XL_TRACE_SWITCH_CHILD";

// Runs this test alone in a child with the variables given (env's arguments); its exit status.
int RunChild(std::vector<std::string> variables)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    variables.insert(variables.begin(), "env");
    variables.insert(variables.end(), {std::string(kChildVariable) + "=1", self, "--gtest_filter=TraceSwitch." + name});
    return xltest::RunProgram(variables, xltest::RunOptions::Quiet()).status;
}

TEST(TraceSwitch, BothTracesAreOnWithTheirVariablesAndTheStartTraceEndsAtItsTableFrame)
{
    if (!std::getenv(kChildVariable)) {
        const std::string dir = std::filesystem::temp_directory_path() / ("xl_traces_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        EXPECT_EQ(RunChild({"XL_CLICK_TRACE=" + dir + "/click", "XL_START_TRACE=" + dir + "/start"}), 0);
        std::ifstream in(dir + "/start");
        const std::string start(std::istreambuf_iterator<char>(in), {});
        EXPECT_NE(start.find("mark table-frame"), std::string::npos) << start;
        EXPECT_EQ(start.find("after"), std::string::npos) << start;
        std::filesystem::remove_all(dir);
        return;
    }
    ASSERT_TRUE(platform::ClickTraceOn());
    ASSERT_TRUE(platform::StartTraceOn());
    platform::StartTraceFrame(); // before the table: no mark
    platform::StartMark("table");
    platform::StartTraceFrame();
    EXPECT_FALSE(platform::StartTraceOn());
    platform::StartMark("after");
}

TEST(TraceSwitch, BothTracesAreOffWithoutTheirVariables)
{
    if (!std::getenv(kChildVariable)) {
        EXPECT_EQ(RunChild({"-u", "XL_CLICK_TRACE", "-u", "XL_START_TRACE"}), 0);
        return;
    }
    EXPECT_FALSE(platform::ClickTraceOn());
    EXPECT_FALSE(platform::StartTraceOn());
}

} // namespace
