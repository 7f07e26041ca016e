#include "widgets/CXyChatBox.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "platform/Shell.h"
#include "widgets/AppServices.h"

namespace Lumora {

CXyChatBox::CXyChatBox() { MarkupRules().chatBoxExtensions = true; }

bool CXyChatBox::ParseFormatTag(std::string_view tag) { return CPglChatBox::ParseFormatTag(tag); }

bool CXyChatBox::ParseObjectTag(std::string_view tag) { return CPglChatBox::ParseObjectTag(tag); }

void CXyChatBox::DrawBackgroundPicture(const PictureInfo& picture, int x, int y, int width, int height)
{
    if (picture.width >= width) {
        CPglChatBox::DrawBackgroundPicture(picture, x, y, width, height);
        return;
    }
    const int half = picture.width / 2;
    auto slice = [&](int from, int sliceWidth) {
        PictureInfo part = picture;
        part.srcX += from;
        part.width = sliceWidth;
        return part;
    };
    CPglChatBox::DrawBackgroundPicture(slice(0, half), x, y, half, height);
    CPglChatBox::DrawBackgroundPicture(slice(half, std::min(2, picture.width - half)), x + half, y,
                                       width - 2 * half, height);
    CPglChatBox::DrawBackgroundPicture(slice(picture.width - half, half), x + width - half, y, half, height);
}

void CXyChatBox::OpenUrl(std::string_view address, LinkOrigin origin)
{
    if (platform::IsLocalPathAddress(address) && platform::OpenFolder(address))
        return;
    if (!platform::IsWebAddress(address))
        return;
    const std::string copy(address);
    if (IAppServices* app = GetAppServices())
        app->OpenWebPage(copy.c_str(), origin == LinkOrigin::Own ? 1 : 0);
    else
        platform::OpenUrl(copy);
}

void CXyChatBox::OnKillFocus()
{
    CPglChatBox::OnKillFocus();
    ClearSelection();
}

void CXyChatBox::ResetFont()
{
    SetTextColor(0);
    ChatFormat& f = MutableFormat();
    if (f.height == 12 && !(f.flags & (chat_flag::kBold | chat_flag::kItalic | chat_flag::kUnderline)) && f.face == "宋体")
        return;
    f.height = 12;
    f.flags &= ~(chat_flag::kBold | chat_flag::kItalic | chat_flag::kUnderline);
    f.face = "宋体";
    f.faceIndex = 0;
}

} // namespace Lumora
