#pragma once
// libcurl, loaded when the first transfer needs it: linked to the program, it and the libraries
// it needs would be loaded and set up at every start, before the program's first line runs.
#include <curl/curl.h>

namespace platform {

struct CurlLibrary {
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyPerform)(CURL*);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    void (*easyCleanup)(CURL*);
    char* (*easyEscape)(CURL*, const char*, int);
    void (*free)(void*);
    curl_slist* (*slistAppend)(curl_slist*, const char*);
    void (*slistFreeAll)(curl_slist*);
};

// The library, loaded and set up (its global initialisation) once; null when it cannot be loaded.
const CurlLibrary* Curl();

} // namespace platform
