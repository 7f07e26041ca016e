#pragma once
// A library opened when first needed and never closed (its global state lives to the end of the
// process), and the look-up of its functions.
#include <cstdio>
#include <dlfcn.h>

namespace platform {

class SharedLibrary {
public:
    // Says on stderr, after `topic`, why `file` could not be opened.
    SharedLibrary(const char* file, const char* topic) : handle_(::dlopen(file, RTLD_LAZY | RTLD_LOCAL))
    {
        if (!handle_)
            std::fprintf(stderr, "%s: %s not loaded (%s)\n", topic, file, ::dlerror());
    }

    bool Opened() const { return handle_ != nullptr; }

    // Sets `to` to the function `name`, null when it is missing; false once any was missing.
    template <typename F>
    bool Find(const char* name, F& to)
    {
        to = reinterpret_cast<F>(::dlsym(handle_, name));
        foundAll_ = foundAll_ && to != nullptr;
        return to != nullptr;
    }
    bool FoundAll() const { return foundAll_; }

private:
    void* handle_;
    bool foundAll_ = true;
};

} // namespace platform
