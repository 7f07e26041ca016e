#include "engine/util/FtpUpload.h"

#include "engine/util/EngineLog.h"
#include "engine/util/HostServices.h"
#include "platform/Paths.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

namespace {

// False (and the field left empty) when the text does not fit with its zero.
template <size_t N>
bool CopyField(char (&field)[N], const std::string& text)
{
    if (text.size() >= N || text.find('\0') != std::string::npos)
        return false;
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

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
            size_t end = text.find_first_of("/\\", start);
            if (end == std::string_view::npos)
                end = text.size();
            if (end > start) {
                char* escaped = curl_easy_escape(curl, text.data() + start, static_cast<int>(end - start));
                if (escaped) {
                    path += '/';
                    path += escaped;
                    curl_free(escaped);
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
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void Worker(UploadJob* job)
{
    const bool ok = job->fieldsFit && RunUpload(*job);
    job->done = 1;
    if (!ok)
        WriteDailyLog("FTP upload of %s to %s failed", job->localPath, job->server);
    if (job->ownerWindow == 0 ||
        !PostToWindow(job->ownerWindow, job->completionMessage, reinterpret_cast<uintptr_t>(job), ok ? 1 : 0))
        delete job;
}

} // namespace

bool RunUpload(const UploadJob& job)
{
    if (!IsPlainServer(job.server) || job.remoteName[0] == '\0')
        return false;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(platform::NativePath(job.localPath).c_str(), "rb"));
    if (!file)
        return false;
    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    if (size < 0)
        return false;

    std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
    if (!curl)
        return false;
    CURL* c = curl.get();
    const std::string url = std::string("ftp://") + job.server + RemotePath(c, job.remoteFolder, job.remoteName);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);  // binary (image type)
    curl_easy_setopt(c, CURLOPT_READDATA, file.get());
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    if (job.user[0] != '\0') {
        curl_easy_setopt(c, CURLOPT_USERNAME, job.user);
        curl_easy_setopt(c, CURLOPT_PASSWORD, job.password);
    }
    return curl_easy_perform(c) == CURLE_OK;
}

bool StartWorkerThread(const std::string& localPath, const std::string& server, const std::string& remoteFolder,
                       const std::string& remoteName, const std::string& user, const std::string& password,
                       uintptr_t ownerWindow, uint32_t completionMessage)
{
    // libcurl's global set-up is not safe to race with other threads' first use.
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    auto job = std::make_unique<UploadJob>();
    job->ownerWindow = ownerWindow;
    job->completionMessage = completionMessage;
    bool fit = CopyField(job->localPath, localPath);
    fit = CopyField(job->server, server) && fit;
    fit = CopyField(job->remoteFolder, remoteFolder) && fit;
    fit = CopyField(job->remoteName, remoteName) && fit;
    fit = CopyField(job->user, user) && fit;
    fit = CopyField(job->password, password) && fit;
    job->fieldsFit = fit;
    try {
        std::thread(Worker, job.get()).detach();
    } catch (const std::system_error&) {
        return false;
    }
    job.release();
    return true;
}
