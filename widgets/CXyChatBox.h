#pragma once
// The side panel's chat box: players' lines and the game's notices. It reads the chat box's
// markup extensions (twip sizes, the bold step, self links, '#' emoticons), opens folder links
// on the desktop and web links through the application, draws its background picture in three
// slices, keeps its vertical bar 5 pixels further out and can reset its font to the chat default.
#include "widgets/CPglChatBox.h"

namespace Lumora {

class CXyChatBox : public CPglChatBox {
public:
    CXyChatBox();

    // Overrides, in slot order.
    void Layout(int width, int height) override { CPglChatBox::Layout(width, height); }
    // Three slices when the picture is narrower than the target: caps of half its width and a
    // 2-pixel middle column stretched between them.
    void DrawBackgroundPicture(const PictureInfo& picture, int x, int y, int width, int height) override;
    bool ParseFormatTag(std::string_view tag) override;
    bool ParseObjectTag(std::string_view tag) override;
    void ParseMarkup(const Markup& text) override { CPglChatBox::ParseMarkup(text); }
    // An existing folder opens on the desktop; web addresses (http, https only) go to the
    // application's page opener, which signs only those of the hall's and the server's own
    // notices. Anything else, files above all, is never opened.
    void OpenUrl(std::string_view address, LinkOrigin origin = LinkOrigin::Peer) override;
    void OnKillFocus() override;
    // Colour 0; font 12 pixels, regular, "宋体" unless it is that already.
    virtual void ResetFont();

protected:
    double VerticalBarOffset() const override { return 5.0; }
};

} // namespace Lumora
