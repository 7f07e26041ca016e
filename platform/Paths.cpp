#include "platform/Paths.h"

#include "platform/GbkWalk.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_programFolder; // guarded by g_mutex

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

// The home folder the account database gives this user, or empty.
std::string AccountHome()
{
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    const std::string home = found->pw_dir;
    return home == "/" ? std::string() : home;
}

} // namespace

std::string ProgramFolder()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_programFolder.empty())
            return g_programFolder;
    }
    if (const char* v = std::getenv("XL_PROGRAM_DIR"); v && *v)
        return WithSlash(v);
    return ExecutableFolder();
}

std::string ExecutableFolder()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    return WithSlash(exe.parent_path().string());
}

std::string ShippedFile(std::string_view relative)
{
    std::vector<std::string> folders{ProgramFolder(), ExecutableFolder()};
    if (const char* source = std::getenv("XL_SOURCE_DIR"); source && *source)
        folders.push_back(WithSlash(source));
    for (const std::string& folder : folders) {
        std::error_code ec;
        const std::string path = folder + std::string(relative);
        if (std::filesystem::is_regular_file(path, ec))
            return path;
    }
    return {};
}

void SetProgramFolder(std::string folder)
{
    std::lock_guard lock(g_mutex);
    g_programFolder = folder.empty() ? std::string() : WithSlash(std::move(folder));
}

std::string TempFolder()
{
    return WithSlash(EnvOr("TMPDIR", "/tmp"));
}

MachineFolderChoice ChooseMachineFolder()
{
    std::string folder, home;
    if (const char* v = std::getenv("XL_MACHINE_DIR"); v && *v)
        folder = v;
    else if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        folder = std::string(x) + "/xueliu";
    else if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const char* temp = std::getenv("TMPDIR"); temp && *temp)
        folder = std::string(temp) + "/xueliu-machine";
    else
        home = AccountHome();
    if (folder.empty() && home.empty())
        return {{}, MachineFolderProblem::NoPlace, {}};
    if (folder.empty())
        folder = home + "/.local/share/xueliu";
    folder = WithSlash(folder);
    std::error_code ec;
    // access() says EROFS for a read-only file system, whoever asks.
    if ((!home.empty() && !std::filesystem::is_directory(home, ec)) || !MakeFolders(folder) ||
        ::access(folder.c_str(), W_OK | X_OK) != 0)
        return {{}, MachineFolderProblem::Unusable, folder};
    return {folder, MachineFolderProblem::None, {}};
}

std::string MachineFolder()
{
    return ChooseMachineFolder().folder;
}

std::string NativePath(std::string_view path)
{
    std::string out(path);
    GbkReplace(out, '\\', '/');
    return out;
}

bool MakeFolders(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(NativePath(folder), ec);
    return std::filesystem::is_directory(NativePath(folder), ec);
}

} // namespace platform
