#include "engine/util/FileUtil.h"

#include "engine/util/EngineLog.h"
#include "engine/util/HostServices.h"
#include "platform/GbkWalk.h"
#include "platform/Paths.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Start of the file name: just past the last separator of either kind.
size_t NameStart(std::string_view path)
{
    const size_t sep = platform::GbkFindLastOf(path, "/\\");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

} // namespace

std::optional<std::string> ReadWholeFile(std::string path)
{
    if (path.empty())
        return std::nullopt;
    File f(std::fopen(platform::NativePath(path).c_str(), "rb"));
    if (!f) {
        WriteDailyLog("文件%s 打开失败!", path.c_str());
        return std::nullopt;
    }
    std::string bytes;
    char buffer[64 * 1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        bytes.append(buffer, n);
    if (std::ferror(f.get())) {
        WriteDailyLog("文件%s 打开失败!", path.c_str());
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileBytes(std::string path, const void* bytes, size_t size)
{
    File f(std::fopen(platform::NativePath(path).c_str(), "wb+"));
    if (!f)
        return false;
    if (size > 0 && std::fwrite(bytes, 1, size, f.get()) != size)
        return false;
    return std::fflush(f.get()) == 0;
}

bool CreateDirectoryChain(std::string path, bool create)
{
    std::string p = platform::NativePath(path);
    for (size_t pos; (pos = p.find("//")) != std::string::npos;)
        p.erase(pos, 1);
    size_t separators = 0;
    for (char c : p)
        separators += c == '/';
    if (separators < 2)
        return true;
    for (size_t sep = p.find('/'); sep != std::string::npos; sep = p.find('/', sep + 1)) {
        const std::string prefix = p.substr(0, sep);
        // The root and a drive name are not folders to make.
        if (prefix.empty() || (prefix.size() == 2 && prefix[1] == ':'))
            continue;
        std::error_code ec;
        if (std::filesystem::is_directory(prefix, ec))
            continue;
        if (!create)
            return false;
        if (!std::filesystem::create_directory(prefix, ec) && !std::filesystem::is_directory(prefix, ec)) {
            ShowEngineMessageBox("Build   Directory" + prefix + "   Fail!", "");
            return false;
        }
    }
    return true;
}

std::string GetFileExtensionLower(std::string_view path)
{
    const std::string_view name = path.substr(NameStart(path));
    const size_t dot = platform::GbkFindLastOf(name, ".");
    if (dot == std::string_view::npos)
        return {};
    return platform::GbkLowerAsciiCopy(name.substr(dot));
}

std::string GetFileTitle(std::string_view path)
{
    const std::string_view name = path.substr(NameStart(path));
    return std::string(name.substr(0, platform::GbkFindLastOf(name, ".")));
}

std::string GetFileNameFromPath(std::string_view path)
{
    return std::string(path.substr(NameStart(path)));
}

std::string GetProgramFolder()
{
    return platform::ProgramFolder();
}

std::string MakeProgramPath(std::string relative)
{
    return platform::ProgramFolder() + platform::NativePath(relative);
}

bool FileExists(std::string path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(platform::NativePath(path), ec);
}

bool ProgramFileExists(std::string relative)
{
    return FileExists(MakeProgramPath(std::move(relative)));
}
