#pragma once
// A private program folder (where the engine writes its logs and files) for one test or one
// benchmark, removed again afterwards. Free of GoogleTest, so that benchmarks can use it.
#include "platform/Paths.h"
#include "tests/support/RigRegistry.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace testsupport {

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProgramFolder {
public:
    // The folder "xl_<tag>_<pid>" under the temporary folder, emptied and made the program folder.
    // The process id keeps tests of one fixture, run as parallel processes, apart.
    explicit ProgramFolder(const std::string& tag)
        : path_(std::filesystem::temp_directory_path() / ("xl_" + tag + "_" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        xltest::RigRegistry::AddFolder(path_.string());
        platform::SetProgramFolder(path_.string());
    }
    ~ProgramFolder()
    {
        platform::SetProgramFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        xltest::RigRegistry::RemoveFolder(path_.string());
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Everything the engine wrote to the daily logs, in file order.
    std::string DailyLogText() const
    {
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            if (entry.path().filename().string().rfind("Game2", 0) == 0)
                all += ReadFile(entry.path());
        return all;
    }

private:
    std::filesystem::path path_;
};

} // namespace testsupport
