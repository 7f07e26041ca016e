#pragma once
// Marked-up text appended to laid-out content: the part of a chat box that needs no engine.
// It reads the markup with the box's rules, keeps the current format and the face table, and
// commits every walk to its layout. Pictures, links and load hooks are the box's: the defaults
// here make nothing, so a document alone shows text only.
#include "widgets/ChatFaceTable.h"
#include "widgets/ChatLayout.h"
#include "widgets/ChatMarkup.h"

#include <string_view>

namespace Lumora {

class ChatDocument : public ChatMarkupHost {
public:
    ChatDocument();

    // Parses and commits one text; its format never reaches the next one.
    void Append(const Markup& markup) { ParseChatMarkup(markup, *this); }

    ChatLayout layout;
    ChatFormat format;
    ChatFaceTable faces;
    ChatTagRules rules;
    uint32_t style = chat_style::kDefault;
    int maxFontHeight = kDefaultMaxFontHeight;
    int charGap = 0;

    // ChatMarkupHost
    ChatFormat& MarkupFormat() override { return format; }
    ChatPiece& MarkupPiece() override { return piece_; }
    uint32_t MarkupStyle() const override { return style; }
    int MarkupMaxFontHeight() const override { return maxFontHeight; }
    int MarkupCharGap() const override { return charGap; }
    int MarkupFaceIndex(std::string_view face) override { return faces.Find(face); }
    bool ParseFormatTag(std::string_view tag) override { return ApplyChatFormatTag(tag, *this, rules); }
    bool ParseObjectTag(std::string_view tag) override { return ApplyChatObjectTag(tag, *this, rules); }
    bool MarkupPictureExists(std::string_view) override { return false; }
    std::optional<ChatObjectInfo> CreateMarkupObject(const ChatObjectRequest&) override { return std::nullopt; }
    uint32_t CreateLinkObject(std::string_view, std::string_view) override { return 0; }
    bool OnLoadUrl(std::string_view, std::string_view, int, std::string_view) override { return false; }
    void CommitPiece() override { layout.Commit(piece_.elements); }

private:
    ChatPiece piece_;
};

} // namespace Lumora
