#pragma once
// The two kinds of text a text call takes, told apart by their type. Markup (the engine's tags
// and the chat's) is read by a parser; it can be made only from the program's own string
// literals, from a skin's text (Markup::FromSkin, where a pack or skin text is read), and from
// outside text through the one escape, EscapeMarkup. A format that puts a runtime value into
// markup goes through FormatMarkup, which escapes each string it is given. Any other string (a
// std::string, a view, a char pointer) handed to a text call is PlainText and is drawn as written.
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace Lumora {

class Markup {
public:
    Markup() = default;
    // The program's own words: a string literal (or a constant array) only, checked as the
    // program is compiled; a runtime buffer does not compile here.
    template <size_t N>
    consteval Markup(const char (&literal)[N]) : text_(std::string_view(literal, N - 1))
    {
    }
    // A text of the skins or the program's packs, which are the program's own.
    static Markup FromSkin(std::string_view text) { return Markup(std::string(text)); }
    // The game server's own chat-box notice, which is written in markup (its links are the
    // server's); no other server text is.
    static Markup FromServer(std::string_view text) { return Markup(std::string(text)); }

    std::string_view Text() const
    {
        return std::visit([](const auto& t) { return std::string_view(t); }, text_);
    }
    bool empty() const { return Text().empty(); }
    size_t size() const { return Text().size(); }

    Markup& operator+=(const Markup& more);
    friend Markup operator+(Markup a, const Markup& b) { return a += b; }
    friend bool operator==(const Markup& a, std::string_view b) { return a.Text() == b; }
    template <class M>
        requires std::same_as<M, Markup>
    friend bool operator==(const Markup& a, const M& b)
    {
        return a.Text() == b.Text();
    }
    // The first `bytes` bytes or what follows them; whoever cuts keeps tags whole.
    Markup Cut(size_t from, size_t bytes = std::string_view::npos) const
    {
        return Markup(std::string(Text().substr(from, bytes)));
    }

private:
    explicit Markup(std::string text) : text_(std::move(text)) {}
    friend Markup EscapeMarkupKeeping(std::string_view text, bool lineEnds, bool emoticons);
    friend class MarkupFormatter;

    std::variant<std::string_view, std::string> text_;
};

// Any string that is not Markup: drawn, measured and cut as the characters PlainCharacters keeps
// of it. A character array is left out on purpose: a literal is the program's Markup.
class PlainText {
public:
    template <class S>
        requires(std::convertible_to<const S&, std::string_view> && !std::is_array_v<S> &&
                 !std::same_as<S, Markup>)
    PlainText(const S& text) : text_(text)
    {
    }
    std::string_view Text() const { return text_; }

private:
    std::string_view text_;
};

// What a plain call draws of a text: its printable ASCII and whole two-byte characters, in order;
// a control byte, 0x80, 0xFF or a lead byte with no trail is dropped, never joined with what follows.
std::string PlainCharacters(std::string_view text);

// Whether an escape of the one escape ("#<", "#>", "##": the second byte drawn as a character)
// starts at `at` of a markup text.
constexpr bool IsMarkupEscape(std::string_view text, size_t at)
{
    return text[at] == '#' && at + 1 < text.size() && (text[at + 1] == '<' || text[at + 1] == '>' || text[at + 1] == '#');
}

// The one escape: outside text as markup that draws exactly what PlainCharacters keeps of it
// ('#', '<' and '>' escaped with '#', no line end), in the style around it.
Markup EscapeMarkup(std::string_view text);
// The same keeping the text's own line ends (a downloaded notice), and also its emoticon codes
// ('#' and a two-byte character, a player's chat); for the chat's own escapes.
Markup EscapeMarkupKeeping(std::string_view text, bool lineEnds, bool emoticons);

// An argument of FormatMarkup: a string is escaped, Markup goes in as it is, a number is written.
class MarkupArgument {
public:
    MarkupArgument(const Markup& markup) : value_(markup) {}
    MarkupArgument(std::string_view text) : value_(EscapeMarkup(text)) {}
    MarkupArgument(const std::string& text) : value_(EscapeMarkup(text)) {}
    MarkupArgument(const char* text) : value_(EscapeMarkup(text ? text : "")) {}
    template <std::integral N>
    MarkupArgument(N number) : value_(static_cast<int64_t>(number))
    {
    }
    MarkupArgument(double number) : value_(number) {}

private:
    friend class MarkupFormatter;
    std::variant<Markup, int64_t, double> value_;
};

// A printf-style format of the program (%s, %d, %u, %x, %f with flags and width; %% for '%')
// with each value put in through MarkupArgument. A missing argument writes nothing.
Markup FormatMarkup(const Markup& format, std::initializer_list<MarkupArgument> arguments);
template <class... Arguments>
Markup FormatMarkup(const Markup& format, const Arguments&... arguments)
{
    return FormatMarkup(format, {MarkupArgument(arguments)...});
}

} // namespace Lumora
