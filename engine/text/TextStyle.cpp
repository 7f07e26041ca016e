#include "engine/text/TextStyle.h"

#include "platform/Charset.h"

namespace Lumora {

void TextStyle::SetFace(std::string_view name)
{
    size_t n = 0;
    while (n < name.size() && name[n] != '\0') {
        size_t step = platform::IsGbkLeadByte(static_cast<unsigned char>(name[n])) && n + 1 < name.size() ? 2 : 1;
        if (n + step > sizeof face - 1)
            break;
        n += step;
    }
    std::memset(face, 0, sizeof face);
    std::memcpy(face, name.data(), n);
}

} // namespace Lumora
