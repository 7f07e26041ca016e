#include "engine/util/TextUtil.h"

#include "platform/GbkWalk.h"

#include <cstdlib>
#include <cstring>

int ParseBool(const std::string& text)
{
    if (text == "TRUE")
        return 1;
    if (text == "FALSE")
        return 0;
    return std::atoi(text.c_str());
}

void LowerAscii(std::string& text)
{
    platform::GbkLowerAscii(text);
}

std::string EllipsizeText(std::string_view source, size_t size)
{
    if (size == 0)
        return {};
    if (source.size() <= size - 1)
        return std::string(source);
    const bool dots = size >= 4;
    const size_t room = size - 1 - (dots ? 3 : 0);
    size_t cut = 0;
    while (cut < source.size()) {
        const size_t step = platform::GbkCharLength(source, cut);
        if (cut + step > room)
            break;
        cut += step;
    }
    std::string out(source.substr(0, cut));
    if (dots)
        out += "...";
    return out;
}

void EllipsizeText(std::string_view source, char* destination, size_t size)
{
    if (size == 0 || !destination)
        return;
    const std::string fitted = EllipsizeText(source, size);
    std::memcpy(destination, fitted.data(), fitted.size());
    destination[fitted.size()] = '\0';
}

namespace {

template <typename List>
int SplitInto(std::string_view text, List& out)
{
    int count = 0;
    size_t comma;
    while ((comma = text.find(',')) != std::string_view::npos) {
        out.emplace_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
        ++count;
    }
    if (!text.empty()) {
        out.emplace_back(text);
        ++count;
    }
    return count;
}

} // namespace

int SplitText(std::string_view text, std::vector<std::string>& out)
{
    return SplitInto(text, out);
}

int SplitAtCommas(std::string_view text, std::list<std::string>& out)
{
    return SplitInto(text, out);
}

int CStringToInt(const std::string& text)
{
    return std::atoi(text.c_str());
}

std::string MakeCString(const char* text)
{
    return text ? std::string(text) : std::string();
}
