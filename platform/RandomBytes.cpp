#include "platform/RandomBytes.h"

#include <cerrno>
#include <sys/random.h>

namespace platform {

bool RandomBytes(void* out, size_t n)
{
    auto* p = static_cast<unsigned char*>(out);
    while (n > 0) {
        const ssize_t got = ::getrandom(p, n, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

} // namespace platform
