#pragma once
// The chat markup read by every chat box: tags in angle brackets ("<c=255,e=b>"), "<>" that
// ends every open span, '#' colour letters and escapes, links, pictures, animations, link
// buttons and '#' emoticons. The walk and the tag rules are here; what a tag creates (link
// objects, embedded pictures) the box provides through ChatMarkupHost. Texts come from other
// players and the server: nothing here reads past the text or the tag it was given.
#include "engine/text/Markup.h"
#include "widgets/ChatFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Lumora {

// The elements built by one walk over a text, before the box lays them out.
struct ChatPiece {
    std::vector<ChatElement> elements;  // linked characters carry their link object's id
    // The text being walked and the read position (a tag may consume text behind it).
    std::string_view text;
    size_t pos = 0;
};

enum class ChatObjectKind { Picture, Animation, LinkButton, Emoticon };

// What an object tag asks the box to insert.
struct ChatObjectRequest {
    ChatObjectKind kind = ChatObjectKind::Picture;
    std::string picture;
    int frame = 0;
    int width = 0;   // 0: the picture's own size
    int height = 0;
    std::string address;  // link buttons
    std::string text;     // copied for the object when a selection is copied
};

// The object the box made for a request: its id and size.
struct ChatObjectInfo {
    uint32_t id = 0;
    int width = 0;
    int height = 0;
};

class ChatMarkupHost {
public:
    virtual ~ChatMarkupHost() = default;

    virtual ChatFormat& MarkupFormat() = 0;
    virtual ChatPiece& MarkupPiece() = 0;
    virtual uint32_t MarkupStyle() const = 0;
    virtual int MarkupMaxFontHeight() const = 0;
    virtual int MarkupCharGap() const = 0;
    // Entry of the box's face table for a face name (the default face when unknown).
    virtual int MarkupFaceIndex(std::string_view face) = 0;

    // The two tag parsers; a box's own variants decide what they accept.
    virtual bool ParseFormatTag(std::string_view tag) = 0;
    virtual bool ParseObjectTag(std::string_view tag) = 0;

    virtual bool MarkupPictureExists(std::string_view name) = 0;
    // Makes the object; nothing when its picture is missing (the tag is still consumed).
    virtual std::optional<ChatObjectInfo> CreateMarkupObject(const ChatObjectRequest& request) = 0;
    // Makes the invisible link object of a run of linked characters; 0 for none.
    virtual uint32_t CreateLinkObject(std::string_view address, std::string_view hoverPicture) = 0;
    virtual bool OnLoadUrl(std::string_view text, std::string_view address, int flag, std::string_view extra) = 0;
    // The walk's piece is complete: lay it out.
    virtual void CommitPiece() = 0;
};

// Rules a box applies on top of the common language.
struct ChatTagRules {
    bool chatBoxExtensions = false;  // "s=", the bold step, "e=l" and "url=l"
};

// The walk over one text: builds the piece, commits it and restores the format it found.
void ParseChatMarkup(const Markup& text, ChatMarkupHost& host);

// The common attribute rules of one tag (without '<' and '>'); true when something applied.
bool ApplyChatFormatTag(std::string_view tag, ChatMarkupHost& host, const ChatTagRules& rules);
// "z=", "m=" and "url_btn="; with the chat box's rules a tag holding '#' is an emoticon code
// instead. True when the tag was consumed.
bool ApplyChatObjectTag(std::string_view tag, ChatMarkupHost& host, const ChatTagRules& rules);
// '#' and two GBK characters naming "xyf" + those bytes; nullopt for a tag without '#'.
std::optional<bool> ApplyEmoticonTag(std::string_view tag, ChatMarkupHost& host);

// Appends text as plain characters in the current format (no markup).
void AppendChatCharacters(std::string_view text, ChatMarkupHost& host);
// A run of characters joined to a link object (or plain characters without the Links style).
void AppendChatLink(std::string_view address, std::string_view label, std::string_view hover, ChatMarkupHost& host);

// A name put into markup as one run: escaped like EscapeMarkup and enclosed in the tags that
// keep a wrap out of it (unless the name alone is wider than the line). The tags change
// nothing else of the format.
Markup UnbrokenMarkup(std::string_view text);

// Names and peer texts go into markup through EscapeMarkup (engine/text/Markup.h): '#', '<' and
// '>' are escaped so they show as written, and control bytes are dropped, so that the text stays
// on its line. For running text only: a tag's bytes are read as they stand, so a value inside a
// tag (a link address) must not be escaped, and one holding '>', ',' or ';' cannot be written.
// The same for a text of several lines (a downloaded notice): its line ends stay.
Markup EscapeMarkupLines(std::string_view text);
// The same for a player's chat text, whose emoticon codes ('#' and a two-byte character pair, as
// the emoticon picker inserts them) stay codes, so that the chat box shows their pictures.
Markup EscapeChatText(std::string_view text);

// Helpers of the value syntax, also used by boxes built on the chat box.
std::vector<std::string_view> SplitMarkupItems(std::string_view value);
// Leading decimal digits; 0 when there are none; saturates instead of overflowing.
int MarkupNumber(std::string_view text);
// The value behind an attribute found at `at`: up to the first ';' or the end of the tag.
std::string_view MarkupTextValue(std::string_view tag, size_t valueStart);
std::optional<uint32_t> ColourLetter(char letter);

} // namespace Lumora
