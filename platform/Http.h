#pragma once
// HTTP GET and POST through libcurl, on the calling thread (callers run them on workers): the
// platform's stand-in for the system's Internet session. Only http and https addresses are
// taken; redirects are not followed. libcurl is loaded and set up by the first request (or
// InitHttp), once.
//
// A body is never taken without bound: past `maxBodyBytes` the transfer stops and the call fails
// (HttpStop::TooLarge); with `keepFirstBytes` the result also holds the first maxBodyBytes.
// `acceptBody` may refuse a body from what has come so far (its first bytes), which also stops
// the transfer at once.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr size_t kDefaultHttpBodyLimit = size_t(1) << 20;

struct HttpOptions {
    uint32_t connectTimeoutMs = 3000;
    int connectRetries = 1;             // further attempts after a failed connect
    std::vector<std::string> headers;   // sent as given
    uint32_t totalTimeoutMs = 30000;
    size_t maxBodyBytes = kDefaultHttpBodyLimit;
    bool keepFirstBytes = false;
    // Called on the calling thread with the body so far after every block that came; false
    // refuses the body.
    std::function<bool(std::string_view bodySoFar)> acceptBody;
};

// Why a transfer was stopped by this side.
enum class HttpStop { None, TooLarge, Refused };

struct HttpResult {
    bool ok = false; // a whole response came
    long status = 0; // HTTP status, 0 without a response
    int error = 0; // libcurl's code when no whole response came (0 when this side stopped it)
    HttpStop stopped = HttpStop::None;
    bool cut = false; // keepFirstBytes: the body is the first maxBodyBytes of a longer one
    std::string body;
};

void InitHttp();
HttpResult HttpGet(const std::string& url, const HttpOptions& options = {});
HttpResult HttpPost(const std::string& url, const std::string& body, const HttpOptions& options = {});

} // namespace platform
