// Chat lines come from other players and the server: the markup walk must end, never read
// past the text or a tag, and leave the box's format as it found it; laying the result out,
// trimming, hit testing and editing it must end and keep the chain whole.
#include "widgets/ChatLayout.h"
#include "widgets/ChatMarkup.h"
#include "widgets/InputEditing.h"

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
    Lumora::ChatLayout* layout = nullptr;

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
        for (const auto& e : piece.elements)
            if (e.linkId != 0 && (e.linkId != 9 || !e.Is(Lumora::chat_flag::kLink)))
                std::abort();
        for (const auto& e : piece.elements)
            if (e.height > 30 && !e.Is(Lumora::chat_flag::kObject))
                std::abort();
        elements += piece.elements.size();
        if (layout)
            layout->Commit(piece.elements);
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
    // Any bytes as markup: the parser must hold whatever a skin could hold.
    Lumora::ParseChatMarkup(Lumora::Markup::FromSkin(std::string_view(text, size - 1)), host);
    if (!(host.format == before) || host.elements > 4 * size)
        std::abort();
    const Lumora::Markup escaped = Lumora::EscapeMarkup(std::string_view(text, size - 1));
    Host plain;
    Lumora::ParseChatMarkup(escaped, plain);

    // The same text, split at every '\n', appended line by line to a box of a size chosen by
    // the first byte, then probed and edited.
    Lumora::ChatLayout layout;
    layout.viewWidth = data[0] >> 3;
    layout.viewHeight = (data[0] & 0x38) + 1;
    layout.singleLine = data[0] & 0x40;
    layout.editable = data[0] & 0x80;
    layout.maxRows = (data[0] & 7) + 1;
    layout.rowGap = data[0] & 8 ? -3.0 : 0.2;
    Host boxed;
    boxed.rules = host.rules;
    boxed.style = host.style;
    boxed.layout = &layout;
    std::string_view rest(text, size - 1);
    while (!rest.empty()) {
        const size_t cut = rest.find('\n');
        const std::string_view line = rest.substr(0, cut == std::string_view::npos ? rest.size() : cut + 1);
        Lumora::ParseChatMarkup(Lumora::Markup::FromSkin(line), boxed);
        rest.remove_prefix(line.size());
        layout.ScrollAfterAppend();
        layout.SetCaret(layout.CaretElementAt(int(line.size()) % 97, int(rest.size()) % 89));
    }
    int chain = 0;
    for (const Lumora::ChatElement* e = layout.First(); e; e = e->next)
        if (++chain > layout.ElementCount())
            std::abort();
    if (chain != layout.ElementCount())
        std::abort();
    layout.WheelDown(16);
    layout.WheelUp(16);
    Lumora::MoveCaret(layout, Lumora::CaretMove::Up, 14);
    Lumora::MoveCaret(layout, Lumora::CaretMove::Left, 14);
    layout.Select(layout.ElementAt(1), layout.ElementAt(int(size) % 7));
    (void)layout.SelectedText({});
    layout.Backspace();
    layout.DeleteForward();
    (void)Lumora::EditText(layout);
    std::free(text);
    return 0;
}
