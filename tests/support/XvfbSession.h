#pragma once
// A private X server for one test: Xvfb started with -displayfd (so parallel tests never
// race for a display number) and tied to the test (TiedChild.h), DISPLAY pointed at it, and
// helpers to read back screenshots.
// The server does not reset when its last client leaves: a reset drops whatever connects
// meanwhile, and the client and the tools connect and leave all the time.
#include "tests/support/TiedChild.h"

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace xltest {

class XvfbSession {
public:
    // `screen` as Xvfb takes it: width x height x depth.
    explicit XvfbSession(const char* screen = "1024x768x24")
    {
        // The server, the clicker and the screenshot tool all come from Debian packages.
        for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/import"})
            if (access(tool, X_OK) != 0)
                return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = SpawnTied({"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                         nullptr, [&] {
                             dup2(fds[1], 3);
                             const int null = open("/dev/null", O_WRONLY);
                             dup2(null, 1);
                             dup2(null, 2);
                         });
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (pid_ > 0 && poll(&p, 1, 10000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (!number.empty()) {
            display_ = ":" + number;
            Remember("DISPLAY", oldDisplay_);
            Remember("SDL_VIDEODRIVER", oldVideoDriver_);
            setenv("DISPLAY", display_.c_str(), 1);
            unsetenv("SDL_VIDEODRIVER");
        }
    }
    ~XvfbSession()
    {
        EndTied(pid_);
        // Later tests in the same program must not find a display that has gone.
        if (!display_.empty()) {
            Restore("DISPLAY", oldDisplay_);
            Restore("SDL_VIDEODRIVER", oldVideoDriver_);
        }
    }
    bool Ok() const { return !display_.empty(); }
    pid_t Pid() const { return pid_; }
    const std::string& Display() const { return display_; }

private:
    static void Remember(const char* name, std::optional<std::string>& into)
    {
        if (const char* value = std::getenv(name))
            into = value;
    }
    static void Restore(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    pid_t pid_ = -1;
    std::string display_;
    std::optional<std::string> oldDisplay_;
    std::optional<std::string> oldVideoDriver_;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgra;
    uint32_t Rgb(int x, int y) const { return bgra[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

inline std::optional<Picture> ReadPng(const std::string& path)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA;
    Picture p;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    p.bgra.resize(static_cast<size_t>(p.width) * p.height);
    if (!png_image_finish_read(&image, nullptr, p.bgra.data(), 0, nullptr))
        return std::nullopt;
    return p;
}

inline std::string ArtifactPath(const std::string& name)
{
    const std::string dir = std::string(XL_BINARY_DIR) + "/artifacts";
    std::filesystem::create_directories(dir);
    return dir + "/" + name;
}

// A screenshot of the screen's top-left width x height: read from a private file, then kept
// under `artifactName` in the build folder (replaced whole, so parallel runs never read halves).
inline std::optional<Picture> Screenshot(const std::string& artifactName, int width, int height)
{
    const std::string mine = std::filesystem::temp_directory_path().string() + "/xl-shot-" + std::to_string(getpid()) +
                             "-" + artifactName;
    const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+0+0";
    if (!RunProgram({"import", "-window", "root", "-crop", crop, mine}).Ok())
        return std::nullopt;
    auto picture = ReadPng(mine);
    const std::string kept = ArtifactPath(artifactName);
    std::error_code ec;
    std::filesystem::copy_file(mine, kept + ".part" + std::to_string(getpid()),
                               std::filesystem::copy_options::overwrite_existing, ec);
    std::filesystem::rename(kept + ".part" + std::to_string(getpid()), kept, ec);
    std::filesystem::remove(mine, ec);
    return picture;
}

} // namespace xltest
