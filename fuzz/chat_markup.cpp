// Chat lines come from other players and the server: the markup walk must end, never read
// past the text or a tag, and leave the box's format as it found it.
#include "widgets/ChatMarkup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

class Host final : public Lumora::ChatMarkupHost {
public:
    Lumora::ChatFormat format;
    Lumora::ChatPiece piece;
    Lumora::ChatTagRules rules;
    uint32_t style = 0;
    size_t elements = 0;

    Lumora::ChatFormat& MarkupFormat() override { return format; }
    Lumora::ChatPiece& MarkupPiece() override { return piece; }
    uint32_t MarkupStyle() const override { return style; }
    int MarkupMaxFontHeight() const override { return 30; }
    int MarkupCharGap() const override { return 1; }
    int MarkupFaceIndex(std::string_view face) override { return face == "x" ? 1 : 0; }
    bool ParseFormatTag(std::string_view tag) override { return Lumora::ApplyChatFormatTag(tag, *this, rules); }
    bool ParseObjectTag(std::string_view tag) override { return Lumora::ApplyChatObjectTag(tag, *this, rules); }
    bool MarkupPictureExists(std::string_view name) override { return name.size() % 2 == 1; }
    std::optional<Lumora::ChatObjectInfo> CreateMarkupObject(const Lumora::ChatObjectRequest& r) override
    {
        if (r.picture.size() % 2 == 0)
            return std::nullopt;
        return Lumora::ChatObjectInfo{7, r.width, r.height};
    }
    uint32_t CreateLinkObject(std::string_view, std::string_view) override { return 9; }
    bool OnLoadUrl(std::string_view, std::string_view, int, std::string_view) override { return true; }
    void CommitPiece() override
    {
        for (auto [index, id] : piece.linkStarts)
            if (index >= piece.elements.size() || id != 9)
                std::abort();
        for (const auto& e : piece.elements)
            if (e.height > 30 && !e.Is(Lumora::chat_flag::kObject))
                std::abort();
        elements += piece.elements.size();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Host host;
    host.rules.chatBoxExtensions = data[0] & 1;
    host.style = (data[0] & 2 ? Lumora::chat_style::kLinks : 0) | (data[0] & 4 ? Lumora::chat_style::kLoadUrls : 0);
    const Lumora::ChatFormat before = host.format;
    // An exact-size copy so that the sanitizer sees any read behind the text.
    char* text = static_cast<char*>(std::malloc(size - 1 ? size - 1 : 1));
    std::memcpy(text, data + 1, size - 1);
    Lumora::ParseChatMarkup(std::string_view(text, size - 1), host);
    if (!(host.format == before) || host.elements > 4 * size)
        std::abort();
    const std::string escaped = Lumora::EscapeMarkup(std::string_view(text, size - 1));
    Host plain;
    Lumora::ParseChatMarkup(escaped, plain);
    std::free(text);
    return 0;
}
