#pragma once
// The running format of a chat box (what every appended character copies), the element flags
// and the style flags of chat boxes, and the one laid-out item, ChatElement.
#include <cstdint>
#include <string>
#include <string_view>

namespace Lumora {

namespace chat_flag {
inline constexpr uint32_t kOneByte = 0x1;
inline constexpr uint32_t kTwoByte = 0x2;
// A character of a run that wraps only when the run alone is wider than the line (a name).
inline constexpr uint32_t kUnbroken = 0x40;
inline constexpr uint32_t kObject = 0x8;
inline constexpr uint32_t kItalic = 0x10;
inline constexpr uint32_t kUnderline = 0x20;
inline constexpr uint32_t kBold = 0x80;
inline constexpr uint32_t kAddressText = 0x100;
inline constexpr uint32_t kLinkButton = 0x200;
inline constexpr uint32_t kLinkFirst = 0x400;
inline constexpr uint32_t kLinkLast = 0x800;
inline constexpr uint32_t kLineBreak = 0x1000;
inline constexpr uint32_t kLink = 0x2000;
inline constexpr uint32_t kNotDrawn = 0x4000;
inline constexpr uint32_t kHidden = 0x8000;
// The flags a format carries into its characters.
inline constexpr uint32_t kFormatMask = kItalic | kUnderline | kBold | kLink | kUnbroken;
} // namespace chat_flag

namespace chat_style {
inline constexpr uint32_t kScrollBars = 0x1;
inline constexpr uint32_t kAutoScroll = 0x2;
inline constexpr uint32_t kSelectable = 0x4;
inline constexpr uint32_t kDecoration = 0x8;
inline constexpr uint32_t kBackgroundPicture = 0x100;
inline constexpr uint32_t kBackgroundColour = 0x200;
inline constexpr uint32_t kLinks = 0x400;
inline constexpr uint32_t kLoadUrls = 0x800;
inline constexpr uint32_t kSingleLine = 0x2000;
inline constexpr uint32_t kEditable = 0x4000;
inline constexpr uint32_t kGrowToFit = 0x8000;
inline constexpr uint32_t kPassword = 0x10000;
inline constexpr uint32_t kImmediateRefresh = 0x20000;
inline constexpr uint32_t kHistory = 0x40000;
inline constexpr uint32_t kHideOnFocusLoss = 0x80000;
inline constexpr uint32_t kLiveNotify = 0x100000;
inline constexpr uint32_t kDefault = 0x202;
} // namespace chat_style

inline constexpr uint32_t kDefaultChatColour = 0x010101;
inline constexpr int kDefaultMaxFontHeight = 1000;
inline constexpr size_t kMaxFaceNameBytes = 31;

// At most 31 bytes of a face name, never ending inside a two-byte character.
inline std::string CutFaceName(std::string_view face)
{
    size_t end = 0;
    while (end < face.size()) {
        const size_t step = (unsigned char)face[end] >= 0x81 ? 2 : 1;
        if (end + step > face.size() || end + step > kMaxFaceNameBytes)
            break;
        end += step;
    }
    return std::string(face.substr(0, end));
}

struct ChatFormat {
    int height = 14;                  // pixels; one-byte characters are half as wide
    uint32_t colour = kDefaultChatColour;  // 0x00BBGGRR
    uint32_t flags = 0;               // chat_flag::kFormatMask bits
    std::string face = "宋体";
    int faceIndex = 0;                // entry of the box's face table

    bool operator==(const ChatFormat&) const = default;
};

struct ChatElement {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    int32_t rowTop = 0;
    int32_t gap = 0;
    uint32_t flags = 0;
    // One byte, or two GBK bytes with the lead byte low; for an object element its object id.
    uint32_t code = 0;
    uint32_t colour = 0;
    uint16_t face = 0;
    uint16_t fontHeight = 0;
    uint32_t linkId = 0;          // link object of a linked character, 0 for none
    ChatElement* next = nullptr;  // the chain; elements live in the box's pool

    bool Is(uint32_t f) const { return (flags & f) != 0; }
    int32_t Right() const { return x + width; }
    int32_t Bottom() const { return y + height; }
    // The character's bytes (one or two); empty for other elements.
    std::string Text() const;
};

inline std::string ChatElement::Text() const
{
    if (flags & chat_flag::kTwoByte)
        return {char(code & 0xFF), char((code >> 8) & 0xFF)};
    if (flags & chat_flag::kOneByte)
        return std::string(1, char(code & 0xFF));
    return {};
}

} // namespace Lumora
