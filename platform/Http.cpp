// HTTP requests through libcurl.
#include "platform/Http.h"

#include <algorithm>
#include <curl/curl.h>
#include <mutex>

namespace platform {
namespace {

struct Receiving {
    const HttpOptions& options;
    std::string body;
    HttpStop stopped = HttpStop::None;
    bool cut = false;
};

// Returning less than was given stops the transfer (CURLE_WRITE_ERROR).
size_t Collect(char* data, size_t size, size_t count, void* user)
{
    auto& r = *static_cast<Receiving*>(user);
    const size_t n = size * count;
    const size_t room = r.options.maxBodyBytes - r.body.size();
    r.body.append(data, std::min(n, room));
    if (r.options.acceptBody && !r.options.acceptBody(r.body)) {
        r.stopped = HttpStop::Refused;
        return 0;
    }
    if (n > room) {
        if (r.options.keepFirstBytes)
            r.cut = true;
        else
            r.stopped = HttpStop::TooLarge;
        return 0;
    }
    return n;
}

bool IsHttpAddress(const std::string& url)
{
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

HttpResult Perform(const std::string& url, const std::string* body, const HttpOptions& options)
{
    HttpResult result;
    if (!IsHttpAddress(url)) {
        result.error = CURLE_UNSUPPORTED_PROTOCOL;
        return result;
    }
    InitHttp();
    for (int attempt = 0; attempt <= options.connectRetries; ++attempt) {
        CURL* curl = curl_easy_init();
        if (!curl) {
            result.error = CURLE_FAILED_INIT;
            return result;
        }
        curl_slist* headers = nullptr;
        for (const auto& h : options.headers)
            headers = curl_slist_append(headers, h.c_str());
        Receiving received{options, {}, HttpStop::None, false};
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
        if (headers)
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        if (body) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
        }
        CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        result.error = rc;
        result.status = status;
        result.stopped = received.stopped;
        if (rc == CURLE_OK || received.cut) {
            result.ok = true;
            result.cut = received.cut;
            result.body = std::move(received.body);
            return result;
        }
        if (received.stopped != HttpStop::None)
            break;
        if (rc != CURLE_COULDNT_CONNECT && rc != CURLE_OPERATION_TIMEDOUT)
            break;
    }
    return result;
}

} // namespace

void InitHttp()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult HttpGet(const std::string& url, const HttpOptions& options)
{
    return Perform(url, nullptr, options);
}

HttpResult HttpPost(const std::string& url, const std::string& body, const HttpOptions& options)
{
    return Perform(url, &body, options);
}

} // namespace platform
