#pragma once
// HTTP GET and POST through libcurl, on the calling thread (callers run them on workers): the
// platform's stand-in for the system's Internet session. Only http and https addresses are
// taken; redirects are not followed. InitHttp runs once before any thread starts.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct HttpOptions {
    uint32_t connectTimeoutMs = 3000;
    int connectRetries = 1;             // further attempts after a failed connect
    std::vector<std::string> headers;   // sent as given
    uint32_t totalTimeoutMs = 30000;
};

struct HttpResult {
    bool ok = false;     // a response came
    long status = 0;     // HTTP status, 0 without a response
    int error = 0;       // libcurl's code when no response came
    std::string body;
};

void InitHttp();
HttpResult HttpGet(const std::string& url, const HttpOptions& options = {});
HttpResult HttpPost(const std::string& url, const std::string& body, const HttpOptions& options = {});

} // namespace platform
