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
constexpr char kLineEnd[] = "\r\n";
constexpr uint32_t kDetailStyle = chat_style::kBackgroundColour;
// The detail's text colour, as the chat markup writes it.
constexpr char kDetailColour[] = "<c=16777215>";
// The heading, the name in yellow (0x00FFFF as the markup's colour word).
constexpr char kHeadingLine[] = "<c=65535>%s：\r\n";
} // namespace

std::vector<std::string> CXyResultBlockXueLiu::DetailLines() const
{
    std::vector<std::string> lines;
    for (const Markup& line : details_)
        lines.emplace_back(line.Text());
    return lines;
}

PObject* CXyResultBlockXueLiu::CreateDetail()
{
    auto* box = NewChild<CXyChatBox>();
    if (!box)
        return nullptr;
    const std::vector<Markup>& lines = details_;
    const int width = GetFace() ? int(GetFace()->GetWidth()) : 0;
    const int count = int(lines.size()) + (heading_.empty() ? 0 : 1);
    box->Create(std::max(width, 1), count * kDetailLineHeight + 6, kDetailStyle, 0);
    box->SetBackgroundColor(kDetailBackground);
    // A row of a list in the top-most layer unfolds there too.
    if (GetFace() && (GetFace()->GetFlags() & OBJ_TOPMOST))
        box->SetTopMost();
    if (!heading_.empty())
        box->AppendText(FormatMarkup(kHeadingLine, UnbrokenMarkup(heading_)));
    for (const Markup& line : lines)
        box->AppendText(Markup(kDetailColour) + line + kLineEnd);
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
    for (const Markup& line : row.details)
        data += std::string(line.Text()) + kLineEnd;
    PictureInfo picture;
    GetRes(picture, kRowPicture, 0);
    auto* block = static_cast<CXyResultBlockXueLiu*>(
        AddBlock(new CXyResultBlockXueLiu, data.data(), data.size(), picture, GetViewWidth(), kRowHeight));
    if (!block)
        return nullptr;
    if (GetFlags() & OBJ_TOPMOST)
        block->SetTopMost();
    block->SetHeading(row.name);
    block->SetDetails(row.details);
    block->DrawCaption(row.caption, kCaptionColour, 0);
    return block;
}

CXyResultBlockXueLiu* CXyResultListXueliu::GetChairRow(int index) const
{
    return dynamic_cast<CXyResultBlockXueLiu*>(GetBlock(index));
}

} // namespace Lumora
