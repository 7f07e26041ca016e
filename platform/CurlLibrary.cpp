#include "platform/CurlLibrary.h"

#include <cstdio>
#include <dlfcn.h>
#include <mutex>

namespace platform {
namespace {

template <typename F>
bool Find(void* library, const char* name, F& to)
{
    to = reinterpret_cast<F>(::dlsym(library, name));
    return to != nullptr;
}

const CurlLibrary* Load()
{
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "http: libcurl not loaded (%s)\n", ::dlerror());
        return nullptr;
    }
    static CurlLibrary curl{};
    CURLcode (*globalInit)(long) = nullptr;
    const bool found = Find(library, "curl_global_init", globalInit) &&
        Find(library, "curl_easy_init", curl.easyInit) && Find(library, "curl_easy_setopt", curl.easySetopt) &&
        Find(library, "curl_easy_perform", curl.easyPerform) && Find(library, "curl_easy_getinfo", curl.easyGetinfo) &&
        Find(library, "curl_easy_cleanup", curl.easyCleanup) && Find(library, "curl_easy_escape", curl.easyEscape) &&
        Find(library, "curl_free", curl.free) && Find(library, "curl_slist_append", curl.slistAppend) &&
        Find(library, "curl_slist_free_all", curl.slistFreeAll);
    // Never unloaded: its global state lives to the end of the process.
    if (!found || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
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
