// The markup type's doors: the one escape of outside text, the format that escapes what it is
// given, and the characters a plain text draws.
#include "engine/text/Markup.h"

#include "platform/Charset.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace Lumora {
namespace {

// A GBK trail byte: what may follow a lead byte in a two-byte character.
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

bool IsPair(unsigned char lead, unsigned char trail) { return lead >= 0x81 && IsTrailByte(trail); }

// One conversion of a format: the flags, width and precision before its letter are kept.
bool IsConversion(char c) { return std::string_view("sdiuxXfgc").find(c) != std::string_view::npos; }

} // namespace

std::string PlainCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x7F) {
            out += text[i];
        } else if (platform::IsGbkLeadByte(b) && i + 1 < text.size() &&
                   IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
            out += text.substr(i, 2);
            ++i;
        }
    }
    return out;
}

Markup& Markup::operator+=(const Markup& more)
{
    std::string joined(Text());
    joined += more.Text();
    text_ = std::move(joined);
    return *this;
}

Markup EscapeMarkup(std::string_view text) { return EscapeMarkupKeeping(text, false, false); }

Markup EscapeMarkupKeeping(std::string_view text, bool lineEnds, bool emoticons)
{
    text = text.substr(0, text.find('\0'));
    // One line keeps just what plain text draws as characters, as a name drawn elsewhere shows.
    std::string characters;
    if (!lineEnds) {
        characters = PlainCharacters(text);
        text = characters;
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        if (c >= 0x81) {
            // A pair is copied whole; a lead byte without a proper trail would swallow the
            // markup behind the name, so it is left out.
            const unsigned char t = i + 1 < text.size() ? text[i + 1] : 0;
            if (IsPair(c, t)) {
                out += char(c);
                out += char(t);
                ++i;
            }
            continue;
        }
        // Only a whole pair may follow: a dropped lead byte would bring the next '#' up to it.
        const bool emoticon = emoticons && c == '#' && i + 2 < text.size() && IsPair(text[i + 1], text[i + 2]);
        if ((c == '#' && !emoticon) || c == '<' || c == '>')
            out += '#';
        out += char(c);
    }
    return Markup(std::move(out));
}

class MarkupFormatter {
public:
    static Markup Format(const Markup& format, std::initializer_list<MarkupArgument> arguments)
    {
        const std::string_view f = format.Text();
        std::string out;
        auto next = arguments.begin();
        for (size_t i = 0; i < f.size(); ++i) {
            if (f[i] != '%' || i + 1 >= f.size()) {
                out += f[i];
                continue;
            }
            if (f[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < f.size() && !IsConversion(f[end]) && end - i < 8)
                ++end;
            if (end >= f.size() || !IsConversion(f[end])) {
                out += f[i];
                continue;
            }
            if (next != arguments.end())
                Append(out, f.substr(i, end - i), f[end], *next++);
            i = end;
        }
        return Markup(std::move(out));
    }

private:
    // Flags, width and precision read by hand, so that no format string is built at run time.
    static void Append(std::string& out, std::string_view spec, char conversion, const MarkupArgument& argument)
    {
        if (const auto* markup = std::get_if<Markup>(&argument.value_)) {
            out += markup->Text();
            return;
        }
        size_t i = 1;
        bool left = false, zeros = false, plus = false;
        for (; i < spec.size() && std::string_view("-0+ ").find(spec[i]) != std::string_view::npos; ++i)
            (spec[i] == '-' ? left : spec[i] == '0' ? zeros : plus) = spec[i] != ' ';
        int width = 0, precision = 6;
        for (; i < spec.size() && spec[i] >= '0' && spec[i] <= '9'; ++i)
            width = width * 10 + (spec[i] - '0');
        if (i < spec.size() && spec[i] == '.') {
            precision = 0;
            for (++i; i < spec.size() && spec[i] >= '0' && spec[i] <= '9'; ++i)
                precision = precision * 10 + (spec[i] - '0');
        }
        char buffer[64];
        std::to_chars_result written{};
        bool negative = false;
        if (const auto* number = std::get_if<int64_t>(&argument.value_)) {
            negative = *number < 0;
            const uint64_t magnitude = negative ? 0 - uint64_t(*number) : uint64_t(*number);
            const int base = conversion == 'x' || conversion == 'X' ? 16 : 10;
            written = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
            if (conversion == 'X')
                for (char* c = buffer; c < written.ptr; ++c)
                    *c = char(std::toupper(static_cast<unsigned char>(*c)));
        } else {
            const double real = std::get<double>(argument.value_);
            negative = real < 0;
            written = std::to_chars(buffer, buffer + sizeof buffer, negative ? -real : real, std::chars_format::fixed,
                                    precision);
        }
        std::string digits(buffer, written.ptr);
        const std::string sign = negative ? "-" : plus ? "+" : "";
        const size_t fill = size_t(std::max<int>(0, width - int(sign.size() + digits.size())));
        if (left)
            out += sign + digits + std::string(fill, ' ');
        else if (zeros)
            out += sign + std::string(fill, '0') + digits;
        else
            out += std::string(fill, ' ') + sign + digits;
    }
};

Markup FormatMarkup(const Markup& format, std::initializer_list<MarkupArgument> arguments)
{
    return MarkupFormatter::Format(format, arguments);
}

} // namespace Lumora
