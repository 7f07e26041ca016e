#pragma once
// Shared fixtures of the engine tests: a private program folder (where the logs go) and a
// manual process clock, both restored afterwards.
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "support/DummyAudio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace enginetest {

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("xl_engine_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        platform::SetProgramFolder(folder_.string());
    }
    void TearDown() override
    {
        platform::SetProgramFolder("");
        std::filesystem::remove_all(folder_);
    }

    // Everything the engine wrote to the daily logs of this test, in file order.
    std::string DailyLogText() const
    {
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            if (entry.path().filename().string().rfind("Game2", 0) == 0)
                all += ReadFile(entry.path());
        return all;
    }

    std::filesystem::path folder_;
    platform::ManualClock clock_{0};
    // Installed for the fixture's whole life, whatever way the test ends.
    platform::ScopedClock clockInstalled_{clock_};
};

} // namespace enginetest
