// HTTP requests through libcurl.
#include "platform/Http.h"

#include "platform/CurlLibrary.h"

#include <algorithm>

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
        r.stopped = HttpStop::TooLarge;
        r.cut = r.options.keepFirstBytes;
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
    const CurlLibrary* lib = Curl();
    if (!lib) {
        result.error = CURLE_FAILED_INIT;
        return result;
    }
    for (int attempt = 0; attempt <= options.connectRetries; ++attempt) {
        CURL* curl = lib->easyInit();
        if (!curl) {
            result.error = CURLE_FAILED_INIT;
            return result;
        }
        curl_slist* headers = nullptr;
        for (const auto& h : options.headers)
            headers = lib->slistAppend(headers, h.c_str());
        Receiving received{options, {}, HttpStop::None, false};
        lib->easySetopt(curl, CURLOPT_URL, url.c_str());
        lib->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        lib->easySetopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
        lib->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        lib->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
        lib->easySetopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
        lib->easySetopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeoutMs));
        lib->easySetopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        lib->easySetopt(curl, CURLOPT_WRITEDATA, &received);
        if (headers)
            lib->easySetopt(curl, CURLOPT_HTTPHEADER, headers);
        if (body) {
            lib->easySetopt(curl, CURLOPT_POST, 1L);
            lib->easySetopt(curl, CURLOPT_POSTFIELDS, body->data());
            lib->easySetopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body->size()));
        }
        CURLcode rc = lib->easyPerform(curl);
        long status = 0;
        lib->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        lib->slistFreeAll(headers);
        lib->easyCleanup(curl);
        result.status = status;
        result.stopped = received.stopped;
        if (received.stopped != HttpStop::None) {
            // Stopped by this side: a failure, whatever libcurl says of the write it refused.
            result.cut = received.cut;
            if (received.cut)
                result.body = std::move(received.body);
            return result;
        }
        result.error = rc;
        if (rc == CURLE_OK) {
            result.ok = true;
            result.body = std::move(received.body);
            return result;
        }
        if (rc != CURLE_COULDNT_CONNECT && rc != CURLE_OPERATION_TIMEDOUT)
            break;
    }
    return result;
}

} // namespace

void InitHttp() { Curl(); }

HttpResult HttpGet(const std::string& url, const HttpOptions& options)
{
    return Perform(url, nullptr, options);
}

HttpResult HttpPost(const std::string& url, const std::string& body, const HttpOptions& options)
{
    return Perform(url, &body, options);
}

} // namespace platform
