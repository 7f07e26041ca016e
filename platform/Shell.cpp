#include "platform/Shell.h"

#include "platform/Charset.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <cctype>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>


namespace platform {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower((unsigned char)text[i]) != prefix[i])
            return false;
    return true;
}

bool HasControlBytes(std::string_view text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// The opener with one argument, no shell, in its own process group (a Ctrl+C meant for the game
// does not reach the browser).
bool SpawnOpener(const std::string& argument)
{
    return StartProcess("xdg-open", {argument}).has_value();
}

} // namespace

bool IsWebAddress(std::string_view gbk)
{
    size_t rest;
    if (StartsWithNoCase(gbk, "http://"))
        rest = 7;
    else if (StartsWithNoCase(gbk, "https://"))
        rest = 8;
    else
        return false;
    if (gbk.size() <= rest || HasControlBytes(gbk))
        return false;
    return gbk.find(' ') == std::string_view::npos;
}

bool IsLocalPathAddress(std::string_view gbk)
{
    if (!gbk.empty() && gbk[0] == '/')
        return true;
    return gbk.size() > 2 && gbk[1] == ':' && gbk[2] == '\\';
}

bool OpenUrl(std::string_view gbkUrl)
{
    if (!IsWebAddress(gbkUrl))
        return false;
    return SpawnOpener(GbkToUtf8(gbkUrl));
}

bool OpenFolder(std::string_view gbkPath)
{
    if (!IsLocalPathAddress(gbkPath) || HasControlBytes(gbkPath))
        return false;
    const std::string path = GbkToUtf8(NativePath(gbkPath));
    if (path.empty() || path[0] != '/')
        return false;  // a drive path names nothing here
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return SpawnOpener(path);
}

} // namespace platform
