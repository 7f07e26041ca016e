#include "platform/Charset.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// One conversion with iconv; an invalid or incomplete sequence of `badWidth` input bytes
// becomes a '?' in the output and the walk goes on.
std::string Convert(const char* to, const char* from, std::string_view in, bool gbkInput)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[512];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip one character's worth of input.
        size_t skip = 1;
        if (gbkInput) {
            if (IsGbkLeadByte(static_cast<unsigned char>(*src)) && srcLeft >= 2)
                skip = 2;
        } else {
            unsigned char lead = static_cast<unsigned char>(*src);
            size_t width = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = 1;
            while (skip < width && skip < srcLeft &&
                   (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
                ++skip;
        }
        if (skip > srcLeft)
            skip = srcLeft;
        src += skip;
        srcLeft -= skip;
        out.push_back('?');
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, true); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, false); }

} // namespace platform
