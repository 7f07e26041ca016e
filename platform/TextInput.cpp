#include "platform/TextInput.h"

#include "platform/Charset.h"

namespace platform {

std::string TypedTextToGbk(std::string_view utf8)
{
    std::string out;
    size_t at = 0;
    while (at < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        size_t width = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (width > utf8.size() - at)
            width = utf8.size() - at;
        const std::string_view one = utf8.substr(at, width);
        at += width;
        if (lead < 0x20 || lead == 0x7F)
            continue;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        const std::string gbk = Utf8ToGbk(one);
        // A character that does not convert comes back as a lone '?'.
        if (gbk.size() == 2 && IsGbkLeadByte(static_cast<unsigned char>(gbk[0])))
            out += gbk;
    }
    return out;
}

} // namespace platform
