#include "platform/FtpPut.h"

#include "platform/GbkWalk.h"
#include "platform/Paths.h"

#include "platform/CurlLibrary.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace platform {
namespace {

// Only a host name or address with an optional port: nothing that could reshape the URL.
bool IsPlainServer(std::string_view server)
{
    if (server.empty())
        return false;
    for (char c : server) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '-' || c == ':';
        if (!ok)
            return false;
    }
    return true;
}

// The remote path, each piece escaped; backslashes separate folders as slashes do.
std::string RemotePath(CURL* curl, std::string_view folder, std::string_view name)
{
    std::string path;
    auto addPieces = [&](std::string_view text) {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = GbkFindFirstOf(text, "/\\", start);
            if (end == std::string_view::npos)
                end = text.size();
            if (end > start) {
                char* escaped = Curl()->easyEscape(curl, text.data() + start, static_cast<int>(end - start));
                if (escaped) {
                    path += '/';
                    path += escaped;
                    Curl()->free(escaped);
                }
            }
            start = end + 1;
        }
    };
    addPieces(folder);
    addPieces(name);
    return path;
}

struct CurlCloser {
    void operator()(CURL* c) const { Curl()->easyCleanup(c); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

bool FtpPutFile(const std::string& server, const std::string& remoteFolder, const std::string& remoteName,
                const std::string& localPath, const std::string& user, const std::string& password)
{
    const CurlLibrary* lib = Curl();
    if (!lib || !IsPlainServer(server) || remoteName.empty())
        return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(NativePath(localPath).c_str(), "rb"));
    if (!file)
        return false;
    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    if (size < 0)
        return false;

    std::unique_ptr<CURL, CurlCloser> curl(lib->easyInit());
    if (!curl)
        return false;
    CURL* c = curl.get();
    const std::string url = "ftp://" + server + RemotePath(c, remoteFolder, remoteName);
    lib->easySetopt(c, CURLOPT_URL, url.c_str());
    lib->easySetopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    lib->easySetopt(c, CURLOPT_UPLOAD, 1L);
    lib->easySetopt(c, CURLOPT_TRANSFERTEXT, 0L); // binary (image type)
    lib->easySetopt(c, CURLOPT_READDATA, file.get());
    lib->easySetopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    lib->easySetopt(c, CURLOPT_NOSIGNAL, 1L);
    lib->easySetopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    lib->easySetopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib->easySetopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    if (!user.empty()) {
        lib->easySetopt(c, CURLOPT_USERNAME, user.c_str());
        lib->easySetopt(c, CURLOPT_PASSWORD, password.c_str());
    }
    return lib->easyPerform(c) == CURLE_OK;
}

} // namespace platform
