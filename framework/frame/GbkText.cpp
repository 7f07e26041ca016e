#include "framework/frame/GbkText.h"

#include "platform/Charset.h"

namespace framework {

std::string CutGbk(std::string_view gbk, size_t limit)
{
    size_t end = 0;
    while (end < gbk.size()) {
        const size_t step = platform::IsGbkLeadByte(static_cast<unsigned char>(gbk[end])) ? 2 : 1;
        if (end + step > limit || end + step > gbk.size())
            break;
        end += step;
    }
    return std::string(gbk.substr(0, end));
}

} // namespace framework
