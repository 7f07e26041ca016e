#pragma once
// A stand-in for the desktop's opener: an "xdg-open" script first on PATH that writes its
// argument count and arguments to a file, so a test sees exactly what would have been opened.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace xltest {

class OpenerStandIn {
public:
    OpenerStandIn()
    {
        dir_ = std::filesystem::temp_directory_path() / ("xl-opener-" + std::to_string(getpid()) + "-" + std::to_string(++Counter()));
        std::filesystem::create_directories(dir_);
        record_ = dir_ / "record";
        const auto script = dir_ / "xdg-open";
        // The record beside the script: no path of ours is pasted into it.
        std::ofstream(script) << "#!/bin/sh\nrecord=\"$(dirname \"$0\")/record\"\n"
                                 "{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$record.tmp\"\n"
                                 "mv \"$record.tmp\" \"$record\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
        setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
    }
    ~OpenerStandIn()
    {
        setenv("PATH", oldPath_.c_str(), 1);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // What the opener was given ("<count>\n<arg>\n..."), or "" when it did not run in time.
    std::string WaitForRecord(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (std::filesystem::exists(record_)) {
                std::ifstream in(record_);
                std::stringstream s;
                s << in.rdbuf();
                return s.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return {};
    }
    bool Ran() const { return std::filesystem::exists(record_); }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    static int& Counter()
    {
        static int n = 0;
        return n;
    }
    std::filesystem::path dir_;
    std::filesystem::path record_;
    std::string oldPath_;
};

} // namespace xltest
