// The result board's list and its rows.
#include "xueliu/CXyResultListXueliu.h"

#include "engine/object/PictureObject.h"
#include "widgets/ChatFormat.h"
#include "widgets/CXyChatBox.h"
#include "widgets/ChatMarkup.h"
#include "xueliu/ResultSummary.h"

#include <algorithm>

namespace Lumora {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
constexpr uint32_t kDetailStyle = chat_style::kBackgroundColour;
// The detail's text colour, as the chat markup writes it.
constexpr const char* kDetailColour = "<c=16777215>";
// The heading's: yellow (0x00FFFF as the markup's colour word).
constexpr const char* kHeadingColour = "<c=65535>";
} // namespace

std::vector<std::string> CXyResultBlockXueLiu::DetailLines() const
{
    std::vector<std::string> lines;
    const std::string text(GetData().begin(), GetData().end());
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(kLineEnd, at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + kLineEnd.size();
    }
    return lines;
}

PObject* CXyResultBlockXueLiu::CreateDetail()
{
    auto* box = NewChild<CXyChatBox>();
    if (!box)
        return nullptr;
    const auto lines = DetailLines();
    const int width = GetFace() ? int(GetFace()->GetWidth()) : 0;
    const int count = int(lines.size()) + (heading_.empty() ? 0 : 1);
    box->Create(std::max(width, 1), count * kDetailLineHeight + 6, kDetailStyle, 0);
    box->SetBackgroundColor(kDetailBackground);
    // A row of a list in the top-most layer unfolds there too.
    if (GetFace() && (GetFace()->GetFlags() & OBJ_TOPMOST))
        box->SetTopMost();
    if (!heading_.empty())
        box->AppendText(std::string(kHeadingColour) + UnbrokenMarkup(heading_) + "：" + std::string(kLineEnd));
    for (const std::string& line : lines)
        box->AppendText(std::string(kDetailColour) + line + std::string(kLineEnd));
    // The detail covers the rows below it: a press on it folds it, as a press on the row does.
    box->AddEventHook(EV_LBUTTON_DOWN, GetOwnerListId(), EV_ROW_PRESS, GetId(), 0);
    for (uint32_t wheel : {uint32_t(EV_WHEEL_FORWARD), uint32_t(EV_WHEEL_BACKWARD)})
        box->AddEventHook(wheel, GetOwnerListId(), wheel, 0, 0);
    return box;
}

void CXyResultBlockXueLiu::LayoutDetail()
{
    CXyChatBox* box = GetDetailBox();
    PObject* face = GetFace();
    if (!box || !face)
        return;
    // The row narrows when the list shows its scroll bar: the detail narrows with it.
    const int width = int(face->GetWidth()), height = int(box->GetHeight());
    if (width > 0 && int(box->GetWidth()) != width) {
        box->ResizeBackground(width, height);
        box->Layout(width, height);
    }
    box->MoveTo(face->GetX(), face->GetY() + (face->GetHeight() + box->GetHeight()) / 2);
}

CXyChatBox* CXyResultBlockXueLiu::GetDetailBox() const { return dynamic_cast<CXyChatBox*>(GetDetail()); }

CXyResultBlockXueLiu* CXyResultListXueliu::AddChairRow(const xueliu::ResultRow& row)
{
    std::string data;
    for (const std::string& line : row.details)
        data += line + std::string(kLineEnd);
    PictureInfo picture;
    GetRes(picture, kRowPicture, 0);
    auto* block = static_cast<CXyResultBlockXueLiu*>(
        AddBlock(new CXyResultBlockXueLiu, data.data(), data.size(), picture, GetViewWidth(), kRowHeight));
    if (!block)
        return nullptr;
    if (GetFlags() & OBJ_TOPMOST)
        block->SetTopMost();
    block->SetHeading(row.name);
    block->DrawCaption(row.caption, kCaptionColour, 0, TextKind::Plain);
    return block;
}

CXyResultBlockXueLiu* CXyResultListXueliu::GetChairRow(int index) const
{
    return dynamic_cast<CXyResultBlockXueLiu*>(GetBlock(index));
}

} // namespace Lumora
