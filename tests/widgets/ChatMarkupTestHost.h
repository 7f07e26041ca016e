#pragma once
// A markup host without an engine: it keeps the committed elements, makes pretend objects for
// the pictures it is told exist, and records links, load requests and faces.
#include "widgets/ChatMarkup.h"

#include <set>
#include <string>
#include <vector>

namespace chat_test {

struct MadeLink {
    uint32_t id;
    std::string address;
    std::string hover;
};

class MarkupHost : public Lumora::ChatMarkupHost {
public:
    explicit MarkupHost(bool chatBox = false, uint32_t style = Lumora::chat_style::kLinks) : style(style)
    {
        rules.chatBoxExtensions = chatBox;
    }

    Lumora::ChatFormat& MarkupFormat() override { return format; }
    Lumora::ChatPiece& MarkupPiece() override { return piece; }
    uint32_t MarkupStyle() const override { return style; }
    int MarkupMaxFontHeight() const override { return maxFont; }
    int MarkupCharGap() const override { return charGap; }
    int MarkupFaceIndex(std::string_view face) override
    {
        for (size_t i = 0; i < faces.size(); ++i)
            if (faces[i] == face)
                return int(i);
        return 0;
    }
    bool ParseFormatTag(std::string_view tag) override { return Lumora::ApplyChatFormatTag(tag, *this, rules); }
    bool ParseObjectTag(std::string_view tag) override { return Lumora::ApplyChatObjectTag(tag, *this, rules); }
    bool MarkupPictureExists(std::string_view name) override { return pictures.count(std::string(name)) != 0; }
    std::optional<Lumora::ChatObjectInfo> CreateMarkupObject(const Lumora::ChatObjectRequest& r) override
    {
        if (!pictures.count(r.picture)) {
            missing.push_back(r.picture);
            return std::nullopt;
        }
        objects.push_back(r);
        return Lumora::ChatObjectInfo{uint32_t(1000 + objects.size()), r.width ? r.width : 24, r.height ? r.height : 24};
    }
    uint32_t CreateLinkObject(std::string_view address, std::string_view hover) override
    {
        links.push_back({uint32_t(500 + links.size()), std::string(address), std::string(hover)});
        return links.back().id;
    }
    bool OnLoadUrl(std::string_view text, std::string_view address, int flag, std::string_view extra) override
    {
        loads.push_back(std::string(text) + "|" + std::string(address) + "|" + std::to_string(flag) + "|" + std::string(extra));
        return loadResult;
    }
    void CommitPiece() override
    {
        for (size_t i = 0; i < piece.elements.size(); ++i)
            if (piece.elements[i].Is(Lumora::chat_flag::kLinkFirst))
                linkMap.push_back({elements.size() + i, piece.elements[i].linkId});
        elements.insert(elements.end(), piece.elements.begin(), piece.elements.end());
    }

    void Parse(const Lumora::Markup& text) { Lumora::ParseChatMarkup(text, *this); }
    // A test's own markup built at run time, read as a skin's would be.
    template <class S>
        requires(!std::is_array_v<S> && std::is_convertible_v<const S&, std::string_view>)
    void Parse(const S& text)
    {
        Parse(Lumora::Markup::FromSkin(std::string_view(text)));
    }
    // The characters shown, in order ('\n' for line breaks, "[obj]" for objects).
    std::string Shown() const
    {
        std::string s;
        for (const auto& e : elements)
            s += e.Is(Lumora::chat_flag::kObject) ? std::string("[obj]") : e.Text();
        return s;
    }

    Lumora::ChatTagRules rules;
    uint32_t style;
    int maxFont = 1000;
    int charGap = 0;
    bool loadResult = false;
    Lumora::ChatFormat format;
    Lumora::ChatPiece piece;
    std::vector<Lumora::ChatElement> elements;
    std::vector<std::pair<size_t, uint32_t>> linkMap;
    std::set<std::string> pictures;
    std::vector<std::string> missing;
    std::vector<Lumora::ChatObjectRequest> objects;
    std::vector<MadeLink> links;
    std::vector<std::string> loads;
    std::vector<std::string> faces{"宋体", "黑体", "幼圆"};
};

} // namespace chat_test
