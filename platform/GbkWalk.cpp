#include "platform/GbkWalk.h"

#include "platform/Charset.h"

namespace platform {

size_t GbkCharLength(std::string_view text, size_t i)
{
    return IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

size_t GbkFindFirstOf(std::string_view text, std::string_view set, size_t from)
{
    for (size_t i = from; i < text.size(); i += GbkCharLength(text, i))
        if (GbkCharLength(text, i) == 1 && set.find(text[i]) != std::string_view::npos)
            return i;
    return std::string_view::npos;
}

size_t GbkFindLastOf(std::string_view text, std::string_view set)
{
    size_t found = std::string_view::npos;
    for (size_t i = GbkFindFirstOf(text, set); i != std::string_view::npos; i = GbkFindFirstOf(text, set, i + 1))
        found = i;
    return found;
}

void GbkReplace(std::string& text, char from, char to)
{
    for (size_t i = GbkFindFirstOf(text, {&from, 1}); i != std::string::npos; i = GbkFindFirstOf(text, {&from, 1}, i + 1))
        text[i] = to;
}

void GbkLowerAscii(std::string& text)
{
    for (size_t i = 0; i < text.size(); i += GbkCharLength(text, i))
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

std::string GbkLowerAsciiCopy(std::string_view text)
{
    std::string out(text);
    GbkLowerAscii(out);
    return out;
}

bool GbkEqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && GbkLowerAsciiCopy(a) == GbkLowerAsciiCopy(b);
}

} // namespace platform
