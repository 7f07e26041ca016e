#include "platform/FileAppend.h"
#include "platform/Paths.h"
#include "tests/support/RigRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

namespace {

TEST(Paths, FoldersEndInSlashAndOverridesApply)
{
    EXPECT_EQ(platform::ProgramFolder().back(), '/');
    EXPECT_EQ(platform::TempFolder().back(), '/');
    platform::SetProgramFolder("/some/where");
    EXPECT_EQ(platform::ProgramFolder(), "/some/where/");
    platform::SetProgramFolder("");
    EXPECT_NE(platform::ProgramFolder(), "/some/where/");
    EXPECT_EQ(platform::NativePath("skins\\frame.xyr"), "skins/frame.xyr");
}

// Without HOME the machine folder goes to the user's own TMPDIR, never to a shared /tmp/.local. A
// home that is missing, not a folder or read-only gives none (nothing is made there).
TEST(Paths, TheMachineFolderFollowsTheEnvironmentAndWithoutAHomeTakesTmpdir)
{
    const xltest::TempFolder root("xl-paths-XXXXXX");
    const std::string r = root.Path();
    std::filesystem::create_directory(r + "/home");
    std::ofstream(r + "/file") << "not a folder\n";
    struct Row {
        const char *home, *dataHome, *temp, *folder;
    } rows[] = {
        {"/home", "/data", "/temp", "/data/xueliu/"},
        {"/home", nullptr, "/temp", "/home/.local/share/xueliu/"},
        {nullptr, nullptr, "/temp", "/temp/xueliu-machine/"},
        {"", "", "/temp", "/temp/xueliu-machine/"},
        {"/none", nullptr, "/temp", nullptr},
        {"/file", nullptr, "/temp", nullptr},
        {"proc/self", nullptr, "/temp", nullptr}, // /proc/self: read-only, whoever the tests run as
    };
    const char* names[] = {"HOME", "XDG_DATA_HOME", "TMPDIR", "XL_MACHINE_DIR"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
    unsetenv("XL_MACHINE_DIR");
    for (const Row& row : rows) {
        const char* values[] = {row.home, row.dataHome, row.temp};
        for (int i = 0; i < 3; ++i) {
            const std::string v = !values[i] || !*values[i] ? "" : (*values[i] == '/' ? r : "/") + values[i];
            values[i] ? setenv(names[i], v.c_str(), 1) : unsetenv(names[i]);
        }
        const std::string folder = platform::MachineFolder();
        EXPECT_EQ(folder, row.folder ? r + row.folder : "") << (row.home ? row.home : "no HOME");
        EXPECT_TRUE(row.folder ? std::filesystem::is_directory(folder) : !std::filesystem::exists(r + "/none"));
    }
    for (size_t i = 0; i < saved.size(); ++i)
        saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
}

TEST(FileAppend, LinesFromManyThreadsStayWhole)
{
    const auto dir = std::filesystem::temp_directory_path() / ("xl_append_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "log.txt").string();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            const std::string line = std::string(200, static_cast<char>('a' + t)) + "\r\n";
            for (int i = 0; i < 200; ++i)
                ASSERT_TRUE(platform::AppendToFile(path, line));
        });
    for (auto& w : writers)
        w.join();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.size(), 201u);
        EXPECT_EQ(line.find_first_not_of(line[0]), 200u);
        ++count;
    }
    EXPECT_EQ(count, 800);
    std::filesystem::remove_all(dir);
}

TEST(FileAppend, FailsOnMissingFolder)
{
    EXPECT_FALSE(platform::AppendToFile("/nonexistent-folder-xl/x.log", "x"));
}

// A file kept open follows its path: a file removed (a folder made anew) or another path gets
// the next line, never a file that is gone.
TEST(FileAppend, AnOpenFileFollowsItsPathWhenTheFileIsRemovedOrThePathChanges)
{
    const auto dir = std::filesystem::temp_directory_path() / ("xl_append_open_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string a = (dir / "a.log").string(), b = (dir / "b.log").string();
    auto text = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    platform::AppendFile file;
    EXPECT_TRUE(file.Append(a, "one\n"));
    EXPECT_TRUE(file.Append(a, "two\n"));
    EXPECT_EQ(text(a), "one\ntwo\n");
    std::filesystem::remove(a);
    EXPECT_TRUE(file.Append(a, "three\n"));
    EXPECT_EQ(text(a), "three\n");
    EXPECT_TRUE(file.Append(b, "four\n"));
    EXPECT_EQ(text(b), "four\n");
    EXPECT_FALSE(file.Append("/nonexistent-folder-xl/x.log", "x"));
    std::filesystem::remove_all(dir);
}

// However often the path changes or the file goes, the file holds one descriptor at most.
TEST(FileAppend, AnOpenFileLeaksNoDescriptorWhenItsPathChangesOrItsFileGoes)
{
    const auto dir = std::filesystem::temp_directory_path() / ("xl_append_fds_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto openDescriptors = [] {
        const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
        return std::distance(begin(entries), end(entries));
    };
    const auto before = openDescriptors();
    {
        platform::AppendFile file;
        for (int i = 0; i < 20; ++i) {
            const std::string path = (dir / (i % 2 ? "a.log" : "b.log")).string();
            ASSERT_TRUE(file.Append(path, "x"));
            if (i % 3 == 0)
                std::filesystem::remove(path);
        }
        EXPECT_FALSE(file.Append("/nonexistent-folder-xl/x.log", "x"));
        EXPECT_EQ(openDescriptors(), before);
        EXPECT_TRUE(file.Append((dir / "a.log").string(), "x"));
        EXPECT_EQ(openDescriptors(), before + 1);
    }
    EXPECT_EQ(openDescriptors(), before);
    std::filesystem::remove_all(dir);
}

} // namespace
