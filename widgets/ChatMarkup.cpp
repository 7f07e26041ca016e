#include "widgets/ChatMarkup.h"


#include <algorithm>
#include <climits>

namespace Lumora {

namespace {

constexpr uint32_t kLinkColour = 0xFF0000;
// Whole tags: the attribute tags are matched anywhere inside a tag, these only as they stand.
constexpr std::string_view kUnbrokenOpen = "nobr";
constexpr std::string_view kUnbrokenClose = "/nobr";

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexDigit(unsigned char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

uint32_t MarkupColourNumber(std::string_view text)
{
    uint32_t value = 0;  // wraps like the 32-bit word it fills
    for (unsigned char c : text) {
        if (!IsDigit(c))
            break;
        value = value * 10u + uint32_t(c - '0');
    }
    return value;
}

int ClampHeight(long long height, int maxHeight)
{
    const long long cap = std::clamp(maxHeight, 0, int(UINT16_MAX));
    return int(std::clamp(height, 0LL, cap));
}

void PushCharacter(ChatMarkupHost& host, uint32_t code, bool twoByte)
{
    const ChatFormat& f = host.MarkupFormat();
    const int gap = host.MarkupCharGap();
    ChatElement e;
    const uint16_t h = uint16_t(ClampHeight(f.height, host.MarkupMaxFontHeight()));
    e.fontHeight = h;
    e.height = h;
    e.width = twoByte ? h : uint16_t(h / 2);
    e.gap = twoByte ? 2 * gap : gap;
    e.flags = (twoByte ? chat_flag::kTwoByte : chat_flag::kOneByte) | (f.flags & chat_flag::kFormatMask);
    if (!twoByte && code == '\n') {
        e.flags |= chat_flag::kLineBreak;
        e.width = 0;
        e.gap = 0;
    }
    e.code = code;
    e.colour = f.colour;
    e.face = uint16_t(std::max(0, f.faceIndex));
    host.MarkupPiece().elements.push_back(e);
}

void InsertObject(ChatMarkupHost& host, const ChatObjectRequest& request)
{
    const std::optional<ChatObjectInfo> info = host.CreateMarkupObject(request);
    if (!info)
        return;
    ChatElement e;
    e.width = uint16_t(std::clamp(info->width, 0, int(UINT16_MAX)));
    e.height = uint16_t(std::clamp(info->height, 0, int(UINT16_MAX)));
    e.code = info->id;
    e.flags = chat_flag::kObject | (request.kind == ChatObjectKind::LinkButton ? chat_flag::kLinkButton : 0);
    e.gap = 2 * host.MarkupCharGap();
    e.colour = host.MarkupFormat().colour;
    host.MarkupPiece().elements.push_back(e);
}

int LoadFlag(std::string_view item)
{
    if (item == "TRUE")
        return 1;
    if (item == "FALSE")
        return 0;
    return MarkupNumber(item);
}

} // namespace

std::optional<uint32_t> ColourLetter(char letter)
{
    switch (letter | 0x20) {
    case 'w': return 0xFFFFFF;
    case 'b': return 0xFF0000;
    case 'k': return 0x000000;
    case 'r': return 0x0000FF;
    case 'g': return 0x00FF00;
    case 'y': return 0x00FFFF;
    default: return std::nullopt;
    }
}

int MarkupNumber(std::string_view text)
{
    long long value = 0;
    for (unsigned char c : text) {
        if (!IsDigit(c))
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return int(value);
}

std::string_view MarkupTextValue(std::string_view tag, size_t valueStart)
{
    if (valueStart >= tag.size())
        return {};
    const size_t end = tag.find(';', valueStart);
    return tag.substr(valueStart, end == std::string_view::npos ? std::string_view::npos : end - valueStart);
}

std::vector<std::string_view> SplitMarkupItems(std::string_view value)
{
    std::vector<std::string_view> items;
    size_t start = 0;
    while (start < value.size()) {
        const size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) {
            items.push_back(value.substr(start));
            break;
        }
        items.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

namespace {

} // namespace

Markup EscapeMarkupLines(std::string_view text) { return EscapeMarkupKeeping(text, true, false); }

Markup EscapeChatText(std::string_view text) { return EscapeMarkupKeeping(text, true, true); }

Markup UnbrokenMarkup(std::string_view text) { return Markup("<nobr>") + EscapeMarkup(text) + Markup("</nobr>"); }

void AppendChatCharacters(std::string_view text, ChatMarkupHost& host)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        if (c == 0)
            break;
        if (c == '\r')
            continue;
        if (c >= 0x81) {
            if (i + 1 >= text.size() || text[i + 1] == 0)
                break;  // a lead byte with no trail is dropped
            PushCharacter(host, uint32_t(c) | uint32_t((unsigned char)text[i + 1]) << 8, true);
            ++i;
            continue;
        }
        PushCharacter(host, c, false);
    }
}

void AppendChatLink(std::string_view address, std::string_view label, std::string_view hover, ChatMarkupHost& host)
{
    if (!(host.MarkupStyle() & chat_style::kLinks)) {
        AppendChatCharacters(label, host);
        return;
    }
    ChatFormat& f = host.MarkupFormat();
    const uint32_t savedColour = f.colour, savedFlags = f.flags;
    f.colour = kLinkColour;
    f.flags |= chat_flag::kUnderline | chat_flag::kLink;
    ChatPiece& piece = host.MarkupPiece();
    const size_t first = piece.elements.size();
    AppendChatCharacters(label, host);
    // A link with no visible character would have nothing to hover or click: no object.
    if (piece.elements.size() > first) {
        piece.elements[first].flags |= chat_flag::kLinkFirst;
        piece.elements.back().flags |= chat_flag::kLinkLast;
        if (const uint32_t id = host.CreateLinkObject(address, hover))
            for (size_t i = first; i < piece.elements.size(); ++i)
                piece.elements[i].linkId = id;
    }
    ChatFormat& g = host.MarkupFormat();
    g.colour = savedColour;
    g.flags = savedFlags;
}

bool ApplyChatFormatTag(std::string_view tag, ChatMarkupHost& host, const ChatTagRules& rules)
{
    constexpr auto npos = std::string_view::npos;
    if (tag.find("notify") != npos)
        return true;
    ChatFormat& f = host.MarkupFormat();
    if (tag == kUnbrokenOpen || tag == kUnbrokenClose) {
        f.flags = tag == kUnbrokenOpen ? f.flags | chat_flag::kUnbroken : f.flags & ~chat_flag::kUnbroken;
        return true;
    }
    const int maxHeight = host.MarkupMaxFontHeight();
    bool applied = false;
    size_t p;
    if (tag.find("e=b") != npos)
        f.flags |= chat_flag::kBold, applied = true;
    if (tag.find("e=u") != npos)
        f.flags |= chat_flag::kUnderline, applied = true;
    if (tag.find("e=i") != npos)
        f.flags |= chat_flag::kItalic, applied = true;
    if ((p = tag.find("c=")) != npos)
        f.colour = MarkupColourNumber(tag.substr(p + 2)), applied = true;
    if ((p = tag.find("color=")) != npos) {
        int d[6] = {};
        for (size_t k = 0; k < 6 && p + 6 + k < tag.size(); ++k)
            d[k] = HexDigit(tag[p + 6 + k]);
        f.colour = uint32_t(d[0] * 16 + d[1]) | uint32_t(d[2] * 16 + d[3]) << 8 | uint32_t(d[4] * 16 + d[5]) << 16;
        applied = true;
    }
    if ((p = tag.find('#')) != npos && p + 1 < tag.size())
        if (const auto colour = ColourLetter(tag[p + 1]))
            f.colour = *colour, applied = true;
    if (rules.chatBoxExtensions && (p = tag.find("s=")) != npos)
        f.height = ClampHeight(MarkupNumber(tag.substr(p + 2)) * 96LL / 1440, maxHeight), applied = true;
    if ((p = tag.find("size=")) != npos)
        f.height = ClampHeight(MarkupNumber(tag.substr(p + 5)), maxHeight), applied = true;
    if (rules.chatBoxExtensions && (f.flags & chat_flag::kBold))
        f.height = ClampHeight(f.height + 1LL, maxHeight);
    if ((p = tag.find("face=")) != npos) {
        f.face = CutFaceName(MarkupTextValue(tag, p + 5));
        f.faceIndex = host.MarkupFaceIndex(f.face);
        applied = true;
    }
    bool selfLink = false;
    if (rules.chatBoxExtensions) {
        const bool el = tag.find("e=l") != npos;
        selfLink = tag.find("url=l") != npos;
        if (el || selfLink) {
            applied = true;
            if (host.MarkupStyle() & chat_style::kLinks) {
                ChatPiece& piece = host.MarkupPiece();
                const std::string_view rest = piece.text.substr(std::min(piece.pos, piece.text.size()));
                const size_t open = rest.find('<');
                if (open != npos && open + 1 < rest.size() && rest[open + 1] == '>') {
                    piece.pos += open + 2;
                    const std::string label(rest.substr(0, open));
                    AppendChatLink(label, label, {}, host);
                }
            }
        }
    }
    if (!selfLink && (p = tag.find("url=")) != npos) {
        const std::string address(MarkupTextValue(tag, p + 4));
        AppendChatLink(address, address, {}, host);
        applied = true;
    }
    if ((p = tag.find("url_text=")) != npos) {
        const auto items = SplitMarkupItems(MarkupTextValue(tag, p + 9));
        if (items.size() >= 2) {
            AppendChatLink(items[0], items[1], items.size() > 2 ? items[2] : std::string_view(), host);
            applied = true;
        }
    }
    if ((p = tag.find("url_load=")) != npos && (host.MarkupStyle() & chat_style::kLoadUrls)) {
        const auto items = SplitMarkupItems(MarkupTextValue(tag, p + 9));
        if (items.size() >= 2) {
            const int flag = items.size() > 2 ? LoadFlag(items[2]) : 0;
            const std::string_view extra = items.size() > 3 ? items[3] : std::string_view();
            if (host.OnLoadUrl(items[1], items[0], flag, extra))
                applied = true;
        }
    }
    return applied;
}

bool ApplyChatObjectTag(std::string_view tag, ChatMarkupHost& host, const ChatTagRules& rules)
{
    if (rules.chatBoxExtensions)
        if (const auto consumed = ApplyEmoticonTag(tag, host))
            return *consumed;
    constexpr auto npos = std::string_view::npos;
    ChatObjectRequest request;
    size_t p;
    if ((p = tag.find("z=")) != npos) {
        request.kind = ChatObjectKind::Picture;
        p += 2;
    } else if ((p = tag.find("m=")) != npos) {
        request.kind = ChatObjectKind::Animation;
        p += 2;
    } else if ((p = tag.find("url_btn=")) != npos) {
        request.kind = ChatObjectKind::LinkButton;
        p += 8;
    } else {
        return false;
    }
    const auto items = SplitMarkupItems(MarkupTextValue(tag, p));
    if (request.kind == ChatObjectKind::LinkButton) {
        if (!(host.MarkupStyle() & chat_style::kLinks) || items.size() < 2)
            return false;
        request.address = std::string(items[0]);
        request.picture = std::string(items[1]);
        request.text = request.address;
    } else {
        if (items.empty())
            return false;
        request.picture = std::string(items[0]);
        if (request.kind == ChatObjectKind::Picture && items.size() >= 2)
            request.frame = MarkupNumber(items[1]);
        request.text = "[图片]";
    }
    if (items.size() == 4) {
        request.width = MarkupNumber(items[2]);
        request.height = MarkupNumber(items[3]);
    }
    InsertObject(host, request);
    return true;
}

std::optional<bool> ApplyEmoticonTag(std::string_view tag, ChatMarkupHost& host)
{
    const size_t p = tag.find('#');
    if (p == std::string_view::npos)
        return std::nullopt;
    // Four bytes, all inside the tag: a short code is not an emoticon.
    if (tag.size() - p - 1 < 4)
        return false;
    const std::string_view code = tag.substr(p + 1, 4);
    if (code.find('\0') != std::string_view::npos)
        return false;
    const std::string name = "xyf" + std::string(code);
    if (!host.MarkupPictureExists(name))
        return false;
    ChatObjectRequest request;
    request.kind = ChatObjectKind::Emoticon;
    request.picture = name;
    request.text = "#" + std::string(code);
    InsertObject(host, request);
    return true;
}

void ParseChatMarkup(const Markup& markup, ChatMarkupHost& host)
{
    // The text is a C string to its writers: nothing behind a NUL belongs to it.
    std::string_view text = markup.Text();
    text = text.substr(0, text.find('\0'));
    const ChatFormat saved = host.MarkupFormat();
    ChatPiece& piece = host.MarkupPiece();
    piece = ChatPiece{};
    piece.text = text;
    const size_t n = text.size();
    while (piece.pos < n) {
        const size_t i = piece.pos;
        const unsigned char c = text[i];
        if (c == '\r') {
            piece.pos = i + 1;
            continue;
        }
        if (c == '#' && i + 1 < n) {
            const unsigned char d = text[i + 1];
            if (d == '#' || d == '<' || d == '>' || d == '/') {
                PushCharacter(host, d, false);
                piece.pos = i + 2;
                continue;
            }
            if (IsLetter(d)) {
                piece.pos = i + 2;
                if (host.ParseFormatTag(text.substr(i, 2)))
                    continue;
            } else if (!(IsDigit(d) && i + 2 < n && IsDigit(text[i + 2])) && n - i >= 5) {
                piece.pos = i + 5;
                if (host.ParseObjectTag(text.substr(i, 5)))
                    continue;
            }
            PushCharacter(host, '#', false);
            piece.pos = i + 1;
            continue;
        }
        if (c == '<') {
            const size_t close = text.find('>', i + 1);
            if (close == i + 1) {
                host.MarkupFormat() = saved;
                piece.pos = i + 2;
                continue;
            }
            if (close != std::string_view::npos) {
                const std::string_view tag = text.substr(i + 1, close - i - 1);
                piece.pos = close + 1;
                if (host.ParseFormatTag(tag) || host.ParseObjectTag(tag))
                    continue;
            }
            PushCharacter(host, '<', false);
            piece.pos = i + 1;
            continue;
        }
        if (c >= 0x81) {
            if (i + 1 >= n)
                break;  // a lead byte with no trail is dropped
            PushCharacter(host, uint32_t(c) | uint32_t((unsigned char)text[i + 1]) << 8, true);
            piece.pos = i + 2;
            continue;
        }
        PushCharacter(host, c, false);
        piece.pos = i + 1;
    }
    host.CommitPiece();
    host.MarkupFormat() = saved;
}

} // namespace Lumora
