// The engine markup read by the text surface: tags in angle brackets holding name=value pairs
// separated by semicolons, comments ("//") and script tags.
#include "engine/text/TextSurface.h"
#include "platform/GbkWalk.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <vector>

namespace Lumora {
namespace {

// Numbers are read the classic way (leading spaces, a sign, digits, anything after ignored),
// clamped so that no value from a text can overflow the layout arithmetic.
int64_t ReadNumber(std::string_view v, int64_t low, int64_t high)
{
    size_t i = 0;
    while (i < v.size() && std::isspace(static_cast<unsigned char>(v[i])))
        ++i;
    bool negative = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-'))
        negative = v[i++] == '-';
    int64_t n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        n = std::min<int64_t>(n * 10 + (v[i] - '0'), int64_t(1) << 40);
    return std::clamp(negative ? -n : n, low, high);
}

constexpr int64_t kLimit = 100000; // pixels: far beyond any picture
int32_t ReadPixels(std::string_view v) { return static_cast<int32_t>(ReadNumber(v, -kLimit, kLimit)); }
uint32_t ReadColour(std::string_view v) { return static_cast<uint32_t>(ReadNumber(v, INT32_MIN, UINT32_MAX)); }
int32_t ReadInt(std::string_view v) { return static_cast<int32_t>(ReadNumber(v, INT32_MIN, INT32_MAX)); }

} // namespace

bool TextSurface::ParseTag(std::string_view tag)
{
    char buf[256] = {};
    const size_t len = std::min<size_t>(tag.size(), 255);
    std::copy_n(tag.data(), len, buf);
    {
        std::string lower = platform::GbkLowerAsciiCopy({buf, len});
        std::copy(lower.begin(), lower.end(), buf);
    }
    const std::string_view all(buf, len);

    size_t i = 0;
    while (i < len && buf[i] == ' ')
        ++i;
    size_t start = i;
    while (i < len && buf[i] != ':' && buf[i] != '>')
        ++i;
    const std::string_view first = all.substr(start, i - start);
    if (first == "script") {
        if (secondPass_)
            return true; // the line's first pass has kept it already
        if (scripts_.size() >= kMaxScripts)
            scripts_.pop_front();
        scripts_.emplace_back(all);
        scriptIndex_ = 0;
        return true;
    }
    if (first == "//")
        return true;

    bool applied = false;
    size_t p = 0;
    while (p < len) {
        while (p < len && (buf[p] == ' ' || buf[p] == ';'))
            ++p;
        const size_t nameStart = p;
        while (p < len && buf[p] != '=' && buf[p] != '>' && !(buf[p] == ';' && p > nameStart))
            ++p;
        const std::string_view name = all.substr(nameStart, p - nameStart);
        if (p >= len) {
            applied = ApplyTag(name, {}) || applied;
            break;
        }
        while (p < len && (buf[p] == ' ' || buf[p] == '='))
            ++p;
        const size_t valueStart = p;
        while (p < len && buf[p] != ';' && buf[p] != '>')
            ++p;
        if (!ApplyTag(name, all.substr(valueStart, p - valueStart)))
            break;
        applied = true;
        if (p < len && buf[p] == '>')
            break;
    }
    return applied;
}

bool TextSurface::ApplyTag(std::string_view name, std::string_view value)
{
    TextStyle& s = current_;
    const int size = s.size, weight = s.weight;
    if (name == "color" || name == "c") {
        base_.colour = s.colour;
        s.colour = ReadColour(value);
    } else if (name == "rgb") {
        std::vector<std::string_view> parts;
        size_t from = 0;
        for (;;) {
            size_t comma = value.find(',', from);
            parts.push_back(value.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
        if (parts.size() != 3)
            return false;
        base_.colour = s.colour;
        s.colour = ReadColour(parts[0]) + 256 * ReadColour(parts[1]) + 65536 * ReadColour(parts[2]);
    } else if (name == "/color") {
        s.colour = base_.colour;
    } else if (name == "size") {
        SelectFont(ReadInt(value), weight, s.Face(), false, false);
    } else if (name == "/size") {
        SelectFont(base_.size, weight, s.Face(), false, false);
    } else if (name == "fontname") {
        std::string_view face = value;
        size_t q1 = value.find('"'), q2 = value.rfind('"');
        if (q1 != std::string_view::npos && q2 != q1)
            face = value.substr(q1 + 1, q2 - q1 - 1);
        const std::string copy(face);
        SelectFont(size, weight, copy, false, false);
    } else if (name == "/fontname") {
        SelectFont(size, weight, base_.Face(), false, false);
    } else if (name == "bold") {
        SelectFont(size, value.empty() ? 700 : ReadInt(value), s.Face(), false, false);
    } else if (name == "/bold") {
        SelectFont(size, base_.weight, s.Face(), false, false);
    } else if (name == "underline" || name == "/underline") {
        SelectFont(size, weight, s.Face(), s.italic != 0, name == "underline");
    } else if (name == "italic" || name == "/italic") {
        SelectFont(size, weight, s.Face(), name == "italic", s.underline != 0);
    } else if (name == "rowspace") {
        s.rowSpace = ReadPixels(value);
    } else if (name == "/rowspace") {
        s.rowSpace = base_.rowSpace;
    } else if (name == "pitch") {
        s.pitch = ReadPixels(value);
    } else if (name == "/pitch") {
        s.pitch = base_.pitch;
    } else if (name == "rightmargin") {
        s.rightMargin = ReadPixels(value);
    } else if (name == "/rightmargin") {
        s.rightMargin = base_.rightMargin;
    } else if (name == "leftmargin") {
        s.leftMargin = ReadPixels(value);
        lineStartX_ = std::max(lineStartX_, s.leftMargin);
    } else if (name == "/leftmargin") {
        s.leftMargin = base_.leftMargin;
    } else if (name == "break") {
        penX_ = target_.limitWidth - s.rightMargin;
    } else {
        return false;
    }
    return true;
}

} // namespace Lumora
