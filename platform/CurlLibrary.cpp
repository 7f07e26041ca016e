#include "platform/CurlLibrary.h"
#include "platform/SharedLibrary.h"

#include <mutex>

namespace platform {
namespace {

const CurlLibrary* Load()
{
    SharedLibrary library("libcurl.so.4", "http");
    if (!library.Opened())
        return nullptr;
    static CurlLibrary curl{};
    CURLcode (*globalInit)(long) = nullptr;
    library.Find("curl_global_init", globalInit);
    library.Find("curl_easy_init", curl.easyInit);
    library.Find("curl_easy_setopt", curl.easySetopt);
    library.Find("curl_easy_perform", curl.easyPerform);
    library.Find("curl_easy_getinfo", curl.easyGetinfo);
    library.Find("curl_easy_cleanup", curl.easyCleanup);
    library.Find("curl_easy_escape", curl.easyEscape);
    library.Find("curl_free", curl.free);
    library.Find("curl_slist_append", curl.slistAppend);
    library.Find("curl_slist_free_all", curl.slistFreeAll);
    if (!library.FoundAll() || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &curl;
}

} // namespace

const CurlLibrary* Curl()
{
    static std::once_flag once;
    static const CurlLibrary* loaded = nullptr;
    std::call_once(once, [] { loaded = Load(); });
    return loaded;
}

} // namespace platform
